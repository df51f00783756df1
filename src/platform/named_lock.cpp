#include "platform/named_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace kalvento::platform {

namespace {

constexpr size_t kMaxNameLength = 100;

bool IsSafeChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '_' || c == '-';
}

// A file name made from the lock name: letters, digits, ".", "_" and "-" stay, everything else
// becomes "_", no leading "."; when anything had to change, a hash of the whole name keeps
// different names apart ("a b" and "a_b").
std::string SafeFileName(const std::string& name) {
  std::string safe;
  bool changed = name.empty() || name.size() > kMaxNameLength;
  for (char c : name.substr(0, kMaxNameLength)) {
    if (IsSafeChar(c)) {
      safe += c;
    } else {
      safe += '_';
      changed = true;
    }
  }
  if (!safe.empty() && safe.front() == '.') {
    safe.front() = '_';
    changed = true;
  }
  if (changed) {
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (unsigned char c : name) {
      hash ^= c;
      hash *= 1099511628211ull;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    safe += safe.empty() ? "lock-" : "-";
    safe += hex;
  }
  return safe;
}

bool IsUsableFolder(const char* path) {
  struct stat st {};
  return path != nullptr && path[0] == '/' && stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

int OpenLockFile(const std::string& path, bool create) {
  // Read access is enough for flock; never through a link planted under that name.
  int flags = O_RDONLY | O_NOFOLLOW | O_CLOEXEC | (create ? O_CREAT : 0);
  int fd;
  do {
    fd = open(path.c_str(), flags, 0600);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

int TryLock(int fd, int operation) {
  int result;
  do {
    result = flock(fd, operation | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  return result;
}

}  // namespace

std::string NamedLock::LockFilePath(const std::string& name) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (IsUsableFolder(runtime)) {
    std::string folder(runtime);
    if (folder.back() != '/') folder += '/';
    return folder + SafeFileName(name) + ".lock";
  }
  // /tmp is shared by all users: the user id keeps one user's lock file from blocking another's.
  return "/tmp/" + SafeFileName(name) + "-" + std::to_string(geteuid()) + ".lock";
}

NamedLock::NamedLock(const std::string& name) {
  int fd = OpenLockFile(LockFilePath(name), true);
  if (fd < 0) return;
  if (TryLock(fd, LOCK_EX) != 0) {
    close(fd);
    return;
  }
  fd_ = fd;
}

NamedLock::~NamedLock() {
  if (fd_ < 0) return;
  // The file stays: removing it would let a newcomer lock a fresh file while an older holder
  // still holds the removed one.
  flock(fd_, LOCK_UN);
  close(fd_);
}

bool NamedLock::IsHeldElsewhere(const std::string& name) {
  int fd = OpenLockFile(LockFilePath(name), false);
  if (fd < 0) return false;  // no lock file: nobody holds it
  bool held = false;
  if (TryLock(fd, LOCK_SH) != 0) {
    held = errno == EWOULDBLOCK;
  } else {
    flock(fd, LOCK_UN);
  }
  close(fd);
  return held;
}

}  // namespace kalvento::platform
