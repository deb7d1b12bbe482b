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
  std::string text = core::messageText(id, lang, argument);
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

RgbaImage decoded(const fs::path& png) { return test::decodeWithPillow(png).value_or(RgbaImage{}); }

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
  // A reader's complaint counts too, here in French: the icns holds an element it does not know.
  const Outcome lone = convert({"--lang", "fr", (kCorpus / "icns/rust-icns_icon.icns").string()});
  EXPECT_TRUE(lone.status == 1 && lone.says("Ressource ICON inconnue.")) << lone.err;
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

// Each output option runs its command: the file is of its kind (read back by the program and by
// an independent tool); the formats themselves are checked where they are written.
TEST(Cli, EveryOutputOptionWritesItsKindOfFile) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_ICNS2PNG();
  VEXILO_REQUIRE_TOOL(fs::exists("/usr/bin/macsave") && fs::exists("/usr/bin/icotool"), "macutils, icoutils");
  test::TempDir dir;
  auto out = [&](const std::string& name) { return (dir / name).string(); };
  const Outcome run = convert({kPeer, "--list", "--dump", out("dump"), "--icns", out("a.icns"), "--ico",
                               out("a.ico"), "--macbinary-resource", out("r.bin"), "--macbinary-both",
                               out("b.bin"), "--custom-icon", out("c.bin"), "--slot", "ic32", "--bmp",
                               out("s.bmp"), "--jpeg", out("s.jpg"), "--ico", out("s.ico"), "--icns", out("s.icns")});
  ASSERT_TRUE(run.status == 0 && run.err.empty()) << run.err;
  EXPECT_EQ(run.out, slurp(dir / "dump/board.txt"));
  for (const char* file : {"a.icns", "r.bin", "b.bin"}) EXPECT_EQ(convert({out(file), "--list"}).out, run.out) << file;
  const Outcome ico = convert({out("a.ico"), "--list"});
  const auto icns2png = test::decodeIcnsWithIcns2png(out("a.icns"));
  for (const std::string n : {"16", "32", "48", "128"})
    EXPECT_TRUE(ico.says("ic" + n + " " + n + " " + n + " 7") && icns2png.count(n + "x" + n + "x32")) << n;
  for (const char* file : {"c.bin", "s.bmp", "s.jpg", "s.ico", "s.icns"})
    EXPECT_TRUE(convert({out(file), "--list"}).says("ic32 32 32 7")) << file;
  test::TempDir split;
  test::runCommand("icotool -x -o " + test::shellQuote(split.path().string()) + " " + test::shellQuote(out("a.ico")));
  EXPECT_EQ(std::distance(fs::directory_iterator(split.path()), fs::directory_iterator()), 4);
  // macsave splits the MacBinary files: the icns goes in the resource fork, or in both forks.
  const std::string icns = slurp(out("a.icns"));
  for (const std::string file : {"r.bin", "b.bin"}) {
    test::TempDir forks;
    ASSERT_EQ(test::runCommand("cd " + test::shellQuote(forks.path().string()) + " && macsave -3 < " +
                               test::shellQuote(out(file)) + " >/dev/null 2>&1"), 0) << file;
    EXPECT_NE(slurp(forks / "Icon_.rsrc").find(icns), std::string::npos) << file;
    EXPECT_EQ(slurp(forks / "Icon_.data"), file == "b.bin" ? icns : "") << file;
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

// A modern icon (JPEG 2000 elements up to 1024 pixels) fills the large slots; they are written
// as PNG elements, a 256-pixel PNG entry and PNG files that Pillow and icotool read back.
TEST(Cli, LargeSizesComeInAndGoOutAsPng) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  VEXILO_REQUIRE_TOOL(fs::exists("/usr/bin/icotool"), "icoutils");
  test::TempDir dir;
  auto out = [&](const std::string& name) { return (dir / name).string(); };
  const Outcome run = convert({(kCorpus / "icns/pillow_pillow3.icns").string(), "--list", "--icns", out("a.icns"),
                               "--ico", out("a.ico"), "--slot", "ic1024", "--png", out("big.png"), "--slot", "ic256",
                               "--ico", out("s.ico")});
  ASSERT_TRUE(run.status == 0 && run.err.empty()) << run.err;
  for (const char* line : {"ic256 256 256 7", "ic512 512 512 7", "ic1024 1024 1024 7"}) EXPECT_TRUE(run.says(line)) << line;
  EXPECT_EQ(convert({out("a.icns"), "--list"}).out, run.out);
  EXPECT_TRUE(convert({out("s.ico"), "--list"}).says("ic256 256 256 7"));
  EXPECT_EQ(decoded(out("big.png")).width, 1024);
  test::TempDir split;
  test::runCommand("icotool -x -o " + test::shellQuote(split.path().string()) + " " + test::shellQuote(out("s.ico")));
  ASSERT_EQ(std::distance(fs::directory_iterator(split.path()), fs::directory_iterator()), 1);
  const RgbaImage entry = decoded(fs::directory_iterator(split.path())->path());
  const RgbaImage pillow = decoded(out("s.ico"));
  EXPECT_TRUE(entry.width == 256 && pillow.width == 256 && entry.rgba == pillow.rgba);
}

// One call makes both families and an .iconset folder from one 1024-pixel picture; the
// independent readers find every size, and the folder reads back as the same family.
TEST(Cli, FillSizesMakesEveryFamilyFromOnePicture) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_ICNS2PNG();
  VEXILO_REQUIRE_TOOL(fs::exists("/usr/bin/icotool"), "icoutils");
  test::TempDir dir;
  auto out = [&](const std::string& name) { return (dir / name).string(); };
  ASSERT_EQ(convert({(kCorpus / "icns/pillow_pillow3.icns").string(), "--slot", "ic1024", "--png", out("logo.png")}).status, 0);
  const Outcome run = convert({out("logo.png"), "--fill-sizes", "--list", "--icns", out("a.icns"), "--ico", out("a.ico"),
                               "--iconset", out("a.iconset")});
  ASSERT_TRUE(run.status == 0 && run.err.empty()) << run.err;
  for (const char* line : {"ic12 16 16 7", "im12 16 16 3", "im48 48 48 3", "icNB 32 32 1", "imNB 32 32 1", "ic512 512 512 7"})
    EXPECT_TRUE(run.says(line)) << line;
  const auto icns2png = test::decodeIcnsWithIcns2png(out("a.icns"));
  for (const std::string n : {"16", "32", "48", "128", "256", "512", "1024"}) EXPECT_TRUE(icns2png.count(n + "x" + n + "x32")) << n;
  EXPECT_EQ(test::pillowIcnsSizes(out("a.icns")), (std::vector<int>{16, 32, 48, 128, 256, 512}));
  test::runCommand("icotool -l " + test::shellQuote(out("a.ico")) + " >" + test::shellQuote(out("ico.txt")));
  for (const std::string n : {"16", "32", "48", "128", "256"})
    EXPECT_NE(slurp(out("ico.txt")).find("--width=" + n + " --height=" + n + " --bit-depth=32"), std::string::npos) << n;
  EXPECT_EQ(decoded(out("a.ico")).width, 256);
  // The 32-pixel picture with its 8-bit mask in the icns is the folder's PNG file.
  EXPECT_EQ(icns2png.at("32x32x32").rgba, decoded(out("a.iconset/icon_32x32.png")).rgba);
  const Outcome back = convert({out("a.iconset"), "--list"});
  for (const char* line : {"ic16 16 16 7", "ic32 32 32 7", "ic128 128 128 7", "ic256 256 256 7", "ic1024 1024 1024 7"})
    EXPECT_TRUE(back.status == 0 && back.says(line)) << line << back.err;
  EXPECT_TRUE(convert({"--help"}).says("--fill-sizes") && convert({"--help"}).says("--iconset DIR"));
  const Outcome again = convert({out("logo.png"), "--iconset", out("a.iconset")});
  EXPECT_TRUE(again.status == 3 && again.says(printed(1051, out("a.iconset")) + " No")) << again.err;
}
