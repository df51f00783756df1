#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace kalvento {

namespace platform {
class ChildProcess;
}

// Tag label ("[EXIF] DateTimeOriginal") → value text, for the file asked about last.
using TagCache = std::unordered_map<std::string, std::string>;

// Takes one line of an ExifTool answer into the cache: "label: value", the first value of a
// label winning. True when the line is the end marker "{ready}".
bool TakeAnswerLine(std::string_view line, TagCache& cache);

// How long a query waits for ExifTool to print a line before it gives up on it.
inline constexpr std::chrono::milliseconds kExifToolSilenceLimit = std::chrono::seconds(30);

// One ExifTool process in stay-open mode, started by the first query of a run and asked once per
// file for all its tags.
class ExifToolSession {
 public:
  // `executable` is our copy of ExifTool; an empty or missing one makes every answer empty.
  // A query that sees no output for `silence_limit` gives up and ends the process; after three
  // files in a row without an answer no ExifTool is started again until StopExifTool.
  // `module_folder`, when set, is where its Perl modules are (the copy no longer stands next to
  // them).
  explicit ExifToolSession(std::string executable,
                           std::chrono::milliseconds silence_limit = kExifToolSilenceLimit,
                           std::string module_folder = {});
  ~ExifToolSession();
  ExifToolSession(const ExifToolSession&) = delete;
  ExifToolSession& operator=(const ExifToolSession&) = delete;

  // The value of `tag_key` for the file `path`, or empty when the file has no such tag.
  std::string QueryExifTag(const std::string& path, const std::string& tag_key);
  // Ends the process (asking first, then forcibly) and forgets the cached tags.
  void StopExifTool();

 private:
  void StartIfNeeded();
  void ReadAnswer(const std::string& path);

  std::string executable_;
  std::chrono::milliseconds silence_limit_;
  std::string module_folder_;
  std::unique_ptr<platform::ChildProcess> process_;
  TagCache cache_;
  std::string this_file_;  // the file whose answer fills the cache; empty when none
  int unanswered_in_a_row_ = 0;
};

// The file name our ExifTool copy has in the temp folder.
inline constexpr std::string_view kExifToolCopyName = "Kalvento_ExifTool";

// Ends at most two leftover processes of our ExifTool copy run by this user, 100 ms apart. A
// leftover is one whose program has gone; the ExifTool of another run still going is kept.
void EndStaleExifTool();

}  // namespace kalvento
