#pragma once

#include <string>
#include <vector>

namespace kalvento::test {

// A fresh folder under the system temp folder, removed with everything in it at destruction.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder path, ending with "/".
  const std::string& path() const { return path_; }
  // Writes a file (creating parent folders) and returns its full path.
  std::string WriteFile(const std::string& relative, const std::string& contents = "") const;
  // Creates a sub-folder and returns its path ending with "/".
  std::string MakeFolder(const std::string& relative) const;

 private:
  std::string path_;
};

// Sets the modification time (and access time) of a path, seconds since 1970 UTC.
void SetModifiedUnix(const std::string& path, long long unix_seconds);

}  // namespace kalvento::test

namespace kalvento::test {
bool PathExistsForTest(const std::string& path);
// The whole file's bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
// The modification time in seconds since 1970 (not following a link); -1 when it cannot be read.
long long ModifiedUnix(const std::string& path);
// The names of everything in a folder (links included), sorted; empty when it cannot be read.
std::vector<std::string> EntryNames(const std::string& folder);
}  // namespace kalvento::test
