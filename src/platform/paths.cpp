#include "platform/paths.h"

#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

namespace kalvento::platform {

bool IsFolderLine(std::string_view line) {
  return !line.empty() && line.front() == '/' && line.back() == '/';
}

int FolderDepth(std::string_view folder) {
  int depth = 0;
  for (char c : folder) {
    if (c == '/') ++depth;
  }
  return depth;
}

bool IsLocalAbsolutePath(std::string_view path) {
  // "smb://host/share", "file:///x" and relative paths do not start with "/". A NUL byte can never
  // reach a system call intact.
  return !path.empty() && path.front() == '/' && path.find('\0') == std::string_view::npos;
}

std::string WithTrailingSlash(std::string_view folder) {
  std::string result(folder);
  if (!result.empty() && result.back() != '/') result += '/';
  return result;
}

std::string WithoutTrailingSlash(std::string_view path) {
  size_t end = path.size();
  while (end > 1 && path[end - 1] == '/') --end;
  return std::string(path.substr(0, end));
}

std::string FolderOf(std::string_view path) {
  size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return std::string();
  return std::string(path.substr(0, slash + 1));
}

namespace {

std::string WorkingFolder() {
  std::vector<char> buffer(4096);
  for (;;) {
    if (getcwd(buffer.data(), buffer.size()) != nullptr) return std::string(buffer.data());
    if (errno != ERANGE || buffer.size() > (1u << 20)) return std::string();
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

std::string AbsolutePath(std::string_view path) {
  if (path.empty()) return std::string();
  std::string full;
  if (path.front() == '/') {
    full = std::string(path);
  } else {
    full = WorkingFolder();
    if (full.empty() || full.front() != '/') return std::string();
    full += '/';
    full += path;
  }

  std::vector<std::string_view> parts;
  std::string_view rest(full);
  bool ends_as_folder = false;
  size_t pos = 0;
  while (pos <= rest.size()) {
    size_t next = rest.find('/', pos);
    if (next == std::string_view::npos) next = rest.size();
    std::string_view part = rest.substr(pos, next - pos);
    bool last = next == rest.size();
    if (part.empty() || part == ".") {
      if (last) ends_as_folder = true;
    } else if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      if (last) ends_as_folder = true;
    } else {
      parts.push_back(part);
      if (last) ends_as_folder = false;
    }
    pos = next + 1;
  }

  std::string result;
  result.reserve(full.size());
  for (std::string_view part : parts) {
    result += '/';
    result += part;
  }
  if (result.empty() || ends_as_folder) result += '/';
  return result;
}

std::string ResolvedPath(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return {};
  std::string result(resolved);
  free(resolved);
  return result;
}

}  // namespace kalvento::platform
