#pragma once

// Builds Outlook .msg compound files for tests with libgsf's OLE2 writer: MAPI string and binary
// property streams ("__substg1.0_XXXXYYYY"), the fixed-size "__properties_version1.0" stream,
// attachment and recipient storages. Header-only, so the sources and msgtext tests share it.

#include <glib.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace kalvento::test {

// FILETIME ticks of a UTC time given as seconds since 1970.
inline int64_t FileTimeFromUnix(int64_t unix_seconds) {
  return (unix_seconds + 11644473600LL) * 10000000LL;
}

inline std::string Utf16Le(const std::string& utf8) {
  glong count = 0;
  gunichar2* units = g_utf8_to_utf16(utf8.c_str(), static_cast<glong>(utf8.size()), nullptr,
                                     &count, nullptr);
  std::string bytes;
  for (glong i = 0; units != nullptr && i < count; ++i) {
    bytes.push_back(static_cast<char>(units[i] & 0xFF));
    bytes.push_back(static_cast<char>(units[i] >> 8));
  }
  g_free(units);
  return bytes;
}

class MsgStorage {
 public:
  // Bytes before the 16-byte entries of "__properties_version1.0": 32 for the message itself, 8
  // for attachments and recipients.
  explicit MsgStorage(size_t properties_header = 8) : properties_header_(properties_header) {}

  MsgStorage& Unicode(uint16_t id, const std::string& utf8) {
    return Stream(id, 0x001F, Utf16Le(utf8));
  }
  MsgStorage& String8(uint16_t id, const std::string& bytes) { return Stream(id, 0x001E, bytes); }
  MsgStorage& Binary(uint16_t id, const std::string& bytes) { return Stream(id, 0x0102, bytes); }
  MsgStorage& Time(uint16_t id, int64_t filetime) {
    return Fixed(id, 0x0040, static_cast<uint64_t>(filetime));
  }
  MsgStorage& Long(uint16_t id, uint32_t value) { return Fixed(id, 0x0003, value); }
  MsgStorage& Stream(uint16_t id, uint16_t type, const std::string& bytes) {
    char name[32];
    std::snprintf(name, sizeof name, "__substg1.0_%04X%04X", id, type);
    streams_.emplace_back(name, bytes);
    return *this;
  }
  MsgStorage& RawStream(const std::string& name, const std::string& bytes) {
    streams_.emplace_back(name, bytes);
    return *this;
  }
  MsgStorage& Fixed(uint16_t id, uint16_t type, uint64_t value) {
    fixed_.push_back({static_cast<uint32_t>(id) << 16 | type, value});
    return *this;
  }
  MsgStorage& Child(const std::string& name, MsgStorage storage) {
    children_.emplace_back(name, std::move(storage));
    return *this;
  }
  MsgStorage& Attachment(const std::string& long_name, const std::string& data) {
    char name[40];
    std::snprintf(name, sizeof name, "__attach_version1.0_#%08X", attachments_++);
    MsgStorage attachment;
    if (!long_name.empty()) attachment.Unicode(0x3707, long_name);
    attachment.Binary(0x3701, data).Long(0x3705, 1);
    return Child(name, std::move(attachment));
  }
  MsgStorage& Recipient(const std::string& display, const std::string& smtp, uint32_t type) {
    char name[40];
    std::snprintf(name, sizeof name, "__recip_version1.0_#%08X", recipients_++);
    MsgStorage recipient;
    recipient.Unicode(0x3001, display).Unicode(0x39FE, smtp).Long(0x0C15, type);
    return Child(name, std::move(recipient));
  }
  // Leaves out the properties stream (a compound file that is no message).
  MsgStorage& WithoutProperties() {
    with_properties_ = false;
    return *this;
  }

  void WriteTo(GsfOutfile* outfile) const {
    for (const auto& [name, bytes] : streams_) WriteStream(outfile, name, bytes);
    if (with_properties_) {
      std::string properties(properties_header_, '\0');
      for (const auto& [tag, value] : fixed_) {
        AppendLe(properties, tag, 4);
        AppendLe(properties, 0x6, 4);  // readable, writable
        AppendLe(properties, value, 8);
      }
      WriteStream(outfile, "__properties_version1.0", properties);
    }
    for (const auto& [name, storage] : children_) {
      GsfOutput* folder = gsf_outfile_new_child(outfile, name.c_str(), TRUE);
      storage.WriteTo(GSF_OUTFILE(folder));
      gsf_output_close(folder);
      g_object_unref(folder);
    }
  }

 private:
  static void AppendLe(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
  }
  static void WriteStream(GsfOutfile* outfile, const std::string& name, const std::string& bytes) {
    GsfOutput* stream = gsf_outfile_new_child(outfile, name.c_str(), FALSE);
    if (!bytes.empty()) {
      gsf_output_write(stream, bytes.size(), reinterpret_cast<const guint8*>(bytes.data()));
    }
    gsf_output_close(stream);
    g_object_unref(stream);
  }

  size_t properties_header_;
  std::vector<std::pair<std::string, std::string>> streams_;
  std::vector<std::pair<uint32_t, uint64_t>> fixed_;
  std::vector<std::pair<std::string, MsgStorage>> children_;
  unsigned attachments_ = 0;
  unsigned recipients_ = 0;
  bool with_properties_ = true;
};

// The top-level message storage.
inline MsgStorage MsgMessageStorage() { return MsgStorage(32); }

// The compound file's bytes.
inline std::string MsgBytes(const MsgStorage& message) {
  GsfOutput* sink = gsf_output_memory_new();
  GsfOutfile* ole = gsf_outfile_msole_new(sink);
  message.WriteTo(ole);
  gsf_output_close(GSF_OUTPUT(ole));
  g_object_unref(ole);  // closing the compound file closed its sink too
  const guint8* data = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink));
  std::string bytes(reinterpret_cast<const char*>(data), static_cast<size_t>(gsf_output_size(sink)));
  g_object_unref(sink);
  return bytes;
}

}  // namespace kalvento::test
