#include "export/export_run.h"

#include <algorithm>

#include "platform/files.h"
#include "texts/text_table.h"

namespace kalvento::export_run {

bool ConfirmReplace(const std::string& path, RunView& view) {
  if (!platform::PathExists(path)) return true;
  const size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return view.AskYesNo(Text("TXT00090"), Text("TXT00091") + "\r\n\r\n" + name, true);
}

bool StopRequested(RunView& view) {
  return view.PollEscapeKey() && view.AskYesNo(Text("TXT00081"), Text("TXT00082"), false);
}

ListProgress::ListProgress(RunView& view, size_t count, size_t threshold)
    : view_(view), step_(count / 100), in_use_(count / 100 > threshold) {
  if (in_use_) view_.ShowListProgress(0);
}

void ListProgress::End() {
  if (in_use_) view_.ShowListProgress(-1);
  in_use_ = false;
}

std::string_view WithoutTrailingBlanks(std::string_view text) {
  const size_t last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

std::string_view TrimFieldBlanks(std::string_view field) {
  const size_t first = field.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return field.substr(first, field.find_last_not_of(' ') - first + 1);
}

std::string_view FieldReader::Next() {
  if (done_) return {};
  const size_t tab = rest_.find('\t');
  if (tab == std::string_view::npos) {
    done_ = true;
    return rest_;
  }
  const std::string_view field = rest_.substr(0, tab);
  rest_.remove_prefix(tab + 1);
  return field;
}

bool OutputFile::Open(const std::string& path) {
  Close();
  failed_ = false;
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) return false;
  buffer_.clear();
  buffer_.reserve(kFlushSize + kFlushSize / 4);
  return true;
}

void OutputFile::Flush() {
  if (file_ == nullptr || buffer_.empty()) return;
  if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) failed_ = true;
  buffer_.clear();
}

bool OutputFile::Close() {
  if (file_ == nullptr) return !failed_;
  Flush();
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  buffer_.clear();
  buffer_.shrink_to_fit();
  return !failed_;
}

int ListColumnCount(const ResultList& list) {
  return static_cast<int>(std::min<size_t>(list.columns.size(), kColumnCount));
}

}  // namespace kalvento::export_run
