#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/paths.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace kalvento::platform {

namespace {

// lstat of a path; a trailing "/" is dropped first (it would follow a link) and then asks for
// the object to be a folder.
bool LstatNoFollow(const std::string& path, struct stat* st) {
  if (path.empty()) return false;
  const std::string target = WithoutTrailingSlash(path);
  if (lstat(target.c_str(), st) != 0) return false;
  return target.size() == path.size() || S_ISDIR(st->st_mode);
}

int RenameAt2NoReplace(const char* from, const char* to) {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 28))
  return renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
#elif defined(SYS_renameat2)
  return static_cast<int>(syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE));
#else
  errno = ENOSYS;
  return -1;
#endif
}

}  // namespace

std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder, bool with_times) {
  if (folder.empty()) return std::nullopt;
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  DIR* dir = fdopendir(fd);
  if (dir == nullptr) {
    close(fd);
    return std::nullopt;
  }

  const std::string base = with_times ? WithTrailingSlash(folder) : std::string();
  std::vector<FolderEntry> entries;
  bool failed = false;
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(dir);
    if (entry == nullptr) {
      failed = errno != 0;
      break;
    }
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;

    unsigned char type = entry->d_type;
    if (type == DT_UNKNOWN) {
      // Some file systems (XFS without ftype, some network and FUSE ones) do not fill d_type.
      struct stat st {};
      if (fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
      if (S_ISREG(st.st_mode)) {
        type = DT_REG;
      } else if (S_ISDIR(st.st_mode)) {
        type = DT_DIR;
      }
    }
    if (type == DT_REG || type == DT_DIR) {
      FolderEntry listed{std::string(name), type == DT_DIR, std::nullopt};
      if (with_times) listed.times = ReadFileTimesAt(fd, base, listed.name);
      entries.push_back(std::move(listed));
    }
    // Symbolic links, devices, pipes and sockets are left out.
  }
  closedir(dir);  // closes fd as well
  if (failed) return std::nullopt;
  return entries;
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return LstatNoFollow(path, &st) && S_ISDIR(st.st_mode);
}

bool PathExists(const std::string& path) {
  if (path.empty()) return false;
  const std::string target = WithoutTrailingSlash(path);
  struct stat st {};
  if (lstat(target.c_str(), &st) != 0) return false;
  // "x/" names a folder; a link there still is something of that name.
  return target.size() == path.size() || S_ISDIR(st.st_mode) || S_ISLNK(st.st_mode);
}

bool IsVolumeAvailable(const std::string& folder) {
  if (folder.empty()) return false;
  struct statvfs info {};
  return statvfs(folder.c_str(), &info) == 0;
}

bool IsReadOnly(const std::string& path) {
  struct stat st {};
  return LstatNoFollow(path, &st) && (st.st_mode & S_IWUSR) == 0;
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
  if (from.empty() || to.empty()) return false;
  if (RenameAt2NoReplace(from.c_str(), to.c_str()) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;  // EEXIST: the target is there

  // The file system does not know RENAME_NOREPLACE (NFS, older FUSE file systems): a hard link
  // is never made over an existing name. Files only; a folder cannot be linked.
  struct stat st {};
  if (lstat(from.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  if (linkat(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 0) != 0) return false;
  if (unlink(from.c_str()) == 0) return true;
  // Leave things as they were rather than with two names for the file.
  unlink(to.c_str());
  return false;
}

bool MakeFolders(const std::string& folder) {
  if (folder.empty()) return false;
  const std::string target = WithoutTrailingSlash(folder);
  struct stat st {};
  if (stat(target.c_str(), &st) == 0) return S_ISDIR(st.st_mode);

  // Create each missing level from the top down; "exists" is fine at every level.
  size_t pos = target.front() == '/' ? 1 : 0;
  while (pos <= target.size()) {
    size_t next = target.find('/', pos);
    if (next == std::string::npos) next = target.size();
    if (next > pos) {
      std::string level = target.substr(0, next);
      if (mkdir(level.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
    pos = next + 1;
  }
  return stat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

namespace {

// Read-only, and without touching the access time where the file's owner allows it.
int OpenForReading(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOATIME);
  if (fd < 0 && errno == EPERM) fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  return fd;
}

// Reads up to `max_bytes` from `offset`; stops early at the end of the file.
std::string ReadAt(int fd, off_t offset, size_t max_bytes) {
  std::string bytes(max_bytes, '\0');
  size_t filled = 0;
  while (filled < max_bytes) {
    const ssize_t got = pread(fd, bytes.data() + filled, max_bytes - filled,
                              offset + static_cast<off_t>(filled));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    filled += static_cast<size_t>(got);
  }
  bytes.resize(filled);
  return bytes;
}

}  // namespace

long long FileSize(const std::string& path) {
  struct stat st {};
  if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return static_cast<long long>(st.st_size);
}

std::string ReadFileHead(const std::string& path, size_t max_bytes) {
  const int fd = OpenForReading(path);
  if (fd < 0) return {};
  // No buffer larger than the file (a limit of megabytes is common for files of kilobytes);
  // a size of 0 may be a file whose size is not known beforehand.
  struct stat st {};
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
    max_bytes = std::min(max_bytes, static_cast<size_t>(st.st_size));
  }
  std::string bytes = ReadAt(fd, 0, max_bytes);
  close(fd);
  return bytes;
}

std::string ReadFileTail(const std::string& path, size_t max_bytes) {
  const int fd = OpenForReading(path);
  if (fd < 0) return {};
  struct stat st {};
  std::string bytes;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    const off_t size = st.st_size;
    const off_t start = size > static_cast<off_t>(max_bytes) ? size - static_cast<off_t>(max_bytes) : 0;
    bytes = ReadAt(fd, start, static_cast<size_t>(size - start));
  }
  close(fd);
  return bytes;
}

bool RemoveFile(const std::string& path) {
  // Unlinking needs write access to the folder, not to the file, so a read-only file goes too.
  return unlink(path.c_str()) == 0 || errno == ENOENT;
}

namespace {

// Every step goes through descriptors, so a folder swapped for a link while we work is never
// followed out of the tree.
bool EmptyFolderAtDepth(int folder_fd, int depth) {
  const int listing = dup(folder_fd);
  if (listing < 0) return false;
  DIR* dir = fdopendir(listing);
  if (dir == nullptr) {
    close(listing);
    return false;
  }
  rewinddir(dir);  // the duplicate shares the folder's read position
  bool removed = true;
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (unlinkat(folder_fd, entry->d_name, 0) == 0 || errno == ENOENT) continue;
    // A folder (unlink refuses those): opened without following a link, emptied, removed.
    const int child =
        openat(folder_fd, entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (child < 0) {
      removed = false;
      continue;
    }
    const bool emptied = depth < 4096 && EmptyFolderAtDepth(child, depth + 1);
    close(child);
    removed = emptied && unlinkat(folder_fd, entry->d_name, AT_REMOVEDIR) == 0 && removed;
  }
  closedir(dir);
  return removed;
}

}  // namespace

bool EmptyFolderAt(int folder_fd) { return EmptyFolderAtDepth(folder_fd, 0); }

bool RemoveFolderTree(const std::string& folder) {
  const std::string target = WithoutTrailingSlash(folder);
  const int fd = open(target.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return true;
    // Not a folder (a file, or a link, which is removed and not followed).
    return (errno == ENOTDIR || errno == ELOOP) && unlink(target.c_str()) == 0;
  }
  const bool emptied = EmptyFolderAt(fd);
  close(fd);
  return emptied && rmdir(target.c_str()) == 0;
}

bool WriteWholeFile(const std::string& path, std::string_view bytes, unsigned mode) {
  // Per process, so two programs deploying the same file never share the temporary name.
  const std::string temporary = path + ".new." + std::to_string(getpid());
  unlink(temporary.c_str());
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                      static_cast<mode_t>(mode));
  if (fd < 0) return false;
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t put = write(fd, bytes.data() + written, bytes.size() - written);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;
    written += static_cast<size_t>(put);
  }
  const bool complete = written == bytes.size() && fchmod(fd, static_cast<mode_t>(mode)) == 0;
  if (close(fd) != 0 || !complete || rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

std::unique_ptr<OpenedFileName> OpenedFileName::Open(const std::string& path) {
  const int fd = OpenForReading(path);
  if (fd < 0) return nullptr;
  return std::unique_ptr<OpenedFileName>(
      new OpenedFileName(fd, "/proc/self/fd/" + std::to_string(fd)));
}

OpenedFileName::~OpenedFileName() { close(fd_); }

}  // namespace kalvento::platform
