#include "platform/file_times.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <cerrno>
#include <cstdint>
#include <limits>

#include "platform/paths.h"

namespace kalvento::platform {

namespace {

// The creation-time attributes, each a 64-bit little-endian FILETIME (100 ns ticks since
// 1601-01-01 UTC): NTFS through ntfs-3g, then SMB/CIFS through the kernel client.
constexpr const char* kCreationAttributes[] = {"system.ntfs_crtime", "system.cifs_creationtime"};

constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr int64_t kTicksPerSecond = 10000000;

FileInstant FromTimespec(int64_t seconds, int64_t nanoseconds) {
  return FileInstant{seconds, static_cast<int32_t>(nanoseconds)};
}

// Whole seconds since 1601 that still fit a signed 64-bit tick count with any sub-second part.
constexpr int64_t kMaxSecondsSince1601 =
    (std::numeric_limits<int64_t>::max() - (kTicksPerSecond - 1)) / kTicksPerSecond;

// The creation time from a file system's creation-time attribute, for file systems whose statx
// keeps no birth time (ntfs-3g through FUSE).
std::optional<FileInstant> ReadCreationAttribute(const std::string& path) {
  for (const char* name : kCreationAttributes) {
    unsigned char bytes[8] = {};
    ssize_t got = lgetxattr(path.c_str(), name, bytes, sizeof bytes);
    if (got != static_cast<ssize_t>(sizeof bytes)) continue;
    uint64_t ticks = 0;
    for (int i = 7; i >= 0; --i) ticks = (ticks << 8) | bytes[i];
    if (auto instant = InstantFromFileTime(ticks)) return instant;
  }
  return std::nullopt;
}

}  // namespace

std::optional<uint64_t> FileTimeFromInstant(const FileInstant& when) {
  if (when.nanoseconds < 0 || when.nanoseconds > 999999999) return std::nullopt;
  if (when.seconds < -kSecondsFrom1601To1970) return std::nullopt;
  if (when.seconds > kMaxSecondsSince1601 - kSecondsFrom1601To1970) return std::nullopt;
  const int64_t since_1601 = when.seconds + kSecondsFrom1601To1970;
  return static_cast<uint64_t>(since_1601 * kTicksPerSecond + when.nanoseconds / 100);
}

std::optional<FileInstant> InstantFromFileTime(uint64_t ticks) {
  if (ticks == 0 || ticks > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
    return std::nullopt;
  }
  const int64_t value = static_cast<int64_t>(ticks);
  return FileInstant{value / kTicksPerSecond - kSecondsFrom1601To1970,
                     static_cast<int32_t>((value % kTicksPerSecond) * 100)};
}

namespace {

// The times of `name` in the folder opened as `folder_fd` (AT_FDCWD: `name` is the path);
// `path` is the same file's full path, for the creation-time attribute.
std::optional<FileTimes> ReadTimesAt(int folder_fd, const char* name, const std::string& path,
                                     bool must_be_folder) {
  FileTimes times;
  bool have_birth = false;
  mode_t mode = 0;
  struct statx stx {};
  if (statx(folder_fd, name, AT_SYMLINK_NOFOLLOW | AT_STATX_SYNC_AS_STAT,
            STATX_TYPE | STATX_BTIME | STATX_MTIME | STATX_ATIME, &stx) == 0) {
    mode = stx.stx_mode;
    times.modified = FromTimespec(stx.stx_mtime.tv_sec, stx.stx_mtime.tv_nsec);
    times.accessed = FromTimespec(stx.stx_atime.tv_sec, stx.stx_atime.tv_nsec);
    if (stx.stx_mask & STATX_BTIME) {
      times.created = FromTimespec(stx.stx_btime.tv_sec, stx.stx_btime.tv_nsec);
      have_birth = true;
    }
  } else if (errno == ENOSYS || errno == EPERM) {
    // statx refused (old kernel, restrictive seccomp filter): the classic call still answers.
    struct stat st {};
    if (fstatat(folder_fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
    mode = st.st_mode;
    times.modified = FromTimespec(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    times.accessed = FromTimespec(st.st_atim.tv_sec, st.st_atim.tv_nsec);
  } else {
    return std::nullopt;
  }
  if (must_be_folder && !S_ISDIR(mode)) return std::nullopt;

  if (!have_birth) {
    if (auto created = S_ISLNK(mode) ? std::nullopt : ReadCreationAttribute(path)) {
      times.created = *created;
    } else {
      times.created = times.modified;
    }
  }
  return times;
}

}  // namespace

std::optional<FileTimes> ReadFileTimes(const std::string& path) {
  if (path.empty()) return std::nullopt;
  const std::string target = WithoutTrailingSlash(path);
  // A path written with a trailing "/" must name a folder itself, not a link to one.
  return ReadTimesAt(AT_FDCWD, target.c_str(), target, target.size() != path.size());
}

std::optional<FileTimes> ReadFileTimesAt(int folder_fd, const std::string& folder,
                                         const std::string& name) {
  return ReadTimesAt(folder_fd, name.c_str(), folder + name, false);
}

bool WriteFileTime(const std::string& path, FileTimeKind kind, const FileInstant& when) {
  if (path.empty()) return false;
  if (when.nanoseconds < 0 || when.nanoseconds > 999999999) return false;
  const std::string target = WithoutTrailingSlash(path);
  if (target.size() != path.size()) {
    struct stat st {};
    if (lstat(target.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  }

  switch (kind) {
    case FileTimeKind::kModified:
    case FileTimeKind::kAccessed: {
      timespec ts[2];  // [0] access, [1] modification
      timespec value{};
      value.tv_sec = static_cast<time_t>(when.seconds);
      value.tv_nsec = when.nanoseconds;
      timespec omit{};
      omit.tv_nsec = UTIME_OMIT;
      ts[0] = kind == FileTimeKind::kAccessed ? value : omit;
      ts[1] = kind == FileTimeKind::kModified ? value : omit;
      return utimensat(AT_FDCWD, target.c_str(), ts, AT_SYMLINK_NOFOLLOW) == 0;
    }
    case FileTimeKind::kCreated: {
      auto ticks = FileTimeFromInstant(when);
      if (!ticks) return false;
      unsigned char bytes[8];
      for (int i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(*ticks >> (8 * i));
      for (const char* name : kCreationAttributes) {
        if (lsetxattr(target.c_str(), name, bytes, sizeof bytes, 0) == 0) return true;
      }
      return false;
    }
  }
  return false;
}

}  // namespace kalvento::platform
