// Helpers of the Windows format tests: a board session, comparisons with decoded references,
// and the icoutils and Pillow oracles the tests need beyond the shared ones.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/bitmap.h"
#include "core/bytes.h"
#include "core/command_context.h"
#include "support/fake_prompter.h"
#include "support/oracle.h"

namespace vexilo::test {

// The core names every test of these readers and writers uses.
using core::Bgra;
using core::Bitmap;
using core::ByteBuffer;
using core::PixelFormat;
using core::SlotId;

// Appends each value as one byte.
void append(ByteBuffer& out, std::initializer_list<int> bytes);
// A w x h picture of one colour, converted to `format`.
Bitmap solid(int w, int h, Bgra c, PixelFormat format = PixelFormat::Bits32);

// A board, a scripted person and the context joining them.
struct Session {
  core::IconSet board;
  FakePrompter prompter;
  core::CommandContext ctx{board, prompter};
};

// Whether two boards hold the same slots (pictures and depths) and pasteboard cursors.
::testing::AssertionResult sameBoard(const core::IconSet& a, const core::IconSet& b);

// Compares the top-left ref.width x ref.height part of `picture` with a reference decode:
// red, green and blue within `tolerance` where the reference's alpha is not 0, and with
// `alpha` the alpha values too.
::testing::AssertionResult matchesReference(const core::Bitmap& picture, const RgbaImage& ref,
                                            int tolerance = 0, bool alpha = false);

// Compares a mask picture with a reference: white (transparent) exactly where the reference's
// alpha is below `threshold` (1: where it is 0), black elsewhere, over the reference's size.
::testing::AssertionResult maskMatches(const core::Bitmap& mask, const RgbaImage& ref,
                                       int threshold = 1);

// Whether the person was shown exactly one save dialog, with these texts.
::testing::AssertionResult oneSaveDialog(const FakePrompter& prompter, const std::string& title,
                                         const std::string& filter, const std::string& extension,
                                         const std::string& initialName);

// True when every pixel of the top-left w x h part of the mask is black (opaque).
bool maskOpaque(const core::Bitmap& mask, int w, int h);

// The entry `index` of an icon file as a one-entry file of its own (image offset 22).
core::ByteBuffer singleEntryIco(core::Bytes ico, int index);

// True when icoutils' icotool and wrestool are installed.
bool icoutilsAvailable();
// Every picture `icotool -x` extracts, keyed by entry index (1-based, as icotool numbers them).
std::map<int, RgbaImage> decodeWithIcotool(const std::filesystem::path& file);
// Pillow's decode of a packed DIB (no file header) with its own DIB reader.
std::optional<RgbaImage> decodeDibWithPillow(core::Bytes dib);

// One line of `wrestool -l`: type, name (a number or a string), language, offset and size.
struct WrestoolResource {
  int type = 0;
  std::string name;
  int language = 0;
  std::size_t offset = 0;
  std::size_t size = 0;
};
std::vector<WrestoolResource> listWithWrestool(const std::filesystem::path& file);

// The path of a file of the shared corpus or samples.
std::filesystem::path corpus(const std::string& relative);
std::filesystem::path sample(const std::string& name);

}  // namespace vexilo::test

#define VEXILO_REQUIRE_ICOUTILS()                                                  \
  do {                                                                             \
    if (!::vexilo::test::icoutilsAvailable()) {                                    \
      if (::vexilo::test::inCi()) FAIL() << "icoutils (icotool, wrestool) missing"; \
      GTEST_SKIP() << "icoutils (icotool, wrestool) missing";                      \
    }                                                                              \
  } while (0)
