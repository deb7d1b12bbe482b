// Independent decoders from Debian, run as test oracles.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vexilo::test {

// A decoded picture: rows top-down, 4 bytes a pixel in the order red, green, blue, alpha.
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;
  const std::uint8_t* at(int x, int y) const { return rgba.data() + (std::size_t(y) * width + x) * 4; }
};

// True when Debian's Pillow answers through the system Python.
bool pillowAvailable();
// Pillow's decode of any picture it reads (converted to RGBA), or nothing when it refuses it.
std::optional<RgbaImage> decodeWithPillow(const std::filesystem::path& file);

// The sizes (widths) Pillow's icns reader offers at scale 1, empty when it refuses the file.
std::vector<int> pillowIcnsSizes(const std::filesystem::path& file);
// Pillow's icns reader at one size (scale 1), as RGBA.
std::optional<RgbaImage> decodeIcnsWithPillow(const std::filesystem::path& file, int size);

// True when icnsutils' icns2png is installed.
bool icns2pngAvailable();
// Every picture `icns2png -x` extracts from the file, keyed "<w>x<h>x<depth>" as it names them.
std::map<std::string, RgbaImage> decodeIcnsWithIcns2png(const std::filesystem::path& file);

// Runs a command through the shell; its exit status.
int runCommand(const std::string& command);
std::string shellQuote(const std::string& text);

}  // namespace vexilo::test

// Skips a test whose oracle is missing, except under CI, where that is a failure.
#define VEXILO_REQUIRE_PILLOW()                                                   \
  do {                                                                            \
    if (!::vexilo::test::pillowAvailable()) {                                     \
      if (::vexilo::test::inCi()) FAIL() << "Pillow (python3-pil) is missing";    \
      GTEST_SKIP() << "Pillow (python3-pil) is missing";                          \
    }                                                                             \
  } while (0)

#define VEXILO_REQUIRE_ICNS2PNG()                                                 \
  do {                                                                            \
    if (!::vexilo::test::icns2pngAvailable()) {                                   \
      if (::vexilo::test::inCi()) FAIL() << "icns2png (icnsutils) is missing";    \
      GTEST_SKIP() << "icns2png (icnsutils) is missing";                          \
    }                                                                             \
  } while (0)
