#pragma once

#include <string>
#include <string_view>

#include "dates/datef.h"

namespace kalvento {

class ExifToolSession;
struct MediaInfoLibrary;

// What every reader may use besides the path; built once per run. A reader keeps no state of its
// own between files.
struct ReaderContext {
  std::string temp_folder;         // ends with "/"
  bool media_info_loaded = false;  // the audio/video reader runs only with the media library
  int pivot = 99;                  // two-digit years up to this are 20yy
  ExifToolSession* exiftool = nullptr;           // null: no ExifTool dates
  const MediaInfoLibrary* media_info = nullptr;  // set with media_info_loaded
  std::string pdfinfo;                           // the tools' paths; empty when missing
  std::string msgtext;
};

// Dates a reader found; 0 where it found none.
struct DocumentDates {
  DateValue created = 0;
  DateValue modified = 0;
};
struct PngDates {
  DateValue created = 0;
  DateValue modified = 0;
};
struct SidecarDates {
  DateValue iptc_created = 0;
  DateValue xmp_modified = 0;
};
struct ImageDates {
  DateValue taken = 0;
  DateValue iptc_created = 0;
  DateValue exif_changed = 0;
  DateValue xmp_modified = 0;
};

// The readers the analysis run dispatches to, one per kind of file. A reader that is not there
// (null) offers nothing; the dispatch still sends the file to it and to no other.
struct FileReaders {
  DocumentDates (*documents)(const std::string& path, ReaderContext& context) = nullptr;
  PngDates (*png)(const std::string& path, ReaderContext& context) = nullptr;
  SidecarDates (*xmp_sidecar)(const std::string& path, ReaderContext& context) = nullptr;
  DateValue (*heic)(const std::string& path, ReaderContext& context) = nullptr;
  ImageDates (*exif_image)(const std::string& path, ReaderContext& context) = nullptr;
  DateValue (*audio_video)(const std::string& path, ReaderContext& context) = nullptr;
  // Called at the end of every run (ends the outside tools a run started).
  void (*end_of_run)(ReaderContext& context) = nullptr;
};

// The readers of this build.
FileReaders InstalledReaders();

// Extension tokens are "/" + lower-case extension + "/"; a file name (or path) without a dot
// in its last part gives "//".
std::string LowerExtensionToken(std::string_view name);
bool IsDocumentExtension(std::string_view token);
bool IsImageExtension(std::string_view token);
bool IsAudioVideoExtension(std::string_view token);

}  // namespace kalvento
