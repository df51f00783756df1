#include "msgtext/msg_reader.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

#include "msgtext/msg_text.h"
#include "platform/leak_check.h"
#include "sources/compound_directory.h"
#include "texts/text_util.h"

namespace kalvento::msgtext {
namespace {

constexpr std::string_view kSubstgPrefix = "__substg1.0_";
constexpr std::string_view kPropertiesName = "__properties_version1.0";
constexpr std::string_view kAttachPrefix = "__attach_version1.0_#";
constexpr std::string_view kRecipPrefix = "__recip_version1.0_#";
constexpr size_t kReadChunk = 65536;
// The header before the 16-byte entries of a properties stream, by storage kind.
constexpr size_t kTopLevelHeader = 32;
constexpr size_t kSubStorageHeader = 8;

uint32_t Tag(uint16_t id, uint16_t type) { return static_cast<uint32_t>(id) << 16 | type; }

uint32_t Le32(const char* p) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(p[i]);
  return v;
}

uint64_t Le64(const char* p) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(p[i]);
  return v;
}

// Owns one GObject reference.
template <typename T>
class Ref {
 public:
  explicit Ref(T* object = nullptr) : object_(object) {}
  ~Ref() {
    if (object_ != nullptr) g_object_unref(object_);
  }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  T* get() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  T* object_;
};

// The bytes all streams of one message may still yield. In a sound compound file every sector
// belongs to one stream, so together they hold no more than the file; a damaged or hostile one
// can let many streams share the same sectors and make a few megabytes read as gigabytes.
struct ReadBudget {
  uint64_t left = 0;
};

// A whole stream, read in chunks so that memory grows only with the bytes that are really there;
// empty optional when it cannot be read, is larger than kMaxStreamBytes or than the budget left.
std::optional<std::string> ReadStream(GsfInput* input, ReadBudget& budget) {
  const gsf_off_t size = gsf_input_size(input);
  if (size < 0 || static_cast<uint64_t>(size) > kMaxStreamBytes) return std::nullopt;
  if (static_cast<uint64_t>(size) > budget.left) return std::nullopt;
  budget.left -= static_cast<uint64_t>(size);
  std::string bytes;
  size_t remaining = static_cast<size_t>(size);
  while (remaining > 0) {
    const size_t chunk = remaining < kReadChunk ? remaining : kReadChunk;
    const guint8* data = gsf_input_read(input, chunk, nullptr);
    if (data == nullptr) return std::nullopt;
    bytes.append(reinterpret_cast<const char*>(data), chunk);
    remaining -= chunk;
  }
  return bytes;
}

bool ParseHex32(std::string_view text, uint32_t& value) {
  if (text.size() != 8) return false;
  value = 0;
  for (const char c : text) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else {
      return false;
    }
    value = value << 4 | static_cast<uint32_t>(digit);
  }
  return true;
}

// One storage of the message: its property streams by tag, its fixed-size properties and its
// sub-storages.
class Storage {
 public:
  Storage(GsfInfile* infile, size_t properties_header, ReadBudget& budget)
      : infile_(infile), budget_(budget) {
    const int count = gsf_infile_num_children(infile);
    for (int i = 0; i < count; ++i) {
      const char* raw_name = gsf_infile_name_by_index(infile, i);
      if (raw_name == nullptr) continue;
      const std::string_view name = raw_name;
      uint32_t tag = 0;
      if (name.starts_with(kSubstgPrefix) && ParseHex32(name.substr(kSubstgPrefix.size()), tag)) {
        streams_.emplace(tag, i);  // the first of duplicate names wins
      } else if (name == kPropertiesName) {
        Ref<GsfInput> child(gsf_infile_child_by_index(infile, i));
        if (child) {
          if (std::optional<std::string> bytes = ReadStream(child.get(), budget_)) {
            ParseFixedProperties(*bytes, properties_header);
            has_properties_ = true;
          }
        }
      } else if (name.starts_with(kAttachPrefix)) {
        attachments_.push_back(i);
      } else if (name.starts_with(kRecipPrefix)) {
        recipients_.push_back(i);
      }
    }
  }

  bool HasMapiProperties() const { return has_properties_ || !streams_.empty(); }
  const std::vector<int>& attachments() const { return attachments_; }
  const std::vector<int>& recipients() const { return recipients_; }

  // The bytes of a property stream; empty optional when there is none or it cannot be read.
  std::optional<std::string> Stream(uint16_t id, uint16_t type) const {
    const auto found = streams_.find(Tag(id, type));
    if (found == streams_.end()) return std::nullopt;
    Ref<GsfInput> child(gsf_infile_child_by_index(infile_, found->second));
    if (!child) return std::nullopt;
    // A storage of that name (an embedded message or object) is no stream.
    if (GSF_IS_INFILE(child.get()) && gsf_infile_num_children(GSF_INFILE(child.get())) >= 0) {
      return std::nullopt;
    }
    return ReadStream(child.get(), budget_);
  }

  // A string property in either string type, as UTF-8; empty when absent.
  std::string String(uint16_t id, int code_page) const {
    if (std::optional<std::string> wide = Stream(id, kTypeUnicode)) return Utf16LeToUtf8(*wide);
    if (std::optional<std::string> narrow = Stream(id, kTypeString8)) {
      return EightBitToUtf8(*narrow, code_page);
    }
    return {};
  }

  // A fixed-size property's 8 value bytes as a number; 0 when absent.
  uint64_t Fixed(uint16_t id, uint16_t type) const {
    const auto found = fixed_.find(Tag(id, type));
    return found == fixed_.end() ? 0 : found->second;
  }

  // A sub-storage opened as a compound-file folder; null when it is none.
  GsfInfile* OpenChild(int index) const {
    GsfInput* child = gsf_infile_child_by_index(infile_, index);
    if (child == nullptr) return nullptr;
    if (!GSF_IS_INFILE(child) || gsf_infile_num_children(GSF_INFILE(child)) < 0) {
      g_object_unref(child);
      return nullptr;
    }
    return GSF_INFILE(child);
  }

 private:
  void ParseFixedProperties(std::string_view bytes, size_t header) {
    for (size_t offset = header; offset + 16 <= bytes.size(); offset += 16) {
      const uint32_t tag = Le32(bytes.data() + offset);
      fixed_.emplace(tag, Le64(bytes.data() + offset + 8));
    }
  }

  GsfInfile* infile_;
  ReadBudget& budget_;
  std::map<uint32_t, int> streams_;
  std::map<uint32_t, uint64_t> fixed_;
  std::vector<int> attachments_;
  std::vector<int> recipients_;
  bool has_properties_ = false;
};

int64_t TimeValue(const Storage& storage, uint16_t id) {
  const uint64_t value = storage.Fixed(id, kTypeSystime);
  return value > static_cast<uint64_t>(INT64_MAX) ? 0 : static_cast<int64_t>(value);
}

MsgRecipient ReadRecipient(const Storage& storage, int code_page) {
  MsgRecipient recipient;
  recipient.name = storage.String(kPropDisplayName, code_page);
  recipient.address = storage.String(kPropSmtpAddress, code_page);
  if (recipient.address.empty()) recipient.address = storage.String(kPropEmailAddress, code_page);
  recipient.type = static_cast<int>(storage.Fixed(kPropRecipientType, kTypeLong) & 0xFFFFFFFF);
  return recipient;
}

MsgAttachment ReadAttachment(const Storage& storage, int code_page) {
  MsgAttachment attachment;
  attachment.long_file_name = storage.String(kPropAttachLongFileName, code_page);
  attachment.file_name = storage.String(kPropAttachFileName, code_page);
  attachment.display_name = storage.String(kPropDisplayName, code_page);
  if (std::optional<std::string> data = storage.Stream(kPropAttachData, kTypeBinary)) {
    attachment.data = std::move(*data);
    attachment.has_data = true;
  }
  return attachment;
}

// With a handler the attachments go to it one by one and are not kept in the message.
std::optional<MsgMessage> ReadMessage(GsfInput* input, std::string& error,
                                      const MsgReadHandler* handler = nullptr) {
  if (!CompoundDirectoryFits(input)) {
    error = "the compound file's directory is nested too deeply to read";
    return std::nullopt;
  }
  GError* gerror = nullptr;
  Ref<GsfInfile> root(gsf_infile_msole_new(input, &gerror));
  if (!root) {
    error = "not a compound file";
    if (gerror != nullptr) {
      error += std::string(" (") + gerror->message + ")";
      g_error_free(gerror);
    }
    return std::nullopt;
  }
  if (gerror != nullptr) g_error_free(gerror);
  ReadBudget budget{static_cast<uint64_t>(std::max<gsf_off_t>(gsf_input_size(input), 0))};
  const Storage top(root.get(), kTopLevelHeader, budget);
  if (!top.HasMapiProperties()) {
    error = "not an Outlook message (no MAPI properties)";
    return std::nullopt;
  }

  int code_page = static_cast<int>(top.Fixed(kPropMessageCodePage, kTypeLong) & 0x7FFFFFFF);
  if (code_page == 0) {
    code_page = static_cast<int>(top.Fixed(kPropInternetCodePage, kTypeLong) & 0x7FFFFFFF);
  }

  MsgMessage message;
  message.transport_headers = top.String(kPropTransportHeaders, code_page);
  message.subject = top.String(kPropSubject, code_page);
  message.sender_name = top.String(kPropSenderName, code_page);
  if (message.sender_name.empty()) {
    message.sender_name = top.String(kPropSentRepresentingName, code_page);
  }
  message.sender_address = top.String(kPropSenderSmtpAddress, code_page);
  if (message.sender_address.empty()) {
    const std::string type = top.String(kPropSenderAddressType, code_page);
    const std::string address = top.String(kPropSenderAddress, code_page);
    // An Exchange address (/O=...) says nothing to a reader of the text.
    if (type != "EX" && !address.starts_with("/")) message.sender_address = address;
  }
  if (message.sender_address.empty()) {
    message.sender_address = top.String(kPropSentRepresentingAddress, code_page);
    if (message.sender_address.starts_with("/")) message.sender_address.clear();
  }
  message.display_to = top.String(kPropDisplayTo, code_page);
  message.display_cc = top.String(kPropDisplayCc, code_page);
  message.body = top.String(kPropBody, code_page);
  message.submit_time = TimeValue(top, kPropClientSubmitTime);
  message.delivery_time = TimeValue(top, kPropDeliveryTime);

  for (const int index : top.recipients()) {
    Ref<GsfInfile> child(top.OpenChild(index));
    if (child) message.recipients.push_back(ReadRecipient(Storage(child.get(), kSubStorageHeader, budget),
                                                          code_page));
  }
  if (handler != nullptr && !handler->message(message)) return std::nullopt;
  size_t count = 0;
  for (const int index : top.attachments()) {
    Ref<GsfInfile> child(top.OpenChild(index));
    if (!child) continue;
    MsgAttachment attachment = ReadAttachment(Storage(child.get(), kSubStorageHeader, budget), code_page);
    if (handler == nullptr) {
      message.attachments.push_back(std::move(attachment));
    } else if (!handler->attachment(attachment, count)) {
      return std::nullopt;
    }
    ++count;
  }
  return message;
}

}  // namespace

void InitGsfOnce() {
  static std::once_flag once;
  std::call_once(once, [] { gsf_init(); });
}

namespace {

std::optional<MsgMessage> ReadMessageFile(const std::string& path, std::string& error,
                                          const MsgReadHandler& handler) {
  InitGsfOnce();
  GError* gerror = nullptr;
  Ref<GsfInput> input(gsf_input_stdio_new(path.c_str(), &gerror));
  if (!input) {
    error = "cannot open the file";
    if (gerror != nullptr) {
      error += std::string(" (") + gerror->message + ")";
      g_error_free(gerror);
    }
    return std::nullopt;
  }
  if (gerror != nullptr) g_error_free(gerror);
  return ReadMessage(input.get(), error, &handler);
}

}  // namespace

bool ReadMsgFileInto(const std::string& path, const MsgReadHandler& handler, std::string& error) {
  return ReadMessageFile(path, error, handler).has_value();
}

std::optional<MsgMessage> ReadMsgBytes(std::string_view bytes, std::string& error) {
  InitGsfOnce();
  Ref<GsfInput> input(gsf_input_memory_new(reinterpret_cast<const guint8*>(bytes.data()),
                                           static_cast<gsf_off_t>(bytes.size()), FALSE));
  if (!input) {
    error = "cannot read the bytes";
    return std::nullopt;
  }
  return ReadMessage(input.get(), error);
}

}  // namespace kalvento::msgtext
