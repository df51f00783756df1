#pragma once

// libgsf reads a compound file's directory recursively, one call per sibling and per child, so a
// broken or hostile directory (a chain of 200,000 siblings in a few megabytes) overflows the
// stack and ends the program. Before libgsf sees a file, its directory is walked here without
// recursion and refused when libgsf would go deeper than a stack safely holds.
//
// Header-only, as it serves both the document reader and kalvento-msgtext.

#include <gsf/gsf-input.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace kalvento {

inline constexpr int kMaxCompoundDirectoryDepth = 12000;  // libgsf holds 20000 in 8 MiB

namespace compound_detail {

inline constexpr uint32_t kNoSector = 0xFFFFFFFA;  // this and above: end of chain, free, ...
inline constexpr uint32_t kNoEntry = 0xFFFFFFFF;
inline constexpr size_t kEntrySize = 128;
inline constexpr size_t kMostChainSectors = size_t{1} << 22;

inline uint32_t Le32(std::string_view bytes, size_t at) {
  if (at + 4 > bytes.size()) return kNoEntry;
  return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at])) |
         static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
         static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
         static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
}

inline std::string ReadAt(GsfInput* input, uint64_t offset, size_t size) {
  const gsf_off_t total = gsf_input_size(input);
  if (total < 0 || offset >= static_cast<uint64_t>(total)) return {};
  if (gsf_input_seek(input, static_cast<gsf_off_t>(offset), G_SEEK_SET)) return {};
  size = static_cast<size_t>(std::min<uint64_t>(size, static_cast<uint64_t>(total) - offset));
  const guint8* data = gsf_input_read(input, size, nullptr);
  return data == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(data), size);
}

}  // namespace compound_detail

// False only for a compound file whose directory libgsf would recurse through deeper than
// kMaxCompoundDirectoryDepth; anything else (not a compound file, unreadable parts) is left to
// libgsf. Leaves the input at its start.
inline bool CompoundDirectoryFits(GsfInput* input) {
  using namespace compound_detail;
  const std::string header = ReadAt(input, 0, 512);
  gsf_input_seek(input, 0, G_SEEK_SET);
  if (header.size() < 512 || !header.starts_with("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) return true;
  const unsigned shift = static_cast<unsigned char>(header[0x1E]) |
                         static_cast<unsigned>(static_cast<unsigned char>(header[0x1F])) << 8;
  if (shift < 7 || shift > 16) return true;
  const size_t sector_size = size_t{1} << shift;
  const size_t per_sector = sector_size / 4;
  const auto sector_offset = [&](uint32_t sector) { return (uint64_t{sector} + 1) << shift; };

  // The FAT's own sectors: 109 in the header, the rest in the DIFAT chain.
  std::vector<uint32_t> fat_sectors;
  const uint32_t fat_count = Le32(header, 0x2C);
  for (size_t i = 0; i < 109 && fat_sectors.size() < fat_count; ++i) {
    fat_sectors.push_back(Le32(header, 0x4C + 4 * i));
  }
  // Every chain is followed at most once through each sector: a chain that loops ends there.
  std::unordered_set<uint32_t> difat_seen;
  uint32_t difat = Le32(header, 0x44);
  while (difat < kNoSector && fat_sectors.size() < fat_count) {
    if (!difat_seen.insert(difat).second || difat_seen.size() > kMostChainSectors) break;
    const std::string block = ReadAt(input, sector_offset(difat), sector_size);
    if (block.size() < sector_size) break;
    for (size_t i = 0; i + 1 < per_sector && fat_sectors.size() < fat_count; ++i) {
      fat_sectors.push_back(Le32(block, 4 * i));
    }
    difat = Le32(block, sector_size - 4);
  }
  std::unordered_map<uint32_t, std::string> fat_blocks;
  const auto next_sector = [&](uint32_t sector) -> uint32_t {
    const size_t index = sector / per_sector;
    if (index >= fat_sectors.size() || fat_sectors[index] >= kNoSector) return kNoEntry;
    auto [found, added] = fat_blocks.try_emplace(fat_sectors[index]);
    if (added) found->second = ReadAt(input, sector_offset(fat_sectors[index]), sector_size);
    return Le32(found->second, 4 * (sector % per_sector));
  };

  // The directory stream, sector by sector.
  std::string directory;
  std::unordered_set<uint32_t> directory_seen;
  uint32_t sector = Le32(header, 0x30);
  while (sector < kNoSector && directory_seen.insert(sector).second &&
         directory_seen.size() <= kMostChainSectors) {
    const std::string block = ReadAt(input, sector_offset(sector), sector_size);
    if (block.size() < sector_size) break;
    directory += block;
    sector = next_sector(sector);
  }
  gsf_input_seek(input, 0, G_SEEK_SET);
  const size_t entry_count = directory.size() / kEntrySize;
  if (entry_count == 0) return true;

  // libgsf's recursion: from the root entry into each entry's left and right siblings and its
  // child, one level each. An entry seen before is not entered again.
  std::vector<std::pair<uint32_t, int>> pending = {{0, 1}};
  std::unordered_set<uint32_t> seen;
  while (!pending.empty()) {
    const auto [entry, depth] = pending.back();
    pending.pop_back();
    if (depth > kMaxCompoundDirectoryDepth) return false;
    if (!seen.insert(entry).second) continue;
    const size_t at = entry * kEntrySize;
    for (const size_t field : {size_t{0x44}, size_t{0x48}, size_t{0x4C}}) {
      const uint32_t next = Le32(directory, at + field);
      if (next != kNoEntry && next < entry_count) pending.emplace_back(next, depth + 1);
    }
  }
  return true;
}

}  // namespace kalvento
