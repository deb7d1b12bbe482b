// The Macintosh readers as functions from bytes to a decoded family: every corpus file against
// the independent decodes under expected/, envelope headers, and damaged data made by hand.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "core/element_types.h"
#include "core/jpeg2000_codec.h"
#include "core/png_codec.h"
#include "mac/binhex.h"
#include "mac/channel_rle.h"
#include "mac/envelopes.h"
#include "mac/icns.h"
#include "mac/icon_elements.h"
#include "mac/resource_compression.h"
#include "mac/resource_fork.h"
#include "mac/save_commands.h"
#include "support/icns_builder.h"
#include "support/oracle.h"
#include "support/shared_data.h"
#include "support/temp_dir.h"

using namespace vexilo;
using namespace vexilo::test;
using core::Bgra;
using core::ByteBuffer;
using core::DecodedFamily;
using core::ElementRole;
using core::SlotId;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> slotsOf(const DecodedFamily& family) {
  std::vector<std::string> out;
  for (const auto& p : family.pictures) out.emplace_back(p.slot ? core::slotName(*p.slot) : "-");
  return out;
}

// Compares every decoded picture with the references under `refDir` (named "..._<w>x<h>x<depth>"
// by libicns): one of its size and depth must match, masks as libicns' alpha (grey levels, or
// for 1 bit black where opaque), 1-, 4- and 8-bit images by colour, 32-bit ones by colour and
// (when `alpha`) alpha. Returns how many references were met; with `everyMet`, each must be.
int expectFromReferences(const DecodedFamily& family, const fs::path& refDir, const std::string& what,
                         bool everyMet, bool alpha = true, bool modern = false) {
  std::vector<std::pair<std::string, RgbaImage>> refs;
  for (const auto& path : fs::recursive_directory_iterator(refDir)) {
    const std::string name = path.path().stem().string();
    if (path.path().extension() == ".png") refs.emplace_back(name.substr(name.rfind('_') + 1), *decodeWithPillow(path.path()));
  }
  auto asMask = [](RgbaImage image, bool oneBit) {
    for (std::size_t i = 0; i < image.rgba.size(); i += 4)
      image.rgba[i] = image.rgba[i + 1] = image.rgba[i + 2] = oneBit ? (image.rgba[i + 3] ? 0 : 255) : image.rgba[i + 3],
      image.rgba[i + 3] = 255;
    return image;
  };
  std::vector<bool> met(refs.size());
  for (std::size_t i = 0; i < family.pictures.size(); ++i) {
    const auto& p = family.pictures[i];
    const bool mask = p.slot && (*p.slot == SlotId::imNB || core::slotInfo(*p.slot).kind == core::SlotKind::Mask);
    const int bits = core::bitsPerPixel(p.bitmap.format());
    const std::string key = std::to_string(p.bitmap.width()) + "x" + std::to_string(p.bitmap.height()) + "x" +
                            std::to_string(mask && bits == 8 ? 32 : bits);
    bool found = false, sized = false;
    for (std::size_t r = 0; r < refs.size(); ++r) {
      sized |= refs[r].first == key;
      if (refs[r].first == key && (mask ? sameRgba(p.bitmap, asMask(refs[r].second, bits == 1))
                                        : sameRgba(p.bitmap, refs[r].second, alpha && bits == 32)))
        found = met[r] = true;
    }
    // libicns gives no picture for an 8-bit mask without its 32-bit element.
    EXPECT_TRUE(found || (mask && bits == 8 && !sized) || (modern && bits >= 8)) << what << " picture " << i << " " << key;
  }
  for (std::size_t r = 0; r < refs.size(); ++r) EXPECT_TRUE(met[r] || !everyMet) << what << " " << refs[r].first;
  return static_cast<int>(std::count(met.begin(), met.end(), true));
}

}  // namespace

TEST(DecodeCorpus, IcnsForksAndRawElementsMatchLibicns) {
  // Every fork reference is met, those of the Installer's compressed icl4/icl8 resources too.
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  const fs::path corpus = sharedDir() / "corpus";
  int met = 0;
  for (const std::string folder : {"icns", "rsrc"})
    for (const auto& entry : fs::recursive_directory_iterator(corpus / folder)) {
      if (!entry.is_regular_file()) continue;
      const fs::path rel = fs::relative(entry.path(), corpus / folder);
      const std::string stem = (rel.has_parent_path() ? rel.parent_path().string() + "__" : "") + rel.stem().string();
      const bool icns = folder == "icns";
      const ByteBuffer bytes = readFile(entry.path());
      const DecodedFamily family = icns ? mac::decodeIcns(bytes) : mac::decodeResourceFork(bytes);
      for (const auto& m : family.messages) EXPECT_TRUE(icns && m.id == 6406) << stem;
      const fs::path refDir = corpus / "expected" / folder / stem / (icns ? "libicns" : "");
      // Pictures of newer elements are checked against Pillow's decodes (ModernIcnsElementsMatchPillow).
      const bool modern = fs::is_directory(corpus / "expected" / folder / stem / "pillow");
      if (fs::is_directory(refDir))
        met += expectFromReferences(family, refDir, stem, !icns, true, modern);
    }
  EXPECT_GT(met, 80);
  // Raw element files; a raw 32-bit one carries no mask: its colours only.
  const fs::path expected = corpus / "expected";
  int files = 0;
  for (const auto& entry : fs::directory_iterator(corpus / "raw")) {
    if (!entry.is_regular_file()) continue;
    const std::string stem = entry.path().stem().string();
    const core::ElementType* type = core::findElementType(entry.path().extension().string().substr(1));
    ASSERT_TRUE(type) << entry.path();
    fs::path refDir = expected / "icns" / stem / "libicns";
    if (stem.starts_with("apple1991_")) {  // cut from a fork: its folder and resource id
      const auto id = stem.rfind("_id");
      const std::string fork = stem.substr(10, id - 10);
      refDir = expected / "rsrc" / ("apple1991_" + (fork == "SerialPortArbitrator" ? "Serial_Port_Arbitrator" : fork)) / stem.substr(id + 1);
    } else if (stem == "icnscvt_sample") {  // a 32-bit element and its mask, decoded together
      refDir = expected / "raw" / (stem + "_" + std::string(core::findElementType(ElementRole::Colour, 32, type->width, type->height)->name()) +
                                   "+" + std::string(core::maskTypeForPixels(type->pixels())->name()));
    }
    const DecodedFamily family = mac::decodeRawElement(*type, readFile(entry.path()));
    const std::string colour(core::slotName(*core::colourSlotOf(type->width, type->height)));
    const std::string mask(core::slotName(*core::maskSlotOf(type->width, type->height)));
    EXPECT_EQ(slotsOf(family), (type->role == ElementRole::Pair ? std::vector{colour, mask}
                                    : std::vector{type->role == ElementRole::Mask ? mask : colour})) << stem;
    EXPECT_GE(expectFromReferences(family, refDir, stem, false, false), 1) << stem;
    ++files;
  }
  EXPECT_EQ(files, 23);
}

// Newer icns files: every picture Pillow decodes from PNG, JPEG 2000 or classic elements (its
// references, "<w>x<h>@<scale>x_<px>px.png") is among ours, in the slot of its size; known
// elements give no message, unknown ones one for the file.
TEST(DecodeCorpus, ModernIcnsElementsMatchPillow) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  const fs::path corpus = sharedDir() / "corpus";
  int met = 0;
  for (const auto& entry : fs::recursive_directory_iterator(corpus / "icns")) {
    if (!entry.is_regular_file()) continue;
    const fs::path rel = fs::relative(entry.path(), corpus / "icns");
    const std::string stem = (rel.has_parent_path() ? rel.parent_path().string() + "__" : "") + rel.stem().string();
    const DecodedFamily family = mac::decodeIcns(readFile(entry.path()));
    const fs::path refDir = corpus / "expected" / "icns" / stem / "pillow";
    if (!fs::is_directory(refDir)) continue;
    EXPECT_TRUE(family.messages.empty()) << stem;
    for (const auto& ref : fs::directory_iterator(refDir)) {
      const std::string name = ref.path().stem().string();
      const int px = std::stoi(name.substr(name.rfind('_') + 1));
      const auto theirs = decodeWithPillow(ref.path());
      ASSERT_TRUE(theirs) << ref.path();
      const bool found = std::any_of(family.pictures.begin(), family.pictures.end(), [&](const auto& p) {
        return p.bitmap.width() == px && p.bitmap.format() == core::PixelFormat::Bits32 &&
               p.slot == core::colourSlotOf(px, px) && sameRgba(p.bitmap, *theirs);
      });
      EXPECT_TRUE(found) << stem << " " << name;
      met += found;
    }
  }
  EXPECT_GE(met, 40);
  const DecodedFamily icon = mac::decodeIcns(readFile(corpus / "icns" / "rust-icns_icon.icns"));
  ASSERT_EQ(icon.messages.size(), 1u);
  EXPECT_EQ(icon.messages[0].argument, "ICON");
}

// What the data of an element hold, not its type, says how it is read.
TEST(DecodeIcns, EncodedPayloadsByTheirBytes) {
  const core::Bitmap picture = pattern(16);
  // ARGB: the alpha, red, green and blue planes, each run-length coded.
  ByteBuffer argb = {'A', 'R', 'G', 'B'};
  for (int channel : {3, 2, 1, 0}) {
    ByteBuffer plane;
    for (std::size_t i = 0; i < 256; ++i) plane.push_back(picture.data()[i * 4 + channel]);
    mac::packChannel(plane, argb);
  }
  const ByteBuffer png = *core::encodePng(picture);
  for (const char* code : {"ic04", "is32", "icp4"})
    for (const ByteBuffer* data : std::initializer_list<const ByteBuffer*>{&argb, &png}) {
      const DecodedFamily family = mac::decodeIcns(icnsFile({record(code, *data)}));
      ASSERT_EQ(slotsOf(family), (std::vector<std::string>{"ic16", "im16"})) << code;
      EXPECT_EQ(family.pictures[0].bitmap, picture) << code;
      EXPECT_EQ(family.pictures[1].bitmap.format(), core::PixelFormat::Bits8);
      EXPECT_EQ(family.pictures[1].bitmap.index(15, 3), picture.pixel(15, 3).alpha) << code;
    }
  // A picture of another size goes by its own size: 64 to the pasteboard only, 256 to ic256
  // alone, one above 1024 a side nowhere.
  for (auto [side, slots] : {std::pair{64, std::vector<std::string>{"-"}}, {256, {"ic256"}}, {1025, {}}}) {
    const ByteBuffer square = *core::encodePng(core::Bitmap(side, side, core::PixelFormat::Bits32));
    EXPECT_EQ(slotsOf(mac::decodeIcns(icnsFile({record("ic07", square)}))), slots) << side;
  }
  // icp5 holding classic run-length data reads as il32; ic07 holding them gives nothing.
  EXPECT_EQ(slotsOf(mac::decodeIcns(icnsFile({record("icp5", flatRle(1024, {1, 2, 3, 255}))}))),
            (std::vector<std::string>{"ic32"}));
  EXPECT_TRUE(mac::decodeIcns(icnsFile({record("ic07", flatRle(16384, {1, 2, 3, 255}))})).pictures.empty());
  // JPEG 2000 headers claiming more than 1024 pixels a side or five components are refused
  // before decoding; a codestream cut anywhere gives nothing or a sound picture.
  auto codestream = [](std::uint32_t side, int components) {
    ByteBuffer c = {0xFF, 0x4F, 0xFF, 0x51};
    core::appendBE16(c, static_cast<std::uint16_t>(38 + 3 * components));
    core::appendBE16(c, 0);
    for (std::uint32_t v : {side, side, 0u, 0u, side, side, 0u, 0u}) core::appendBE32(c, v);
    core::appendBE16(c, static_cast<std::uint16_t>(components));
    for (int k = 0; k < components; ++k) append(c, {7, 1, 1});
    return c;
  };
  for (auto [side, components] : {std::pair{100000u, 3}, {1025u, 3}, {16u, 5}, {16u, 3}})
    EXPECT_FALSE(core::decodeJpeg2000(codestream(side, components))) << side << " " << components;
}

TEST(DecodeCorpus, EnvelopesHoldTheirForksAndReportNone) {
  VEXILO_REQUIRE_SHARED();
  const fs::path corpus = sharedDir() / "corpus";
  auto decode = [&](const fs::path& file) {
    const ByteBuffer bytes = readFile(file);
    return fs::relative(file, corpus).begin()->string() == "macbinary" ? mac::decodeMacBinary(bytes, file.string())
                                                                       : mac::decodeAppleEntries(bytes, file.string());
  };
  const std::pair<const char*, const char*> same[] = {
      {"macbinary/hfsutils_Installer.bin", "rsrc/apple1991_Installer.rsrc"},
      {"macbinary/macstream_libicns-test2-rsrc.bin", "rsrc/libicns_test2.rsrc"},
      {"macbinary/macstream_Wish-icns-in-datafork.bin", "icns/tk_carbon_Wish.icns"},
      {"applesingle/synth/Wish_icns_datafork.as", "icns/tk_carbon_Wish.icns"},
      {"appledouble/unar_._Desktop", "rsrc/apple1991_Desktop.rsrc"},
      {"appledouble/macsave-a_v1_MNPLinkTool", "rsrc/apple1991_MNPLinkTool.rsrc"},
      {"applesingle/synth/Serial_Port_Arbitrator.as", "rsrc/apple1991_Serial_Port_Arbitrator.rsrc"},
  };
  for (const auto& [envelope, inner] : same) {
    const ByteBuffer bytes = readFile(corpus / inner);
    const DecodedFamily expected = fs::path(inner).extension() == ".icns" ? mac::decodeIcns(bytes) : mac::decodeResourceFork(bytes);
    ASSERT_FALSE(expected.pictures.empty()) << inner;
    EXPECT_TRUE(samePictures(decode(corpus / envelope), expected)) << envelope;
  }
  // Every envelope decodes without harm; those without a resource fork or icns data say so.
  std::set<std::string> none;
  for (const char* folder : {"macbinary", "appledouble", "applesingle"})
    for (const auto& entry : fs::recursive_directory_iterator(corpus / folder)) {
      if (!entry.is_regular_file()) continue;
      for (const auto& m : decode(entry.path()).messages) {
        EXPECT_EQ(m.id, 6410) << entry.path();
        EXPECT_EQ(m.argument, entry.path().string());
        none.insert(fs::relative(entry.path(), corpus).string());
      }
    }
  EXPECT_EQ(none, (std::set<std::string>{
      "appledouble/bad/ciderpress2_._not_adf", "appledouble/edge/ciderpress2_pct_alt-ext1",
      "appledouble/unar_Hayes_Ultra_96", "applesingle/bad/ciderpress2_badmac-utf8name.as",
      "applesingle/ciderpress2_hello__.as", "applesingle/monobit_4x6.dfont.as"}));
}

TEST(Envelopes, MacBinaryHeaderConditionsAndAppleMagic) {
  // As the save commands write it: "Icon\r", ICNS/MACS, fork lengths 300 and 1000.
  std::array<std::uint8_t, 128> h{};
  std::copy_n(mac::macBinaryFile(ByteBuffer(300), ByteBuffer(1000), 0).begin(), 128, h.begin());
  const std::tuple<const char*, std::function<void(decltype(h)&)>, std::uint64_t, bool> cases[] = {
      {"the sum equals the length", [](auto&) {}, 1300, true},
      {"the sum beyond the length", [](auto&) {}, 1299, false},
      {"an unknown length", [](auto&) {}, 0, true},
      {"version byte", [](auto& v) { v[0] = 1; }, 1500, false},
      {"empty name", [](auto& v) { v[1] = 0; }, 1500, false},
      {"zero as the last character", [](auto& v) { v[6] = 0; }, 1500, false},
      {"no zero after the name", [](auto& v) { v[7] = 'x'; }, 1500, false},
      {"63 characters run into the type", [](auto& v) { v[1] = 63, std::memset(&v[2], 'n', 63); }, 1500, false},
      {"64 characters", [](auto& v) { v[1] = 64, std::memset(&v[2], 'n', 64), v[66] = 0; }, 1500, false},
      {"byte 82", [](auto& v) { v[82] = 1; }, 1500, false},
      {"type and creator partly zero", [](auto& v) { v[68] = 0; }, 1500, false},
      {"type and creator all zero", [](auto& v) { std::memset(&v[65], 0, 8); }, 1500, true},
      {"no fork at all", [](auto& v) { std::memset(&v[83], 0, 8); }, 1500, false},
      {"a sum negative as a signed number", [](auto& v) { core::writeBE32(&v[83], 0x7FFFFFFF); }, 0xFFFFFFFFull, false},
  };
  for (auto [what, change, length, valid] : cases) {
    auto v = h;
    change(v);
    EXPECT_EQ(mac::isMacBinary(v, length), valid) << what;
  }
  std::array<std::uint8_t, 128> apple{0x00, 0x05, 0x16, 0x00};
  EXPECT_TRUE(mac::isAppleSingle(apple) && !mac::isAppleDouble(apple));
  apple[3] = 0x07;
  EXPECT_TRUE(mac::isAppleDouble(apple) && !mac::isAppleSingle(apple));
  EXPECT_FALSE(mac::isAppleSingle(std::array<std::uint8_t, 128>{0x00, 0x16, 0x05, 0x00})) << "little-endian";
}

TEST(DecodeIcns, DamagedAndUnusualFamiliesAsTable) {
  const ByteBuffer is32 = record("is32", flatRle(256, {1, 2, 3, 255}));
  const ByteBuffer s8mk = record("s8mk", ByteBuffer(256, 0x55));
  auto withLength = [](ByteBuffer r, std::uint32_t length) {
    core::writeBE32(r.data() + 4, length);
    return r;
  };
  ByteBuffer cut = icnsFile({record("icl8", ByteBuffer(1024, 0xFF))});
  cut.resize(8 + 8 + 100);
  const struct { const char* what; ByteBuffer file; std::vector<std::string> slots, unknown; } cases[] = {
      {"the header alone", icnsFile({}), {}, {}},
      {"length 0 ends the reading", icnsFile({is32, withLength(record("icl8", {}), 0), s8mk}), {"ic16"}, {}},
      {"below 8 no element, known or not", icnsFile({withLength(record("junk", {}), 4), is32}), {}, {}},
      {"a huge length reads what is there", icnsFile({is32, withLength(record("ics8", ByteBuffer(100, 1)), 0xFFFFFFFF)}),
       {"ic16", "ic16"}, {}},
      {"cut by the end of the file", cut, {"ic32"}, {}},
      {"header lengths are not used", withLength(icnsFile({is32}), 1), {"ic16"}, {}},
      {"a header inside is passed over", concat({icnsFile({}), icnsFile({is32})}), {"ic16"}, {}},
      {"no data, no picture", icnsFile({record("icl8", {}), s8mk}), {"im16"}, {}},
      {"unknown types named once each, in one message; known ones skipped",
       icnsFile({record("vers", {1}), record("TOC ", ByteBuffer(24)), is32, record("ICON", ByteBuffer(128)),
                 record("vers", {2}), record("\xFD\xD9\x2F\xA8", {3}), record("ab\x01""c", {3})}),
       {"ic16"}, {"vers, ICON, 0x61620163"}},
      {"types to their slots", icnsFile({record("ICN#", ByteBuffer(256, 1)), record("ics#", ByteBuffer(64, 1)),
           record("icm8", ByteBuffer(192, 1)), record("im32", flatRle(192, {})), record("m8mk", ByteBuffer(192)),
           record("ich4", ByteBuffer(1152)), record("it32", concat({ByteBuffer(4), flatRle(16384, {})})),
           record("t8mk", ByteBuffer(16384))}), {"icNB", "imNB", "im16", "ic12", "ic12", "im12", "ic48", "ic128", "im128"}, {}},
      {"a pair without its mask plane", icnsFile({record("ICN#", ByteBuffer(128, 1))}), {"icNB"}, {}},
      {"a mask before its image, searched", icnsFile({record("l8mk", ByteBuffer(100, 0x40)), record("il32", flatRle(1024, {3, 2, 1, 0}))}),
       {"im32", "ic32"}, {}},
  };
  for (const auto& c : cases) {
    const DecodedFamily family = mac::decodeIcns(c.file);
    EXPECT_EQ(slotsOf(family), c.slots) << c.what;
    std::vector<std::string> unknown;
    for (const auto& m : family.messages) {
      EXPECT_EQ(m.id, 6406) << c.what;
      unknown.push_back(m.argument);
    }
    EXPECT_EQ(unknown, c.unknown) << c.what;
  }
  // A cut element keeps its bytes and is white (index 0) beyond them.
  const DecodedFamily cutFamily = mac::decodeIcns(cut);
  const core::Bitmap& icl8 = cutFamily.pictures.at(0).bitmap;
  EXPECT_EQ(icl8.index(3, 3), 0xFF);
  EXPECT_EQ(icl8.index(4, 3), 0);
  // The searched mask, cut by the file, sets the alpha and goes to its grey mask slot as well.
  const DecodedFamily masked = mac::decodeIcns(std::rbegin(cases)->file);
  EXPECT_EQ(masked.pictures[1].bitmap.pixel(3, 3).alpha, 0x40);
  EXPECT_EQ(masked.pictures[1].bitmap.pixel(4, 3), (Bgra{3, 2, 1, 255}));
  EXPECT_EQ(masked.pictures[0].bitmap.pixel(3, 3), (Bgra{0x40, 0x40, 0x40, 255}));
  // Every prefix of a family decodes without harm.
  const ByteBuffer file = icnsFile({is32, s8mk, record("ICN#", ByteBuffer(256, 0x5A)), record("icl4", ByteBuffer(512, 9))});
  for (std::size_t n = 0; n <= file.size(); ++n) mac::decodeIcns(core::Bytes(file).first(n));
}

TEST(DecodeIcns, ThirtyTwoBitDataAreCodedOrRawByTheirDeclaredLength) {
  // Below 4 bytes a pixel the data are coded; from there raw, it32 passing over 4 bytes from 4n + 4.
  ByteBuffer argb, raw128(4, 0);  // taken as coded, 0x7F would start a 128-value literal
  for (int i = 0; i < 256; ++i) append(argb, {0x7F, i, 0x80, 255 - i});
  for (int i = 0; i < 16384; ++i) append(raw128, {0x7F, 0x7E, 0x7D, i % 128});
  const auto &is32 = *core::findElementType("is32"), &it32 = *core::findElementType("it32");
  const struct { const core::ElementType& type; ByteBuffer data; std::size_t declared; Bgra first, last; } cases[] = {
      {is32, argb, 1024, {255, 0x80, 0, 0x7F}, {0, 0x80, 255, 0x7F}},
      {is32, flatRle(256, {1, 2, 3, 0}), 1023, {1, 2, 3, 255}, {1, 2, 3, 255}},
      {it32, raw128, 65540, {0, 0x7D, 0x7E, 0x7F}, {127, 0x7D, 0x7E, 0x7F}},
      {it32, ByteBuffer(raw128.begin() + 4, raw128.end()), 65539, {0, 0x7D, 0x7E, 0x7F}, {127, 0x7D, 0x7E, 0x7F}},
  };
  for (const auto& c : cases) {
    const ByteBuffer pixels = mac::decodeElement32(c.type, c.data, c.declared);
    ASSERT_EQ(pixels.size(), c.type.pixels() * 4);
    const std::size_t end = pixels.size() - 4;
    EXPECT_EQ((Bgra{pixels[0], pixels[1], pixels[2], pixels[3]}), c.first) << c.type.name() << " " << c.declared;
    EXPECT_EQ((Bgra{pixels[end], pixels[end + 1], pixels[end + 2], pixels[end + 3]}), c.last) << c.declared;
  }
  // A raw element file is judged by its own length, an icns element by its record's.
  EXPECT_TRUE(samePictures(mac::decodeRawElement(is32, argb), mac::decodeIcns(icnsFile({record("is32", argb)}))));
}

TEST(DecodeResourceFork, HostileAndUnreadResourcesGiveNoPicture) {
  const ByteBuffer good = mac::writeResourceFork({{{'i', 'c', 'l', '8'}, ByteBuffer(1024, 7)}});
  const std::size_t map = core::readBE32(&good[4]);
  auto changed = [&](std::size_t at, std::uint32_t value, int bytes, ByteBuffer f = {}) {
    f = good, bytes == 2 ? core::writeBE16(&f[at], static_cast<std::uint16_t>(value)) : core::writeBE32(&f[at], value);
    return f;
  };
  // Two type entries whose reference lists are one: its resource is read once.
  ByteBuffer twice = mac::writeResourceFork({{{'i', 'c', 'l', '8'}, ByteBuffer(1024, 7)}, {{'i', 'c', 'l', '8'}, ByteBuffer(1024, 7)}});
  core::writeBE16(&twice[core::readBE32(&twice[4]) + 44], 18);
  const std::pair<ByteBuffer, std::size_t> cases[] = {
      {good, 1},
      {twice, 1},
      {changed(map + 42, 0x20000000, 4), 1},   // the attribute byte does not move the data
      {changed(map + 28, 0xFFFF, 2), 0},       // no types
      {changed(map + 28, 0x7FFF, 2), 1},       // 32768 types in a 50-byte map
      {changed(map + 42, 0x00FFFFF0, 4), 0},   // data offset past the fork
      {changed(256, 0xFFFFFFFF, 4), 0},        // data length past the fork
      {changed(4, 0xFFFFFF00, 4), 0},          // map past the fork
      {changed(map + 36, 0xFFE4, 2), 0},       // reference list before the map
      {mac::writeResourceFork({{{'i', 'c', 'l', '8'}, ByteBuffer{0xA8, 0x9F, 0x65, 0x72, 0, 0x12}}}), 0},  // compressed
      {mac::writeResourceFork({{{'i', 'l', '3', '2'}, ByteBuffer(4096, 1)}, {{'l', '8', 'm', 'k'}, ByteBuffer(1024)}}), 0},
      {mac::writeResourceFork({{{'i', 'c', 'm', '4'}, ByteBuffer(96, 0x22)}, {{'i', 'c', 's', '#'}, ByteBuffer(64)}}), 2},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(mac::decodeResourceFork(cases[i].first).pictures.size(), cases[i].second) << "case " << i;
  for (std::size_t n = 0; n < good.size(); n += 7) mac::decodeResourceFork(core::Bytes(good).first(n));
}

TEST(DecodeEnvelopes, ForksAreFoundByTheirLengthsAndEntries) {
  const ByteBuffer fork = mac::writeResourceFork({{{'i', 'c', 'l', '4'}, ByteBuffer(512, 0x35)}});
  const auto size = static_cast<std::uint32_t>(fork.size());
  const ByteBuffer icns = icnsFile({record("icl4", ByteBuffer(512, 0x35))});
  const auto icnsSize = static_cast<std::uint32_t>(icns.size());
  auto macBinary = [&](std::uint32_t dataLength, std::uint32_t forkLength, const ByteBuffer& data) {
    ByteBuffer file(128, 0);
    core::writeBE32(&file[83], dataLength);
    core::writeBE32(&file[87], forkLength);
    file = concat({file, data});
    file.resize(128 + (dataLength + 127) / 128 * 128, 0xEE);
    return mac::decodeMacBinary(concat({file, fork}), "x");
  };
  auto apple = [&](std::vector<std::array<std::uint32_t, 3>> entries, int count = -1) {
    ByteBuffer file = {0x00, 0x05, 0x16, 0x07, 0, 2, 0, 0};
    file.resize(24, 0);
    core::appendBE16(file, static_cast<std::uint16_t>(count < 0 ? entries.size() : count));
    for (const auto& e : entries)
      for (std::uint32_t v : e) core::appendBE32(file, v);
    file.resize(600, 0);
    return mac::decodeAppleEntries(concat({file, fork, icns}), "x");
  };
  const std::tuple<const char*, DecodedFamily, std::size_t, bool> cases[] = {
      {"data fork of 300", macBinary(300, size, {}), 1, false},
      {"other data fork", macBinary(8, 0, ByteBuffer(8, 'X')), 0, true},
      {"the last fork empty", apple({{2, 600, size}, {2, 600, 0}}), 1, true},
      {"icon entries of another layout", apple({{5, 600, size}, {6, 600, 9}}), 0, true},
      {"offsets past the file", apple({{2, 0xFFFFFF00, size}, {2, 600, 0xFFFFFFFF}}), 1, false},
      {"too many entries", apple({}, 0xFFFF), 0, true},  // a count past the 512-byte header
      {"an icns data fork", apple({{1, 600 + size, icnsSize}}), 1, false},
      {"both forks", apple({{1, 600 + size, icnsSize}, {2, 600, size}}), 2, false},
      {"a data fork that is no icns", apple({{1, 600, 16}}), 0, true},
  };
  for (const auto& [what, family, pictures, noResources] : cases) {
    EXPECT_EQ(family.pictures.size(), pictures) << what;
    EXPECT_EQ(family.messages.size(), noResources ? 1u : 0u) << what;
    for (const auto& p : family.pictures) EXPECT_EQ(p.slot, SlotId::ic32) << what;
  }
}

// Every compressed resource of the corpus (dcmp 0, 1 and 2) gives the bytes of its uncompressed
// copy; damaged and hostile ones give nothing.
TEST(ResourceCompression, CorpusPairsDecompressByteForByte) {
  VEXILO_REQUIRE_SHARED();
  std::map<int, int> byDecompressor;
  for (const auto& entry : fs::directory_iterator(sharedDir() / "corpus" / "compressed")) {
    if (entry.path().extension() != ".compressed") continue;
    const ByteBuffer data = readFile(entry.path());
    const ByteBuffer expected = readFile(fs::path(entry.path()).replace_extension(".expected"));
    ASSERT_TRUE(mac::isCompressedResource(data)) << entry.path();
    EXPECT_EQ(mac::decompressResource(data), expected) << entry.path().filename();
    ++byDecompressor[data[6] == 9 ? 2 : core::readBE16(data.data() + 14)];
    // Cut in the middle, or with a header promising two bytes more or less, it gives nothing.
    for (std::size_t cut : {std::size_t{18}, data.size() / 2})
      EXPECT_FALSE(mac::decompressResource(ByteBuffer(data.begin(), data.begin() + cut))) << entry.path().filename() << " " << cut;
    for (int delta : {-2, 2}) {
      ByteBuffer wrong = data;
      core::writeBE32(wrong.data() + 8, static_cast<std::uint32_t>(expected.size() + delta));
      EXPECT_FALSE(mac::decompressResource(wrong)) << entry.path().filename() << " " << delta;
    }
  }
  EXPECT_EQ(byDecompressor, (std::map<int, int>{{0, 45}, {1, 4}, {2, 26}}));
  // A run longer than the header says, an unknown decompressor, a length above 1 MiB.
  const ByteBuffer header = {0xA8, 0x9F, 0x65, 0x72, 0, 0x12, 8, 1, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(mac::decompressResource(concat({header, {0xFE, 0x02, 0x41, 0x03, 0xFF}})), (ByteBuffer{'A', 'A', 'A', 'A'}));
  EXPECT_FALSE(mac::decompressResource(concat({header, {0xFE, 0x02, 0x41, 0x7F, 0xFF}})));
  ByteBuffer unknown = concat({header, {0xFE, 0x02, 0x41, 0x03, 0xFF}});
  unknown[15] = 3;
  EXPECT_FALSE(mac::decompressResource(unknown));
  ByteBuffer huge = concat({header, {0xFE, 0x02, 0x41, 0xFF, 0x00, 0x10, 0x00, 0x00, 0xFF}});
  core::writeBE32(huge.data() + 8, (1u << 20) + 1);
  EXPECT_FALSE(mac::decompressResource(huge));
}

// BinHex files made by macutils from the corpus MacBinary files decode to the forks its hexbin
// gives back, and hold the pictures of their MacBinary originals, with any line ends; a flipped
// character, a lost line or a text cut short gives message 1041 and no picture.
TEST(BinHex, MacutilsFilesDecodeToTheirForks) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_TOOL(fs::exists("/usr/bin/binhex") && fs::exists("/usr/bin/hexbin"), "macutils");
  int files = 0;
  for (const auto& entry : fs::directory_iterator(sharedDir() / "corpus" / "macbinary")) {
    if (entry.path().extension() != ".bin") continue;
    SCOPED_TRACE(entry.path().filename().string());
    TempDir dir;
    const std::string hqx = (dir / "f.hqx").string();
    ASSERT_EQ(runCommand("binhex " + shellQuote(entry.path().string()) + " > " + hqx + " 2>/dev/null"), 0);
    ASSERT_EQ(runCommand("cd " + shellQuote(dir.path().string()) + " && mkdir out && cd out && hexbin -3 ../f.hqx"), 0);
    fs::path rsrc, data;
    for (const auto& f : fs::directory_iterator(dir / "out")) {
      if (f.path().extension() == ".rsrc") rsrc = f.path();
      if (f.path().extension() == ".data") data = f.path();
    }
    const ByteBuffer text = readFile(hqx);
    ASSERT_TRUE(mac::isBinHex(text));
    const auto file = mac::decodeBinHex(text);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->resource, readFile(rsrc));
    EXPECT_EQ(file->data, readFile(data));
    EXPECT_TRUE(samePictures(mac::decodeBinHexFile(text, "x"), mac::decodeMacBinary(readFile(entry.path()), "x")));
    // CR LF line ends read alike; damage is refused.
    ByteBuffer crlf;
    for (std::uint8_t c : text) c == '\n' ? append(crlf, {'\r', '\n'}) : crlf.push_back(c);
    EXPECT_TRUE(mac::decodeBinHex(crlf) && mac::decodeBinHex(crlf)->resource == file->resource);
    const std::size_t colon = std::string_view(reinterpret_cast<const char*>(text.data()), text.size()).find("\n:") + 2;
    ByteBuffer flipped = text, lost = text, cut(text.begin(), text.begin() + (colon + text.size()) / 2);
    std::uint8_t& c = flipped[colon + (text.size() - colon) / 3];
    c = c == 'a' ? 'b' : 'a';
    const auto lineEnd = std::find(lost.begin() + static_cast<std::ptrdiff_t>(colon), lost.end(), '\n');
    lost.erase(lineEnd + 1, std::find(lineEnd + 1, lost.end(), '\n') + 1);
    for (const ByteBuffer* bad : {&flipped, &lost, &cut}) {
      const DecodedFamily family = mac::decodeBinHexFile(*bad, "x");
      EXPECT_TRUE(family.pictures.empty() && family.messages.size() == 1 && family.messages[0].id == 1041);
    }
    ++files;
  }
  EXPECT_GE(files, 10);
  // A run escape with nothing before it (90 05), one at the very end (01 41 90), no data at all.
  for (std::string_view text : {"(This file must be converted with BinHex 4.0)\n:N!8!:\n", ":!8'3:", "x\n:"})
    EXPECT_FALSE(mac::decodeBinHex(core::Bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())));
}
