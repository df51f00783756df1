#include "sources/exiftool_session.h"

#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "platform/process.h"

namespace kalvento {
namespace {

using namespace std::chrono_literals;

constexpr std::string_view kReadyLine = "{ready}";
constexpr auto kStartPause = 200ms;
constexpr auto kStopPause = 200ms;
constexpr auto kStalePause = 100ms;
// Files in a row that got no complete answer before the session is given up for the run: an
// ExifTool that hangs or dies on every file would otherwise cost a start and a wait per file.
constexpr int kMostUnansweredInARow = 3;
// Set in our ExifTool's environment: the process that owns it, so that start-up ends only
// leftovers whose program is gone and never the ExifTool of another run still going.
constexpr std::string_view kOwnerVariable = "KALVENTO_SESSION_OWNER";

bool IsLeftover(int pid) {
  const std::string owner = platform::ProcessEnvironmentValue(pid, kOwnerVariable);
  // Without our marker it is no ExifTool of ours (a viewer of the file, say): never ended.
  if (owner.empty()) return false;
  const int owner_pid = std::atoi(owner.c_str());
  return platform::ProcessIdentity(owner_pid) != owner;
}

}  // namespace

bool TakeAnswerLine(std::string_view line, TagCache& cache) {
  if (line == kReadyLine) return true;
  const size_t colon = line.find(':');
  if (colon == std::string_view::npos) return false;
  // The value starts behind the colon and the blank ExifTool writes after it.
  const std::string_view value = colon + 2 <= line.size() ? line.substr(colon + 2) : "";
  cache.try_emplace(std::string(line.substr(0, colon)), value);
  return false;
}

ExifToolSession::ExifToolSession(std::string executable, std::chrono::milliseconds silence_limit,
                                 std::string module_folder)
    : executable_(std::move(executable)),
      silence_limit_(silence_limit),
      module_folder_(std::move(module_folder)) {}

ExifToolSession::~ExifToolSession() { StopExifTool(); }

void ExifToolSession::StartIfNeeded() {
  if (process_ || executable_.empty() || unanswered_in_a_row_ >= kMostUnansweredInARow) return;
  cache_.clear();
  this_file_.clear();
  platform::ProcessOptions options;
  options.argv = {executable_, "-stay_open", "True", "-@", "-"};
  options.pipe_input = true;
  options.pipe_output = true;
  options.discard_errors = true;  // its messages about unreadable files are not ours to show
  options.environment = {{std::string(kOwnerVariable), platform::ProcessIdentity(getpid())}};
  if (!module_folder_.empty()) {
    const char* more = std::getenv("PERL5LIB");
    options.environment.emplace_back(
        "PERL5LIB", module_folder_ + (more != nullptr && *more != '\0' ? ":" + std::string(more) : ""));
  }
  process_ = platform::ChildProcess::Start(options);
  if (process_) std::this_thread::sleep_for(kStartPause);
}

std::string ExifToolSession::QueryExifTag(const std::string& path, const std::string& tag_key) {
  // A line break would split the path into further arguments for the session.
  if (path.find_first_of("\r\n") != std::string::npos) return {};
  if (this_file_.empty() || this_file_ != path) {
    cache_.clear();
    this_file_.clear();
    StartIfNeeded();
    if (process_) {
      for (std::string_view line :
           {std::string_view("-charset"), std::string_view("filename=utf8"),
            std::string_view(path), std::string_view("-G0"), std::string_view("-S"),
            std::string_view("-a"), std::string_view("-execute")}) {
        process_->WriteLine(line);
      }
      ReadAnswer(path);
    }
  }
  const auto found = cache_.find(tag_key);
  return found == cache_.end() ? std::string() : found->second;
}

void ExifToolSession::ReadAnswer(const std::string& path) {
  // Whatever happens, the file's further queries are answered from what was read: asking again
  // would only repeat the wait.
  this_file_ = path;
  std::string line;
  while (true) {
    switch (process_->ReadLine(line, silence_limit_)) {
      case platform::ReadResult::kLine:
        if (TakeAnswerLine(line, cache_)) {
          unanswered_in_a_row_ = 0;
          return;
        }
        break;
      case platform::ReadResult::kEnd:     // it ended with this file
      case platform::ReadResult::kTimeout:  // or was silent for too long
        // The next file starts a fresh one.
        process_.reset();
        ++unanswered_in_a_row_;
        return;
    }
  }
}

void ExifToolSession::StopExifTool() {
  if (process_) {
    process_->WriteLine("-stay_open");
    process_->WriteLine("False");
    std::this_thread::sleep_for(kStopPause);
    process_.reset();  // ends it forcibly when it has not gone by itself
  }
  cache_.clear();
  this_file_.clear();
  unanswered_in_a_row_ = 0;
}

void EndStaleExifTool() {
  for (int look = 0; look < 2; ++look) {
    const int pid = platform::FindProcessByName(kExifToolCopyName, IsLeftover);
    if (pid == 0) return;  // nothing left: no second look, no pause at every start
    platform::TerminateProcess(pid);
    std::this_thread::sleep_for(kStalePause);
  }
}

}  // namespace kalvento
