#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "engine/result_list.h"
#include "engine/run_view.h"

// What the three exports share: the replace question, the progress rule, the stop question and
// the walk over a row's fields.
namespace kalvento::export_run {

// True when `path` may be written: it does not exist, or the user agreed to replace it
// (TXT00090 / TXT00091 with the bare file name, No preselected).
bool ConfirmReplace(const std::string& path, RunView& view);

// Escape was pressed and the user confirmed the stop.
bool StopRequested(RunView& view);

// The percent bar of a pass over `count` rows; shown only when count / 100 exceeds `threshold`.
class ListProgress {
 public:
  ListProgress(RunView& view, size_t count, size_t threshold);
  void AtRow(size_t index) {
    if (in_use_ && index % step_ == 0) view_.ShowListProgress(static_cast<int>(index / step_ + 1));
  }
  void End();

 private:
  RunView& view_;
  size_t step_ = 0;
  bool in_use_ = false;
};

// Trailing blanks off a row; the tabs between empty fields stay.
std::string_view WithoutTrailingBlanks(std::string_view text);
// Blanks off both ends of a field.
std::string_view TrimFieldBlanks(std::string_view field);

// A row's tab-separated fields in order, without copying; past the last field it yields empty
// fields.
class FieldReader {
 public:
  explicit FieldReader(std::string_view row) : rest_(row) {}
  std::string_view Next();
  bool AtEnd() const { return done_; }

 private:
  std::string_view rest_;
  bool done_ = false;
};

// A file written through one large buffer, so that a million rows cost few system calls.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile() { Close(); }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates the file, replacing an existing one; false when it cannot be created.
  bool Open(const std::string& path);
  bool IsOpen() const { return file_ != nullptr; }
  // The buffer to append to; Flush hands it to the file once it is large.
  std::string& Buffer() { return buffer_; }
  void FlushIfLarge() {
    if (buffer_.size() >= kFlushSize) Flush();
  }
  // Writes what is left and closes; false when any write failed.
  bool Close();

 private:
  static constexpr size_t kFlushSize = size_t{1} << 20;
  void Flush();

  std::FILE* file_ = nullptr;
  std::string buffer_;
  bool failed_ = false;
};

// Number of list columns; 0 before the first analysis run built the column map.
int ListColumnCount(const ResultList& list);

}  // namespace kalvento::export_run
