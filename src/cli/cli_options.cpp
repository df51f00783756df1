#include "cli/cli_options.h"

#include <algorithm>
#include <charconv>
#include <set>

#include "dates/datef.h"
#include "texts/text_table.h"
#include "texts/text_util.h"

namespace kalvento::cli {
namespace {

// Options that take a value, and switches.
const std::set<std::string, std::less<>> kValueOptions = {
    "--settings",         "--depth",          "--created",        "--modified",
    "--pattern-created",  "--pattern-modified", "--shift-created", "--shift-modified",
    "--fixed-created",    "--fixed-modified", "--only"};
const std::set<std::string, std::less<>> kSwitches = {"--no-recursive", "--no-created",
                                                      "--no-modified", "--save", "--log"};

std::string Refusal(std::string_view key, std::string_view detail) {
  return Text(key) + ": " + std::string(detail);
}

bool ParseWhole(std::string_view text, int64_t& value) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

std::string TrimCode(std::string_view code) { return std::string(TrimBlanks(code)); }

}  // namespace

ParseOutcome ParseCommandLine(const std::vector<std::string>& arguments) {
  ParseOutcome outcome;
  Options options;
  size_t i = 0;
  if (arguments.empty()) return {options, ""};
  const std::string& command = arguments[i++];
  if (command == "analyse" || command == "analyze") {
    options.command = Command::kAnalyse;
  } else if (command == "settings") {
    options.command = Command::kSettings;
  } else if (command == "correct") {
    options.command = Command::kCorrect;
  } else if (command == "help" || command == "--help" || command == "-h") {
    return {options, ""};
  } else {
    outcome.error = Refusal("TXT00901", command);
    return outcome;
  }
  for (; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      options.command = Command::kHelp;
      return {options, ""};
    }
    if ((argument == "--log" || argument == "--only") && options.command != Command::kCorrect) {
      outcome.error = Refusal("TXT00903", argument);
      return outcome;
    }
    if (kSwitches.count(argument)) {
      if (argument == "--save") {
        options.save = true;
      } else if (argument == "--log") {
        options.log = true;
      } else {
        options.overrides.push_back({argument, ""});
      }
    } else if (kValueOptions.count(argument)) {
      if (i + 1 >= arguments.size()) {
        outcome.error = Refusal("TXT00902", argument);
        return outcome;
      }
      const std::string& value = arguments[++i];
      if (argument == "--settings") {
        options.settings_file = value;
      } else if (argument == "--only") {
        options.only.push_back(value);
      } else {
        options.overrides.push_back({argument, value});
      }
    } else if (argument.size() > 1 && argument[0] == '-' && argument != "-") {
      outcome.error = Refusal("TXT00903", argument);
      return outcome;
    } else if ((options.command == Command::kAnalyse || options.command == Command::kCorrect) &&
               options.folder.empty()) {
      options.folder = argument;
    } else {
      outcome.error = Refusal("TXT00904", argument);
      return outcome;
    }
  }
  outcome.options = options;
  return outcome;
}

std::optional<SourceList> SourceListFromCodes(Target target, const std::string& codes,
                                              const SourceList& current, std::string& error) {
  SourceList list;
  std::array<bool, kSourceCount> taken{};
  size_t position = 0;
  for (std::string_view piece : SplitText(codes, ',')) {
    const std::string code = TrimCode(piece);
    if (code.empty()) continue;
    const int index = SourceIndexOf(target, code);
    if (index < 0) {
      error = Refusal("TXT00905", code);
      return std::nullopt;
    }
    if (taken[index]) {
      error = Refusal("TXT00906", code);
      return std::nullopt;
    }
    taken[index] = true;
    list[position++] = {index, true};
  }
  if (position == 0) {
    error = Refusal("TXT00905", codes);
    return std::nullopt;
  }
  for (const SourceEntry& entry : current) {
    if (!taken[entry.index]) list[position++] = {entry.index, false};
  }
  return list;
}

bool ParseShift(const std::string& text, TargetSettings& target) {
  if (text.size() < 2 || (text[0] != '+' && text[0] != '-')) return false;
  const std::vector<std::string_view> parts = SplitText(std::string_view(text).substr(1), ':');
  if (parts.size() != 3 || parts[1].size() != 2 || parts[2].size() != 2) return false;
  int64_t hours = 0, minutes = 0, seconds = 0;
  if (!ParseWhole(parts[0], hours) || !ParseWhole(parts[1], minutes) ||
      !ParseWhole(parts[2], seconds)) {
    return false;
  }
  if (hours < 0 || hours > kMaxShiftHours || minutes < 0 || minutes > 59 || seconds < 0 ||
      seconds > 59) {
    return false;
  }
  target.shift_on = true;
  target.shift_sign = std::string(1, text[0]);
  target.shift_hours = hours;
  target.shift_minutes = static_cast<int>(minutes);
  target.shift_seconds = static_cast<int>(seconds);
  return true;
}

std::optional<CalendarRecord> ParseFixedDate(const std::string& text) {
  // Exactly the settings file's form, so that what is accepted here also loads from there.
  static constexpr std::string_view kShape = "99.99.9999,99:99:99";
  if (text.size() != kShape.size()) return std::nullopt;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (kShape[i] == '9' ? !digit : text[i] != kShape[i]) return std::nullopt;
  }
  const auto field = [&](size_t first, size_t length) {
    return static_cast<int>(DecimalValue(std::string_view(text).substr(first, length)));
  };
  const CalendarRecord record{field(6, 4), field(3, 2), field(0, 2),
                              field(11, 2), field(14, 2), field(17, 2)};
  if (MakeDate(record.year, record.month, record.day, record.hour, record.minute, record.second) <= 0) {
    return std::nullopt;
  }
  return record;
}

std::string ApplyOverrides(const std::vector<Override>& overrides, CorrectionSettings& settings) {
  for (const Override& item : overrides) {
    const std::string& option = item.option;
    const bool created = option.ends_with("-created");
    TargetSettings& target = settings.Of(created ? Target::kCreated : Target::kModified);
    if (option == "--depth") {
      int64_t depth = 0;
      if (!ParseWhole(item.value, depth) || depth < 0 || depth > kMaxDepthLimit) {
        return Refusal("TXT00907", item.value);
      }
      settings.depth_limit = static_cast<int>(depth);
    } else if (option == "--no-recursive") {
      settings.recursive = false;
    } else if (option == "--no-created") {
      settings.created.correct = false;
    } else if (option == "--no-modified") {
      settings.modified.correct = false;
    } else if (option == "--created" || option == "--modified") {
      const Target which = option == "--created" ? Target::kCreated : Target::kModified;
      TargetSettings& chosen = settings.Of(which);
      std::string error;
      const auto list = SourceListFromCodes(which, item.value, chosen.sources, error);
      if (!list) return error;
      chosen.sources = *list;
      chosen.correct = true;
    } else if (option.starts_with("--pattern-")) {
      target.pattern = item.value;
    } else if (option.starts_with("--shift-")) {
      if (!ParseShift(item.value, target)) return Refusal("TXT00908", item.value);
    } else if (option.starts_with("--fixed-")) {
      const auto fixed = ParseFixedDate(item.value);
      if (!fixed) return Refusal("TXT00909", item.value);
      target.fixed = fixed;
    }
  }
  return "";
}

}  // namespace kalvento::cli
