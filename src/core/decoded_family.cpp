#include "core/decoded_family.h"

#include "core/interaction.h"

namespace vexilo::core {

void DecodedFamily::append(DecodedFamily other) {
  for (DecodedPicture& p : other.pictures) pictures.push_back(std::move(p));
  for (DecodedMessage& m : other.messages) messages.push_back(std::move(m));
}

void DecodedFamily::offerWithAlphaMask(std::optional<SlotId> colour, std::optional<SlotId> mask,
                                       Bitmap picture) {
  std::optional<Bitmap> levels;
  if (mask) levels = alphaLevels(picture);
  offer(colour, std::move(picture));
  if (levels) offer(mask, std::move(*levels));
}

void applyFamily(CommandContext& ctx, const DecodedFamily& family) {
  for (const DecodedPicture& p : family.pictures) {
    if (p.slot)
      ctx.board.offerBitmap(*p.slot, p.bitmap);
    else
      ctx.board.addToPasteboard(p.bitmap);
  }
  for (const DecodedMessage& m : family.messages)
    showMessage(ctx.prompter, ctx.langOffset, m.id, m.argument);
}

}  // namespace vexilo::core
