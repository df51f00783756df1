// Tests of the key -> text table (src/texts).

#include "texts/text_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace kalvento {
namespace {

// Every key that some part of the program looks up (texts, descriptive keys, config values).
// Generated once from the documented key list; keep it in step when a key is added.
constexpr std::string_view kUsedKeys[] = {
    "AppData_Subdir",  "Build_Nummer",     "Copyright_Text", "Digital_Sinatures", "GAD00001",
    "GAD00001a",       "GAD00002",         "GAD00002a",      "GAD00014",          "GAD00015",
    "GAD00017",        "GAD00023",         "GAD00023a",      "GAD00033",          "GAD00047",
    "GAD00066",        "GAD00074",         "GAD00075",       "GAD00076",          "GAD00089",
    "GAD00090",        "GAD00091",         "GAD00093",       "GAD00094",          "GAD00168",
    "GAD00169",        "GAD00220",         "GAD00221",       "GAD00222",          "GAD00223",
    "GAD00224",        "GAD00225",         "GAD00252",       "GAD00300",          "GAD00301",
    "GAD00302",        "GAD00303",         "GAD00304",       "GAD00308",          "GAD00310",
    "GAD00311",        "GAD00312",         "GAD00313",       "GAD00314",          "GAD00315",
    "GAD00316",        "GAD00317",         "GAD00318",       "GAD00320",          "GAD00321",
    "GAD00322",        "GAD00323",         "GAD00324",       "GAD00325",          "GAD00333",
    "GAD00334",        "GAD00341",         "GAD00343",       "GAD00350",          "GAD00351",
    "GAD00353",        "GAD00354",         "GAD00355",       "GAD00356",          "GAD00357",
    "GAD00358",        "GAD00360",         "GAD00361",       "GAD00362",          "GAD00365",
    "GAD00366",        "GAD00400",         "GAD00401",       "GAD00402",          "GAD00403",
    "GAD00404",        "GAD00405",         "GAD00406",       "GAD00407",          "GAD00408",
    "GAD00409",        "Ini_File",         "MEN00001",       "MEN00002",          "MEN00003",
    "MEN00006",        "MEN00007",         "MEN00008",       "MEN00009",          "MEN00010",
    "MEN00011",        "MEN00012",         "MEN00013",       "MEN00034",          "MEN00035",
    "MEN00040",        "MEN00095",         "MEN00096",       "MEN00097",          "MEN00098",
    "MEN00140",        "MEN00141",         "MEN00142",       "MEN00143",          "Offline_Hilfe",
    "Online_Adresse",  "Online_MoreTools", "Online_Update",  "Program_Name",      "Program_Short",
    "Registry_Subkey", "Settings_File",    "TXT00001",       "TXT00002",          "TXT00013",
    "TXT00020",        "TXT00021",         "TXT00022",       "TXT00023",          "TXT00024",
    "TXT00025",        "TXT00026",         "TXT00027",       "TXT00045",          "TXT00061",
    "TXT00081",        "TXT00082",         "TXT00083",       "TXT00085",          "TXT00088",
    "TXT00090",        "TXT00091",         "TXT00104",       "TXT00120",          "TXT00121",
    "TXT00122",        "TXT00130",         "TXT00131",       "TXT00150",          "TXT00151",
    "TXT00152",        "TXT00153",         "TXT00172",       "TXT00173",          "TXT00174",
    "TXT00175",        "TXT00176",         "TXT00320",       "TXT00321",          "TXT00322",
    "TXT00323",        "TXT00324",         "TXT00325",       "TXT00400",          "TXT00401",
    "TXT00402",        "TXT00403",         "TXT00404",       "TXT00405",          "Temp_Subdir",
    "Tool_ExifTool",   "Tool_MediaInfo",   "Tool_MsgText",   "Tool_PdfInfo",      "Version_Check",   "Version_Name",
};

constexpr std::string_view kPrefixes[] = {"GAD", "MEN", "TXT"};
constexpr std::string_view kSuffixes[] = {"", "a", "b", "c", "d"};

bool IsTextShapedKey(std::string_view key) {
  if (key.size() != 8 && key.size() != 9) return false;
  if (key.substr(0, 3) != "GAD" && key.substr(0, 3) != "MEN" && key.substr(0, 3) != "TXT") {
    return false;
  }
  for (std::size_t i = 3; i < 8; ++i) {
    if (key[i] < '0' || key[i] > '9') return false;
  }
  return key.size() == 8 || (key[8] >= 'a' && key[8] <= 'd');
}

// Every entry of the table: all keys of the text shape (prefix, five digits, optional a-d) that
// are filled, plus the descriptive keys of kUsedKeys. The table's own compile-time check makes
// sure it holds no key of any other shape.
std::vector<std::pair<std::string, std::string>> AllEntries() {
  FillTextTable();
  std::vector<std::pair<std::string, std::string>> entries;
  std::array<char, 9> key{};
  for (std::string_view prefix : kPrefixes) {
    std::copy(prefix.begin(), prefix.end(), key.begin());
    for (int n = 0; n <= 99999; ++n) {
      int v = n;
      for (int i = 7; i >= 3; --i) {
        key[static_cast<std::size_t>(i)] = static_cast<char>('0' + v % 10);
        v /= 10;
      }
      for (std::string_view suffix : kSuffixes) {
        std::size_t len = 8;
        if (!suffix.empty()) key[len++] = suffix[0];
        const std::string_view k(key.data(), len);
        const std::string& text = Text(k);
        if (!text.empty()) entries.emplace_back(std::string(k), text);
      }
    }
  }
  for (std::string_view k : kUsedKeys) {
    if (!IsTextShapedKey(k)) entries.emplace_back(std::string(k), Text(k));
  }
  return entries;
}

const std::vector<std::pair<std::string, std::string>>& Entries() {
  static const auto entries = AllEntries();
  return entries;
}

bool IsValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t len = 0;
    std::uint32_t cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
      cp = c & 0x1Fu;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      cp = c & 0x0Fu;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      cp = c & 0x07u;
    } else {
      return false;
    }
    if (i + len > s.size()) return false;
    for (std::size_t j = 1; j < len; ++j) {
      const auto cc = static_cast<unsigned char>(s[i + j]);
      if ((cc & 0xC0u) != 0x80u) return false;
      cp = (cp << 6) | (cc & 0x3Fu);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))) return false;
    if (cp >= 0xD800 && cp <= 0xDFFF) return false;
    i += len;
  }
  return true;
}

// A placeholder of printf, Qt, .NET or std::format style.
bool HasPlaceholder(std::string_view s) {
  for (std::size_t i = 0; i + 1 < s.size(); ++i) {
    const char c = s[i];
    const char next = s[i + 1];
    const bool alnum = (next >= '0' && next <= '9') || (next >= 'a' && next <= 'z') ||
                       (next >= 'A' && next <= 'Z');
    if (c == '%' && alnum) return true;
    if (c == '{' && (next == '}' || (next >= '0' && next <= '9'))) return true;
  }
  return false;
}

TEST(TextTable, EveryUsedKeyIsPresentAndNotEmpty) {
  FillTextTable();
  for (std::string_view key : kUsedKeys) {
    EXPECT_FALSE(Text(key).empty()) << key;
  }
}

TEST(TextTable, MissingKeyGivesEmptyTextAndStaysMissing) {
  FillTextTable();
  const std::string& missing = Text("GAD99999");
  EXPECT_TRUE(missing.empty());
  // Every missing key answers with the same static empty text: nothing was inserted.
  EXPECT_EQ(&Text("GAD99999"), &missing);
  EXPECT_EQ(&Text("No_Such_Key"), &missing);
  EXPECT_EQ(&Text(""), &missing);
  EXPECT_TRUE(Text("GAD99999").empty());
}

TEST(TextTable, KeysAreCaseSensitiveAndExact) {
  FillTextTable();
  ASSERT_FALSE(Text("GAD00066").empty());
  EXPECT_TRUE(Text("gad00066").empty());
  EXPECT_TRUE(Text("GAD00066 ").empty());
  EXPECT_TRUE(Text(" GAD00066").empty());
  EXPECT_TRUE(Text("GAD0006").empty());
  EXPECT_TRUE(Text("program_name").empty());
  EXPECT_TRUE(Text("GAD00001A").empty());
}

TEST(TextTable, SuffixVariantsAreOwnEntries) {
  FillTextTable();
  for (std::string_view base : {"GAD00001", "GAD00002", "GAD00023"}) {
    const std::string variant = std::string(base) + "a";
    ASSERT_FALSE(Text(base).empty()) << base;
    ASSERT_FALSE(Text(variant).empty()) << variant;
    EXPECT_NE(Text(base), Text(variant)) << base;
  }
}

TEST(TextTable, FillingTwiceChangesNothing) {
  FillTextTable();
  const std::string* before = &Text("GAD00090");
  const std::string value = *before;
  FillTextTable();
  EXPECT_EQ(&Text("GAD00090"), before);
  EXPECT_EQ(Text("GAD00090"), value);
}

TEST(TextTable, CommandLineTextsAreFilled) {
  FillTextTable();
  for (int n = 900; n <= 914; ++n) {
    EXPECT_FALSE(Text("TXT00" + std::to_string(n)).empty()) << n;
  }
}

std::string ReplaceCrLf(std::string text) {
  for (size_t pos; (pos = text.find("\r\n")) != std::string::npos;) text.replace(pos, 2, " ");
  return text;
}

TEST(TextTable, EveryEntryIsCleanText) {
  const auto& entries = Entries();
  ASSERT_GE(entries.size(), std::size(kUsedKeys));
  for (const auto& [key, text] : entries) {
    SCOPED_TRACE(key);
    EXPECT_TRUE(IsValidUtf8(text));
    EXPECT_FALSE(HasPlaceholder(text)) << text;
    // Callers add the separators; a text is one line without tabs or outer blanks.
    // Only the command-line help runs over several lines, each ended by CR LF.
    const std::string one_line = key == "TXT00900" ? ReplaceCrLf(text) : text;
    EXPECT_TRUE(std::none_of(one_line.begin(), one_line.end(), [](char c) {
      return (static_cast<unsigned char>(c) < 0x20) || c == 0x7F;
    })) << text;
    EXPECT_NE(text.front(), ' ') << text;
    EXPECT_NE(text.back(), ' ') << text;
    // Buttons, check boxes and labels would take "&" for a mnemonic.
    if (key.rfind("MEN", 0) != 0 && key != "TXT00061") {
      EXPECT_EQ(text.find('&'), std::string::npos) << text;
    }
  }
}

TEST(TextTable, TextsInsideResultRowsCannotBeTakenForDatesOrFolders) {
  FillTextTable();
  // A proposal field holds a date exactly when it starts with a digit; info and column texts
  // share the row with it.
  for (std::string_view key :
       {"GAD00066", "GAD00310", "GAD00311", "GAD00312", "GAD00313", "GAD00314", "GAD00315",
        "GAD00316", "GAD00317", "GAD00318", "GAD00320", "GAD00321", "GAD00322", "GAD00323",
        "GAD00324", "GAD00325", "GAD00400", "GAD00401", "GAD00402", "GAD00403", "GAD00404",
        "GAD00405", "GAD00406", "GAD00407", "GAD00408", "GAD00409", "TXT00083"}) {
    const std::string& text = Text(key);
    ASSERT_FALSE(text.empty()) << key;
    EXPECT_FALSE(text.front() >= '0' && text.front() <= '9') << key;
  }
  // The stop line of an analysis run is a list line of its own: not a folder line.
  const std::string& stop_line = Text("TXT00083");
  EXPECT_NE(stop_line.front(), '/');
  EXPECT_NE(stop_line.back(), '/');
  EXPECT_NE(Text("GAD00320"), Text("GAD00321"));
  EXPECT_NE(Text("GAD00322"), Text("GAD00323"));
  EXPECT_NE(Text("GAD00317"), Text("GAD00318"));
}

TEST(TextTable, ExportFileTypeNamesFitTheFilterList) {
  FillTextTable();
  std::set<std::string> names;
  for (std::string_view key : {"TXT00130", "TXT00121", "TXT00122", "TXT00131"}) {
    const std::string& name = Text(key);
    EXPECT_EQ(name.find('|'), std::string::npos) << key;
    EXPECT_EQ(name.find('*'), std::string::npos) << key;
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 4u);
}

TEST(TextTable, EachMenuHasOneDistinctMnemonicPerEntry) {
  FillTextTable();
  const std::vector<std::vector<std::string_view>> menus = {
      {"MEN00001", "MEN00003", "MEN00006"},
      {"MEN00040", "MEN00002"},
      {"MEN00013", "MEN00011", "MEN00012", "MEN00141", "MEN00142", "MEN00143"},
      {"MEN00007", "MEN00008", "MEN00009", "MEN00034", "MEN00035", "MEN00010"},
      {"MEN00095", "MEN00096", "MEN00097", "MEN00098", "MEN00140"},
  };
  for (const auto& menu : menus) {
    std::set<char> letters;
    for (std::string_view key : menu) {
      const std::string& text = Text(key);
      const std::size_t amp = text.find('&');
      ASSERT_NE(amp, std::string::npos) << key;
      ASSERT_LT(amp + 1, text.size()) << key;
      EXPECT_EQ(text.find('&', amp + 1), std::string::npos) << key;
      const char letter = text[amp + 1];
      ASSERT_TRUE((letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z')) << key;
      EXPECT_TRUE(letters.insert(static_cast<char>(letter | 0x20)).second)
          << key << " repeats the mnemonic " << letter;
    }
  }
}

TEST(TextTable, ConfigFoldersAndFilesAreRelativeNames) {
  FillTextTable();
  for (std::string_view key : {"AppData_Subdir", "Temp_Subdir"}) {
    const std::string& dir = Text(key);
    ASSERT_FALSE(dir.empty()) << key;
    EXPECT_EQ(dir.back(), '/') << key;
    EXPECT_NE(dir.front(), '/') << key;
    EXPECT_EQ(dir.find(".."), std::string::npos) << key;
  }
  for (std::string_view key : {"Settings_File", "Ini_File", "Registry_Subkey"}) {
    const std::string& name = Text(key);
    EXPECT_EQ(name.find('/'), std::string::npos) << key;
    EXPECT_EQ(name.find('\\'), std::string::npos) << key;
  }
  EXPECT_NE(Text("Settings_File"), Text("Ini_File"));
  const std::string& help = Text("Offline_Hilfe");
  EXPECT_NE(help.front(), '/');
  EXPECT_EQ(help.find('\\'), std::string::npos);
  EXPECT_EQ(help.find(".."), std::string::npos);
}

TEST(TextTable, ConfigAddressesAreHttpsOnOurExampleDomain) {
  FillTextTable();
  for (std::string_view key :
       {"Version_Check", "Online_Update", "Online_Adresse", "Online_MoreTools"}) {
    EXPECT_EQ(Text(key).rfind("https://kalvento.example/", 0), 0u) << key << ": " << Text(key);
  }
}

TEST(TextTable, VersionNameCarriesTheVersionNumberInItsSecondField) {
  FillTextTable();
  const std::string& name = Text("Version_Name");
  const std::size_t blank = name.find(' ');
  ASSERT_NE(blank, std::string::npos);
  EXPECT_EQ(name.substr(0, blank), Text("Program_Name"));
  const std::string number = name.substr(blank + 1);
  ASSERT_FALSE(number.empty());
  EXPECT_EQ(number.find(' '), std::string::npos);
  EXPECT_TRUE(number.front() >= '0' && number.front() <= '9');
  EXPECT_TRUE(std::all_of(number.begin(), number.end(), [](char c) {
    return (c >= '0' && c <= '9') || c == '.';
  })) << number;
  const std::string& build = Text("Build_Nummer");
  ASSERT_FALSE(build.empty());
  EXPECT_TRUE(std::all_of(build.begin(), build.end(), [](char c) { return c >= '0' && c <= '9'; }));
}

TEST(TextTable, ConcurrentReadersSeeTheSameTexts) {
  FillTextTable();
  const std::string expected = Text("GAD00321");
  const std::string* empty = &Text("GAD99999");
  std::vector<std::thread> threads;
  std::array<bool, 8> ok{};
  for (std::size_t t = 0; t < ok.size(); ++t) {
    threads.emplace_back([&, t] {
      bool good = true;
      for (int i = 0; i < 20000; ++i) {
        good = good && Text("GAD00321") == expected;
        good = good && &Text("TXT" + std::to_string(90000 + i % 1000)) == empty;
      }
      ok[t] = good;
    });
  }
  for (auto& th : threads) th.join();
  for (bool good : ok) EXPECT_TRUE(good);
}

}  // namespace
}  // namespace kalvento
