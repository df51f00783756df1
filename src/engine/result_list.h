#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento {

inline constexpr int kColumnCount = 7;

// The column keys in column order (column number = position + 1).
inline constexpr std::array<std::string_view, kColumnCount> kColumnKeys = {
    "FILE Name",     "FILE Created",         "FILE CreatedNew",       "FILE Modified",
    "FILE ModifiedNew", "FILE InfoFromCreated", "FILE InfoFromModified"};

struct ResultLine {
  std::string text;
  uint8_t mark = 0;  // 1 = marked for correction
};

struct Column {
  std::string key;
  int number = 0;  // 1..7
  std::string title;
};

// The working data the runs and exports share: line 0 is the header, line 1 a spacer, then per
// folder a folder line, its file lines and a spacer.
struct ResultList {
  std::vector<ResultLine> lines;
  std::vector<Column> columns;           // the column map, rebuilt by every analysis run
  std::array<int, kColumnCount + 1> widths{};  // characters per column, indices 1..7
  std::vector<std::string> folders;      // scanned folders, root first, natural order
  int64_t file_count = 0;

  // The column number stored under `key`, or 0.
  int ColumnNumber(std::string_view key) const;
  void Clear();
};

inline constexpr std::string_view kSpacerLine = " ";

// A result row split at its tabs into the seven fields (missing ones empty).
std::array<std::string, kColumnCount> SplitRow(std::string_view row);
std::string JoinRow(const std::array<std::string, kColumnCount>& fields);

// A line that is neither empty nor the single-blank spacer.
bool IsContentLine(std::string_view line);
// A row field that holds a date: its first character is a digit.
bool HoldsDate(std::string_view field);

}  // namespace kalvento
