// Helpers of the Windows format tests: a board session, comparisons with decoded references,
// corpus listings, and the wrestool oracle.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/bitmap.h"
#include "core/bytes.h"
#include "core/command_context.h"
#include "core/decoded_family.h"
#include "support/fake_prompter.h"
#include "support/oracle.h"

namespace vexilo::test {

using core::Bgra;
using core::Bitmap;
using core::ByteBuffer;
using core::PixelFormat;
using core::SlotId;

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

// The top-left ref.width x ref.height part of `picture` against a reference decode: red, green
// and blue within `tolerance` where the reference's alpha is not 0, with `alpha` alpha too.
::testing::AssertionResult matchesReference(const core::Bitmap& picture, const RgbaImage& ref, int tolerance = 0,
                                            bool alpha = false);
// A mask picture against a reference: white (transparent) exactly where the reference's alpha
// is 0, black elsewhere.
::testing::AssertionResult maskMatches(const core::Bitmap& mask, const RgbaImage& ref);

// The message of string `id` (English) with its argument.
std::string message(int id, const std::string& argument);
// Whether the person was shown exactly one save dialog, of these title and filter strings.
::testing::AssertionResult oneSaveDialog(const FakePrompter& prompter, int titleId, int filterId);

// The entry `index` of an icon file as a one-entry file of its own (image offset 22); empty when
// its data lie beyond the file.
core::ByteBuffer singleEntryIco(core::Bytes ico, int index);

// True when icoutils' wrestool is installed (and Pillow, which reads the reference PNGs).
bool wrestoolAvailable();
// `wrestool -l` as lines "type/name/language@address+size" (a named resource's name quoted).
std::vector<std::string> listWithWrestool(const std::filesystem::path& file);

// A file of the shared corpus or samples; the files under a corpus folder with one of the
// extensions, sorted.
std::filesystem::path corpus(const std::string& relative);
std::filesystem::path sample(const std::string& name);
std::vector<std::filesystem::path> corpusFiles(const std::string& folder, std::initializer_list<const char*> extensions);

}  // namespace vexilo::test
