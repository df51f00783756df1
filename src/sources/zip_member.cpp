#include "sources/zip_member.h"

#include <minizip/unzip.h>

#include <algorithm>
#include <vector>

namespace kalvento {
namespace {

constexpr unsigned kPieceSize = 102400;

std::string NormalName(std::string_view name) {
  std::string normal(name);
  for (char& c : normal) {
    if (c == '\\') c = '/';
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return normal;
}

// Closes the archive on every way out.
struct ArchiveCloser {
  unzFile archive;
  ~ArchiveCloser() { unzClose(archive); }
};

// Positions the archive on the first entry of that (normalised) name.
bool GoToMember(unzFile archive, const std::string& wanted, unz_file_info64& info) {
  // Names are read into a buffer one longer than the wanted one; only entries whose stored name
  // has the wanted length are compared, so a truncated longer name can never match.
  std::vector<char> name(wanted.size() + 1);
  for (int status = unzGoToFirstFile(archive); status == UNZ_OK;
       status = unzGoToNextFile(archive)) {
    if (unzGetCurrentFileInfo64(archive, &info, name.data(), static_cast<uLong>(name.size()),
                                nullptr, 0, nullptr, 0) != UNZ_OK) {
      return false;
    }
    if (info.size_filename != wanted.size()) continue;
    if (NormalName(std::string_view(name.data(), wanted.size())) == wanted) return true;
  }
  return false;
}

}  // namespace

std::optional<std::string> ReadZipMember(const std::string& archive_path,
                                         std::string_view member_name) {
  const std::string wanted = NormalName(member_name);
  if (wanted.empty()) return std::nullopt;
  unzFile archive = unzOpen64(archive_path.c_str());
  if (archive == nullptr) return std::nullopt;
  const ArchiveCloser closer{archive};

  unz_file_info64 info{};
  if (!GoToMember(archive, wanted, info)) return std::nullopt;
  if (info.uncompressed_size == 0 || info.uncompressed_size > kMaxZipMemberSize) {
    return std::nullopt;
  }
  if ((info.flag & 1) != 0) return std::nullopt;  // encrypted: we have no password
  if (unzOpenCurrentFile(archive) != UNZ_OK) return std::nullopt;

  std::string block(static_cast<size_t>(info.uncompressed_size), '\0');
  size_t filled = 0;
  bool failed = false;
  while (filled < block.size()) {
    const auto piece = static_cast<unsigned>(std::min<size_t>(kPieceSize, block.size() - filled));
    const int got = unzReadCurrentFile(archive, block.data() + filled, piece);
    if (got <= 0) {  // an error, or the data ended before the size it declares
      failed = true;
      break;
    }
    filled += static_cast<size_t>(got);
  }
  // Once the whole member was read, closing checks its CRC.
  const int closed = unzCloseCurrentFile(archive);
  if (failed || closed != UNZ_OK) return std::nullopt;
  return block;
}

}  // namespace kalvento
