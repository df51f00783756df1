#include "cli_runner.h"

#include "test_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

extern char** environ;

namespace kalvento::test {
namespace {

}  // namespace

CliResult RunCli(const std::vector<std::string>& arguments, const std::string& home) {
  const std::string out_path = home + ".cli-out";
  const std::string err_path = home + ".cli-err";
  std::vector<std::string> words = {KALVENTO_CLI};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  std::vector<std::string> env_words = {"HOME=" + home, "XDG_CONFIG_HOME=" + home + ".config",
                                        "TMPDIR=" + home, "TZ=Europe/Berlin", "LC_ALL=C.UTF-8"};
  for (char** entry = environ; *entry; ++entry) {
    const std::string variable = *entry;
    if (variable.rfind("ASAN_", 0) == 0 || variable.rfind("UBSAN_", 0) == 0 ||
        variable.rfind("PATH=", 0) == 0) {
      env_words.push_back(variable);
    }
  }
  std::vector<char*> envp;
  for (std::string& word : env_words) envp.push_back(word.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  CliResult result;
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  result.out = ReadFileBytes(out_path);
  result.err = ReadFileBytes(err_path);
  unlink(out_path.c_str());
  unlink(err_path.c_str());
  return result;
}

}  // namespace kalvento::test
