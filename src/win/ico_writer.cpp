#include "win/ico_writer.h"

#include <array>
#include <vector>

#include "core/save_flow.h"

namespace vexilo::win {

namespace {

using core::SlotId;

constexpr std::size_t kIcoHeaderBytes = 6;
constexpr std::size_t kEntryBytes = 16;
constexpr std::uint32_t kInfoHeaderBytes = 40;

// One entry's geometry: the slot's control size and the sizes that follow from it.
struct EntryLayout {
  int width;
  int height;
  std::size_t andSize;    // AND mask: rows of width/8 bytes padded to a multiple of 4
  std::size_t xorSize;    // 4 bytes a pixel, so the rows need no padding
  std::size_t dataSize;   // information header, XOR bitmap, AND mask
};

// Icon entries are at most 255 pixels a side: the directory stores one byte of each.
bool hasIconSize(SlotId slot) {
  const core::SlotKind kind = core::slotInfo(slot).kind;
  return kind != core::SlotKind::Pasteboard && kind != core::SlotKind::Palette;
}

EntryLayout layoutOf(SlotId slot) {
  const core::SlotSize size = core::controlSize(slot);
  EntryLayout l{size.width, size.height, 0, 0, 0};
  const std::size_t andStride = (static_cast<std::size_t>(l.width) / 8 + 3) / 4 * 4;
  l.andSize = andStride * static_cast<std::size_t>(l.height);
  l.xorSize = 4 * static_cast<std::size_t>(l.width) * static_cast<std::size_t>(l.height);
  l.dataSize = kInfoHeaderBytes + l.xorSize + l.andSize;
  return l;
}

void appendHeader(core::ByteBuffer& out, std::size_t count) {
  core::appendLE16(out, 0);
  core::appendLE16(out, 1);  // icon
  core::appendLE16(out, static_cast<std::uint16_t>(count));
}

void appendEntry(core::ByteBuffer& out, const EntryLayout& l, std::size_t offset) {
  out.push_back(static_cast<std::uint8_t>(l.width));  // 128 becomes 0x80
  out.push_back(static_cast<std::uint8_t>(l.height));
  out.push_back(0);  // colour count: not indexed
  out.push_back(0);
  core::appendLE16(out, 1);   // planes
  core::appendLE16(out, 32);  // bit count
  core::appendLE32(out, static_cast<std::uint32_t>(l.dataSize));
  core::appendLE32(out, static_cast<std::uint32_t>(offset));
}

// The entry's data: information header, XOR rows bottom row first, a zero AND mask.
void appendImage(core::ByteBuffer& out, core::IconSet& board, SlotId slot, const EntryLayout& l) {
  core::Slot& s = board.slot(slot);
  if (s.picture && s.picture->format() != core::PixelFormat::Bits32)
    s.picture->convertTo(core::PixelFormat::Bits32);
  // The control's size: a picture that does not fill it shows white around it.
  core::Bitmap pixels(l.width, l.height, core::PixelFormat::Bits32);
  pixels.fill(core::kWhite);
  if (s.picture) pixels.draw(*s.picture, 0, 0);  // same format: bytes copied, alpha as it is

  core::appendLE32(out, kInfoHeaderBytes);
  core::appendLE32(out, static_cast<std::uint32_t>(l.width));
  core::appendLE32(out, static_cast<std::uint32_t>(2 * l.height));  // XOR and AND bitmaps
  core::appendLE16(out, 1);
  core::appendLE16(out, 32);
  core::appendLE32(out, 0);  // uncompressed
  core::appendLE32(out, static_cast<std::uint32_t>(l.xorSize + l.andSize));
  for (int i = 0; i < 4; ++i) core::appendLE32(out, 0);  // resolutions, colours used, important
  for (int y = l.height; y-- > 0;) {
    const auto row = pixels.row(y);
    out.insert(out.end(), row.begin(), row.end());
  }
  out.resize(out.size() + l.andSize, 0);
}

core::Outcome saveIco(core::CommandContext& ctx, bool family) {
  // A single image is an icon only when it has an icon size: pasteboard and palette images
  // would make an entry whose directory and header disagree.
  if (!family && !hasIconSize(ctx.board.selected())) return core::Outcome::Refused;
  const core::FileDialogRequest dialog =
      core::dialogFromStrings(ctx.langOffset, 6423, 6440, 6418, 6439);
  const auto path = core::chooseSaveTarget(ctx, dialog);
  if (!path) return core::Outcome::Cancelled;
  // Encoding converts pictures to 32 bits, so it waits until the file is chosen.
  const core::ByteBuffer bytes =
      family ? writeIcoFamily(ctx.board) : *writeIcoImage(ctx.board, ctx.board.selected());
  return core::writeOutput(ctx, *path, bytes);
}

}  // namespace

std::optional<core::ByteBuffer> writeIcoImage(core::IconSet& board, SlotId slot) {
  if (!hasIconSize(slot)) return std::nullopt;
  const EntryLayout l = layoutOf(slot);
  core::ByteBuffer out;
  out.reserve(kIcoHeaderBytes + kEntryBytes + l.dataSize);
  appendHeader(out, 1);
  appendEntry(out, l, kIcoHeaderBytes + kEntryBytes);
  appendImage(out, board, slot, l);
  return out;
}

core::ByteBuffer writeIcoFamily(core::IconSet& board) {
  constexpr std::array<SlotId, 4> kOrder = {SlotId::ic16, SlotId::ic32, SlotId::ic48,
                                            SlotId::ic128};
  std::vector<SlotId> filled;
  for (SlotId id : kOrder)
    if (board.slot(id).filled()) filled.push_back(id);
  if (filled.size() == 1) return *writeIcoImage(board, filled.front());

  core::ByteBuffer out;
  appendHeader(out, filled.size());
  std::size_t offset = kIcoHeaderBytes + kEntryBytes * filled.size();
  for (SlotId id : filled) {
    const EntryLayout l = layoutOf(id);
    appendEntry(out, l, offset);
    offset += l.dataSize;
  }
  for (SlotId id : filled) appendImage(out, board, id, layoutOf(id));
  return out;
}

core::Outcome wicClick(core::CommandContext& ctx) { return saveIco(ctx, true); }

core::Outcome icoClick(core::CommandContext& ctx) { return saveIco(ctx, false); }

}  // namespace vexilo::win
