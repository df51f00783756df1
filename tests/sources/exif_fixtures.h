#pragma once

#include <string>
#include <vector>

namespace kalvento::test {

// A 1×1 greyscale JPEG of ours: only its structure, enough for ExifTool to write tags into.
std::string TinyJpegBytes();

// Writes the tiny JPEG to `path` and lets the installed exiftool set tags on it, given as
// "-Tag=value" arguments. False when exiftool failed.
bool MakeJpegWithTags(const std::string& path, const std::vector<std::string>& tag_arguments);

}  // namespace kalvento::test
