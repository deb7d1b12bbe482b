#include "mac/resource_fork.h"

#include <algorithm>

#include "core/icon_set.h"
#include "mac/icns.h"
#include "mac/icon_elements.h"

namespace vexilo::mac {

using core::SlotId;

namespace {

// Where the picture of a handled bitmap type goes.
struct BitmapResource {
  std::string_view type;
  int width;
  int height;
  int depth;
  SlotId slot;       // the colour image, or for 1-bit pairs the black-and-white image
  SlotId maskSlot;   // 1-bit pairs only: where the second plane goes
};

// 1-bit pairs are read as in an icns: the image plane of ICN# into icNB and its mask into imNB,
// the mask plane of the smaller pairs into their mask slot.
constexpr BitmapResource kHandled[] = {
    {"ICN#", 32, 32, 1, SlotId::icNB, SlotId::imNB}, {"ics#", 16, 16, 1, SlotId::im16, SlotId::im16},
    {"icm#", 16, 12, 1, SlotId::im12, SlotId::im12}, {"ich#", 48, 48, 1, SlotId::im48, SlotId::im48},
    {"ics4", 16, 16, 4, SlotId::ic16, SlotId::ic16}, {"icm4", 16, 12, 4, SlotId::ic12, SlotId::ic12},
    {"icl4", 32, 32, 4, SlotId::ic32, SlotId::ic32}, {"ich4", 48, 48, 4, SlotId::ic48, SlotId::ic48},
    {"ict4", 128, 128, 4, SlotId::ic128, SlotId::ic128}, {"ics8", 16, 16, 8, SlotId::ic16, SlotId::ic16},
    {"icm8", 16, 12, 8, SlotId::ic12, SlotId::ic12}, {"icl8", 32, 32, 8, SlotId::ic32, SlotId::ic32},
    {"ich8", 48, 48, 8, SlotId::ic48, SlotId::ic48}, {"ict8", 128, 128, 8, SlotId::ic128, SlotId::ic128},
};

const BitmapResource* handled(core::Bytes type) {
  const std::string_view code(reinterpret_cast<const char*>(type.data()), 4);
  for (const BitmapResource& r : kHandled)
    if (r.type == code) return &r;
  return nullptr;
}

void storeBitmapResource(core::CommandContext& ctx, const BitmapResource& r, core::Bytes data) {
  const std::size_t plane = static_cast<std::size_t>(r.width) * r.height * r.depth / 8;
  if (r.depth != 1) {
    ctx.board.storeBitmapFile(r.slot, buildBitmapFile(data.first(plane), r.width, r.height, r.depth), 0);
    return;
  }
  if (r.type == "ICN#") {
    ctx.board.storeBitmapFile(r.slot, buildBitmapFile(data.first(plane), r.width, r.height, 1), 0);
  }
  ctx.board.storeBitmapFile(r.maskSlot,
                            buildBitmapFile(data.subspan(plane, plane), r.width, r.height, 1), 0);
}

}  // namespace

void readResourceFork(core::CommandContext& ctx, core::Bytes fork) {
  if (fork.size() < 16) return;
  const std::uint32_t dataStart = core::readBE32(fork.data());
  const std::uint32_t mapStart = core::readBE32(fork.data() + 4);
  const std::uint32_t mapLength = core::readBE32(fork.data() + 12);
  if (mapStart >= fork.size()) return;
  // The map as far as it lies inside the fork.
  const core::Bytes map = fork.subspan(mapStart, std::min<std::size_t>(mapLength, fork.size() - mapStart));
  if (map.size() < 30) return;
  // The type list is taken at map offset 28, whatever the offset field at 24 says.
  const int types = static_cast<std::int16_t>(core::readBE16(map.data() + 28)) + 1;
  for (int k = 0; k < types; ++k) {
    const std::size_t entry = 30 + 8 * static_cast<std::size_t>(k);
    if (!core::inRange(map.size(), entry, 8)) break;
    const core::Bytes type = map.subspan(entry, 4);
    const BitmapResource* bitmap = handled(type);
    const bool icns = std::equal(type.begin(), type.end(), "icns");
    if (!bitmap && !icns) continue;
    const int count = static_cast<std::int16_t>(core::readBE16(map.data() + entry + 4)) + 1;
    const std::size_t list = 28 + std::size_t{core::readBE16(map.data() + entry + 6)};
    for (int j = 0; j < count; ++j) {
      const std::size_t ref = list + 12 * static_cast<std::size_t>(j);
      if (!core::inRange(map.size(), ref, 12)) break;
      // The data offset is 24 bits: the byte before it holds the attributes.
      const std::uint32_t offset = core::readBE32(map.data() + ref + 4) & 0x00FFFFFF;
      const std::uint64_t block = std::uint64_t{dataStart} + offset;
      if (block > fork.size() || !core::inRange(fork.size(), block, 4)) continue;
      const std::uint32_t length = core::readBE32(fork.data() + block);
      if (!core::inRange(fork.size(), block + 4, length)) continue;  // runs past the fork
      const core::Bytes data = fork.subspan(block + 4, length);
      if (icns) {
        readIcnsElements(ctx, fork, block + 4, length);
        continue;
      }
      const std::size_t needed =
          static_cast<std::size_t>(bitmap->width) * bitmap->height * bitmap->depth / 8 *
          (bitmap->depth == 1 ? 2 : 1);
      // Shorter data are a compressed resource (or a damaged one): no picture to be had.
      if (data.size() < needed) continue;
      storeBitmapResource(ctx, *bitmap, data);
    }
  }
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
