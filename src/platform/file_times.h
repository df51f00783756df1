#pragma once

#include <cstdint>
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

// The same for the entry `name` inside `folder` (ending with "/"), already open as `folder_fd`: no path
// walk per file when a whole folder is read.
std::optional<FileTimes> ReadFileTimesAt(int folder_fd, const std::string& folder,
                                         const std::string& name);

// Writes one slot and leaves the other two as they are. Created goes through the file system's
// creation-time attribute (NTFS, SMB/CIFS); where there is none the write fails. True when written.
bool WriteFileTime(const std::string& path, FileTimeKind kind, const FileInstant& when);

// Instant <-> Windows FILETIME (100 ns ticks since 1601-01-01 UTC), the value of the creation-time
// attributes. Empty before 1601, past the signed 64-bit range or for a tick count of 0; sub-tick
// nanoseconds are dropped.
std::optional<uint64_t> FileTimeFromInstant(const FileInstant& when);
std::optional<FileInstant> InstantFromFileTime(uint64_t ticks);

}  // namespace kalvento::platform
