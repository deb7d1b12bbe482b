#include "win/ico_writer.h"

#include <array>
#include <vector>

#include "core/png_codec.h"
#include "core/save_flow.h"

namespace vexilo::win {

namespace {

using core::SlotId;

constexpr std::size_t kIcoHeaderBytes = 6;
constexpr std::size_t kEntryBytes = 16;
constexpr std::uint32_t kInfoHeaderBytes = 40;

// One entry: its size (256 written as 0 in the directory's bytes) and its data.
struct Entry {
  int width;
  int height;
  core::ByteBuffer data;
};

// Icon entries are at most 256 pixels a side: the directory stores one byte of each.
bool hasIconSize(SlotId slot) {
  const core::SlotKind kind = core::slotInfo(slot).kind;
  return kind != core::SlotKind::Pasteboard && kind != core::SlotKind::Palette &&
         core::controlSize(slot).width <= 256;
}

void appendHeader(core::ByteBuffer& out, std::size_t count) {
  core::appendLE16(out, 0);
  core::appendLE16(out, 1);  // icon
  core::appendLE16(out, static_cast<std::uint16_t>(count));
}

void appendEntry(core::ByteBuffer& out, const Entry& e, std::size_t offset) {
  out.push_back(static_cast<std::uint8_t>(e.width));  // 128 becomes 0x80, 256 0
  out.push_back(static_cast<std::uint8_t>(e.height));
  out.push_back(0);  // colour count: not indexed
  out.push_back(0);
  core::appendLE16(out, 1);   // planes
  core::appendLE16(out, 32);  // bit count
  core::appendLE32(out, static_cast<std::uint32_t>(e.data.size()));
  core::appendLE32(out, static_cast<std::uint32_t>(offset));
}

// The entry of a slot, its picture converted to 32 bits in place first: 256 pixels as a PNG
// file, as newer systems store that size (as a bitmap should the encoder fail); the others as an
// information header, the XOR rows bottom row first (4 bytes a pixel, so the rows need no
// padding) and a zero AND mask (rows of width/8 bytes padded to a multiple of 4).
Entry entryOf(core::IconSet& board, SlotId slot) {
  if (auto& picture = board.slot(slot).picture) picture->convertTo(core::PixelFormat::Bits32);
  const core::Bitmap pixels = board.controlPicture32(slot);
  Entry e{pixels.width(), pixels.height(), {}};
  if (e.width == 256) {
    if (auto png = core::encodeShownPng(pixels)) {
      e.data = std::move(*png);
      return e;
    }
  }
  const std::size_t andStride = (static_cast<std::size_t>(e.width) / 8 + 3) / 4 * 4;
  const std::size_t andSize = andStride * static_cast<std::size_t>(e.height);
  const std::size_t xorSize = pixels.data().size();
  core::ByteBuffer& out = e.data;
  out.reserve(kInfoHeaderBytes + xorSize + andSize);
  core::appendLE32(out, kInfoHeaderBytes);
  core::appendLE32(out, static_cast<std::uint32_t>(e.width));
  core::appendLE32(out, static_cast<std::uint32_t>(2 * e.height));  // XOR and AND bitmaps
  core::appendLE16(out, 1);
  core::appendLE16(out, 32);
  core::appendLE32(out, 0);  // uncompressed
  core::appendLE32(out, static_cast<std::uint32_t>(xorSize + andSize));
  for (int i = 0; i < 4; ++i) core::appendLE32(out, 0);  // resolutions, colours used, important
  for (int y = e.height; y-- > 0;) {
    const auto row = pixels.row(y);
    out.insert(out.end(), row.begin(), row.end());
  }
  out.resize(out.size() + andSize, 0);
  return e;
}

core::ByteBuffer writeEntries(core::IconSet& board, const std::vector<SlotId>& slots) {
  std::vector<Entry> entries;
  for (SlotId id : slots) entries.push_back(entryOf(board, id));
  core::ByteBuffer out;
  appendHeader(out, entries.size());
  std::size_t offset = kIcoHeaderBytes + kEntryBytes * entries.size();
  for (const Entry& e : entries) {
    appendEntry(out, e, offset);
    offset += e.data.size();
  }
  for (const Entry& e : entries) out.insert(out.end(), e.data.begin(), e.data.end());
  return out;
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
  return writeEntries(board, {slot});
}

core::ByteBuffer writeIcoFamily(core::IconSet& board) {
  constexpr std::array<SlotId, 5> kOrder = {SlotId::ic16, SlotId::ic32, SlotId::ic48,
                                            SlotId::ic128, SlotId::ic256};
  std::vector<SlotId> filled;
  for (SlotId id : kOrder)
    if (board.slot(id).filled()) filled.push_back(id);
  return writeEntries(board, filled);
}

core::Outcome wicClick(core::CommandContext& ctx) { return saveIco(ctx, true); }

core::Outcome icoClick(core::CommandContext& ctx) { return saveIco(ctx, false); }

}  // namespace vexilo::win
