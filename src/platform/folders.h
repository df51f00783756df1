#pragma once

#include <string>

namespace kalvento::platform {

// The program's folders, all ending with "/". `app_subdir` and `temp_subdir` come from the
// config table (AppData_Subdir, Temp_Subdir); a backslash in them counts as "/". Environment
// values that are not absolute paths are ignored, as the XDG base-directory rules say.
struct Folders {
  std::string program;  // folder of the running executable (/proc/self/exe)
  std::string data;     // $XDG_CONFIG_HOME (or ~/.config) + app_subdir
  std::string log;      // data + "Logs/"
  // $TMPDIR (or /tmp) + temp_subdir. Where that base is writable for everybody (/tmp), the
  // subfolder's name gets "-" and the user id appended ("/tmp/Kalvento-1000/"): one user's
  // folder would otherwise lock the others out, or let them plant the tools we run.
  std::string temp;
  // XDG_DOCUMENTS_DIR of $XDG_CONFIG_HOME/user-dirs.dirs, else ~/Documents when it is a folder,
  // else the home folder.
  std::string documents;
  std::string desktop;  // XDG_DESKTOP_DIR of user-dirs.dirs, else ~/Desktop
};

Folders FindFolders(const std::string& app_subdir, const std::string& temp_subdir);

// Creates the data, log and temp folders; failures are left for the callers to meet. The temp
// folder is created for the owner only (0700).
void CreateWorkingFolders(const Folders& folders);

// The folder itself (not a link) belongs to this user and nobody else may write into it; check
// before writing a program into it that is run later (tool deployment).
bool IsPrivateFolder(const std::string& folder);

}  // namespace kalvento::platform
