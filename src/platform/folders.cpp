#include "platform/folders.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"

namespace kalvento::platform {

namespace {

// An environment value that is an absolute path, without trailing "/" ("/" stays "/").
std::optional<std::string> AbsoluteEnv(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/') return std::nullopt;
  return WithoutTrailingSlash(value);
}

std::string HomeFolder() {
  if (auto home = AbsoluteEnv("HOME")) return *home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir && found->pw_dir[0] == '/') {
    return WithoutTrailingSlash(found->pw_dir);
  }
  return "/";
}

// `base` (no trailing "/") joined with a subfolder value from the config table, ending with "/".
std::string JoinFolder(const std::string& base, std::string_view sub) {
  std::string cleaned(sub);
  for (char& c : cleaned) {
    if (c == '\\') c = '/';
  }
  size_t first = cleaned.find_first_not_of('/');
  size_t last = cleaned.find_last_not_of('/');
  std::string result = base == "/" ? std::string() : base;
  result += '/';
  if (first != std::string::npos) {
    result += cleaned.substr(first, last - first + 1);
    result += '/';
  }
  return result;
}

std::string ProgramFolder() {
  std::vector<char> buffer(4096);
  for (;;) {
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) break;
    if (static_cast<size_t>(length) < buffer.size()) {
      std::string exe(buffer.data(), static_cast<size_t>(length));
      std::string folder = FolderOf(exe);  // a " (deleted)" suffix sits on the file name only
      if (!folder.empty() && folder.front() == '/') return folder;
      break;
    }
    if (buffer.size() > (1u << 20)) break;
    buffer.resize(buffer.size() * 2);
  }
  return WithTrailingSlash(AbsolutePath("."));
}

// A value of user-dirs.dirs: "$HOME/Documents" or "/abs/path", in double quotes with backslash
// escapes. Empty when it is neither.
std::string UserDirValue(std::string_view raw, const std::string& home) {
  std::string value;
  if (!raw.empty() && raw.front() == '"') {
    for (size_t i = 1; i < raw.size() && raw[i] != '"'; ++i) {
      if (raw[i] == '\\' && i + 1 < raw.size()) ++i;
      value += raw[i];
    }
  } else {
    size_t end = raw.find_first_of(" \t\r");
    value = std::string(raw.substr(0, end));
  }
  for (std::string_view prefix : {std::string_view("$HOME"), std::string_view("${HOME}")}) {
    if (value.compare(0, prefix.size(), prefix) == 0 &&
        (value.size() == prefix.size() || value[prefix.size()] == '/')) {
      std::string expanded = home == "/" ? std::string() : home;
      expanded.append(value, prefix.size(), std::string::npos);
      if (expanded.empty()) expanded.push_back('/');
      value.swap(expanded);
      break;
    }
  }
  if (value.empty() || value.front() != '/') return std::string();
  return WithTrailingSlash(value);
}

// XDG_DOCUMENTS_DIR and XDG_DESKTOP_DIR from user-dirs.dirs; empty where not given.
void ReadUserDirs(const std::string& config_home, const std::string& home, std::string* documents,
                  std::string* desktop) {
  std::ifstream in(JoinFolder(config_home, "") + "user-dirs.dirs");
  std::string line;
  while (in && std::getline(in, line)) {
    std::string_view text(line);
    size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos || text[start] == '#') continue;
    text.remove_prefix(start);
    size_t equals = text.find('=');
    if (equals == std::string_view::npos) continue;
    std::string_view key = text.substr(0, equals);
    std::string_view raw = text.substr(equals + 1);
    if (key == "XDG_DOCUMENTS_DIR") {
      *documents = UserDirValue(raw, home);
    } else if (key == "XDG_DESKTOP_DIR") {
      *desktop = UserDirValue(raw, home);
    }
  }
}

// Whether others may write into the folder (the sticky /tmp, a group's folder): then the temp
// subfolder is per user.
bool IsSharedFolder(const std::string& folder) {
  struct stat st {};
  return stat(folder.c_str(), &st) == 0 && (st.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

}  // namespace

Folders FindFolders(const std::string& app_subdir, const std::string& temp_subdir) {
  Folders folders;
  const std::string home = HomeFolder();
  const std::string home_folder = WithTrailingSlash(home);
  const std::string config_home =
      AbsoluteEnv("XDG_CONFIG_HOME").value_or(JoinFolder(home, ".config"));
  const std::string config_base = WithoutTrailingSlash(config_home);

  folders.program = ProgramFolder();
  folders.data = JoinFolder(config_base, app_subdir);
  folders.log = folders.data + "Logs/";

  const std::string temp_base = AbsoluteEnv("TMPDIR").value_or("/tmp");
  std::string temp = JoinFolder(temp_base, temp_subdir);
  if (IsSharedFolder(temp_base)) {
    temp = WithoutTrailingSlash(temp) + "-" + std::to_string(geteuid()) + "/";
  }
  folders.temp = temp;

  std::string documents;
  std::string desktop;
  ReadUserDirs(config_base, home, &documents, &desktop);
  if (documents.empty()) {
    documents = home_folder + "Documents/";
    if (!IsFolder(documents)) documents = home_folder;
  }
  if (desktop.empty()) desktop = home_folder + "Desktop/";
  folders.documents = documents;
  folders.desktop = desktop;
  return folders;
}

void CreateWorkingFolders(const Folders& folders) {
  if (!folders.data.empty()) MakeFolders(folders.data);
  if (!folders.log.empty()) MakeFolders(folders.log);
  if (folders.temp.empty()) return;

  const std::string temp = WithoutTrailingSlash(folders.temp);
  const std::string parent = FolderOf(temp);
  if (!parent.empty()) MakeFolders(parent);
  mkdir(temp.c_str(), 0700);
  // A temp folder of ours from before that others may write into is closed (never through a link).
  int fd = open(temp.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return;
  struct stat st {};
  if (fstat(fd, &st) == 0 && st.st_uid == geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    fchmod(fd, 0700);
  }
  close(fd);
}

bool IsPrivateFolder(const std::string& folder) {
  if (folder.empty()) return false;
  struct stat st {};
  if (lstat(WithoutTrailingSlash(folder).c_str(), &st) != 0) return false;
  return S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace kalvento::platform
