// Feeds arbitrary bytes to the ICO decoder. Besides staying within its buffers, it must offer
// every picture to the pair of its width class, colour then mask (a bitmap entry's square, its
// mask 1-bit; a PNG entry's mask its grey alpha), or a 256-pixel one alone to ic256; and the
// 32-bit family written from the bitmap entries' pictures must read back into the same ones.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/decoded_family.h"
#include "core/icon_set.h"
#include "win/ico_reader.h"
#include "win/ico_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexilo;
  const core::DecodedFamily family = win::decodeIco(core::Bytes(data, size));
  if (!family.messages.empty()) std::abort();
  // A fresh board is costly to draw (its pasteboard grids): it is reset by assigning one drawn
  // once, which also keeps its large buffers from one input to the next.
  static const core::IconSet kFresh;
  static core::IconSet board;
  board = kFresh;
  for (std::size_t i = 0; i < family.pictures.size(); ++i) {
    const core::DecodedPicture& colour = family.pictures[i];
    const int w = colour.bitmap.width();
    // A 256-pixel entry goes alone to its large slot; the others to the pair of their width.
    if (colour.slot == core::SlotId::ic256) {
      if (w != 256) std::abort();
      continue;
    }
    const core::WidthClass* widthClass = core::widthClassOf(w);
    if (!widthClass || colour.slot != widthClass->colour || ++i == family.pictures.size()) std::abort();
    const core::DecodedPicture& mask = family.pictures[i];
    // A PNG entry's mask is its alpha in grey levels, a bitmap entry's its 1-bit AND mask.
    const bool png = mask.bitmap.format() == core::PixelFormat::Bits8;
    if (mask.slot != core::slotInfo(widthClass->colour).partner || mask.bitmap.width() != w ||
        mask.bitmap.height() != colour.bitmap.height() ||
        (!png && (colour.bitmap.height() != w || mask.bitmap.format() != core::PixelFormat::Bits1)))
      std::abort();
    if (png) continue;
    // Pictures of the control's size written back: one 32-bit entry each.
    const core::SlotSize control = core::controlSize(*colour.slot);
    if (w != control.width) continue;
    board.wipeSlot(*colour.slot);
    board.offerBitmap(*colour.slot, colour.bitmap);
    const auto file = win::writeIcoImage(board, *colour.slot);
    if (!file) std::abort();
    const core::DecodedFamily back = win::decodeIco(*file);
    if (back.pictures.size() != 2 || back.pictures[0].bitmap != *board.slot(*colour.slot).picture) std::abort();
  }
  return 0;
}
