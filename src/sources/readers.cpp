#include "sources/readers.h"

#include <algorithm>
#include <array>

#include "sources/av_dates.h"
#include "sources/document_dates.h"
#include "sources/email_dates.h"
#include "sources/exiftool_session.h"
#include "sources/image_dates.h"
#include "texts/text_util.h"

namespace kalvento {
namespace {

constexpr std::string_view kDocumentList =
    "/doc/docx/docm/docb/dotx/dotm/xls/xlsx/xlsm/xlsb/xltx/xltm/ppt/pptx/pptm/potx/potm/pdf/odt/"
    "ods/odp/odg/odc/odf/odi/odm/eml/msg/dat/";

// Sorted, so a look-up is a binary search.
constexpr auto kImageExtensions = [] {
  auto list = std::to_array<std::string_view>({
      "360",  "3fr", "3g2",  "3g2p", "3gp",  "3gpp", "arq",  "arw",  "avif", "bpg",  "btf",
      "bmp",  "cr2", "cr3",  "crw",  "ciff", "cs1",  "dcr",  "dib",  "dng",  "eps",  "epsf",
      "ps",   "erf", "exif", "exv",  "fff",  "flif", "gif",  "gpr",  "hdp",  "heic", "heif",
      "hif",  "ico", "iiq",  "insp", "j2c",  "j2k",  "jpc",  "jp2",  "jpf",  "jpm",  "jpx",
      "jpeg", "jpg", "jpe",  "jxl",  "k25",  "kdc",  "mef",  "mie",  "miff", "mif",  "mos",
      "mpo",  "mrw", "nef",  "nrw",  "orf",  "ori",  "pef",  "pict", "pct",  "png",  "psd",
      "raf",  "raw", "rw2",  "rwl",  "sr2",  "srf",  "srw",  "thm",  "tiff", "tif",  "webp",
      "x3f",  "xcf", "xmp"});
  std::sort(list.begin(), list.end());
  return list;
}();

constexpr auto kAudioVideoExtensions = [] {
  auto list = std::to_array<std::string_view>({
      "ogg",  "ogm",  "mp2",  "mp3",  "wma",  "ra",   "ape",    "mac",  "flac", "aiff", "aifc",
      "au",   "iff",  "paf",  "sd2",  "irca", "w64",  "mat",    "pvf",  "xi",   "sds",  "avr",
      "ac3",  "aac",  "dts",  "m4a",  "m4b",  "cda",  "wav",    "avi",  "mpeg", "mpg",  "vob",
      "mp4",  "mpgv", "mpv",  "m1v",  "m2v",  "asf",  "wmv",    "qt",   "mov",  "rm",   "rmvb",
      "ifo",  "wtv",  "dvr-ms", "mkv", "mka", "mks",  "divx",   "xvid", "m2ts", "m2t",  "mts",
      "ts",   "flv",  "m4v",  "3gp",  "mxf",  "swf",  "hevc"});
  std::sort(list.begin(), list.end());
  return list;
}();

// The extension inside "/ext/", or empty when the token is not of that form.
std::string_view Inner(std::string_view token) {
  if (token.size() < 3 || token.front() != '/' || token.back() != '/') return {};
  return token.substr(1, token.size() - 2);
}

template <size_t N>
bool Contains(const std::array<std::string_view, N>& sorted, std::string_view token) {
  const std::string_view extension = Inner(token);
  return !extension.empty() && std::binary_search(sorted.begin(), sorted.end(), extension);
}

// The document branch holds the e-mail and data files too.
DocumentDates ReadDocumentOrMessageDates(const std::string& path, ReaderContext& context) {
  const std::string token = LowerExtensionToken(path);
  if (token == "/eml/" || token == "/msg/" || token == "/dat/") return ReadEmailDates(path, context);
  return ReadDocumentDates(path, context);
}

void EndOfRun(ReaderContext& context) {
  if (context.exiftool != nullptr) context.exiftool->StopExifTool();
}

}  // namespace

std::string LowerExtensionToken(std::string_view name) {
  const size_t slash = name.rfind('/');
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  const size_t dot = name.rfind('.');
  const std::string_view extension = dot == std::string_view::npos ? "" : name.substr(dot + 1);
  return "/" + AsciiLower(extension) + "/";
}

FileReaders InstalledReaders() {
  FileReaders readers;
  readers.documents = ReadDocumentOrMessageDates;
  readers.png = ReadPngDates;
  readers.xmp_sidecar = ReadXmpSidecar;
  readers.heic = ReadHeicDate;
  readers.exif_image = ReadExifImageDates;
  readers.audio_video = ReadAudioVideoDate;
  readers.end_of_run = EndOfRun;
  return readers;
}

bool IsDocumentExtension(std::string_view token) {
  return token.size() > 2 && kDocumentList.find(token) != std::string_view::npos;
}

bool IsImageExtension(std::string_view token) { return Contains(kImageExtensions, token); }

bool IsAudioVideoExtension(std::string_view token) { return Contains(kAudioVideoExtensions, token); }

}  // namespace kalvento
