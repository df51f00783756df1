#include "platform/process.h"

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>

#include "platform/paths.h"

extern char** environ;

namespace kalvento::platform {
namespace {

constexpr size_t kReadChunk = 65536;

// Our environment with `extra` set on top, as NAME=value texts.
std::vector<std::string> ChildEnvironment(
    const std::vector<std::pair<std::string, std::string>>& extra) {
  std::vector<std::string> result;
  for (const auto& [key, value] : extra) result.push_back(key + "=" + value);
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    const std::string_view text = *entry;
    const std::string_view name = text.substr(0, text.find('='));
    bool replaced = false;
    for (const auto& [key, value] : extra) replaced = replaced || key == name;
    if (!replaced) result.emplace_back(text);
  }
  return result;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

void CloseBoth(int fds[2]) {
  if (fds[0] >= 0) close(fds[0]);
  if (fds[1] >= 0) close(fds[1]);
}

// The children still running, so that a program ended by a signal can end them too (our
// children run in process groups of their own and would outlive it). Lock-free for the handler.
constexpr size_t kMostWatchedChildren = 64;
std::atomic<pid_t> running_children[kMostWatchedChildren];

void Watch(pid_t pid) {
  for (std::atomic<pid_t>& slot : running_children) {
    pid_t empty = 0;
    if (slot.compare_exchange_strong(empty, pid)) return;
  }
}

void Unwatch(pid_t pid) {
  for (std::atomic<pid_t>& slot : running_children) {
    pid_t watched = pid;
    if (slot.compare_exchange_strong(watched, 0)) return;
  }
}

int StatusOf(int wait_status) {
  if (WIFEXITED(wait_status)) return WEXITSTATUS(wait_status);
  if (WIFSIGNALED(wait_status)) return 128 + WTERMSIG(wait_status);
  return -1;
}

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::Start(const ProcessOptions& options) {
  if (options.argv.empty() || options.argv[0].empty()) return nullptr;
  int input[2] = {-1, -1};
  int output[2] = {-1, -1};
  if ((options.pipe_input && pipe2(input, O_CLOEXEC) != 0) ||
      (options.pipe_output && pipe2(output, O_CLOEXEC) != 0)) {
    CloseBoth(input);
    CloseBoth(output);
    return nullptr;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (options.pipe_input) posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
  if (options.pipe_output) posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
  if (options.discard_errors) {
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  }
  if (!options.working_folder.empty()) {
    posix_spawn_file_actions_addchdir_np(&actions, options.working_folder.c_str());
  }
  // Its own process group, so ending it also ends what it started (a script's children would
  // otherwise keep its output open) and a Ctrl-C at our terminal reaches only us.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  std::vector<std::string> argv = options.argv;
  std::vector<std::string> environment = ChildEnvironment(options.environment);
  std::vector<char*> argv_pointers = Pointers(argv);
  std::vector<char*> environment_pointers = Pointers(environment);
  pid_t pid = 0;
  const bool search = options.argv[0].find('/') == std::string::npos;
  const int error = search ? posix_spawnp(&pid, argv_pointers[0], &actions, &attributes,
                                          argv_pointers.data(), environment_pointers.data())
                           : posix_spawn(&pid, argv_pointers[0], &actions, &attributes,
                                         argv_pointers.data(), environment_pointers.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (input[0] >= 0) close(input[0]);
  if (output[1] >= 0) close(output[1]);
  if (error != 0) {
    if (input[1] >= 0) close(input[1]);
    if (output[0] >= 0) close(output[0]);
    return nullptr;
  }
  std::unique_ptr<ChildProcess> child(new ChildProcess());
  child->pid_ = pid;
  child->input_fd_ = input[1];
  child->output_fd_ = output[0];
  child->output_closed_ = output[0] < 0;
  Watch(pid);
  return child;
}

void EndChildProcessesNow() {
  for (std::atomic<pid_t>& slot : running_children) {
    const pid_t pid = slot.load();
    if (pid > 0) kill(-pid, SIGKILL);
  }
}

ChildProcess::~ChildProcess() {
  Terminate();
  CloseInput();
  if (output_fd_ >= 0) close(output_fd_);
}

bool ChildProcess::FillBuffer(int timeout_ms) {
  if (output_closed_) return false;
  pollfd ready{output_fd_, POLLIN, 0};
  int polled;
  do {
    polled = poll(&ready, 1, timeout_ms);
  } while (polled < 0 && errno == EINTR);
  if (polled <= 0) return false;
  char chunk[kReadChunk];
  ssize_t got;
  do {
    got = read(output_fd_, chunk, sizeof chunk);
  } while (got < 0 && errno == EINTR);
  if (got <= 0) {
    output_closed_ = true;
    return false;
  }
  buffer_.append(chunk, static_cast<size_t>(got));
  return true;
}

bool ChildProcess::TakeLine(std::string& line) {
  const size_t feed = buffer_.find('\n');
  if (feed == std::string::npos) {
    if (!output_closed_ || buffer_.empty()) return false;
    line = std::move(buffer_);  // the last line had no line feed
    buffer_.clear();
  } else {
    line.assign(buffer_, 0, feed);
    buffer_.erase(0, feed + 1);
  }
  std::erase(line, '\r');
  return true;
}

bool ChildProcess::OutputAvailable() {
  if (buffer_.find('\n') != std::string::npos || output_closed_) return true;
  FillBuffer(0);
  return buffer_.find('\n') != std::string::npos || output_closed_;
}

ReadResult ChildProcess::ReadLine(std::string& line, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (true) {
    if (TakeLine(line)) return ReadResult::kLine;
    if (output_closed_) return ReadResult::kEnd;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return ReadResult::kTimeout;
    FillBuffer(static_cast<int>(left.count()));
  }
}

bool ChildProcess::WriteLine(std::string_view text) {
  if (input_fd_ < 0) return false;
  std::string bytes(text);
  bytes += '\n';
  size_t written = 0;
  while (written < bytes.size()) {
    // A child that has gone would raise SIGPIPE; MSG_NOSIGNAL exists only for sockets.
    sigset_t pipe_signal, previous;
    sigemptyset(&pipe_signal);
    sigaddset(&pipe_signal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe_signal, &previous);
    const ssize_t put = write(input_fd_, bytes.data() + written, bytes.size() - written);
    const int write_error = errno;
    if (put < 0 && write_error == EPIPE) {
      timespec no_wait{0, 0};
      sigtimedwait(&pipe_signal, nullptr, &no_wait);  // drop the pending signal
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (put < 0 && write_error == EINTR) continue;
    if (put <= 0) return false;
    written += static_cast<size_t>(put);
  }
  return true;
}

void ChildProcess::CloseInput() {
  if (input_fd_ >= 0) close(input_fd_);
  input_fd_ = -1;
}

void ChildProcess::Reap(int status) {
  MarkGone();
  exit_status_ = StatusOf(status);
}

void ChildProcess::MarkGone() {
  if (!reaped_) Unwatch(pid_);
  reaped_ = true;
}

bool ChildProcess::IsRunning() {
  if (reaped_) return false;
  int status = 0;
  const pid_t done = waitpid(pid_, &status, WNOHANG);
  if (done == pid_) Reap(status);
  if (done < 0) MarkGone();  // not our child any more
  return !reaped_;
}

void ChildProcess::Terminate() {
  if (!IsRunning()) return;
  kill(-pid_, SIGKILL);
  int status = 0;
  pid_t done;
  do {
    done = waitpid(pid_, &status, 0);
  } while (done < 0 && errno == EINTR);
  if (done == pid_) Reap(status);
  MarkGone();
}

int ChildProcess::Wait(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  auto pause = std::chrono::milliseconds(1);
  while (IsRunning()) {
    if (std::chrono::steady_clock::now() >= deadline) return -1;
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds(20));
  }
  return exit_status_;
}

namespace {

std::string ReadSmallFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  std::string text;
  char chunk[4096];
  ssize_t got;
  while ((got = read(fd, chunk, sizeof chunk)) > 0 && text.size() < 65536) {
    text.append(chunk, static_cast<size_t>(got));
  }
  close(fd);
  return text;
}

std::string_view FileNamePart(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The script an interpreter runs: its first argument after the interpreter's own options.
std::string_view ScriptOf(const std::string& command_line) {
  size_t start = command_line.find('\0');  // skip the interpreter itself
  while (start != std::string::npos && start + 1 < command_line.size()) {
    const size_t end = command_line.find('\0', start + 1);
    const std::string_view word(command_line.data() + start + 1,
                                (end == std::string::npos ? command_line.size() : end) - start - 1);
    if (!word.empty() && word.front() != '-') return word;
    start = end;
  }
  return {};
}

bool RunsProgramNamed(const std::string& process_folder, std::string_view file_name) {
  char target[4096];
  const ssize_t length = readlink((process_folder + "exe").c_str(), target, sizeof target - 1);
  if (length > 0) {
    std::string_view executable(target, static_cast<size_t>(length));
    if (executable.ends_with(" (deleted)")) executable.remove_suffix(10);
    if (SameIgnoringCase(FileNamePart(executable), file_name)) return true;
  }
  const std::string command_line = ReadSmallFile(process_folder + "cmdline");
  return SameIgnoringCase(FileNamePart(ScriptOf(command_line)), file_name);
}

}  // namespace

int FindProcessByName(std::string_view file_name, const std::function<bool(int pid)>& accept) {
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return 0;
  const uid_t me = getuid();
  const pid_t self = getpid();
  int found = 0;
  while (const dirent* entry = readdir(proc)) {
    char* end = nullptr;
    const long pid = strtol(entry->d_name, &end, 10);
    if (pid <= 0 || *end != '\0' || pid == self) continue;
    const std::string folder = std::string("/proc/") + entry->d_name + "/";
    struct stat st {};
    if (stat(folder.c_str(), &st) != 0 || st.st_uid != me) continue;
    if (RunsProgramNamed(folder, file_name) && (!accept || accept(static_cast<int>(pid)))) {
      found = static_cast<int>(pid);
      break;
    }
  }
  closedir(proc);
  return found;
}

std::string ProcessIdentity(int pid) {
  if (pid <= 0) return {};
  const std::string stat_text = ReadSmallFile("/proc/" + std::to_string(pid) + "/stat");
  // The start time is field 22; the name in parentheses (field 2) may hold blanks.
  size_t position = stat_text.rfind(')');
  if (position == std::string::npos) return {};
  // A process that has ended but is not yet reaped ("Z") is gone.
  if (stat_text.compare(position, 4, ") Z ") == 0) return {};
  for (int field = 2; field < 22 && position != std::string::npos; ++field) {
    position = stat_text.find(' ', position + 1);
  }
  if (position == std::string::npos) return {};
  const size_t end = stat_text.find(' ', position + 1);
  return std::to_string(pid) + ":" + stat_text.substr(position + 1, end - position - 1);
}

std::string ProcessEnvironmentValue(int pid, std::string_view name) {
  const std::string environment = ReadSmallFile("/proc/" + std::to_string(pid) + "/environ");
  size_t start = 0;
  while (start < environment.size()) {
    size_t end = environment.find('\0', start);
    if (end == std::string::npos) end = environment.size();
    const std::string_view entry(environment.data() + start, end - start);
    if (entry.size() > name.size() && entry.starts_with(name) && entry[name.size()] == '=') {
      return std::string(entry.substr(name.size() + 1));
    }
    start = end + 1;
  }
  return {};
}

bool TerminateProcess(int pid) {
  if (pid <= 0) return false;
  // A process leading its own group (as every child we start does) takes what it started along.
  const bool signalled = kill(getpgid(pid) == pid ? -pid : pid, SIGKILL) == 0;
  // Our own child would stay a zombie (and be found again) until it is reaped.
  int status = 0;
  for (int i = 0; signalled && i < 50; ++i) {
    if (waitpid(pid, &status, WNOHANG) != 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return signalled;
}

std::unique_ptr<SharedLibrary> SharedLibrary::Load(const std::string& name) {
  void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return nullptr;
  return std::unique_ptr<SharedLibrary>(new SharedLibrary(handle));
}

SharedLibrary::~SharedLibrary() { dlclose(handle_); }

void* SharedLibrary::Function(const char* name) const { return dlsym(handle_, name); }

}  // namespace kalvento::platform
