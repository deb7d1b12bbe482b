// The Macintosh readers as functions from bytes to a decoded family: every corpus file against
// the independent decodes under expected/, and damaged data made by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "core/element_types.h"
#include "mac/envelopes.h"
#include "mac/icns.h"
#include "mac/icon_elements.h"
#include "mac/resource_fork.h"
#include "support/icns_builder.h"
#include "support/shared_data.h"

using namespace vexilo;
using namespace vexilo::test;
using core::Bgra;
using core::ByteBuffer;
using core::DecodedFamily;
using core::ElementRole;
using core::SlotId;
namespace fs = std::filesystem;

namespace {

// The first picture offered to a slot.
const core::Bitmap* offered(const DecodedFamily& family, std::optional<SlotId> slot) {
  for (const auto& p : family.pictures)
    if (p.slot == slot) return &p.bitmap;
  return nullptr;
}

std::vector<std::string> slotsOf(const DecodedFamily& family) {
  std::vector<std::string> out;
  for (const auto& p : family.pictures) out.emplace_back(p.slot ? core::slotName(*p.slot) : "-");
  return out;
}

std::string sizeKey(int w, int h, int bits) {
  return std::to_string(w) + "x" + std::to_string(h) + "x" + std::to_string(bits);
}

// Compares every decoded picture with the references under `refDir` (named "..._<w>x<h>x<depth>"
// by libicns): one of its size and depth must match, 1-bit and 8-bit masks as libicns' alpha, 1-,
// 4- and 8-bit images by colour, 32-bit ones by colour and (when `alpha`) alpha. Returns how
// many references were met; with `everyMet`, each must be.
int expectFromReferences(const DecodedFamily& family, const fs::path& refDir, const std::string& what,
                         bool everyMet, bool alpha = true) {
  std::vector<std::pair<std::string, RgbaImage>> refs;
  for (const auto& path : fs::recursive_directory_iterator(refDir)) {
    const std::string name = path.path().stem().string();
    if (path.path().extension() == ".png") refs.emplace_back(name.substr(name.rfind('_') + 1), *decodeWithPillow(path.path()));
  }
  std::vector<bool> met(refs.size());
  for (std::size_t i = 0; i < family.pictures.size(); ++i) {
    const auto& p = family.pictures[i];
    const bool mask = p.slot && (*p.slot == SlotId::imNB || core::slotInfo(*p.slot).kind == core::SlotKind::Mask);
    const int bits = core::bitsPerPixel(p.bitmap.format());
    const std::string key = sizeKey(p.bitmap.width(), p.bitmap.height(), mask && bits == 8 ? 32 : bits);
    bool found = false;
    for (std::size_t r = 0; r < refs.size(); ++r)
      if (refs[r].first == key && (mask ? sameRgba(p.bitmap, alphaAsMask(refs[r].second, bits == 1))
                                        : sameRgba(p.bitmap, refs[r].second, alpha && bits == 32)))
        found = met[r] = true;
    // libicns gives no picture for an 8-bit mask without its 32-bit element.
    const bool lone = mask && bits == 8 && std::none_of(refs.begin(), refs.end(), [&](auto& r) { return r.first == key; });
    EXPECT_TRUE(found || lone) << what << " picture " << i << " " << key;
  }
  for (std::size_t r = 0; r < refs.size(); ++r) EXPECT_TRUE(met[r] || !everyMet) << what << " " << refs[r].first;
  return static_cast<int>(std::count(met.begin(), met.end(), true));
}

}  // namespace

TEST(DecodeCorpus, IcnsFilesMatchLibicns) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  const fs::path corpus = sharedDir() / "corpus";
  int met = 0;
  for (const auto& entry : fs::recursive_directory_iterator(corpus / "icns")) {
    if (!entry.is_regular_file()) continue;
    const fs::path relative = fs::relative(entry.path(), corpus / "icns");
    const std::string stem = (relative.has_parent_path() ? relative.parent_path().string() + "__" : "") +
                             relative.stem().string();
    const DecodedFamily family = mac::decodeIcns(readFile(entry.path()));
    for (const auto& m : family.messages) EXPECT_EQ(m.id, 6406) << stem;
    const fs::path refDir = corpus / "expected" / "icns" / stem / "libicns";
    if (fs::is_directory(refDir)) met += expectFromReferences(family, refDir, stem, false);
  }
  EXPECT_GT(met, 40);
}

TEST(DecodeCorpus, RawElementFilesMatchTheirReferences) {
  // A raw 32-bit file carries no mask: its colours only.
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  const fs::path corpus = sharedDir() / "corpus", expected = corpus / "expected";
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
      const std::string colour(core::findElementType(ElementRole::Colour, 32, type->width, type->height)->name());
      refDir = expected / "raw" / (stem + "_" + colour + "+" + std::string(core::maskTypeForPixels(type->pixels())->name()));
    }
    const DecodedFamily family = mac::decodeRawElement(*type, readFile(entry.path()));
    const std::string colour(core::slotName(*core::colourSlotOf(type->width, type->height)));
    const std::string mask(core::slotName(*core::maskSlotOf(type->width, type->height)));
    const std::vector<std::string> slots = type->role == ElementRole::Pair ? std::vector{colour, mask}
                                           : std::vector{type->role == ElementRole::Mask ? mask : colour};
    EXPECT_EQ(slotsOf(family), slots) << stem;
    EXPECT_GE(expectFromReferences(family, refDir, stem, false, false), 1) << stem;
    ++files;
  }
  EXPECT_EQ(files, 23);
}

TEST(DecodeCorpus, ResourceForksMatchLibicns) {
  // Every reference is met but those of the Installer's compressed icl4/icl8 resources, which
  // give no picture.
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  const fs::path corpus = sharedDir() / "corpus";
  int forks = 0;
  for (const auto& entry : fs::directory_iterator(corpus / "rsrc")) {
    const std::string stem = entry.path().stem().string();
    const DecodedFamily family = mac::decodeResourceFork(readFile(entry.path()));
    EXPECT_TRUE(family.messages.empty());
    const fs::path refDir = corpus / "expected" / "rsrc" / stem;
    if (!fs::is_directory(refDir)) continue;
    expectFromReferences(family, refDir, stem, stem != "apple1991_Installer");
    ++forks;
  }
  EXPECT_EQ(forks, 7);
}

TEST(DecodeCorpus, EnvelopesHoldTheirForksAndReportNone) {
  VEXILO_REQUIRE_SHARED();
  const fs::path corpus = sharedDir() / "corpus";
  auto decode = [&](const fs::path& file) {
    const ByteBuffer bytes = readFile(file);
    const std::string dir = fs::relative(file, corpus).begin()->string();
    return dir == "macbinary" ? mac::decodeMacBinary(bytes, file.string()) : mac::decodeAppleEntries(bytes, file.string());
  };
  const std::pair<const char*, const char*> same[] = {
      {"macbinary/hfsutils_Desktop.bin", "rsrc/apple1991_Desktop.rsrc"},
      {"macbinary/hfsutils_Installer.bin", "rsrc/apple1991_Installer.rsrc"},
      {"macbinary/hfsutils_MNPLinkTool.bin", "rsrc/apple1991_MNPLinkTool.rsrc"},
      {"macbinary/hfsutils_Serial_Switch.bin", "rsrc/apple1991_Serial_Switch.rsrc"},
      {"macbinary/macstream_libicns-test2-rsrc.bin", "rsrc/libicns_test2.rsrc"},
      {"macbinary/macstream_Wish-icns-in-datafork.bin", "icns/tk_carbon_Wish.icns"},
      {"appledouble/unar_._Desktop", "rsrc/apple1991_Desktop.rsrc"},
      {"appledouble/unar_._Remote_Access_Setup", "rsrc/apple1991_Remote_Access_Setup.rsrc"},
      {"appledouble/macsave-a_v1_MNPLinkTool", "rsrc/apple1991_MNPLinkTool.rsrc"},
      {"applesingle/synth/Serial_Port_Arbitrator.as", "rsrc/apple1991_Serial_Port_Arbitrator.rsrc"},
      {"applesingle/synth/Remote_Access_Setup_v1.as", "rsrc/apple1991_Remote_Access_Setup.rsrc"},
  };
  for (const auto& [envelope, inner] : same) {
    const ByteBuffer bytes = readFile(corpus / inner);
    const DecodedFamily expected = fs::path(inner).extension() == ".icns" ? mac::decodeIcns(bytes)
                                                                           : mac::decodeResourceFork(bytes);
    ASSERT_FALSE(expected.pictures.empty()) << inner;
    const DecodedFamily family = decode(corpus / envelope);
    EXPECT_TRUE(samePictures(family, expected)) << envelope;
    EXPECT_TRUE(family.messages.empty()) << envelope;
  }
  // Every envelope decodes without harm; those without a resource fork or icns data say so.
  std::set<std::string> none;
  for (const char* folder : {"macbinary", "appledouble", "applesingle"})
    for (const auto& entry : fs::recursive_directory_iterator(corpus / folder)) {
      if (!entry.is_regular_file()) continue;
      const DecodedFamily family = decode(entry.path());
      for (const auto& m : family.messages) {
        EXPECT_EQ(m.id, 6410) << entry.path();
        EXPECT_EQ(m.argument, entry.path().string());
      }
      if (!family.messages.empty()) none.insert(fs::relative(entry.path(), corpus).string());
    }
  EXPECT_EQ(none, (std::set<std::string>{
      "appledouble/bad/ciderpress2_._not_adf", "appledouble/edge/ciderpress2_pct_alt-ext1",
      "appledouble/unar_Hayes_Ultra_96", "applesingle/bad/ciderpress2_badmac-utf8name.as",
      "applesingle/ciderpress2_hello__.as", "applesingle/monobit_4x6.dfont.as",
      "applesingle/synth/Wish_icns_datafork.as"}));
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
  const struct {
    const char* what;
    ByteBuffer file;
    std::vector<std::string> slots, unknown;
  } cases[] = {
      {"the header alone", icnsFile({}), {}, {}},
      {"length 0 ends the reading", icnsFile({is32, withLength(record("icl8", {}), 0), s8mk}), {"ic16"}, {}},
      {"below 8 no element, known or not", icnsFile({withLength(record("junk", {}), 4), is32}), {}, {}},
      {"a huge length reads what is there", icnsFile({is32, withLength(record("ics8", ByteBuffer(100, 1)), 0xFFFFFFFF)}),
       {"ic16", "ic16"}, {}},
      {"cut by the end of the file", cut, {"ic32"}, {}},
      {"header lengths are not used", withLength(icnsFile({is32}), 1), {"ic16"}, {}},
      {"a header inside is passed over", concat({icnsFile({}), icnsFile({is32})}), {"ic16"}, {}},
      {"no data, no picture", icnsFile({record("icl8", {}), s8mk}), {"im16"}, {}},
      {"unknown types named once each", icnsFile({record("vers", {1}), record("TOC ", ByteBuffer(24)), is32,
                                                  record("ICON", ByteBuffer(128))}), {"ic16"}, {"vers", "TOC ", "ICON"}},
      {"every type to its slots", icnsFile({record("ICN#", ByteBuffer(256, 1)), record("ics#", ByteBuffer(64, 1)),
           record("icm#", ByteBuffer(48, 1)), record("ich#", ByteBuffer(576, 1)), record("icm4", ByteBuffer(96, 1)),
           record("icm8", ByteBuffer(192, 1)), record("im32", flatRle(192, {})), record("m8mk", ByteBuffer(192)),
           record("ics4", ByteBuffer(128)), record("icl8", ByteBuffer(1024)), record("ich4", ByteBuffer(1152)),
           record("ict8", ByteBuffer(16384)), record("it32", concat({ByteBuffer(4), flatRle(16384, {})})),
           record("t8mk", ByteBuffer(16384))}),
       {"icNB", "imNB", "im16", "im12", "im48", "ic12", "ic12", "ic12", "im12", "ic16", "ic32", "ic48", "ic128",
        "ic128", "im128"}, {}},
      {"a pair without its mask plane", icnsFile({record("ICN#", ByteBuffer(128, 1))}), {"icNB"}, {}},
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
  const auto* icl8 = offered(mac::decodeIcns(cut), SlotId::ic32);
  EXPECT_EQ(icl8->index(3, 3), 0xFF);
  EXPECT_EQ(icl8->index(4, 3), 0);
  // Every prefix of a family decodes without harm.
  const ByteBuffer file = icnsFile({is32, s8mk, record("ICN#", ByteBuffer(256, 0x5A)), record("icl4", ByteBuffer(512, 9))});
  for (std::size_t n = 0; n <= file.size(); ++n) mac::decodeIcns(core::Bytes(file).first(n));
}

TEST(DecodeIcns, ThirtyTwoBitDataAreCodedOrRawByTheirDeclaredLength) {
  ByteBuffer argb;  // taken as coded, 0x7F would start a 128-value literal
  for (int i = 0; i < 256; ++i) append(argb, {0x7F, i, 0x80, 255 - i});
  ByteBuffer raw128(4, 0);  // a raw it32 after the four zero bytes of the coded form
  for (int i = 0; i < 16384; ++i) append(raw128, {0x7F, 0x7E, 0x7D, i % 128});
  ByteBuffer literal = {0, 0, 0, 0, 0x00, 0x0A};  // it32 red: a literal of one, then runs
  for (int i = 0; i < 126; ++i) append(literal, {0xFF, 0x0B});
  append(literal, {0x80, 0x0B});
  appendFlatPlane(literal, 16384, 0x14);
  appendFlatPlane(literal, 16384, 0x1E);
  const auto& is32 = *core::findElementType("is32");
  const auto& it32 = *core::findElementType("it32");
  const struct {
    const core::ElementType& type;
    ByteBuffer data;
    std::size_t declared;
    Bgra first, last;
  } cases[] = {
      {is32, argb, 1024, {255, 0x80, 0, 0x7F}, {0, 0x80, 255, 0x7F}},
      {is32, flatRle(256, {1, 2, 3, 0}), 18, {1, 2, 3, 255}, {1, 2, 3, 255}},
      {is32, ByteBuffer(argb.begin(), argb.begin() + 8), 1024, {255, 0x80, 0, 0x7F}, {0, 0, 0, 0}},
      {it32, raw128, 65540, {0, 0x7D, 0x7E, 0x7F}, {127, 0x7D, 0x7E, 0x7F}},
      {it32, ByteBuffer(raw128.begin() + 4, raw128.end()), 65536, {0, 0x7D, 0x7E, 0x7F}, {127, 0x7D, 0x7E, 0x7F}},
      {it32, literal, literal.size(), {0x1E, 0x14, 0x0A, 255}, {0x1E, 0x14, 0x0B, 255}},
  };
  for (const auto& c : cases) {
    const ByteBuffer pixels = mac::decodeElement32(c.type, c.data, c.declared);
    ASSERT_EQ(pixels.size(), c.type.pixels() * 4);
    const std::size_t end = pixels.size() - 4;
    EXPECT_EQ((Bgra{pixels[0], pixels[1], pixels[2], pixels[3]}), c.first) << c.type.name() << " " << c.declared;
    EXPECT_EQ((Bgra{pixels[end], pixels[end + 1], pixels[end + 2], pixels[end + 3]}), c.last) << c.declared;
  }
  // A raw element file is judged by its own length, an icns element by its record's.
  const auto raw = mac::decodeRawElement(is32, argb);
  const auto inIcns = mac::decodeIcns(icnsFile({record("is32", argb)}));
  EXPECT_EQ(offered(raw, SlotId::ic16)->pixel(2, 0), (Bgra{253, 0x80, 2, 0x7F}));
  EXPECT_TRUE(offered(raw, SlotId::ic16)->sameLayout(*offered(inIcns, SlotId::ic16)));
  EXPECT_EQ(*offered(raw, SlotId::ic16), *offered(inIcns, SlotId::ic16));
}

TEST(DecodeIcns, MaskIsTheNextElementOrASearchedOne) {
  ByteBuffer ramp(256);
  for (std::size_t i = 0; i < 256; ++i) ramp[i] = static_cast<std::uint8_t>(i);
  const ByteBuffer image = record("is32", ByteBuffer{1, 2, 3});
  const std::size_t next = 264 + image.size();
  auto before = [&](std::string_view type) { return concat({record(type, ramp), image, record("ics8", {4})}); };
  ByteBuffer cut = record("l8mk", ByteBuffer(1024, 7));
  cut.resize(8 + 100);
  const struct {
    const char* what;
    ByteBuffer range;
    std::size_t next, n;
    ByteBuffer mask;
  } cases[] = {
      {"right after the image", concat({image, record("s8mk", ramp)}), image.size(), 256, ramp},
      {"before, searched", before("s8mk"), next, 256, ramp},
      {"searched in any case", before("S8mK"), next, 256, ramp},
      {"a false start first", concat({image, ByteBuffer{'s', '8', 'm', 's'}, record("s8mk", ramp)}), image.size(), 256, ramp},
      {"the wrong size's mask", record("s8mk", ByteBuffer(1024)), 18, 1024, {}},
      {"a header cut short", ByteBuffer{'l', '8', 'm', 'k', 0, 0}, 0, 1024, {}},
      {"no mask type for the count", record("l8mk", ByteBuffer(1024)), 0, 1000, {}},
      {"longer than the picture", record("m8mk", ByteBuffer(500, 9)), 0, 192, ByteBuffer(192, 9)},
      {"length beyond the range", cut, 0, 1024, ByteBuffer(100, 7)},
  };
  for (const auto& c : cases) {
    const core::Bytes mask = mac::findElementMask(c.range, c.next, c.n);
    EXPECT_EQ(ByteBuffer(mask.begin(), mask.end()), c.mask) << c.what;
  }
  // In a family: the mask sets the alpha; an 8-bit mask also goes to its grey mask slot.
  const DecodedFamily family = mac::decodeIcns(icnsFile({record("l8mk", ByteBuffer(100, 0x40)),
                                                         record("il32", flatRle(1024, {3, 2, 1, 0}))}));
  EXPECT_EQ(slotsOf(family), (std::vector<std::string>{"im32", "ic32"}));
  EXPECT_EQ(offered(family, SlotId::ic32)->pixel(3, 3).alpha, 0x40);
  EXPECT_EQ(offered(family, SlotId::ic32)->pixel(4, 3), (Bgra{3, 2, 1, 255}));
  EXPECT_EQ(offered(family, SlotId::im32)->pixel(3, 3), (Bgra{0x40, 0x40, 0x40, 255}));
}

TEST(DecodeResourceFork, HostileAndUnreadResourcesGiveNoPicture) {
  const ByteBuffer good = mac::writeResourceFork({{{'i', 'c', 'l', '8'}, ByteBuffer(1024, 7)}});
  const std::size_t map = core::readBE32(&good[4]);
  auto changed = [&](std::size_t at, std::uint32_t value, int bytes) {
    ByteBuffer f = good;
    bytes == 2 ? core::writeBE16(&f[at], static_cast<std::uint16_t>(value)) : core::writeBE32(&f[at], value);
    return f;
  };
  ByteBuffer attribute = good;  // the attribute byte does not move the data
  attribute[map + 42] = 0x20;
  const std::pair<ByteBuffer, std::size_t> cases[] = {
      {good, 1}, {attribute, 1},
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
  const auto forkSize = static_cast<std::uint32_t>(fork.size());
  auto macBinary = [&](std::uint32_t dataLength, std::uint32_t forkLength, const ByteBuffer& data) {
    ByteBuffer file(128, 0);
    core::writeBE32(&file[83], dataLength);
    core::writeBE32(&file[87], forkLength);
    file.insert(file.end(), data.begin(), data.end());
    file.resize(128 + (dataLength + 127) / 128 * 128, 0xEE);
    return concat({file, fork});
  };
  auto apple = [&](std::vector<std::array<std::uint32_t, 3>> entries) {
    ByteBuffer file = {0x00, 0x05, 0x16, 0x07, 0, 2, 0, 0};
    file.resize(24, 0);
    core::appendBE16(file, static_cast<std::uint16_t>(entries.size()));
    for (const auto& e : entries)
      for (std::uint32_t v : e) core::appendBE32(file, v);
    file.resize(600, 0);
    return concat({file, fork});
  };
  const ByteBuffer icns = icnsFile({});
  ByteBuffer many = apple({});
  core::writeBE16(&many[24], 0xFFFF);  // a count past the 512-byte header
  const struct {
    const char* what;
    DecodedFamily family;
    std::size_t pictures;
    bool noResources;
  } cases[] = {
      {"no data fork", mac::decodeMacBinary(macBinary(0, forkSize, {}), "x"), 1, false},
      {"data fork of 256", mac::decodeMacBinary(macBinary(256, forkSize, {}), "x"), 1, false},
      {"data fork of 300", mac::decodeMacBinary(macBinary(300, forkSize, {}), "x"), 1, false},
      {"icns data fork", mac::decodeMacBinary(macBinary(8, 0, icns), "x"), 0, false},
      {"other data fork", mac::decodeMacBinary(macBinary(8, 0, ByteBuffer(8, 'X')), "x"), 0, true},
      {"Finder information, then the fork", mac::decodeAppleEntries(apple({{9, 600, 0}, {2, 600, forkSize}}), "x"), 1, false},
      {"a data fork only", mac::decodeAppleEntries(apple({{1, 600, forkSize}}), "x"), 0, true},
      {"the last fork empty", mac::decodeAppleEntries(apple({{2, 600, forkSize}, {2, 600, 0}}), "x"), 1, true},
      {"icon entries of another layout", mac::decodeAppleEntries(apple({{5, 600, forkSize}, {6, 600, 9}}), "x"), 0, true},
      {"offsets past the file", mac::decodeAppleEntries(apple({{2, 0xFFFFFF00, forkSize}, {2, 600, 0xFFFFFFFF}}), "x"), 1, false},
      {"too many entries", mac::decodeAppleEntries(many, "x"), 0, true},
      {"shorter than a header", mac::decodeAppleEntries(ByteBuffer(20), "x"), 0, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.family.pictures.size(), c.pictures) << c.what;
    ASSERT_EQ(c.family.messages.size(), c.noResources ? 1u : 0u) << c.what;
    if (c.noResources) {
      EXPECT_EQ(c.family.messages[0].argument, "x") << c.what;
    }
    for (const auto& p : c.family.pictures) EXPECT_EQ(p.slot, SlotId::ic32) << c.what;
  }
}
