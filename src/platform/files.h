#pragma once

#include <optional>
#include <string>
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

}  // namespace kalvento::platform
