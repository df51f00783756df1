#pragma once

#include <string>
#include <vector>

namespace kalvento::test {

struct CliResult {
  int exit_code = -1;
  std::string out;
  std::string err;
};

// Runs the built kalvento-cli with `arguments`, HOME and XDG_CONFIG_HOME pointing at `home` so
// that no user settings are read or written, stdin from /dev/null.
CliResult RunCli(const std::vector<std::string>& arguments, const std::string& home);

}  // namespace kalvento::test
