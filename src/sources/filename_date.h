#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "dates/datef.h"

namespace kalvento {

// A prepared file-name pattern: the expression that finds the date, the mask that reads it and
// the parser choice. One per target and run.
class FileNameMatcher {
 public:
  ~FileNameMatcher();
  FileNameMatcher(const FileNameMatcher&) = delete;
  FileNameMatcher& operator=(const FileNameMatcher&) = delete;

  const std::string& expression() const { return expression_; }
  const std::string& mask() const { return mask_; }
  bool strict() const { return strict_; }

 private:
  friend std::unique_ptr<FileNameMatcher> BuildFileNameMatcher(std::string_view pattern);
  friend DateValue FileNameDate(const FileNameMatcher& matcher, std::string_view file_name,
                                int pivot);
  FileNameMatcher() = default;

  std::string expression_;
  std::string mask_;
  bool strict_ = false;
  void* code_ = nullptr;        // the compiled expression
  void* match_data_ = nullptr;  // reused for every file of the run
};

// Empty for an empty pattern or one whose expression does not compile.
std::unique_ptr<FileNameMatcher> BuildFileNameMatcher(std::string_view pattern);

// The date in the file name (with extension, no folder), or a value <= 0 when there is none.
DateValue FileNameDate(const FileNameMatcher& matcher, std::string_view file_name, int pivot);

// The name with the German month names made English ("märz" -> "march", "dez" -> "dec", ...).
std::string NormaliseMonthNames(std::string_view file_name);

}  // namespace kalvento
