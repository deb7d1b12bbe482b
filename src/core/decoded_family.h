// What a reader found in a file, before anything reaches the board: the pictures in file order,
// each with the slot it is offered to, and the messages it has for the person at the screen.
// Readers are functions from bytes to a DecodedFamily; applyFamily puts one on the board.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/bitmap.h"
#include "core/command_context.h"

namespace vexilo::core {

struct DecodedPicture {
  // The slot it is offered to under the depth rule (and the pasteboard with it); none: the
  // pasteboard of its width class only.
  std::optional<SlotId> slot;
  Bitmap bitmap;
};

struct DecodedMessage {
  int id;                // string-table number, without the language offset
  std::string argument;  // put in place of its "%s" (or "%1"), when it has one
};

struct DecodedFamily {
  std::vector<DecodedPicture> pictures;
  std::vector<DecodedMessage> messages;

  void offer(std::optional<SlotId> slot, Bitmap bitmap) {
    pictures.push_back({slot, std::move(bitmap)});
  }
  // Offers a 32-bit picture to `colour`, and its alpha as an 8-bit grey mask (0 transparent,
  // 255 opaque) to `mask` when there is one.
  void offerWithAlphaMask(std::optional<SlotId> colour, std::optional<SlotId> mask, Bitmap picture);
  void say(int id, std::string argument = {}) { messages.push_back({id, std::move(argument)}); }
  // Appends another reading after this one (a fork inside an envelope, an entry of a file).
  void append(DecodedFamily other);
};

// Offers the pictures to their slots in order (a slot keeps the deepest picture it is offered,
// and of equal depths the first; every picture also goes to its pasteboard), then shows the
// messages in order, each in the box of its kind.
void applyFamily(CommandContext& ctx, const DecodedFamily& family);

}  // namespace vexilo::core
