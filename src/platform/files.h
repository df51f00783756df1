#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/file_times.h"

namespace kalvento::platform {

struct FolderEntry {
  std::string name;
  bool is_folder = false;  // otherwise a regular file
  std::optional<FileTimes> times;  // when asked for; empty when unreadable
};

// Regular files and folders directly in `folder` (a path ending with "/"); "." and "..",
// symbolic links and anything else are left out; hidden files are listed. Empty when the folder
// cannot be opened. Order is that of the file system. With `with_times`, each entry's times are
// read in the same pass.
std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder,
                                                   bool with_times = false);

bool IsFolder(const std::string& path);       // a folder, not through a symbolic link
bool PathExists(const std::string& path);     // anything of that name, links included
bool IsVolumeAvailable(const std::string& folder);  // statvfs answers for the folder
// The owner's write permission bit is clear (what "chmod a-w" sets).
bool IsReadOnly(const std::string& path);

// Renames without ever replacing: fails when `to` exists.
bool RenameNoReplace(const std::string& from, const std::string& to);

// Creates the folder and its parents; true when it exists afterwards.
bool MakeFolders(const std::string& folder);

// The size of a regular file in bytes (following links); -1 when there is none.
long long FileSize(const std::string& path);
// Up to `max_bytes` from the start of a file, opened read-only without changing its access time
// where allowed; empty when it cannot be read.
std::string ReadFileHead(const std::string& path, size_t max_bytes);
// The last `max_bytes` bytes of a file (all of it when shorter); empty when it cannot be read.
std::string ReadFileTail(const std::string& path, size_t max_bytes);
// Removes a file (also a read-only one); true when it is gone afterwards.
bool RemoveFile(const std::string& path);
// Removes a folder and everything below it (links are removed, not followed).
bool RemoveFolderTree(const std::string& folder);
// Removes everything inside the open folder `folder_fd`, which stays open: sub-folders with their
// contents; links are removed, never followed.
bool EmptyFolderAt(int folder_fd);
// Writes `bytes` to a new file `path` with the given permission bits, replacing what was there
// (also a read-only file). Written to a temporary name first, so a failure leaves the old file.
bool WriteWholeFile(const std::string& path, std::string_view bytes, unsigned mode);

// A file opened read-only and reachable, while this object lives, under a plain ASCII name: for
// libraries that turn names into bytes through the locale and so could miss or mistake a name
// with other characters (or one that is not UTF-8).
class OpenedFileName {
 public:
  // Nothing when the file cannot be opened.
  static std::unique_ptr<OpenedFileName> Open(const std::string& path);
  ~OpenedFileName();
  OpenedFileName(const OpenedFileName&) = delete;
  OpenedFileName& operator=(const OpenedFileName&) = delete;

  const std::string& name() const { return name_; }

 private:
  OpenedFileName(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}
  int fd_;
  std::string name_;
};

}  // namespace kalvento::platform
