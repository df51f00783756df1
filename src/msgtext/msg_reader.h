#pragma once

// Reads an Outlook .msg file (an OLE2 compound file of MAPI property streams, [MS-OXMSG]) into
// the few properties kalvento-msgtext writes out.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento::msgtext {

// MAPI property ids and types used here.
inline constexpr uint16_t kPropSubject = 0x0037;
inline constexpr uint16_t kPropClientSubmitTime = 0x0039;
inline constexpr uint16_t kPropSentRepresentingName = 0x0042;
inline constexpr uint16_t kPropSentRepresentingAddress = 0x0065;
inline constexpr uint16_t kPropTransportHeaders = 0x007D;
inline constexpr uint16_t kPropSenderName = 0x0C1A;
inline constexpr uint16_t kPropSenderAddressType = 0x0C1E;
inline constexpr uint16_t kPropSenderAddress = 0x0C1F;
inline constexpr uint16_t kPropRecipientType = 0x0C15;
inline constexpr uint16_t kPropDisplayCc = 0x0E03;
inline constexpr uint16_t kPropDisplayTo = 0x0E04;
inline constexpr uint16_t kPropDeliveryTime = 0x0E06;
inline constexpr uint16_t kPropBody = 0x1000;
inline constexpr uint16_t kPropDisplayName = 0x3001;
inline constexpr uint16_t kPropEmailAddress = 0x3003;
inline constexpr uint16_t kPropAttachData = 0x3701;
inline constexpr uint16_t kPropAttachFileName = 0x3704;
inline constexpr uint16_t kPropAttachLongFileName = 0x3707;
inline constexpr uint16_t kPropSmtpAddress = 0x39FE;
inline constexpr uint16_t kPropInternetCodePage = 0x3FDE;
inline constexpr uint16_t kPropMessageCodePage = 0x3FFD;
inline constexpr uint16_t kPropSenderSmtpAddress = 0x5D01;

inline constexpr uint16_t kTypeLong = 0x0003;
inline constexpr uint16_t kTypeString8 = 0x001E;
inline constexpr uint16_t kTypeUnicode = 0x001F;
inline constexpr uint16_t kTypeSystime = 0x0040;
inline constexpr uint16_t kTypeBinary = 0x0102;

// At most this many bytes are taken from one property stream (attachment data included).
inline constexpr size_t kMaxStreamBytes = 512u * 1024 * 1024;

struct MsgAttachment {
  std::string long_file_name;  // 0x3707, UTF-8; empty when absent
  std::string file_name;       // 0x3704
  std::string display_name;    // 0x3001
  std::string data;            // 0x3701 (binary)
  bool has_data = false;       // false for embedded messages and OLE objects
};

struct MsgRecipient {
  std::string name;     // 0x3001
  std::string address;  // SMTP address, else the e-mail address
  int type = 0;         // 1 To, 2 Cc, 3 Bcc
};

// Texts are UTF-8. Times are FILETIME ticks (100 ns since 1601-01-01 UTC); 0 when absent.
struct MsgMessage {
  std::string transport_headers;
  std::string subject;
  std::string sender_name;
  std::string sender_address;
  std::string display_to;
  std::string display_cc;
  std::string body;
  int64_t submit_time = 0;
  int64_t delivery_time = 0;
  std::vector<MsgRecipient> recipients;
  std::vector<MsgAttachment> attachments;
};

// Reads the message in bytes. Empty, with a reason in `error`, when the input is no compound
// file or holds no MAPI properties.
std::optional<MsgMessage> ReadMsgBytes(std::string_view bytes, std::string& error);

// Reads the message in a file, handing the parts over as they are read, so attachments are never
// held all at once: `message` gets the message without its attachments, then `attachment` each attachment
// (0-based index) in order. A handler that returns false ends the reading; so does a file that is
// no message (false, with the reason in `error`).
struct MsgReadHandler {
  std::function<bool(const MsgMessage&)> message;
  std::function<bool(const MsgAttachment&, size_t index)> attachment;
};
bool ReadMsgFileInto(const std::string& path, const MsgReadHandler& handler, std::string& error);

// Initialises libgsf once (every entry point above calls it).
void InitGsfOnce();

}  // namespace kalvento::msgtext
