#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace kalvento::test {

// Sets (or, with an empty optional, unsets) an environment variable for the life of the guard.
class EnvGuard {
 public:
  EnvGuard(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  ~EnvGuard() {
    if (old_) {
      setenv(name_.c_str(), old_->c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }
  EnvGuard(const EnvGuard&) = delete;
  EnvGuard& operator=(const EnvGuard&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

}  // namespace kalvento::test
