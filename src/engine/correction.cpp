#include "engine/correction.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <optional>
#include <sstream>
#include <utility>

#include "dates/datef.h"
#include "platform/clock.h"
#include "platform/file_times.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "texts/text_table.h"
#include "texts/text_util.h"

namespace kalvento {
namespace {

// Field positions of a result row.
constexpr int kNameField = 0;
constexpr int kCreatedField = 1;
constexpr int kCreatedNewField = 2;
constexpr int kModifiedField = 3;
constexpr int kModifiedNewField = 4;

constexpr size_t kProgressAbove = 500;
constexpr size_t kProgressEvery = 100;
constexpr int kLastCandidate = 999;

constexpr std::string_view kLogNameMask = "%yyyy-%mm-%dd_%hh-%ii-%ss";
constexpr std::string_view kLineEnd = "\r\n";

// All six parts 0 ask for the program's clock.
DateValue Now() { return MakeDate(0, 0, 0, 0, 0, 0); }

// The log of one run: UTF-8 without byte-order mark, CR LF line ends. Each line is flushed, so
// that a reader following the file sees every corrected file as soon as it is done.
class RunLog {
 public:
  bool Open(const std::string& path) {
    out_.open(path, std::ios::binary | std::ios::trunc);
    return out_.is_open();
  }
  bool is_open() const { return out_.is_open(); }
  void Line(std::string_view text) {
    if (!out_.is_open()) return;
    out_.write(text.data(), static_cast<std::streamsize>(text.size()));
    out_.write(kLineEnd.data(), static_cast<std::streamsize>(kLineEnd.size()));
    out_.flush();
  }
  void Close() {
    if (out_.is_open()) out_.close();
  }

 private:
  std::ofstream out_;
};

// Byte length of the first `count` characters of `text`; a multi-byte character is never split.
size_t PrefixBytes(std::string_view text, int64_t count) {
  size_t pos = 0;
  for (int64_t i = 0; i < count && pos < text.size(); ++i) {
    ++pos;
    while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) ++pos;
  }
  return pos;
}

struct NameParts {
  std::string stem;
  std::optional<std::string> extension;  // empty optional: the name holds no dot
};

NameParts SplitName(std::string_view name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return {std::string(name), std::nullopt};
  return {std::string(name.substr(0, dot)), std::string(name.substr(dot + 1))};
}

std::string JoinName(const std::string& stem, const std::optional<std::string>& extension) {
  return extension ? stem + "." + *extension : stem;
}

// A new name must stay a name in the row's folder.
bool StaysInFolder(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

class CorrectionRunner {
 public:
  CorrectionRunner(const CorrectionRequest& request, ResultList& list, RunView& view)
      : request_(request), list_(list), view_(view) {}

  CorrectionOutcome Run();

 private:
  void OpenLog(DateValue start);
  void CorrectRow(ResultLine& line);
  // Writes one proposal; `current` and `proposal` are the row's fields of that kind. Returns
  // whether the date was written and sets `logged_new` to what the log shows as the new date.
  bool WriteProposal(const std::string& path, FileDateKind kind, std::string& current,
                     std::string& proposal, std::string& logged_new);
  void RenameAfterDate(const std::string& name, const std::string& basis);
  void SetFolderDates();
  bool ShowsProgress() const { return list_.lines.size() > kProgressAbove; }

  const CorrectionRequest& request_;
  ResultList& list_;
  RunView& view_;
  RenameOptions rename_;
  std::string rename_mask_;
  std::string row_folder_;
  RunLog log_;
  CorrectionOutcome outcome_;
};

void CorrectionRunner::OpenLog(DateValue start) {
  outcome_.last_log = FormatDate(kLogNameMask, start) + ".txt";
  if (request_.folders.log.empty()) return;
  const std::string path = request_.folders.log + outcome_.last_log;
  if (!log_.Open(path)) return;
  outcome_.log_path = path;
  log_.Line(Text("Program_Name") + ", " + Text("Version_Name"));
  log_.Line("");
  log_.Line("Start: " + FormatDate(kDisplayMask, start));
  log_.Line("");
  log_.Line(Text("GAD00252") + " " + request_.current_folder);
  log_.Line("");
  log_.Line(Text("TXT00401") + "\t" + Text("TXT00402") + "\t" + Text("TXT00403") + "\t" +
            Text("TXT00404") + "\t" + Text("TXT00405"));
}

bool CorrectionRunner::WriteProposal(const std::string& path, FileDateKind kind,
                                     std::string& current, std::string& proposal,
                                     std::string& logged_new) {
  logged_new = current;
  if (!HoldsDate(proposal)) {
    proposal.clear();
    return false;
  }
  const DateValue value = ParseDate(kDisplayMask, proposal);
  if (value > 0 && SetFileDate(path, kind, value) > 0) {
    logged_new = proposal;
    current = std::move(proposal);
    proposal = "<- " + Text("GAD00316");
    ++outcome_.dates_written;
    return true;
  }
  // The log keeps the old date: it never claims a date that is not on disk.
  proposal = "!! " + Text(platform::IsReadOnly(path) ? "GAD00317" : "GAD00318");
  ++outcome_.writes_failed;
  return false;
}

void CorrectionRunner::CorrectRow(ResultLine& line) {
  std::array<std::string, kColumnCount> fields = SplitRow(line.text);
  const std::string name = fields[kNameField];
  const std::string path = row_folder_ + name;
  const std::string old_created = fields[kCreatedField];
  const std::string old_modified = fields[kModifiedField];
  std::string new_created;
  std::string new_modified;
  const bool created_written = WriteProposal(path, FileDateKind::kCreated, fields[kCreatedField],
                                             fields[kCreatedNewField], new_created);
  const bool modified_written = WriteProposal(path, FileDateKind::kModified, fields[kModifiedField],
                                              fields[kModifiedNewField], new_modified);
  line.text = JoinRow(fields);

  if ((created_written || modified_written) && log_.is_open()) {
    log_.Line(old_created + "\t" + new_created + "\t" + old_modified + "\t" + new_modified + "\t" +
              path);
  }

  if (rename_mask_.empty()) return;
  const bool by_created = rename_.date == "created";
  const bool by_modified = rename_.date == "modified";
  if (!by_created && !by_modified) return;
  const bool written = by_created ? created_written : modified_written;
  if (rename_.type == "all" || (rename_.type == "corrected" && written)) {
    RenameAfterDate(name, fields[by_created ? kCreatedField : kModifiedField]);
  }
}

void CorrectionRunner::RenameAfterDate(const std::string& name, const std::string& basis) {
  const DateValue date = ParseDate(kDisplayMask, basis);
  if (date <= 0) return;  // a field without a date would name the file after "now"
  const NameParts old_parts = SplitName(name);
  const std::string kept = old_parts.stem.substr(PrefixBytes(old_parts.stem, rename_.remove));
  const std::string new_name = JoinName(FormatDate(rename_mask_, date) + kept, old_parts.extension);
  if (!StaysInFolder(new_name) || new_name == name) return;

  const std::string from = row_folder_ + name;
  if (platform::RenameNoReplace(from, row_folder_ + new_name)) return;
  const NameParts new_parts = SplitName(new_name);
  for (int number = 2; number <= kLastCandidate; ++number) {
    const std::string candidate =
        JoinName(new_parts.stem + " (" + std::to_string(number) + ")", new_parts.extension);
    if (platform::PathExists(row_folder_ + candidate)) continue;
    platform::RenameNoReplace(from, row_folder_ + candidate);
    return;
  }
}

void CorrectionRunner::SetFolderDates() {
  const bool created = request_.folder_date_created;
  const bool modified = request_.folder_date_modified;
  view_.SetStopHint(Text("GAD00343"), true);
  // Last to first: subfolders come after their parents in the list, and a parent must see the
  // dates its subfolders have just been given.
  for (auto folder = list_.folders.rbegin(); folder != list_.folders.rend(); ++folder) {
    const auto entries = platform::ListFolder(*folder, true);
    if (!entries) continue;
    bool any = false;
    platform::FileInstant earliest;
    platform::FileInstant latest;
    for (const platform::FolderEntry& entry : *entries) {
      const auto& times = entry.times;
      if (!times) continue;
      if (!any) {
        earliest = times->created;
        latest = times->modified;
        any = true;
      }
      if (created && times->created < earliest) earliest = times->created;
      if (modified) {
        if (times->modified > latest) latest = times->modified;
        if (times->created > latest) latest = times->created;
      }
    }
    if (!any) continue;
    // A folder whose times cannot be written (or a file system without creation times) is
    // passed over without a word.
    if (created) platform::WriteFileTime(*folder, platform::FileTimeKind::kCreated, earliest);
    if (modified) platform::WriteFileTime(*folder, platform::FileTimeKind::kModified, latest);
  }
}

CorrectionOutcome CorrectionRunner::Run() {
  const DateValue start = Now();
  rename_ = ReadRenameOptions(request_.folders);
  rename_mask_ = RenameMask(rename_.format);
  view_.SetStatusText("  " + Text(platform::IsDaylightSavingNow() ? "GAD00333" : "GAD00334"));
  view_.SetWaitCursor(true);
  if (request_.create_log) OpenLog(start);

  const size_t count = list_.lines.size();
  if (ShowsProgress()) view_.ShowListProgress(1);
  for (size_t i = 0; i < count; ++i) {
    ResultLine& line = list_.lines[i];
    if (i >= 2 && IsContentLine(line.text)) {
      if (platform::IsFolderLine(line.text)) {
        row_folder_ = std::string(TrimBlanks(line.text));
      } else if (line.mark == 1 && !row_folder_.empty()) {
        // A row above every folder row names no file on disk.
        CorrectRow(line);
      }
    }
    if (ShowsProgress() && i > 0 && i % kProgressEvery == 0) {
      const int64_t percent = static_cast<int64_t>(i) * 100 / static_cast<int64_t>(count);
      if (percent >= 2 && percent <= 100) view_.ShowListProgress(static_cast<int>(percent));
    }
    if (view_.PollEscapeKey() && view_.AskYesNo(Text("TXT00081"), Text("TXT00088"), false)) {
      outcome_.stopped = true;
      break;
    }
  }

  if (!outcome_.stopped && (request_.folder_date_created || request_.folder_date_modified)) {
    SetFolderDates();
  }

  if (outcome_.stopped) log_.Line(Text("TXT00400"));
  if (ShowsProgress()) view_.ShowListProgress(-1);
  if (log_.is_open()) {
    log_.Line("");
    log_.Line("Stop: " + FormatDate(kDisplayMask, Now()));
    log_.Close();
  }
  view_.SetWaitCursor(false);
  view_.RepaintList();
  view_.SetCorrectButtonEnabled(false);
  view_.SetStopHint(Text("GAD00341"), true);
  return outcome_;
}

}  // namespace

RenameOptions ParseRenameOptions(std::string_view file_bytes) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (file_bytes.starts_with(kByteOrderMark)) file_bytes.remove_prefix(kByteOrderMark.size());
  RenameOptions options;
  std::array<bool, 4> seen{};
  for (std::string_view raw : SplitText(file_bytes, '\n')) {
    if (raw.ends_with('\r')) raw.remove_suffix(1);
    const std::string_view line = TrimBlanks(raw);
    if (line.starts_with('[')) break;  // the keys stand before any section
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view key = TrimBlanks(line.substr(0, equals));
    const std::string_view value = TrimBlanks(line.substr(equals + 1));
    // The first line of a key counts.
    if (EqualsIgnoringAsciiCase(key, "RenameFormat") && !std::exchange(seen[0], true)) {
      options.format = std::string(value);
    } else if (EqualsIgnoringAsciiCase(key, "RenameDate") && !std::exchange(seen[1], true)) {
      options.date = AsciiLower(value);
    } else if (EqualsIgnoringAsciiCase(key, "RenameType") && !std::exchange(seen[2], true)) {
      options.type = AsciiLower(value);
    } else if (EqualsIgnoringAsciiCase(key, "RenameRemove") && !std::exchange(seen[3], true)) {
      options.remove = std::max<int64_t>(DecimalValue(value), 0);
    }
  }
  return options;
}

RenameOptions ReadRenameOptions(const platform::Folders& folders) {
  for (const std::string& folder : {folders.program, folders.data}) {
    if (folder.empty()) continue;
    std::ifstream in(folder + Text("Ini_File"), std::ios::binary);
    if (!in) continue;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return ParseRenameOptions(bytes.str());
  }
  return {};
}

std::string RenameMask(std::string_view rename_format) {
  // Time tokens first, so that the "mm" of a replaced "MM" is never read as minutes.
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 6> kTokens = {{
      {"hh", "%hh"},
      {"mm", "%ii"},
      {"ss", "%ss"},
      {"YYYY", "%yyyy"},
      {"MM", "%mm"},
      {"DD", "%dd"},
  }};
  std::string mask(rename_format);
  for (const auto& [token, piece] : kTokens) mask = ReplaceAll(std::move(mask), token, piece);
  return mask;
}

CorrectionOutcome RunCorrection(const CorrectionRequest& request, ResultList& list, RunView& view) {
  CorrectionRunner runner(request, list, view);
  return runner.Run();
}

}  // namespace kalvento
