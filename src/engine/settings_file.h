#pragma once

#include <string>
#include <string_view>

#include "engine/correction_settings.h"

namespace kalvento {

// Everything the settings file keeps from one start to the next.
struct StoredSettings {
  CorrectionSettings correction;
  std::string last_directory;
  std::string sort_address;  // installation identifier sent with the update query
  std::string export_file;
  int export_type = 0;
  bool create_log = false;
  std::string last_log;
  int window_state = 0;
  int window_x = 0;
  int window_y = 0;
  int window_width = 0;
  int window_height = 0;

  bool operator==(const StoredSettings&) const = default;
};

// What a first start has: `documents_folder` gives the default export file name.
StoredSettings DefaultSettings(const std::string& documents_folder);

// Reads the file's text (UTF-8 with byte-order mark, else Latin-1) over the defaults. A missing or
// unreadable file gives the defaults; values that are not numbers read as 0.
StoredSettings ParseSettings(std::string_view file_bytes, const std::string& documents_folder);
StoredSettings LoadSettings(const std::string& path, const std::string& documents_folder);

// The file's bytes: byte-order mark, empty line, "key = value" CR LF in the fixed key order.
std::string SerializeSettings(const StoredSettings& settings);
// Writes to a temporary name beside the file and renames it into place; false when that fails.
bool SaveSettings(const std::string& path, const StoredSettings& settings);

// The source-list text "i,e;" x 11, and its reading with the upgrade of ten-entry lists. A text
// that does not name every index once gives the default list.
std::string EncodeSourceList(const SourceList& list);
SourceList DecodeSourceList(std::string_view text);

// "DD.MM.YYYY,hh:mm:ss" and back; reading takes the fields by position.
std::string EncodeFixedDate(const CalendarRecord& record);
CalendarRecord DecodeFixedDate(std::string_view text);

}  // namespace kalvento
