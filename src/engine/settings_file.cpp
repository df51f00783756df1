#include "engine/settings_file.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <unordered_map>

#include "platform/clock.h"
#include "platform/files.h"
#include "texts/text_util.h"

namespace kalvento {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kDefaultListText = "0,1;1,1;2,1;3,1;4,0;5,0;6,0;7,0;8,0;9,0;10,0";

// Keys of the file, lower-cased for the look-up, mapped to their values as read.
class KeyValues {
 public:
  explicit KeyValues(std::string_view text) {
    for (std::string_view line : SplitText(text, '\n')) {
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      const size_t equals = line.find('=');
      if (equals == std::string_view::npos) continue;
      std::string_view key = line.substr(0, equals);
      while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.remove_suffix(1);
      // The first line of a key counts, as with any ini reader.
      values_.emplace(AsciiLower(key), std::string(TrimBlanks(line.substr(equals + 1))));
    }
  }

  std::string Get(std::string_view key, std::string_view fallback) const {
    const auto found = values_.find(AsciiLower(key));
    return found == values_.end() ? std::string(fallback) : found->second;
  }

  int64_t Number(std::string_view key, int64_t fallback) const {
    const auto found = values_.find(AsciiLower(key));
    return found == values_.end() ? fallback : DecimalValue(found->second);
  }

  bool Flag(std::string_view key, bool fallback) const { return Number(key, fallback ? 1 : 0) != 0; }

  int Clamped(std::string_view key, int64_t low, int64_t high, int64_t fallback) const {
    return static_cast<int>(std::clamp(Number(key, fallback), low, high));
  }

 private:
  std::unordered_map<std::string, std::string> values_;
};

std::string RandomSortAddress() {
  std::random_device seed;
  std::uniform_int_distribution<int> pick(1234, 9876);
  const platform::CalendarTime now = platform::LocalNow();
  const DateValue local_now = MakeDate(now.year, now.month, now.day, now.hour, now.minute, now.second);
  const DateValue since_1970 = local_now - MakeDate(1970, 1, 1, 0, 0, 0);
  return std::to_string(pick(seed)) + std::to_string(since_1970);
}

void ReadTarget(const KeyValues& file, std::string_view name, TargetSettings& target) {
  const std::string key(name);
  target.correct = file.Flag("Correct" + key, true);
  target.sources = DecodeSourceList(file.Get(key + "ListEntries", kDefaultListText));
  target.folder_date = file.Flag("SetFolderDate" + key, false);
  target.pattern = file.Get("DateFormat" + key, "");
  target.shift_on = file.Flag("Shift" + key, false);
  target.shift_hours = std::clamp<int64_t>(file.Number("Shift" + key + "Hours", 0), 0, kMaxShiftHours);
  target.shift_minutes = file.Clamped("Shift" + key + "Minutes", 0, 59, 0);
  target.shift_seconds = file.Clamped("Shift" + key + "Seconds", 0, 59, 0);
  target.shift_sign = file.Get("Shift" + key + "Sign", "+") == "-" ? "-" : "+";
  const std::string fixed = file.Get("Date" + key + "Fixed", "");
  if (!fixed.empty()) target.fixed = DecodeFixedDate(fixed);
}

void WriteLine(std::string& out, std::string_view key, std::string_view value) {
  out.append(key).append(" = ").append(value).append(kLineEnd);
}

void WriteTarget(std::string& out, std::string_view name, const TargetSettings& target) {
  const std::string key(name);
  WriteLine(out, "Correct" + key, target.correct ? "1" : "0");
  WriteLine(out, key + "ListEntries", EncodeSourceList(target.sources));
  WriteLine(out, "SetFolderDate" + key, target.folder_date ? "1" : "0");
  WriteLine(out, "DateFormat" + key, target.pattern);
  WriteLine(out, "Shift" + key, target.shift_on ? "1" : "0");
  WriteLine(out, "Shift" + key + "Hours", std::to_string(target.shift_hours));
  WriteLine(out, "Shift" + key + "Minutes", std::to_string(target.shift_minutes));
  WriteLine(out, "Shift" + key + "Seconds", std::to_string(target.shift_seconds));
  WriteLine(out, "Shift" + key + "Sign", target.shift_sign);
  WriteLine(out, "Date" + key + "Fixed", target.fixed ? EncodeFixedDate(*target.fixed) : "");
}

}  // namespace

StoredSettings DefaultSettings(const std::string& documents_folder) {
  StoredSettings settings;
  settings.sort_address = RandomSortAddress();
  settings.export_file = documents_folder + "filelist.txt";
  return settings;
}

StoredSettings ParseSettings(std::string_view file_bytes, const std::string& documents_folder) {
  std::string text;
  if (file_bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    text = file_bytes.substr(kByteOrderMark.size());
  } else {
    text = Latin1ToUtf8(file_bytes);
  }
  const KeyValues file(text);
  StoredSettings settings;
  CorrectionSettings& correction = settings.correction;
  correction.depth_limit = static_cast<int>(file.Number("DirLevels", 0));
  if (correction.depth_limit < 0 || correction.depth_limit > kMaxDepthLimit) correction.depth_limit = 0;
  correction.recursive = file.Flag("Rekursiv", true);
  settings.last_directory = std::string(TrimBlanks(file.Get("LastDirectory", "")));
  const std::string sort_address = file.Get("SortAddress", "");
  settings.sort_address = sort_address.empty() ? RandomSortAddress() : sort_address;
  ReadTarget(file, "Created", correction.created);
  ReadTarget(file, "Modified", correction.modified);
  settings.export_file = file.Get("ExportDateiName", documents_folder + "filelist.txt");
  const int64_t export_type = file.Number("ExportDateiTyp", 0);
  settings.export_type = export_type >= 0 && export_type <= 3 ? static_cast<int>(export_type) : 0;
  settings.create_log = file.Flag("CreateLog", false);
  settings.last_log = file.Get("LastLog", "");
  settings.window_state = file.Clamped("MainWindowState", INT32_MIN, INT32_MAX, 0);
  settings.window_x = file.Clamped("MainWindowPosX", INT32_MIN, INT32_MAX, 0);
  settings.window_y = file.Clamped("MainWindowPosY", INT32_MIN, INT32_MAX, 0);
  settings.window_width = file.Clamped("MainWindowWidth", INT32_MIN, INT32_MAX, 0);
  settings.window_height = file.Clamped("MainWindowHeight", INT32_MIN, INT32_MAX, 0);
  return settings;
}

StoredSettings LoadSettings(const std::string& path, const std::string& documents_folder) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return DefaultSettings(documents_folder);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return ParseSettings(bytes.str(), documents_folder);
}

std::string SerializeSettings(const StoredSettings& settings) {
  std::string out(kByteOrderMark);
  out.append(kLineEnd);
  const CorrectionSettings& correction = settings.correction;
  WriteLine(out, "DirLevels", std::to_string(correction.depth_limit));
  WriteLine(out, "Rekursiv", correction.recursive ? "1" : "0");
  WriteLine(out, "LastDirectory", TrimBlanks(settings.last_directory));
  WriteLine(out, "SortAddress", settings.sort_address);
  WriteTarget(out, "Created", correction.created);
  WriteTarget(out, "Modified", correction.modified);
  WriteLine(out, "ExportDateiName", TrimBlanks(settings.export_file));
  WriteLine(out, "ExportDateiTyp", std::to_string(settings.export_type));
  WriteLine(out, "CreateLog", settings.create_log ? "1" : "0");
  WriteLine(out, "LastLog", settings.last_log);
  WriteLine(out, "MainWindowState", std::to_string(settings.window_state));
  WriteLine(out, "MainWindowPosX", std::to_string(settings.window_x));
  WriteLine(out, "MainWindowPosY", std::to_string(settings.window_y));
  WriteLine(out, "MainWindowWidth", std::to_string(settings.window_width));
  WriteLine(out, "MainWindowHeight", std::to_string(settings.window_height));
  return out;
}

bool SaveSettings(const std::string& path, const StoredSettings& settings) {
  // A crash while writing must never leave half a settings file behind.
  const std::string temporary = path + ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << SerializeSettings(settings);
    out.flush();
    if (!out) {
      std::remove(temporary.c_str());
      return false;
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

std::string EncodeSourceList(const SourceList& list) {
  std::string text;
  for (const SourceEntry& entry : list) {
    text += std::to_string(entry.index) + (entry.enabled ? ",1;" : ",0;");
  }
  return text;
}

SourceList DecodeSourceList(std::string_view text) {
  std::string upgraded(text);
  if (upgraded.find("10,") == std::string::npos) {
    // A list from the days of ten sources: the fixed date joins at the end, switched off.
    while (!upgraded.empty() && upgraded.back() == ';') upgraded.pop_back();
    upgraded += ";10,0;";
  }
  const std::vector<std::string_view> fields = SplitText(upgraded, ';');
  SourceList list;
  for (int k = 0; k < kSourceCount; ++k) {
    if (static_cast<size_t>(k) >= fields.size()) return DefaultSourceList();
    const std::vector<std::string_view> parts = SplitText(fields[k], ',');
    const int64_t index = DecimalValue(parts[0]);
    if (index < 0 || index >= kSourceCount) return DefaultSourceList();
    list[k] = {static_cast<int>(index), parts.size() > 1 && DecimalValue(parts[1]) == 1};
  }
  return IsValidSourceList(list) ? list : DefaultSourceList();
}

std::string EncodeFixedDate(const CalendarRecord& record) {
  return TwoDigits(record.day) + "." + TwoDigits(record.month) + "." + std::to_string(record.year) +
         "," + TwoDigits(record.hour) + ":" + TwoDigits(record.minute) + ":" +
         TwoDigits(record.second);
}

CalendarRecord DecodeFixedDate(std::string_view text) {
  const auto field = [&](size_t first, size_t length) {
    if (first >= text.size()) return 0;
    return static_cast<int>(std::clamp<int64_t>(DecimalValue(text.substr(first, length)), -99999, 99999));
  };
  CalendarRecord record;
  record.day = field(0, 2);
  record.month = field(3, 2);
  record.year = field(6, 4);
  record.hour = field(11, 2);
  record.minute = field(14, 2);
  record.second = field(17, 2);
  return record;
}

}  // namespace kalvento
