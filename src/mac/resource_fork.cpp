#include "mac/resource_fork.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "core/element_types.h"
#include "mac/icns.h"
#include "mac/icon_elements.h"
#include "mac/resource_compression.h"

namespace vexilo::mac {

namespace {

// All the compressed resources of one fork together decompress to no more than this.
constexpr std::size_t kMaxForkExpansionBytes = std::size_t{16} << 20;

// The resource types read: the 1-bit pairs and the 4- and 8-bit colour icons, into the slots of
// their type as in an icns family, and icns resources as whole families.
const core::ElementType* iconResourceType(core::Bytes code) {
  const core::ElementType* type = core::findElementType(code);
  if (!type) return nullptr;
  switch (type->role) {
    case core::ElementRole::Container:
    case core::ElementRole::Pair: return type;
    case core::ElementRole::Colour: return type->bits == 32 ? nullptr : type;
    case core::ElementRole::Mask:
    case core::ElementRole::Encoded:
    case core::ElementRole::Ignored: return nullptr;
  }
  return nullptr;
}

}  // namespace

bool isResourceFork(core::Bytes file) {
  if (file.size() < 16 + 30) return false;
  const std::uint32_t dataStart = core::readBE32(file.data()), mapStart = core::readBE32(file.data() + 4);
  const std::uint32_t dataLength = core::readBE32(file.data() + 8), mapLength = core::readBE32(file.data() + 12);
  if (dataStart < 16 || mapStart < 16 || mapLength < 30) return false;
  if (!core::inRange(file.size(), dataStart, dataLength) || !core::inRange(file.size(), mapStart, mapLength))
    return false;
  const bool apart = std::uint64_t{dataStart} + dataLength <= mapStart ||
                     std::uint64_t{mapStart} + mapLength <= dataStart;
  if (!apart) return false;
  // The map begins with a copy of the header, or with zeros where a tool left it blank.
  const std::uint8_t* copy = file.data() + mapStart;
  return std::equal(copy, copy + 16, file.data()) ||
         std::all_of(copy, copy + 16, [](std::uint8_t b) { return b == 0; });
}

core::DecodedFamily decodeResourceFork(core::Bytes fork) {
  core::DecodedFamily family;
  if (fork.size() < 16) return family;
  const std::uint32_t dataStart = core::readBE32(fork.data());
  const std::uint32_t mapStart = core::readBE32(fork.data() + 4);
  const std::uint32_t mapLength = core::readBE32(fork.data() + 12);
  if (mapStart >= fork.size()) return family;
  // The map as far as it lies inside the fork.
  const core::Bytes map = fork.subspan(mapStart, std::min<std::size_t>(mapLength, fork.size() - mapStart));
  if (map.size() < 30) return family;
  // The type list is taken at map offset 28, whatever the offset field at 24 says.
  const int types = static_cast<std::int16_t>(core::readBE16(map.data() + 28)) + 1;
  // Each reference takes 12 bytes of the map and each resource its own stretch of the data,
  // so a sound fork never exceeds these budgets nor reads a block twice; a damaged one whose
  // type entries repeat one long reference list, or whose references share or overlap their
  // data, is read that far and no further instead of running on.
  std::size_t references = map.size() / 12;
  std::size_t dataBytes = fork.size();
  std::vector<bool> blockRead(fork.size());
  std::size_t expansionBudget = kMaxForkExpansionBytes;
  for (int k = 0; k < types && references > 0; ++k) {
    const std::size_t entry = 30 + 8 * static_cast<std::size_t>(k);
    if (!core::inRange(map.size(), entry, 8)) break;
    const core::ElementType* type = iconResourceType(map.subspan(entry, 4));
    if (!type) continue;
    const int count = static_cast<std::int16_t>(core::readBE16(map.data() + entry + 4)) + 1;
    const std::size_t list = 28 + std::size_t{core::readBE16(map.data() + entry + 6)};
    for (int j = 0; j < count && references > 0; ++j, --references) {
      const std::size_t ref = list + 12 * static_cast<std::size_t>(j);
      if (!core::inRange(map.size(), ref, 12)) break;
      // The data offset is 24 bits: the byte before it holds the attributes.
      const std::uint32_t offset = core::readBE32(map.data() + ref + 4) & 0x00FFFFFF;
      const std::uint64_t block = std::uint64_t{dataStart} + offset;
      if (block > fork.size() || !core::inRange(fork.size(), block, 4)) continue;
      const std::uint32_t length = core::readBE32(fork.data() + block);
      if (!core::inRange(fork.size(), block + 4, length)) continue;  // runs past the fork
      if (blockRead[block]) continue;
      blockRead[block] = true;
      if (std::size_t{length} + 4 > dataBytes) return family;
      dataBytes -= std::size_t{length} + 4;
      core::Bytes data = fork.subspan(block + 4, length);
      // A compressed resource is read as what it decompresses to, within the fork's budget
      // (a few bytes may stand for a megabyte); one that cannot be decompressed is skipped.
      std::optional<core::ByteBuffer> expanded;
      if (isCompressedResource(data)) {
        const auto wanted = decompressedLength(data);
        if (!wanted || *wanted > expansionBudget || !(expanded = decompressResource(data))) continue;
        expansionBudget -= expanded->size();
        data = *expanded;
      }
      if (type->role == core::ElementRole::Container) {
        family.append(decodeIcns(data));
        continue;
      }
      // Shorter data are a damaged resource: no picture to be had.
      if (data.size() < type->dataBytes) continue;
      decodeFamilyElement(family, *type, data);
    }
  }
  return family;
}

void readResourceFork(core::CommandContext& ctx, core::Bytes fork) {
  core::applyFamily(ctx, decodeResourceFork(fork));
}

core::ByteBuffer writeResourceFork(const std::vector<Resource>& resources) {
  const auto count = static_cast<std::uint32_t>(resources.size());
  std::uint32_t dataLength = 0;
  for (const Resource& r : resources) dataLength += static_cast<std::uint32_t>(r.data.size()) + 4;
  const std::uint32_t mapLength = 30 + 20 * count;

  core::ByteBuffer header;
  core::appendBE32(header, 256);
  core::appendBE32(header, 256 + dataLength);
  core::appendBE32(header, dataLength);
  core::appendBE32(header, mapLength);

  core::ByteBuffer out = header;
  out.resize(256, 0);
  for (const Resource& r : resources) {
    core::appendBE32(out, static_cast<std::uint32_t>(r.data.size()));
    out.insert(out.end(), r.data.begin(), r.data.end());
  }
  out.insert(out.end(), header.begin(), header.end());
  out.resize(out.size() + 8, 0);  // reserved words and map attributes
  core::appendBE16(out, 28);
  core::appendBE16(out, static_cast<std::uint16_t>(mapLength));  // the empty name list ends the map
  core::appendBE16(out, static_cast<std::uint16_t>(count - 1));
  for (std::uint32_t k = 0; k < count; ++k) {
    out.insert(out.end(), resources[k].type.begin(), resources[k].type.end());
    core::appendBE16(out, 0);  // one resource of this type
    core::appendBE16(out, static_cast<std::uint16_t>(2 + 8 * count + 12 * k));
  }
  std::uint32_t offset = 0;
  for (const Resource& r : resources) {
    core::appendBE16(out, static_cast<std::uint16_t>(kCustomIconId));
    core::appendBE16(out, 0xFFFF);
    core::appendBE32(out, offset);  // attributes 0, then the 24-bit data offset
    core::appendBE32(out, 0);
    offset += static_cast<std::uint32_t>(r.data.size()) + 4;
  }
  return out;
}

}  // namespace vexilo::mac
