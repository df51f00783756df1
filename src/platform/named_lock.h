#pragma once

#include <string>

namespace kalvento::platform {

// A lock other processes of the same user can see by name (flock on a file in $XDG_RUNTIME_DIR or
// /tmp). Taken at construction without waiting: held() is false when someone else has it.
// Held until destruction.
class NamedLock {
 public:
  explicit NamedLock(const std::string& name);
  ~NamedLock();
  NamedLock(const NamedLock&) = delete;
  NamedLock& operator=(const NamedLock&) = delete;

  bool held() const { return fd_ >= 0; }

  // Whether another holder has the lock at this moment (without taking it). A NamedLock of this
  // process counts as another holder too.
  static bool IsHeldElsewhere(const std::string& name);

  // The lock file for `name`: a safe file name made from it, in $XDG_RUNTIME_DIR, else in /tmp
  // with the user id in the name.
  static std::string LockFilePath(const std::string& name);

 private:
  int fd_ = -1;
};

}  // namespace kalvento::platform
