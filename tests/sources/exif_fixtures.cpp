#include "sources/exif_fixtures.h"

#include <chrono>

#include "platform/files.h"
#include "platform/process.h"

namespace kalvento::test {

std::string TinyJpegBytes() {
  std::string bytes("\xff\xd8\xff\xdb\x00\x43\x00", 7);  // start, one quantisation table
  bytes.append(64, '\x01');
  bytes.append("\xff\xc0\x00\x0b\x08\x00\x01\x00\x01\x01\x01\x11\x00", 13);  // 1×1, one component
  bytes.append("\xff\xda\x00\x08\x01\x01\x00\x00\x3f\x00\x00\xff\xd9", 13);  // scan, end
  return bytes;
}

bool MakeJpegWithTags(const std::string& path, const std::vector<std::string>& tag_arguments) {
  if (!platform::WriteWholeFile(path, TinyJpegBytes(), 0644)) return false;
  platform::ProcessOptions options;
  options.argv = {"exiftool", "-q", "-q", "-overwrite_original", "-charset", "filename=utf8"};
  options.argv.insert(options.argv.end(), tag_arguments.begin(), tag_arguments.end());
  options.argv.push_back(path);
  auto child = platform::ChildProcess::Start(options);
  return child && child->Wait(std::chrono::seconds(60)) == 0;
}

}  // namespace kalvento::test
