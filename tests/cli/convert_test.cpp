// vexilo-convert run as a program: usage and exit statuses, the rule for existing files, every
// file it writes read back by independent decoders, and a family assembled from several inputs.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/string_table.h"
#include "support/oracle.h"
#include "support/shared_data.h"
#include "support/temp_dir.h"

using namespace vexilo;
using test::RgbaImage;
namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Outcome {
  int status;
  std::string out, err;
  bool says(const std::string& part) const { return (out + err).find(part) != std::string::npos; }
};

Outcome convert(const std::vector<std::string>& args) {
  test::TempDir logs;
  std::string command = test::shellQuote(VEXILO_CONVERT);
  for (const std::string& a : args) command += " " + test::shellQuote(a);
  const int status = test::runCommand(command + " >" + test::shellQuote((logs / "out").string()) +
                                      " 2>" + test::shellQuote((logs / "err").string()));
  return {status, slurp(logs / "out"), slurp(logs / "err")};
}

// A message as the program prints it: on one line.
std::string printed(int id, const std::string& argument, int lang = 0) {
  std::string text = core::formatMessage(core::loadLocalString(id, lang), argument);
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

// Pixels of `ours` differing from `ref` in colour where the reference is not transparent (and
// in alpha too with `alpha`), over the reference's size; -1 when ours is smaller.
int differences(const RgbaImage& ours, const RgbaImage& ref, bool alpha = false) {
  if (ours.width < ref.width || ours.height < ref.height) return -1;
  int count = 0;
  for (int y = 0; y < ref.height; ++y)
    for (int x = 0; x < ref.width; ++x)
      if ((alpha || ref.at(x, y)[3] != 0) && !std::equal(ref.at(x, y), ref.at(x, y) + (alpha ? 4 : 3), ours.at(x, y)))
        ++count;
  return count;
}

RgbaImage decoded(const fs::path& png) { return test::decodeWithPillow(png).value_or(RgbaImage{}); }

// Every picture `icotool -x` extracts, by entry (fewer than ten here, so names sort by entry).
std::vector<RgbaImage> icotoolDecode(const fs::path& ico) {
  test::TempDir dir;
  test::runCommand("icotool -x -o " + test::shellQuote(dir.path().string()) + " " +
                   test::shellQuote(ico.string()) + " >/dev/null 2>&1");
  std::vector<fs::path> files(fs::directory_iterator(dir.path()), fs::directory_iterator());
  std::sort(files.begin(), files.end());
  std::vector<RgbaImage> out;
  for (const auto& f : files) out.push_back(decoded(f));
  return out;
}

const std::string kPeer = (test::sharedDir() / "samples/peer_png2icns.icns").string();
const fs::path kCorpus = test::sharedDir() / "corpus";

}  // namespace

TEST(Cli, HelpExitsZeroWrongUsageTwoAndReadingProblemsOneWithTheOutputsWritten) {
  const Outcome help = convert({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"--macbinary-both", "--custom-icon", "--mask", "--force", "Exit status"})
    EXPECT_TRUE(help.says(option)) << option;
  test::TempDir dir;
  const std::string in = (dir / "in.icns").string(), out = (dir / "out").string();
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {}, {"--icns", out}, {in, "--bogus"}, {in, "--icns"}, {in, "--bmp", out},
           {in, "--slot", "ic99", "--bmp", out}, {in, "--slot", "ic32"},
           {in, "--slot", "ic32", "--slot", "ic16", "--bmp", out}, {in, "--lang", "de", "--icns", out},
           {in, "--force=yes", "--icns", out}}) {
    const Outcome run = convert(args);
    const std::string shown = args.empty() ? "(nothing)" : args.back();
    EXPECT_TRUE(run.status == 2 && run.out.empty() && run.says("Usage: vexilo-convert")) << shown;
    EXPECT_FALSE(fs::exists(out)) << shown;
  }
  VEXILO_REQUIRE_SHARED();
  const std::string missing = (dir / "gone.icns").string(), text = (dir / "notes.txt").string();
  test::writeFile(text, core::ByteBuffer{'h', 'i'});
  const Outcome run = convert({missing, kPeer, text, "--list", "--icns", out});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.says(printed(1041, missing)) && run.says(printed(6422, text))) << run.err;
  EXPECT_EQ(convert({out, "--list"}).out, run.out);
  // A reader's complaint counts too, here in French: the icns holds elements it does not know.
  const Outcome modern = convert({"--lang", "fr", (kCorpus / "icns/tk_macosx_Tk.icns").string()});
  EXPECT_TRUE(modern.status == 1 && modern.says("Ressource ic08 inconnue.")) << modern.err;
}

TEST(Cli, ExistingFilesAreReplacedOnlyWithForceAndFilesNotWrittenExitThree) {
  VEXILO_REQUIRE_SHARED();
  test::TempDir dir;
  const std::string ico = (dir / "kept.ico").string(), board = (dir / "dump/board.txt").string();
  fs::create_directory(dir / "dump");
  for (const std::string& path : {ico, board}) test::writeFile(path, core::ByteBuffer{'o', 'l', 'd'});
  for (const int lang : {0, 10000}) {
    const Outcome run = convert({kPeer, "--lang", lang ? "fr" : "en", "--ico", ico, "--dump", (dir / "dump").string()});
    EXPECT_EQ(run.status, 3);
    EXPECT_TRUE(slurp(ico) == "old" && slurp(board) == "old");
    for (const std::string& path : {ico, board})
      EXPECT_TRUE(run.says(printed(1051, path, lang) + (lang ? " Non" : " No"))) << run.err;
    EXPECT_TRUE(fs::exists(dir / "dump/ic32.png")) << "new dump files are written";
  }
  const Outcome forced = convert({kPeer, "--force", "--ico", ico, "--dump", (dir / "dump").string()});
  EXPECT_TRUE(forced.status == 0 && forced.err.empty()) << forced.err;
  EXPECT_EQ(slurp(ico).substr(0, 4), std::string("\0\0\1\0", 4));
  EXPECT_NE(slurp(board), "old");

  // A folder that is not there; commands that stop without a word (a slot without a picture, a
  // pasteboard as icns or icon); a custom icon without a 32x32 picture (message 6100).
  const std::string lost = (dir / "no/such/x.icns").string(), bmp = (dir / "x.bmp").string(),
                    icns = (dir / "x.icns").string(), custom = (dir / "c.bin").string();
  Outcome run = convert({kPeer, "--icns", lost, "--slot", "ic12", "--bmp", bmp, "--slot", "PB16",
                         "--icns", icns, "--ico", ico + "2"});
  EXPECT_TRUE(run.status == 3 && run.says(printed(1041, lost))) << run.err;
  for (const std::string& path : {bmp, icns, ico + "2"})
    EXPECT_TRUE(!fs::exists(path) && run.says(path + ": nothing was written.")) << path;
  run = convert({(kCorpus / "icns/rust-icns_is32.icns").string(), "--custom-icon", custom});
  EXPECT_TRUE(run.status == 3 && run.says(printed(6100, "")) && !fs::exists(custom)) << run.err;
}

TEST(Cli, EveryFormatWrittenIsReadBackByIndependentDecoders) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  VEXILO_REQUIRE_ICNS2PNG();
  if (!fs::exists("/usr/bin/icotool") || !fs::exists("/usr/bin/macsave")) {
    if (test::inCi()) FAIL() << "icotool (icoutils) or macsave (macutils) is missing";
    GTEST_SKIP() << "icotool (icoutils) or macsave (macutils) is missing";
  }
  test::TempDir dir;
  auto out = [&](const char* name) { return (dir / name).string(); };
  const Outcome run = convert({kPeer, (test::sharedDir() / "samples/peer_magick_32bit.ico").string(),
                               "--list", "--dump", out("dump"), "--icns", out("a.icns"), "--ico", out("a.ico"),
                               "--macbinary-resource", out("r.bin"), "--macbinary-both", out("b.bin"),
                               "--custom-icon", out("c.bin"), "--slot", "ic32", "--bmp", out("s.bmp"),
                               "--jpeg", out("s.jpg"), "--ico", out("s.ico"), "--icns", out("s.icns")});
  ASSERT_TRUE(run.status == 0 && run.err.empty()) << run.err;
  EXPECT_EQ(run.out, slurp(dir / "dump/board.txt"));
  const auto icns2png = test::decodeIcnsWithIcns2png(out("a.icns"));
  const auto icotool = icotoolDecode(out("a.ico"));
  ASSERT_EQ(icotool.size(), 4u);
  const int sizes[] = {16, 32, 48, 128};
  for (int i = 0; i < 4; ++i) {
    const std::string n = std::to_string(sizes[i]);
    ASSERT_TRUE(run.says("ic" + n + " " + n + " " + n + " 7") && icns2png.count(n + "x" + n + "x32")) << n;
    const RgbaImage slot = decoded(dir / "dump" / ("ic" + n + ".png"));
    EXPECT_EQ(differences(slot, test::decodeIcnsWithPillow(out("a.icns"), sizes[i]).value_or(RgbaImage{})), 0) << n;
    EXPECT_EQ(differences(slot, icns2png.at(n + "x" + n + "x32")), 0) << "icns2png " << n;
    EXPECT_EQ(differences(slot, icotool[i], true), 0) << "icotool " << n;
  }
  const RgbaImage ic32 = decoded(dir / "dump/ic32.png");
  EXPECT_EQ(differences(ic32, decoded(out("s.bmp"))), 0);
  const auto single = icotoolDecode(out("s.ico"));
  ASSERT_EQ(single.size(), 1u);
  EXPECT_EQ(differences(ic32, single[0], true), 0);
  EXPECT_EQ(differences(ic32, test::decodeIcnsWithIcns2png(out("s.icns")).at("32x32x32")), 0);
  EXPECT_EQ(decoded(out("s.jpg")).width, 32);

  // macsave splits the MacBinary files: the icns goes in the data fork, the resource fork or
  // both; the custom icon's icns is its icns resource too.
  const std::string icns = slurp(out("a.icns"));
  for (const std::string file : {"r.bin", "b.bin", "c.bin"}) {
    test::TempDir split;
    ASSERT_EQ(test::runCommand("cd " + test::shellQuote(split.path().string()) + " && macsave -3 < " +
                               test::shellQuote(out(file.c_str())) + " >/dev/null 2>&1"), 0) << file;
    const std::string data = slurp(split / "Icon_.data"), rsrc = slurp(split / "Icon_.rsrc");
    EXPECT_NE(rsrc.find(file == "c.bin" ? data : icns), std::string::npos) << file;
    if (file != "c.bin") EXPECT_EQ(data, file == "b.bin" ? icns : "") << file;
    else
      for (const char* key : {"32x32x1", "32x32x8", "32x32x32", "48x48x32"})
        EXPECT_TRUE(test::decodeIcnsWithIcns2png(split / "Icon_.data").count(key)) << key;
  }
}

TEST(Cli, InputsAssembleOneFamilyAndMasksComeBeforeTheListing) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  test::TempDir dir;
  const std::string bmp = (dir / "only32.bmp").string();
  ASSERT_EQ(convert({(kCorpus / "icns/rust-icns_il32.icns").string(), "--slot", "ic32", "--bmp", bmp}).status, 0);
  // A BMP brings a colour picture alone, the icns the 16 pair; the mask is cut from alpha.
  const Outcome masked = convert({bmp, (kCorpus / "icns/rust-icns_is32.icns").string(), "--mask", "--list",
                                  "--dump", (dir / "dump").string()});
  ASSERT_EQ(masked.status, 0) << masked.err;
  for (const char* line : {"ic32 32 32 7", "ic16 16 16 7", "im32 32 32 1"}) EXPECT_TRUE(masked.says(line)) << line;
  const RgbaImage colour = decoded(dir / "dump/ic32.png"), mask = decoded(dir / "dump/im32.png");
  ASSERT_TRUE(colour.width == 32 && mask.width == 32);
  int wrong = 0;
  for (int i = 0; i < 32 * 32; ++i) wrong += (colour.at(i % 32, i / 32)[3] != 0) != (mask.at(i % 32, i / 32)[0] == 0);
  EXPECT_EQ(wrong, 0) << "black wherever the colour picture has any alpha";
}
