#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/process.h"

namespace kalvento {

// The MediaInfo library's wide-character C interface, loaded at run time, with the one instance
// the program uses for its whole run.
struct MediaInfoLibrary {
  // Values of the library's stream and info kinds used by the readers.
  static constexpr int kStreamGeneral = 0;
  static constexpr int kInfoName = 0;
  static constexpr int kInfoText = 1;

  std::unique_ptr<platform::SharedLibrary> library;
  void* handle = nullptr;  // from New(); null when there is no instance
  void* (*New)() = nullptr;
  void (*Delete)(void*) = nullptr;
  size_t (*Open)(void*, const wchar_t*) = nullptr;
  const wchar_t* (*Option)(void*, const wchar_t*, const wchar_t*) = nullptr;
  const wchar_t* (*Get)(void*, int stream_kind, size_t stream_number, const wchar_t* parameter,
                        int info_kind, int search_kind) = nullptr;

  bool loaded() const { return handle != nullptr; }
};

// Loads the library, resolves the five functions and creates the instance (with continuous file
// names switched off). False, with nothing left loaded, when any step fails.
bool LoadMediaInfo(const std::string& library_name, MediaInfoLibrary& media);
// Deletes the instance and unloads the library.
void UnloadMediaInfo(MediaInfoLibrary& media);

// Opens a file in the instance (replacing the one opened before); false when the library could
// not read it. Names with non-ASCII characters are handed over in UTF-8, whatever the locale.
bool OpenMediaFile(const MediaInfoLibrary& media, const std::string& path);
// The text of one parameter of the General stream for the open file (MediaInfo_Get with stream
// number 0, info kind Text and search kind Name); empty when it has none.
std::string GeneralText(const MediaInfoLibrary& media, const std::string& parameter);

// UTF-8 ↔ wide text at the library's boundary (invalid bytes become U+FFFD).
std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const wchar_t* text);

}  // namespace kalvento
