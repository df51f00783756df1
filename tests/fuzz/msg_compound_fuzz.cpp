// kalvento-msgtext's reading of .msg compound files (libgsf on the bytes in memory), the text it
// builds and the attachment names it would write. Nothing is written to disk.

#include <glib.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "msgtext/msg_reader.h"
#include "msgtext/msg_text.h"
#include "texts/text_util.h"

namespace {

void Quiet(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

void CheckName(const std::string& name) {
  if (name.empty() || name.size() > kalvento::msgtext::kMaxFileNameBytes + 20) __builtin_trap();
  if (name.front() == '.' || name.find('/') != std::string::npos ||
      name.find("..") != std::string::npos || !kalvento::IsValidUtf8(name)) {
    __builtin_trap();
  }
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_log_set_default_handler(Quiet, nullptr);
  kalvento::msgtext::InitGsfOnce();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kalvento::msgtext;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::string error;
  if (const auto message = ReadMsgBytes(bytes, error)) {
    const std::string text = BuildMessageText(*message);
    if (text.find("\n\n") == std::string::npos) __builtin_trap();  // header block, empty line
    for (size_t i = 0; i < message->attachments.size(); ++i) {
      CheckName(AttachmentFileName(message->attachments[i], i));
    }
  } else if (error.empty()) {
    __builtin_trap();
  }
  // The string conversions and names on the raw bytes.
  if (!kalvento::IsValidUtf8(kalvento::Utf16LeToUtf8(bytes))) __builtin_trap();
  if (!kalvento::IsValidUtf8(EightBitToUtf8(bytes, size > 0 ? 1250 + data[0] % 9 : 0))) {
    __builtin_trap();
  }
  const std::string safe = SafeFileName(bytes);
  if (!safe.empty()) CheckName(safe);
  return 0;
}
