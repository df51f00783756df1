#pragma once

#include <string>
#include <string_view>

namespace kalvento::platform {

// Path conventions of the result list and the runs. A folder path is absolute and ends with "/".

// A result-list line that names a folder: starts with "/" and ends with "/".
bool IsFolderLine(std::string_view line);

// Depth of a folder path: its number of "/" ("/" is 1, "/home/ann/" is 3).
int FolderDepth(std::string_view folder);

// A local absolute path ("/..."); URLs such as smb://host/share and relative paths are not.
bool IsLocalAbsolutePath(std::string_view path);

// Adds the trailing "/" a folder path carries (the empty text stays empty).
std::string WithTrailingSlash(std::string_view folder);

// Drops trailing "/" characters, except that "/" itself stays "/" ("/a/b/" -> "/a/b"). The form
// that calls which must not follow a symbolic link at the end of the path need: "link/" would
// follow it.
std::string WithoutTrailingSlash(std::string_view path);

// The folder part of a path, ending with "/" ("/a/b.txt" -> "/a/", "/a/b/" -> "/a/b/"); empty when
// the path holds no "/".
std::string FolderOf(std::string_view path);

// The absolute, lexically normalised form of `path` ("." and ".." folded, duplicate "/" removed),
// relative paths taken against the working folder. Symbolic links are not resolved. The result
// ends with "/" when the path does ("/a/b/", "/a/.", "/a/b/.." all name a folder) and is "/" for
// the root; ".." above the root stays at the root. Empty for an empty path or when the working
// folder cannot be read.
std::string AbsolutePath(std::string_view path);

// The path with every symbolic link resolved; empty when it does not exist.
std::string ResolvedPath(const std::string& path);

}  // namespace kalvento::platform
