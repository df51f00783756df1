#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kalvento::platform {

// How a child process is started. The executable is argv[0]; it is looked up in PATH only when it
// holds no "/".
struct ProcessOptions {
  std::vector<std::string> argv;
  std::string working_folder;  // empty: the current one
  bool pipe_input = false;     // our WriteLine reaches its standard input
  bool pipe_output = false;    // its standard output comes to ReadLine
  bool discard_errors = false;  // its standard error goes to /dev/null instead of ours
  // Set in the child's environment in addition to ours (replacing a variable of the same name).
  std::vector<std::pair<std::string, std::string>> environment;
};

enum class ReadResult {
  kLine,     // a whole line (or the last, unterminated line at the end of the output)
  kTimeout,  // no line feed arrived in time; the bytes read so far stay for the next call
  kEnd,      // the output is closed and drained
};

// A started child process. Destroying it ends the process (forcibly when it still runs) and reaps
// it, so no child outlives its owner.
class ChildProcess {
 public:
  // Null when the process cannot be started (missing executable, no pipes, ...).
  static std::unique_ptr<ChildProcess> Start(const ProcessOptions& options);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  int pid() const { return pid_; }

  // True when a line or the end of the output can be read without waiting.
  bool OutputAvailable();
  // Reads one line from its standard output; the line feed and any carriage returns are dropped.
  // Waits at most `timeout` for the line feed.
  ReadResult ReadLine(std::string& line, std::chrono::milliseconds timeout);
  // Writes `text` and a line feed to its standard input; false when the pipe is closed.
  bool WriteLine(std::string_view text);
  // Closes our end of its standard input (the child then reads end of file).
  void CloseInput();
  bool IsRunning();
  // Ends it with SIGKILL and reaps it.
  void Terminate();
  // Waits up to `timeout` for it to end by itself. Returns its exit status (128 + signal when a
  // signal ended it), or -1 when it still runs after the wait.
  int Wait(std::chrono::milliseconds timeout);

 private:
  ChildProcess() = default;
  bool FillBuffer(int timeout_ms);
  bool TakeLine(std::string& line);
  void Reap(int status);
  void MarkGone();  // reaped or no child of ours: never signalled again

  int pid_ = 0;
  int input_fd_ = -1;
  int output_fd_ = -1;
  bool output_closed_ = false;
  bool reaped_ = false;
  int exit_status_ = -1;
  std::string buffer_;  // read from the output, not yet handed out
};

// The first process of the current user whose executable — or, for an interpreter running a
// script, whose script — has the file name `file_name` (compared ignoring ASCII case) and that
// `accept` (when given) agrees to. 0 when none.
int FindProcessByName(std::string_view file_name,
                      const std::function<bool(int pid)>& accept = nullptr);
// A text naming a running process uniquely over time ("pid:start"), so a reused process id is
// not taken for the process it once was. Empty when there is no such process or it has ended
// (a zombie included).
std::string ProcessIdentity(int pid);
// The value of a variable in a process's environment as it was started; empty when unset.
std::string ProcessEnvironmentValue(int pid, std::string_view name);
// Ends a process of the current user forcibly (with its process group when it leads one); false
// when it could not be signalled.
bool TerminateProcess(int pid);
// Ends every child process still running (with what it started), for a program about to die of
// a signal. Safe to call in a signal handler.
void EndChildProcessesNow();

// A shared library loaded at run time; unloaded at destruction.
class SharedLibrary {
 public:
  // Null when the library cannot be loaded. `name` may be a path or a name the loader searches.
  static std::unique_ptr<SharedLibrary> Load(const std::string& name);
  ~SharedLibrary();
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  // The address of an exported function, or null.
  void* Function(const char* name) const;

 private:
  explicit SharedLibrary(void* handle) : handle_(handle) {}
  void* handle_;
};

}  // namespace kalvento::platform
