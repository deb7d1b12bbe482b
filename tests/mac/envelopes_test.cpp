// Recognising the envelopes of Macintosh files by their first 128 bytes.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>

#include "core/bytes.h"
#include "mac/envelopes.h"

using namespace vexilo;
using Head = std::array<std::uint8_t, 128>;

TEST(Envelopes, MacBinaryHeaderConditionsAndAppleMagic) {
  Head h{};  // as the save commands write it: "Icon\r", ICNS/MACS, the two fork lengths
  std::memcpy(&h[1], "\x05Icon\r", 6);
  std::memcpy(&h[65], "ICNSMACS\x40", 9);
  core::writeBE32(&h[83], 300);
  core::writeBE32(&h[87], 1000);
  const std::tuple<const char*, std::function<void(Head&)>, std::uint64_t, bool> cases[] = {
      {"as written", [](Head&) {}, 1500, true},
      {"the sum equals the length", [](Head&) {}, 1300, true},
      {"the sum beyond the length", [](Head&) {}, 1299, false},
      {"an unknown length", [](Head&) {}, 0, true},
      {"version byte", [](Head& v) { v[0] = 1; }, 1500, false},
      {"empty name", [](Head& v) { v[1] = 0; }, 1500, false},
      {"name too long", [](Head& v) { v[1] = 64; }, 1500, false},
      {"zero inside the name", [](Head& v) { v[4] = 0; }, 1500, false},
      {"no zero after the name", [](Head& v) { v[7] = 'x'; }, 1500, false},
      {"63 characters run into the type", [](Head& v) { v[1] = 63, std::memset(&v[2], 'n', 63); }, 1500, false},
      {"byte 82", [](Head& v) { v[82] = 1; }, 1500, false},
      {"type and creator partly zero", [](Head& v) { v[68] = 0; }, 1500, false},
      {"type and creator all zero", [](Head& v) { std::memset(&v[65], 0, 8); }, 1500, true},
      {"no fork at all", [](Head& v) { std::memset(&v[83], 0, 8); }, 1500, false},
      {"a sum negative as a signed number", [](Head& v) { core::writeBE32(&v[83], 0x7FFFFFFF); }, 0xFFFFFFFFull, false},
  };
  for (const auto& [what, change, length, valid] : cases) {
    Head v = h;
    change(v);
    EXPECT_EQ(mac::isMacBinary(v, length), valid) << what;
  }
  Head apple{0x00, 0x05, 0x16, 0x00};
  EXPECT_TRUE(mac::isAppleSingle(apple) && !mac::isAppleDouble(apple));
  apple[3] = 0x07;
  EXPECT_TRUE(mac::isAppleDouble(apple) && !mac::isAppleSingle(apple));
  EXPECT_FALSE(mac::isAppleSingle(Head{0x00, 0x16, 0x05, 0x00})) << "little-endian";
}
