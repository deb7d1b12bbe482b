// Recognising the envelopes of Macintosh files by their first 128 bytes.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <utility>

#include "core/bytes.h"
#include "mac/envelopes.h"

using namespace vexilo;

namespace {

// A header as the save commands write it: "Icon\r", ICNS/MACS, the two fork lengths.
std::array<std::uint8_t, 128> macBinaryHeader(std::uint32_t data, std::uint32_t resource) {
  std::array<std::uint8_t, 128> h{};
  h[1] = 5;
  std::memcpy(&h[2], "Icon\r", 5);
  std::memcpy(&h[65], "ICNSMACS", 8);
  h[73] = 0x40;
  core::writeBE32(&h[83], data);
  core::writeBE32(&h[87], resource);
  return h;
}

}  // namespace

TEST(Envelopes, MacBinaryHeaderConditions) {
  auto h = macBinaryHeader(300, 1000);
  EXPECT_TRUE(mac::isMacBinary(h, 1500));
  EXPECT_TRUE(mac::isMacBinary(h, 1300)) << "the sum may equal the length (header not counted)";
  EXPECT_FALSE(mac::isMacBinary(h, 1299));
  EXPECT_TRUE(mac::isMacBinary(h, 0)) << "an unknown length is not compared";

  // One broken condition at a time.
  const std::pair<const char*, std::function<void(std::array<std::uint8_t, 128>&)>> broken[] = {
      {"version byte", [](auto& v) { v[0] = 1; }},
      {"empty name", [](auto& v) { v[1] = 0; }},
      {"name too long", [](auto& v) { v[1] = 64; }},
      {"zero inside the name", [](auto& v) { v[4] = 0; }},
      {"no zero after the name", [](auto& v) { v[7] = 'x'; }},
      {"byte 82", [](auto& v) { v[82] = 1; }},
  };
  for (const auto& [what, breakIt] : broken) {
    auto v = h;
    breakIt(v);
    EXPECT_FALSE(mac::isMacBinary(v, 1500)) << what;
  }

  // A 63-character name runs into the type, which must then be zero... and so all of it.
  auto v = h;
  v[1] = 63;
  std::memset(&v[2], 'n', 63);
  EXPECT_FALSE(mac::isMacBinary(v, 1500));

  // Type and creator: all zero or all non-zero.
  v = h;
  std::memcpy(&v[65], "ICN\0MACS", 8);
  EXPECT_FALSE(mac::isMacBinary(v, 1500));
  std::memset(&v[65], 0, 8);
  EXPECT_TRUE(mac::isMacBinary(v, 1500));

  EXPECT_FALSE(mac::isMacBinary(macBinaryHeader(0, 0), 1500)) << "no fork at all";
  EXPECT_FALSE(mac::isMacBinary(macBinaryHeader(0x7FFFFFFF, 0x10), 0xFFFFFFFFull))
      << "a sum that is negative as a signed number";
}

TEST(Envelopes, AppleSingleAndDoubleMagic) {
  std::array<std::uint8_t, 128> h{0x00, 0x05, 0x16, 0x00};
  EXPECT_TRUE(mac::isAppleSingle(h));
  EXPECT_FALSE(mac::isAppleDouble(h));
  h[3] = 0x07;
  EXPECT_TRUE(mac::isAppleDouble(h));
  EXPECT_FALSE(mac::isAppleSingle(h));
  const std::array<std::uint8_t, 128> littleEndian{0x00, 0x16, 0x05, 0x00};
  EXPECT_FALSE(mac::isAppleSingle(littleEndian));
}
