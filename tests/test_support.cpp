#include "test_support.h"

#include <sys/stat.h>
#include <sys/time.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace kalvento::test {

TempFolder::TempFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kalvento-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern + "/";
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::WriteFile(const std::string& relative, const std::string& contents) const {
  std::string full = path_ + relative;
  std::filesystem::create_directories(std::filesystem::path(full).parent_path());
  std::ofstream out(full, std::ios::binary);
  out << contents;
  return full;
}

std::string TempFolder::MakeFolder(const std::string& relative) const {
  std::string full = path_ + relative;
  std::filesystem::create_directories(full);
  if (full.back() != '/') full += '/';
  return full;
}

void SetModifiedUnix(const std::string& path, long long unix_seconds) {
  timeval times[2] = {{static_cast<time_t>(unix_seconds), 0}, {static_cast<time_t>(unix_seconds), 0}};
  lutimes(path.c_str(), times);
}

}  // namespace kalvento::test

namespace kalvento::test {
bool PathExistsForTest(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

long long ModifiedUnix(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return -1;
  return info.st_mtim.tv_sec;
}

std::vector<std::string> EntryNames(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}
}  // namespace kalvento::test
