// The natural ("logical") order of names.

#include "platform/natural_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kalvento::platform {
namespace {

struct Less {
  const char* a;
  const char* b;
};

// Each pair: a sorts before b.
const Less kOrder[] = {
    // digits compared as numbers
    {"IMG_2.jpg", "IMG_10.jpg"},
    {"IMG_9.jpg", "IMG_10.jpg"},
    {"2", "10"},
    {"a2b", "a10a"},
    {"photo 7 (2).jpg", "photo 7 (10).jpg"},
    {"x1y2", "x1y10"},
    {"v1.9", "v1.10"},
    // digit runs longer than any integer type
    {"n99999999999999999999999999", "n100000000000000000000000000"},
    {"n123456789012345678901234567890", "n123456789012345678901234567891"},
    // leading zeros only break ties
    {"IMG_002.jpg", "IMG_3.jpg"},
    {"IMG_0010.jpg", "IMG_11.jpg"},
    {"IMG_001.jpg", "IMG_01.jpg"},
    {"IMG_01.jpg", "IMG_1.jpg"},
    {"00", "0"},
    {"0", "1"},
    {"file01b", "file1c"},
    // case does not matter, except to break a tie
    {"a", "B"},
    {"A", "b"},
    {"apple", "Banana"},
    {"abc", "ABC"},
    {"abc.JPG", "abd.jpg"},
    // shorter first
    {"file", "file1"},
    {"file", "file.txt"},
    {"file", "filea"},
    {"", "a"},
    // symbols, then numbers, then letters
    {"file.txt", "file1.txt"},
    {"file_2", "file2"},
    {"file 2", "file2"},
    {"file-a", "filea"},
    {"1", "a"},
    {"_", "9"},
    // Latin-1 letters: without case, accents after plain letters, near their base letter
    {"Apfel", "Ärger"},
    {"Ärger", "Auto"},
    {"äpfel", "Äpfel"},
    {"Muller", "Müller"},
    {"müller", "Mürbe"},
    {"élan", "Emil"},
    {"Ecole", "École"},
    {"École", "ecrire"},
    {"Zebra", "Ω"},
    {"Øre", "Oz"},
    {"Straße", "Strasse1"},
    {"ae", "æ"},
    {"Ænima", "Afghan"},
    // other scripts after Latin, with case folded for Greek and Cyrillic
    {"z", "α"},
    {"α", "Β"},
    {"Дом", "ель"},
    {"Ždár", "žluť"},
    {"Łódź", "Lodz2"},
    // bytes that are not UTF-8 come after every code point, never split a sequence
    {"a\xF0\x9F\x98\x80", "a\xFF"},
    {"a\xC3\xA4x", "a\xC3"},
};

TEST(NaturalOrder, Table) {
  for (const Less& pair : kOrder) {
    const char* a = pair.a;
    const char* b = pair.b;
    EXPECT_LT(NaturalCompare(a, b), 0) << a << " < " << b;
    EXPECT_GT(NaturalCompare(b, a), 0) << b << " > " << a;
    EXPECT_TRUE(NaturalLess(a, b)) << a << " < " << b;
    EXPECT_FALSE(NaturalLess(b, a)) << b << " < " << a;
  }
}

TEST(NaturalOrder, OnlyEqualNamesCompareEqual) {
  EXPECT_EQ(NaturalCompare("", ""), 0);
  EXPECT_EQ(NaturalCompare("IMG_10.jpg", "IMG_10.jpg"), 0);
  EXPECT_NE(NaturalCompare("a", "A"), 0);
  EXPECT_NE(NaturalCompare("01", "1"), 0);
  EXPECT_NE(NaturalCompare("é", "e\xCC\x81"), 0);  // composed and decomposed é
}

TEST(NaturalOrder, SortsAFolderAsAUserExpects) {
  std::vector<std::string> names = {"IMG_10.jpg", "img_2.jpg", "IMG_1.jpg", "IMG_1 (2).jpg",
                                    "IMG.jpg",    "Zoo.png",   "Äffin.png", "Affe.png",
                                    "2020.txt",   "10.txt",    "_notes.txt"};
  std::sort(names.begin(), names.end(), NaturalLess);
  EXPECT_EQ(names, (std::vector<std::string>{"_notes.txt", "10.txt", "2020.txt", "Affe.png",
                                             "Äffin.png", "IMG.jpg", "IMG_1 (2).jpg", "IMG_1.jpg",
                                             "img_2.jpg", "IMG_10.jpg", "Zoo.png"}));
}

TEST(NaturalOrder, IsATotalOrder) {
  // Antisymmetric and transitive over a mixed set, so that std::sort may rely on it.
  std::vector<std::string> names = {
      "",    "a",    "A",     "á",     "Á",         "a\xCC\x81",
      "b",   "B1",   "b01",   "b1",    "b001",      "b2",
      "b10", "b010", "B10",   "_",     " ",         "1",
      "01",  "ß",    "ss",    "SS",    "sß",        "æ",
      "ae",  "AE",   "\xFF",  "\xC3",  "x\xE2\x82", "9999999999999999999999",
      "1e",  "1E",   "IMG_2", "IMG-2", "IMG2",      "img_10"};
  const size_t n = names.size();
  std::vector<std::vector<int>> sign(n, std::vector<int>(n));
  for (size_t i = 0; i < n; ++i) {
    for (size_t j = 0; j < n; ++j) {
      int c = NaturalCompare(names[i], names[j]);
      sign[i][j] = c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
  }
  for (size_t i = 0; i < n; ++i) {
    for (size_t j = 0; j < n; ++j) {
      EXPECT_EQ(sign[i][j], -sign[j][i]) << names[i] << " / " << names[j];
      EXPECT_EQ(sign[i][j] == 0, i == j) << names[i] << " / " << names[j];
      for (size_t k = 0; k < n; ++k) {
        if (sign[i][j] < 0 && sign[j][k] < 0) {
          EXPECT_LT(sign[i][k], 0) << names[i] << " < " << names[j] << " < " << names[k];
        }
      }
    }
  }
}

}  // namespace
}  // namespace kalvento::platform
