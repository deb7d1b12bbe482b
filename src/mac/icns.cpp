#include "mac/icns.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/file_io.h"
#include "core/save_flow.h"
#include "core/string_table.h"
#include "mac/icon_elements.h"

namespace vexilo::mac {

namespace {

using core::SlotId;

constexpr std::size_t kHeaderBytes = 8;

// The colour and mask slots of an element height (16x12 elements go to the 16x16 pair).
SlotId colourSlot(int height) {
  switch (height) {
    case 12: return SlotId::ic12;
    case 16: return SlotId::ic16;
    case 32: return SlotId::ic32;
    case 48: return SlotId::ic48;
    default: return SlotId::ic128;
  }
}

SlotId maskSlot(int height) {
  switch (height) {
    case 12: return SlotId::im12;
    case 16: return SlotId::im16;
    case 32: return SlotId::im32;
    case 48: return SlotId::im48;
    default: return SlotId::im128;
  }
}

// Builds a bitmap file of `source` and offers it to the slot (and so to the pasteboard). A plane
// with no bytes at all is not a picture and is left out.
void store(core::IconSet& board, SlotId slot, core::Bytes source, int width, int height,
           int depth) {
  if (source.empty()) return;
  const core::ByteBuffer file = buildBitmapFile(source, width, height, depth);
  board.storeBitmapFile(slot, file, 0);
}

// At most `count` bytes of `bytes` from `offset` on (none when the offset lies beyond).
core::Bytes slice(core::Bytes bytes, std::size_t offset, std::size_t count) {
  if (offset >= bytes.size()) return {};
  return bytes.subspan(offset, std::min(count, bytes.size() - offset));
}

// The pixels (blue, green, red, alpha) of a 32-bit element. The declared data length decides
// the form: shorter than four bytes a pixel, the three coded channels (after four zero bytes in
// it32); otherwise raw pixels stored alpha, red, green, blue, as the raw element files are read.
// A raw it32 may keep the four leading zero bytes of the coded form; they are skipped when the
// data are long enough to hold them besides the pixels. Pixels the data do not reach stay 0.
core::ByteBuffer elementPixels(const IconType& type, core::Bytes data, std::size_t declared) {
  const std::size_t n = static_cast<std::size_t>(type.width) * static_cast<std::size_t>(type.height);
  const bool it32 = type.width == 128;
  if (declared < 4 * n) return decodeRle32(slice(data, it32 ? 4 : 0, data.size()), n);
  const std::size_t skip = it32 && declared >= 4 * n + 4 ? 4 : 0;
  return argbToBgra(slice(data, skip, 4 * n), n);
}

// Pairs 32-bit pictures with their masks for one reading. A mask right after its picture is
// taken from there; any other is searched for from the start of the range, which gives the same
// answer every time: it is searched once for each mask type, so that a file of many small
// 32-bit elements costs one search per mask type rather than one per element.
class MaskPairing {
 public:
  explicit MaskPairing(core::Bytes range) : range_(range) {}

  void apply(std::size_t next, std::span<std::uint8_t> pixels, std::size_t n) {
    // Looking only at the bytes after the picture tells whether its mask follows it.
    const core::Bytes after = slice(range_, next, kHeaderBytes + n);
    core::Bytes mask = findElementMask(after, 0, n);
    const bool adjacent = !mask.empty() && mask.data() == after.data() + kHeaderBytes;
    if (!adjacent) {
      auto& searched = searched_[n];
      if (!searched) searched = findElementMask(range_, range_.size(), n);
      mask = *searched;
    }
    for (std::size_t i = 0; i < mask.size() && i < pixels.size() / 4; ++i) pixels[i * 4 + 3] = mask[i];
  }

 private:
  core::Bytes range_;
  std::map<std::size_t, std::optional<core::Bytes>> searched_;
};

// Decodes one known element (not the icns header) whose data are `data` and stores its
// pictures. `next` is the position after the element, where its mask may follow.
void readElement(core::IconSet& board, MaskPairing& masks, const IconType& type,
                 std::size_t next, core::Bytes data, std::size_t declared) {
  const int w = type.width;
  const int h = type.height;
  const std::size_t n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
  switch (type.depth) {
    case 1: {
      // Image plane, then mask plane. ICN# fills the black-and-white pair with both. The other
      // pairs have only a mask slot to go to, and it takes the second plane: that is the mask by
      // the element layout, as for ICN# and the raw pair files, so every reader puts the same
      // plane into a mask slot.
      const std::size_t plane = n / 8;
      if (h == 32) {
        store(board, SlotId::icNB, slice(data, 0, plane), w, h, 1);
        store(board, SlotId::imNB, slice(data, plane, plane), w, h, 1);
      } else {
        store(board, maskSlot(h), slice(data, plane, plane), w, h, 1);
      }
      break;
    }
    case 4:
      store(board, colourSlot(h), slice(data, 0, n / 2), w, h, 4);
      break;
    case 8:
      store(board, colourSlot(h), slice(data, 0, n), w, h, 8);
      break;
    case -8:
      store(board, maskSlot(h), slice(data, 0, n), w, h, -8);
      break;
    case 32: {
      if (data.empty()) break;
      core::ByteBuffer pixels = elementPixels(type, data, declared);
      masks.apply(next, pixels, n);
      store(board, colourSlot(h), pixels, w, h, 32);
      break;
    }
    default:
      break;
  }
}

}  // namespace

void readIcnsFile(core::CommandContext& ctx, const std::filesystem::path& path) {
  const auto bytes = core::readFileBytes(path);
  if (!bytes) {
    core::showFileError(ctx.prompter, ctx.langOffset, path.string());
    return;
  }
  readIcnsElements(ctx, *bytes, 0, bytes->size());
}

// An "icns" header met anywhere (an icns resource starts with one) is passed over: its length
// field is not used. Damaged files are read as far as they make sense:
// - fewer than 8 bytes left: no further header, the reading ends;
// - a length field below 8 (0 included) cannot step to a next header: the reading ends there,
//   whatever the type, and what was read before stays;
// - an element running past the end of the range is read with the bytes that are there (as a
//   short read of the file would give them, the rest as zeros) and ends the reading;
// - an element (or the mask plane of a pair) without any data bytes gives no picture;
// - data longer than an element's pictures need are cut to what they need (8-bit masks to
//   their pixel count, raw 32-bit data to four bytes a pixel), so no element is too large.
void readIcnsElements(core::CommandContext& ctx, core::Bytes file, std::size_t start,
                      std::size_t length) {
  if (start >= file.size()) return;
  const core::Bytes range = file.subspan(start, std::min(length, file.size() - start));
  const auto& table = iconTypeTable();
  MaskPairing masks(range);

  std::size_t pos = 0;
  while (pos < range.size()) {
    if (!core::inRange(range.size(), pos, kHeaderBytes)) break;
    const core::Bytes code = range.subspan(pos, 4);
    const std::uint32_t recordLength = core::readBE32(range.data() + pos + 4);
    const int index = elementTypeIndex(code);
    if (index == 0) {  // the icns header: its length field is not used
      pos += kHeaderBytes;
      continue;
    }
    if (recordLength < kHeaderBytes) break;

    const std::size_t dataStart = pos + kHeaderBytes;
    const std::size_t declared = recordLength - kHeaderBytes;
    const std::size_t present = std::min<std::size_t>(declared, range.size() - dataStart);
    const std::size_t next = dataStart + present;

    if (index < 0) {
      const std::string name(reinterpret_cast<const char*>(code.data()), code.size());
      ctx.prompter.showInfo(core::formatMessage(core::loadLocalString(6406, ctx.langOffset), name));
    } else if (static_cast<std::size_t>(index) < table.size()) {
      readElement(ctx.board, masks, table[static_cast<std::size_t>(index)], next,
                  range.subspan(dataStart, present), declared);
    }
    pos = next;
    if (present < declared) break;  // the element ran past the end
  }
}

core::ByteBuffer writeIcnsFamily(core::IconSet& board) {
  struct Size {
    int pixels;
    SlotId colour;
    std::optional<SlotId> mask;
  };
  // The 128 pair takes its mask from the colour picture's alpha.
  constexpr std::array<Size, 4> kSizes = {{{16, SlotId::ic16, SlotId::im16},
                                           {32, SlotId::ic32, SlotId::im32},
                                           {48, SlotId::ic48, SlotId::im48},
                                           {128, SlotId::ic128, std::nullopt}}};
  core::ByteBuffer out = {'i', 'c', 'n', 's', 0, 0, 0, 0};
  for (const Size& s : kSizes)
    if (board.slot(s.colour).filled()) writeElement32(board, out, s.colour, s.pixels, s.mask);
  core::writeBE32(out.data() + 4, static_cast<std::uint32_t>(out.size()));
  return out;
}

std::optional<core::ByteBuffer> writeSlotIcns(core::IconSet& board, core::SlotId slot) {
  const int size = core::controlSize(slot).width;
  if (size != 16 && size != 32 && size != 48 && size != 128) return std::nullopt;
  core::ByteBuffer out = {'i', 'c', 'n', 's', 0, 0, 0, 0};
  writeElement32(board, out, slot, size, std::nullopt);
  core::writeBE32(out.data() + 4, static_cast<std::uint32_t>(out.size()));
  return out;
}

// Pasteboard and palette images have no icns size: the command does nothing for them (the pop-up
// menu is not meant to offer it there, and no dialog is worth showing for it).
core::Outcome icnsClick(core::CommandContext& ctx) {
  const SlotId slot = ctx.board.selected();
  const int size = core::controlSize(slot).width;
  if (size != 16 && size != 32 && size != 48 && size != 128) return core::Outcome::Refused;
  const core::FileDialogRequest dialog = core::dialogFromStrings(ctx.langOffset, 6435, 6436, 6437, 6438);
  const auto path = core::chooseSaveTarget(ctx, dialog);
  if (!path) return core::Outcome::Cancelled;
  // Encoding converts the slot's picture to 32 bits, so it waits until the file is chosen.
  const auto bytes = writeSlotIcns(ctx.board, slot);
  if (!bytes) return core::Outcome::Refused;
  return core::writeOutput(ctx, *path, *bytes);
}

}  // namespace vexilo::mac
