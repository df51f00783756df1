#include "msgtext/msg_convert.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <unordered_map>
#include <string_view>
#include <vector>

#include "msgtext/msg_text.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "texts/text_util.h"

namespace kalvento::msgtext {
namespace {

constexpr int kMaxNameNumber = 100000;

std::string Reason() { return std::strerror(errno); }

// Closes a descriptor at the end of a scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  void Reset(int fd) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }
  // Closes now; false when the close reports a failure (a write that did not reach the disk).
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t put = write(fd, bytes.data() + written, bytes.size() - written);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    written += static_cast<size_t>(put);
  }
  return true;
}

// The names in an open folder, "." and ".." left out.
bool ListNames(int folder_fd, std::vector<std::string>& names) {
  const int listing_fd = dup(folder_fd);
  if (listing_fd < 0) return false;
  DIR* dir = fdopendir(listing_fd);
  if (dir == nullptr) {
    close(listing_fd);
    return false;
  }
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  closedir(dir);
  return true;
}

// The attachment folder, created when missing, opened without following a link.
int OpenAttachmentFolder(const std::string& folder, std::string& error) {
  const std::string path = platform::WithoutTrailingSlash(folder);
  if (path.empty()) {
    error = "no attachment folder given";
    return -1;
  }
  if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
    error = "cannot create the attachment folder " + path + ": " + Reason();
    return -1;
  }
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    error = (errno == ELOOP || errno == ENOTDIR)
                ? "the attachment folder " + path + " is not a folder"
                : "cannot open the attachment folder " + path + ": " + Reason();
  }
  return fd;
}

bool WriteTextFile(const std::string& path, std::string_view text, bool replace,
                   std::string& error) {
  if (replace) {
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0) {
      if (S_ISDIR(st.st_mode)) {
        error = "the text file " + path + " is a folder";
        return false;
      }
      // A link is removed, not followed.
      if (unlink(path.c_str()) != 0 && errno != ENOENT) {
        error = "cannot replace the text file " + path + ": " + Reason();
        return false;
      }
    }
  }
  Descriptor fd(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
  if (fd.get() < 0) {
    error = errno == EEXIST ? "the text file " + path + " exists (/d replaces it)"
                            : "cannot create the text file " + path + ": " + Reason();
    return false;
  }
  if (!WriteAll(fd.get(), text) || !fd.Close()) {
    error = "cannot write the text file " + path + ": " + Reason();
    return false;
  }
  return true;
}

// Writes one attachment under its safe name, numbered when the name is taken.
// The names used in the attachment folder (in lower case: names differing only in case collide
// on some file systems, SMB shares), and per name the number to try next, so that many
// attachments of one name do not try every number again.
struct TakenNames {
  std::set<std::string> names;
  std::unordered_map<std::string, int> next_number;
};

bool WriteAttachment(int folder_fd, const std::string& base, std::string_view data,
                     TakenNames& taken, std::string& error) {
  int& next = taken.next_number[AsciiLower(base)];
  for (int n = std::max(next, 1); n <= kMaxNameNumber; ++n) {
    const std::string name = NumberedName(base, n);
    if (!taken.names.insert(AsciiLower(name)).second) continue;
    next = n + 1;
    Descriptor fd(openat(folder_fd, name.c_str(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (fd.get() < 0) {
      if (errno == EEXIST) continue;
      error = "cannot create the attachment " + name + ": " + Reason();
      return false;
    }
    if (!WriteAll(fd.get(), data) || !fd.Close()) {
      error = "cannot write the attachment " + name + ": " + Reason();
      return false;
    }
    return true;
  }
  error = "no free name for the attachment " + base;
  return false;
}

// Writes a message's outputs: the text file once its properties are known, then each attachment.
class MessageWriter {
 public:
  explicit MessageWriter(const ConvertOptions& options) : options_(options) {}

  bool Begin(const MsgMessage& message, std::string& error) {
    folder_.Reset(OpenAttachmentFolder(options_.attachment_folder, error));
    if (folder_.get() < 0) return false;
    if (options_.replace && !platform::EmptyFolderAt(folder_.get())) {
      error = "cannot empty the attachment folder " + options_.attachment_folder;
      return false;
    }
    if (!WriteTextFile(options_.text_file, BuildMessageText(message), options_.replace, error)) {
      return false;
    }
    // Names in the folder already (none after /d) are taken, in any case.
    std::vector<std::string> present;
    ListNames(folder_.get(), present);
    for (const std::string& name : present) taken_.names.insert(AsciiLower(name));
    return true;
  }

  bool Attachment(const MsgAttachment& attachment, size_t index, std::string& error) {
    if (!attachment.has_data) return true;  // embedded messages and OLE objects are not written
    return WriteAttachment(folder_.get(), AttachmentFileName(attachment, index), attachment.data,
                           taken_, error);
  }

 private:
  const ConvertOptions& options_;
  Descriptor folder_{-1};
  TakenNames taken_;
};

}  // namespace

bool WriteMessageFiles(const MsgMessage& message, const ConvertOptions& options,
                       std::string& error) {
  MessageWriter writer(options);
  if (!writer.Begin(message, error)) return false;
  for (size_t i = 0; i < message.attachments.size(); ++i) {
    if (!writer.Attachment(message.attachments[i], i, error)) return false;
  }
  return true;
}

// The message is only ever read: neither the text file nor the emptying of the attachment
// folder may reach it.
bool OutputsSpareTheInput(const ConvertOptions& options, std::string& error) {
  struct stat input {};
  struct stat text {};
  if (stat(options.input.c_str(), &input) == 0 && stat(options.text_file.c_str(), &text) == 0 &&
      input.st_dev == text.st_dev && input.st_ino == text.st_ino) {
    error = "the text file " + options.text_file + " is the message itself";
    return false;
  }
  const std::string message = platform::ResolvedPath(options.input);
  const std::string folder = platform::ResolvedPath(options.attachment_folder);
  if (!message.empty() && !folder.empty() &&
      message.starts_with(platform::WithTrailingSlash(folder))) {
    error = "the message " + options.input + " lies in the attachment folder";
    return false;
  }
  return true;
}

bool ConvertMsgFile(const ConvertOptions& options, std::string& error) {
  if (!OutputsSpareTheInput(options, error)) return false;
  // The text is written as soon as the message's own properties are read; attachments follow
  // one at a time, so a large message never sits in memory whole.
  MessageWriter writer(options);
  std::string write_error;
  MsgReadHandler handler;
  handler.message = [&](const MsgMessage& message) { return writer.Begin(message, write_error); };
  handler.attachment = [&](const MsgAttachment& attachment, size_t index) {
    return writer.Attachment(attachment, index, write_error);
  };
  std::string read_error;
  if (ReadMsgFileInto(options.input, handler, read_error)) return true;
  error = write_error.empty() ? options.input + ": " + read_error : write_error;
  return false;
}

}  // namespace kalvento::msgtext
