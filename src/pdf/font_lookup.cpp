#include "pdf/font_lookup.h"

#include <fontconfig/fontconfig.h>

#include <array>
#include <memory>

#include "platform/leak_check.h"
#include "texts/text_util.h"

namespace kalvento::pdf {
namespace {

constexpr std::array<std::string_view, 2> kMonospacedFallbacks = {"DejaVu Sans Mono",
                                                                   "Liberation Mono"};

struct PatternDeleter {
  void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};

bool HasFamily(FcPattern* font, std::string_view family) {
  FcChar8* value = nullptr;
  for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &value) == FcResultMatch; ++i) {
    if (EqualsIgnoringAsciiCase(reinterpret_cast<const char*>(value), family)) return true;
  }
  return false;
}

// libharu reads TrueType outlines only (no CFF-flavoured OpenType).
bool IsTrueType(FcPattern* font) {
  FcChar8* format = nullptr;
  return FcPatternGetString(font, FC_FONTFORMAT, 0, &format) == FcResultMatch &&
         std::string_view(reinterpret_cast<const char*>(format)) == "TrueType";
}

// The best match fontconfig offers for the family; `exact_family` refuses its substitutes.
FontFile Match(std::string_view family, bool bold, bool exact_family, bool monospaced) {
  FontFile found;
  const std::string name(family);
  std::unique_ptr<FcPattern, PatternDeleter> pattern(FcPatternCreate());
  if (!pattern) return found;
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
  FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern.get(), FC_SLANT, FC_SLANT_ROMAN);
  if (monospaced) FcPatternAddInteger(pattern.get(), FC_SPACING, FC_MONO);
  if (!FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern)) return found;
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  std::unique_ptr<FcPattern, PatternDeleter> font(FcFontMatch(nullptr, pattern.get(), &result));
  if (!font || result != FcResultMatch || !IsTrueType(font.get())) return found;
  if (exact_family && !HasFamily(font.get(), family)) return found;
  int spacing = 0;
  if (monospaced && (FcPatternGetInteger(font.get(), FC_SPACING, 0, &spacing) != FcResultMatch ||
                     spacing != FC_MONO)) {
    return found;
  }
  FcChar8* file = nullptr;
  if (FcPatternGetString(font.get(), FC_FILE, 0, &file) != FcResultMatch) return found;
  FcChar8* matched_family = nullptr;
  if (FcPatternGetString(font.get(), FC_FAMILY, 0, &matched_family) == FcResultMatch) {
    found.family = reinterpret_cast<const char*>(matched_family);
  }
  int index = 0;
  FcPatternGetInteger(font.get(), FC_INDEX, 0, &index);
  found.path = reinterpret_cast<const char*>(file);
  found.index = index;
  return found;
}

}  // namespace

FontFile FindFontFile(std::string_view family, bool bold) {
  if (family.empty()) return {};
  return Match(family, bold, true, false);
}

FontFile ChooseFontFile(std::string_view family, bool bold) {
  FontFile font = FindFontFile(family, bold);
  for (std::string_view fallback : kMonospacedFallbacks) {
    if (!font.path.empty()) return font;
    font = FindFontFile(fallback, bold);
  }
  if (font.path.empty()) font = Match("monospace", bold, false, true);
  return font;
}

}  // namespace kalvento::pdf
