#include "engine/source_codes.h"

namespace kalvento {
namespace {

constexpr std::array<std::string_view, kSourceCount> kCreatedCodes = {
    "DOCS created", "EXIF taken",   "IPTC created", "AV recorded", "DOCS modified", "EXIF changed",
    "XMP modified", "FILENAME",     "SAMEDATE",     "CROSSDATE",   "FIXEDDATE"};

constexpr std::array<std::string_view, kSourceCount> kModifiedCodes = {
    "DOCS modified", "EXIF changed", "XMP modified", "AV recorded", "DOCS created", "EXIF taken",
    "IPTC created",  "FILENAME",     "SAMEDATE",     "CROSSDATE",   "FIXEDDATE"};

constexpr std::string_view kDocsCreatedName = "Metadaten 'Datum erstellt' aus Dokumenten";
constexpr std::string_view kDocsModifiedName = "Metadaten 'Datum geändert' aus Dokumenten";
constexpr std::string_view kExifTakenName = "Metadaten 'Datum aufgenommen' aus Bildern EXIF";
constexpr std::string_view kExifChangedName = "Metadaten 'Datum geändert' aus Bildern EXIF";
constexpr std::string_view kIptcCreatedName = "Metadaten 'Datum erstellt' aus Bildern IPTC/XMP";
constexpr std::string_view kXmpModifiedName = "Metadaten 'Datum geändert' aus Bildern XMP";
constexpr std::string_view kAvRecordedName = "Metadaten 'Datum aufgezeichnet' aus Audio/Video";
constexpr std::string_view kFileNameName = "Datumsangaben aus dem Dateinamen extrahieren ♦¹";
constexpr std::string_view kCurrentCreatedName = "Aktuelles Dateidatum 'Erstellt' übernehmen";
constexpr std::string_view kCurrentModifiedName = "Aktuelles Dateidatum 'Geändert' übernehmen";
constexpr std::string_view kFixedName = "Feste Angaben von Datum und Zeit ♦²";

constexpr std::array<std::string_view, kSourceCount> kCreatedNames = {
    kDocsCreatedName,  kExifTakenName,    kIptcCreatedName,     kAvRecordedName,
    kDocsModifiedName, kExifChangedName,  kXmpModifiedName,     kFileNameName,
    kCurrentCreatedName, kCurrentModifiedName, kFixedName};

constexpr std::array<std::string_view, kSourceCount> kModifiedNames = {
    kDocsModifiedName, kExifChangedName, kXmpModifiedName,     kAvRecordedName,
    kDocsCreatedName,  kExifTakenName,   kIptcCreatedName,     kFileNameName,
    kCurrentModifiedName, kCurrentCreatedName, kFixedName};

}  // namespace

const std::array<std::string_view, kSourceCount>& SourceCodes(Target target) {
  return target == Target::kCreated ? kCreatedCodes : kModifiedCodes;
}

const std::array<std::string_view, kSourceCount>& SourceNames(Target target) {
  return target == Target::kCreated ? kCreatedNames : kModifiedNames;
}

int SourceIndexOf(Target target, std::string_view code) {
  const auto& codes = SourceCodes(target);
  for (int i = 0; i < kSourceCount; ++i) {
    if (codes[i] == code) return i;
  }
  return -1;
}

std::string_view SourceFamily(std::string_view code) {
  return code.substr(0, code.find(' '));
}

}  // namespace kalvento
