#include "mac/icns.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/element_types.h"
#include "core/file_io.h"
#include "core/png_codec.h"
#include "core/save_flow.h"
#include "mac/icon_elements.h"

namespace vexilo::mac {

namespace {

using core::SlotId;

constexpr std::size_t kHeaderBytes = 8;

// At most `count` bytes of `bytes` from `offset` on (none when the offset lies beyond).
core::Bytes slice(core::Bytes bytes, std::size_t offset, std::size_t count) {
  if (offset >= bytes.size()) return {};
  return bytes.subspan(offset, std::min(count, bytes.size() - offset));
}

// Square sizes that have a 32-bit element.
bool hasElement32(int size) {
  return core::findElementType(core::ElementRole::Colour, 32, size, size) != nullptr;
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

// A type code as text, or in hexadecimal when a byte of it is not printable.
std::string typeName(core::Bytes code) {
  if (std::all_of(code.begin(), code.end(), [](std::uint8_t c) { return c >= 0x20 && c < 0x7F; }))
    return std::string(code.begin(), code.end());
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "0x";
  for (std::uint8_t c : code) out += {kHex[c >> 4], kHex[c & 15]};
  return out;
}

}  // namespace

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
core::DecodedFamily decodeIcns(core::Bytes range) {
  core::DecodedFamily family;
  MaskPairing masks(range);
  std::vector<std::string> unknown;  // the unknown types, each once, in file order
  std::size_t pos = 0;
  while (core::inRange(range.size(), pos, kHeaderBytes)) {
    const core::Bytes code = range.subspan(pos, 4);
    const std::uint32_t recordLength = core::readBE32(range.data() + pos + 4);
    const core::ElementType* type = core::findElementType(code);
    if (type && type->role == core::ElementRole::Container) {
      pos += kHeaderBytes;
      continue;
    }
    if (recordLength < kHeaderBytes) break;

    const std::size_t dataStart = pos + kHeaderBytes;
    const std::size_t declared = recordLength - kHeaderBytes;
    const std::size_t present = std::min<std::size_t>(declared, range.size() - dataStart);
    const std::size_t next = dataStart + present;
    const core::Bytes data = range.subspan(dataStart, present);

    if (!type) {
      const std::string name = typeName(code);
      if (std::find(unknown.begin(), unknown.end(), name) == unknown.end()) unknown.push_back(name);
    } else if (type->role == core::ElementRole::Ignored) {
    } else if (type->bits == 32) {
      if (data.empty()) {
      } else if (auto picture = decodeEncodedPicture(data, type->width)) {
        offerDecodedPicture(family, std::move(*picture));
      } else if (const core::ElementType* classic = classicType(*type)) {
        core::ByteBuffer pixels = decodeElement32(*classic, data, declared);
        masks.apply(next, pixels, classic->pixels());
        family.offer(classic->image, elementBitmap(pixels, classic->width, classic->height, 32));
      }
    } else {
      decodeFamilyElement(family, *type, data);
    }
    pos = next;
    if (present < declared) break;  // the element ran past the end
  }
  if (!unknown.empty()) {
    std::string names = unknown.front();
    for (std::size_t i = 1; i < unknown.size(); ++i) names += ", " + unknown[i];
    family.say(6406, names);
  }
  return family;
}

void readIcnsFile(core::CommandContext& ctx, const std::filesystem::path& path) {
  const auto bytes = core::readFileBytes(path);
  if (!bytes) {
    core::showFileError(ctx.prompter, ctx.langOffset, path.string());
    return;
  }
  core::applyFamily(ctx, decodeIcns(*bytes));
}

void readIcnsElements(core::CommandContext& ctx, core::Bytes file, std::size_t start,
                      std::size_t length) {
  if (start >= file.size()) return;
  core::applyFamily(ctx, decodeIcns(file.subspan(start, std::min(length, file.size() - start))));
}

namespace {

// The element a large slot is written as: ic08, ic09 or ic10, holding a PNG file.
const core::ElementType* largeElementOf(SlotId slot) {
  switch (slot) {
    case SlotId::ic256: return core::findElementType("ic08");
    case SlotId::ic512: return core::findElementType("ic09");
    case SlotId::ic1024: return core::findElementType("ic10");
    default: return nullptr;
  }
}

void writeLargeElement(core::IconSet& board, core::ByteBuffer& out, SlotId slot) {
  const auto png = core::encodeShownPng(board.controlPicture32(slot));
  if (!png) return;
  const core::FourCC& code = largeElementOf(slot)->code;
  out.insert(out.end(), code.begin(), code.end());
  core::appendBE32(out, static_cast<std::uint32_t>(png->size() + kHeaderBytes));
  out.insert(out.end(), png->begin(), png->end());
}

}  // namespace

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
  for (SlotId large : core::kLargeSlots)
    if (board.slot(large).filled()) writeLargeElement(board, out, large);
  core::writeBE32(out.data() + 4, static_cast<std::uint32_t>(out.size()));
  return out;
}

std::optional<core::ByteBuffer> writeSlotIcns(core::IconSet& board, core::SlotId slot) {
  const int size = core::controlSize(slot).width;
  const bool large = largeElementOf(slot) != nullptr;
  if (!large && !hasElement32(size)) return std::nullopt;
  core::ByteBuffer out = {'i', 'c', 'n', 's', 0, 0, 0, 0};
  if (large)
    writeLargeElement(board, out, slot);
  else
    writeElement32(board, out, slot, size, std::nullopt);
  core::writeBE32(out.data() + 4, static_cast<std::uint32_t>(out.size()));
  return out;
}

// Pasteboard and palette images have no icns size: the command does nothing for them (the pop-up
// menu is not meant to offer it there, and no dialog is worth showing for it).
core::Outcome icnsClick(core::CommandContext& ctx) {
  const SlotId slot = ctx.board.selected();
  if (!hasElement32(core::controlSize(slot).width) && !core::isLargeSlot(slot))
    return core::Outcome::Refused;
  const core::FileDialogRequest dialog = core::dialogFromStrings(ctx.langOffset, 6435, 6436, 6437, 6438);
  const auto path = core::chooseSaveTarget(ctx, dialog);
  if (!path) return core::Outcome::Cancelled;
  // Encoding converts the slot's picture to 32 bits, so it waits until the file is chosen.
  const auto bytes = writeSlotIcns(ctx.board, slot);
  if (!bytes) return core::Outcome::Refused;
  return core::writeOutput(ctx, *path, *bytes);
}

}  // namespace vexilo::mac
