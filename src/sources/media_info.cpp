#include "sources/media_info.h"

#include <utility>

#include "platform/files.h"
#include "texts/text_util.h"

namespace kalvento {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

template <typename Function>
bool Resolve(const platform::SharedLibrary& library, const char* name, Function& target) {
  target = reinterpret_cast<Function>(library.Function(name));
  return target != nullptr;
}

void AppendWide(std::wstring& out, char32_t code) {
  if constexpr (sizeof(wchar_t) >= 4) {
    out += static_cast<wchar_t>(code);
  } else {
    if (code >= 0x10000) {
      code -= 0x10000;
      out += static_cast<wchar_t>(0xD800 + (code >> 10));
      out += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
    } else {
      out += static_cast<wchar_t>(code);
    }
  }
}

}  // namespace

bool LoadMediaInfo(const std::string& library_name, MediaInfoLibrary& media) {
  UnloadMediaInfo(media);
  MediaInfoLibrary fresh;
  fresh.library = platform::SharedLibrary::Load(library_name);
  if (!fresh.library) return false;
  const platform::SharedLibrary& library = *fresh.library;
  if (!Resolve(library, "MediaInfo_New", fresh.New) ||
      !Resolve(library, "MediaInfo_Delete", fresh.Delete) ||
      !Resolve(library, "MediaInfo_Open", fresh.Open) ||
      !Resolve(library, "MediaInfo_Option", fresh.Option) ||
      !Resolve(library, "MediaInfo_Get", fresh.Get)) {
    return false;  // `fresh` unloads the library
  }
  fresh.handle = fresh.New();
  if (fresh.handle == nullptr) return false;
  fresh.Option(fresh.handle, L"File_TestContinuousFileNames", L"0");
  media = std::move(fresh);
  return true;
}

void UnloadMediaInfo(MediaInfoLibrary& media) {
  if (media.handle != nullptr && media.Delete != nullptr) media.Delete(media.handle);
  media.handle = nullptr;
  media.New = nullptr;
  media.Delete = nullptr;
  media.Open = nullptr;
  media.Option = nullptr;
  media.Get = nullptr;
  media.library.reset();
}

bool OpenMediaFile(const MediaInfoLibrary& media, const std::string& path) {
  if (!media.loaded() || media.Open == nullptr) return false;
  if (IsAscii(path)) return media.Open(media.handle, WideFromUtf8(path).c_str()) != 0;
  // The library turns a wide name back into bytes through the locale: a name with other
  // characters could be missed, or one that is not UTF-8 taken for another file's. It gets an
  // ASCII name of the opened file instead.
  const std::unique_ptr<platform::OpenedFileName> opened = platform::OpenedFileName::Open(path);
  // An empty name fails too, and forgets the file before.
  const std::string name = opened ? opened->name() : std::string();
  return media.Open(media.handle, WideFromUtf8(name).c_str()) != 0;
}

std::string GeneralText(const MediaInfoLibrary& media, const std::string& parameter) {
  if (!media.loaded() || media.Get == nullptr) return {};
  const std::wstring wide = WideFromUtf8(parameter);
  return Utf8FromWide(media.Get(media.handle, MediaInfoLibrary::kStreamGeneral, 0, wide.c_str(),
                                MediaInfoLibrary::kInfoText, MediaInfoLibrary::kInfoName));
}

std::wstring WideFromUtf8(const std::string& text) {
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    uint32_t code = 0;
    const size_t length = DecodeUtf8At(text, i, code);
    // A byte that starts no valid sequence becomes one replacement character.
    AppendWide(out, length > 0 ? code : kReplacement);
    i += length > 0 ? length : 1;
  }
  return out;
}

std::string Utf8FromWide(const wchar_t* text) {
  std::string out;
  if (text == nullptr) return out;
  for (const wchar_t* at = text; *at != 0; ++at) {
    char32_t code = static_cast<char32_t>(*at);
    if constexpr (sizeof(wchar_t) < 4) {
      code &= 0xFFFF;
      if (code >= 0xD800 && code <= 0xDBFF && at[1] >= 0xDC00 && at[1] <= 0xDFFF) {
        code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<char32_t>(at[1]) - 0xDC00);
        ++at;
      }
    }
    AppendUtf8(out, code);
  }
  return out;
}

}  // namespace kalvento
