#include "mac/save_commands.h"

#include <array>
#include <cstring>

#include "core/file_helpers.h"
#include "core/interaction.h"
#include "core/save_flow.h"
#include "imageops/masks.h"
#include "mac/icns.h"
#include "mac/icon_elements.h"
#include "mac/resource_fork.h"

namespace vexilo::mac {

using core::SlotId;

namespace {

void padTo128(core::ByteBuffer& out) {
  out.resize((out.size() + 127) / 128 * 128, 0);
}

void setIcnsLength(core::ByteBuffer& icns) {
  core::writeBE32(icns.data() + 4, static_cast<std::uint32_t>(icns.size()));
}

std::uint32_t now(const core::CommandContext& ctx) { return core::macNow(ctx.timeZoneShift); }

core::FileDialogRequest binDialog(int langOffset, int title) {
  core::FileDialogRequest dialog = core::dialogFromStrings(langOffset, title, 6426, 6425, 0);
  dialog.initialName = "*.bin";
  return dialog;
}

core::Outcome saveFamilyAsMacBinary(core::CommandContext& ctx, int title, bool withDataFork) {
  const auto path = core::chooseSaveTarget(ctx, binDialog(ctx.langOffset, title));
  if (!path) return core::Outcome::Cancelled;
  const core::ByteBuffer icns = writeIcnsFamily(ctx.board);
  const core::ByteBuffer fork = writeResourceFork({{{'i', 'c', 'n', 's'}, icns}});
  const core::Bytes data = withDataFork ? core::Bytes(icns) : core::Bytes();
  return core::writeOutput(ctx, *path, macBinaryFile(data, fork, now(ctx)));
}

// The picture the ICN# element is made of, and whether it shows opaque as black.
struct IcnSource {
  core::Bitmap picture;
  bool blackIsOpaque;
};

// im32 when it holds a picture; otherwise the mask of ic32, cut from its alpha only when ic32
// was given a 32-bit picture: an 8-bit one widened to 32 bits by an earlier save or a copy has
// an alpha channel that says nothing, and is keyed on white as before it was widened.
std::optional<IcnSource> icnSource(core::CommandContext& ctx) {
  core::IconSet& board = ctx.board;
  const core::Slot& mask = board.slot(SlotId::im32);
  if (mask.holdsPicture()) return IcnSource{*mask.picture, imageops::maskBlackIsOpaque(mask)};
  const core::Slot& colour = board.slot(SlotId::ic32);
  if (!colour.holdsPicture()) {
    core::showMessage(ctx.prompter, ctx.langOffset, 6100);
    return std::nullopt;
  }
  const bool fromAlpha = colour.depth == core::depthOrdinal(core::PixelFormat::Bits32);
  core::Bitmap copy = *colour.picture;
  if (fromAlpha) copy.convertTo(core::PixelFormat::Bits32);
  core::Bitmap derived = imageops::deriveMask(copy, fromAlpha);
  board.drawIntoSlot(SlotId::im32, derived);  // the mask shows; im32's depth stays
  return IcnSource{std::move(derived), true};
}

}  // namespace

core::ByteBuffer macBinaryFile(core::Bytes dataFork, core::Bytes resourceFork, std::uint32_t date) {
  core::ByteBuffer out(128, 0);
  out[1] = 5;
  std::memcpy(&out[2], "Icon\r", 5);
  std::memcpy(&out[65], "ICNSMACS", 8);
  core::writeBE16(&out[73], 0x4000);  // the invisible flag
  core::writeBE32(&out[83], static_cast<std::uint32_t>(dataFork.size()));
  core::writeBE32(&out[87], static_cast<std::uint32_t>(resourceFork.size()));
  core::writeBE32(&out[91], date);
  core::writeBE32(&out[95], date);
  out.insert(out.end(), dataFork.begin(), dataFork.end());
  padTo128(out);
  // The resource fork is padded too: MacBinary decoders expect whole 128-byte blocks.
  out.insert(out.end(), resourceFork.begin(), resourceFork.end());
  padTo128(out);
  return out;
}

std::optional<core::ByteBuffer> buildIcnElement(core::CommandContext& ctx) {
  const auto source = icnSource(ctx);
  if (!source) return std::nullopt;
  std::array<std::uint8_t, 128> bits{};
  bool any = false;
  for (int y = 0; y < 32 && y < source->picture.height(); ++y)
    for (int x = 0; x < 32 && x < source->picture.width(); ++x)
      if (imageops::maskLevel(source->picture, x, y, source->blackIsOpaque) != 0) {
        bits[static_cast<std::size_t>(y) * 4 + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        any = true;
      }
  if (!any) bits.fill(0xFF);
  core::ByteBuffer element = {'I', 'C', 'N', '#'};
  core::appendBE32(element, 8 + 256);
  // The black-and-white image and its mask are the same bitmap.
  element.insert(element.end(), bits.begin(), bits.end());
  element.insert(element.end(), bits.begin(), bits.end());
  return element;
}

std::optional<core::ByteBuffer> buildIcl8Element(core::IconSet& board) {
  if (board.slot(SlotId::ic32).depth == 0) return std::nullopt;
  core::ByteBuffer element;
  writeElement8(board, element, SlotId::ic32, 32);
  return element;
}

std::optional<core::ByteBuffer> customIconIcns(core::CommandContext& ctx) {
  const auto icn = buildIcnElement(ctx);
  if (!icn) return std::nullopt;
  core::ByteBuffer icns = {'i', 'c', 'n', 's', 0, 0, 0, 0};
  icns.insert(icns.end(), icn->begin(), icn->end());
  if (const auto icl = buildIcl8Element(ctx.board)) icns.insert(icns.end(), icl->begin(), icl->end());
  writeElement32(ctx.board, icns, SlotId::ic32, 32, SlotId::im32);
  writeElement32(ctx.board, icns, SlotId::ic48, 48, SlotId::im48);
  setIcnsLength(icns);
  return icns;
}

core::Outcome saveDataFork(core::CommandContext& ctx) {
  const auto path =
      core::chooseSaveTarget(ctx, core::dialogFromStrings(ctx.langOffset, 6435, 6436, 6437, 6438));
  if (!path) return core::Outcome::Cancelled;
  return core::writeOutput(ctx, *path, writeIcnsFamily(ctx.board));
}

core::Outcome saveResourceFork(core::CommandContext& ctx) { return saveFamilyAsMacBinary(ctx, 6424, false); }

core::Outcome saveBothForks(core::CommandContext& ctx) { return saveFamilyAsMacBinary(ctx, 6442, true); }

core::Outcome saveSlotAsResource(core::CommandContext& ctx) {
  // Only an image of an icon size can be an icns element.
  const auto icns = writeSlotIcns(ctx.board, ctx.board.selected());
  if (!icns) return core::Outcome::Refused;
  const auto chosen =
      ctx.prompter.askSavePath(core::dialogFromStrings(ctx.langOffset, 6441, 6436, 6437, 6438));
  if (!chosen || chosen->empty()) return core::Outcome::Cancelled;
  const std::string path = *chosen + ".bin";  // always: the file is MacBinary
  if (core::fileExists(path) && !core::askOverwrite(ctx.prompter, ctx.langOffset, path))
    return core::Outcome::Cancelled;
  const core::ByteBuffer fork = writeResourceFork({{{'i', 'c', 'n', 's'}, *icns}});
  return core::writeOutput(ctx, path, macBinaryFile({}, fork, now(ctx)));
}

core::Outcome saveCustomIcon(core::CommandContext& ctx) {
  const auto path =
      core::chooseSaveTarget(ctx, core::dialogFromStrings(ctx.langOffset, 6443, 6444, 6445, 6446));
  if (!path) return core::Outcome::Cancelled;
  const auto icns = customIconIcns(ctx);
  if (!icns) return core::Outcome::Refused;  // message 6100 was shown; no file was created
  // The resources hold the elements without their 8-byte headers, the icns whole.
  const core::Bytes all(*icns);
  const std::size_t icnAt = 8, iclAt = icnAt + 8 + 256;
  const bool hasIcl = all.size() >= iclAt + 8 + 1024 && std::memcmp(&all[iclAt], "icl8", 4) == 0;
  std::vector<Resource> resources;
  if (hasIcl) resources.push_back({{'i', 'c', 'l', '8'}, all.subspan(iclAt + 8, 1024)});
  resources.push_back({{'I', 'C', 'N', '#'}, all.subspan(icnAt + 8, 256)});
  resources.push_back({{'i', 'c', 'n', 's'}, all});
  return core::writeOutput(ctx, *path, macBinaryFile(all, writeResourceFork(resources), now(ctx)));
}

}  // namespace vexilo::mac
