// Independent decoders from Debian, run as test oracles.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "support/shared_data.h"

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
// Pillow's icns reader at one size and scale (512 at scale 2 is 1024 pixels), as RGBA.
std::optional<RgbaImage> decodeIcnsWithPillow(const std::filesystem::path& file, int size, int scale = 1);

// True when icnsutils' icns2png is installed.
bool icns2pngAvailable();
// Every picture `icns2png -x` extracts from the file, keyed "<w>x<h>x<depth>" as it names them.
std::map<std::string, RgbaImage> decodeIcnsWithIcns2png(const std::filesystem::path& file);

// Runs a command through the shell; its exit status.
int runCommand(const std::string& command);
std::string shellQuote(const std::string& text);

}  // namespace vexilo::test

#define VEXILO_REQUIRE_PILLOW() \
  VEXILO_REQUIRE_TOOL(::vexilo::test::pillowAvailable(), "Pillow (python3-pil)")
#define VEXILO_REQUIRE_ICNS2PNG() \
  VEXILO_REQUIRE_TOOL(::vexilo::test::icns2pngAvailable(), "icns2png (icnsutils)")
