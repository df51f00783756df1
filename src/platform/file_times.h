#pragma once

#include <optional>
#include <string>

#include "platform/calendar_time.h"

namespace kalvento::platform {

// The three slots of a file's times; the numbers are those the runs use.
enum class FileTimeKind { kCreated = 0, kAccessed = 1, kModified = 2 };

struct FileTimes {
  FileInstant created;  // birth time; the modification time where the file system keeps none
  FileInstant modified;
  FileInstant accessed;
};

// Times of a file or folder, not following a symbolic link at the end of the path.
std::optional<FileTimes> ReadFileTimes(const std::string& path);

// Writes one slot and leaves the other two as they are. Created goes through the file system's
// creation-time attribute (NTFS, SMB/CIFS); where there is none the write fails. True when written.
bool WriteFileTime(const std::string& path, FileTimeKind kind, const FileInstant& when);

}  // namespace kalvento::platform
