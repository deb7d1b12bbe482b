// vexilo-convert run as a program: usage and exit statuses, every file it writes read back by
// the program itself and by independent decoders, and its dumps against reference decodes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
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

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Outcome convert(const std::vector<std::string>& args) {
  test::TempDir logs;
  std::string command = test::shellQuote(VEXILO_CONVERT);
  for (const std::string& a : args) command += " " + test::shellQuote(a);
  command += " >" + test::shellQuote((logs / "out").string()) + " 2>" +
             test::shellQuote((logs / "err").string());
  Outcome run;
  run.status = test::runCommand(command);
  run.out = slurp(logs / "out");
  run.err = slurp(logs / "err");
  return run;
}

std::set<std::string> lines(const std::string& text) {
  std::set<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.insert(line);
  return out;
}

// A message as the program prints it: on one line.
std::string printed(int id, const std::string& argument, int lang = 0) {
  std::string text = core::formatMessage(core::loadLocalString(id, lang), argument);
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

// Pixels of `ours` differing from `ref` in colour where the reference is not transparent (and
// in alpha too with `alpha`), over the reference's size, or its first `rows` rows.
int differences(const RgbaImage& ours, const RgbaImage& ref, bool alpha = false, int rows = 0) {
  const int height = rows ? rows : ref.height;
  if (ours.width < ref.width || ours.height < height || ref.height < height) return -1;
  int count = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < ref.width; ++x) {
      const std::uint8_t* a = ours.at(x, y);
      const std::uint8_t* r = ref.at(x, y);
      if (r[3] == 0 && !alpha) continue;
      if (!std::equal(a, a + (alpha ? 4 : 3), r)) ++count;
    }
  return count;
}

RgbaImage decoded(const fs::path& png) {
  auto image = test::decodeWithPillow(png);
  EXPECT_TRUE(image) << png;
  return image ? *image : RgbaImage{};
}

// Every picture `icotool -x` extracts, by entry (1, 2, ...).
std::vector<RgbaImage> icotoolDecode(const fs::path& ico) {
  test::TempDir dir;
  test::runCommand("icotool -x -o " + test::shellQuote(dir.path().string()) + " " +
                   test::shellQuote(ico.string()) + " >/dev/null 2>&1");
  std::vector<fs::path> files(fs::directory_iterator(dir.path()), fs::directory_iterator());
  std::sort(files.begin(), files.end());  // <stem>_<index>_... : fewer than ten entries here
  std::vector<RgbaImage> out;
  for (const auto& f : files) out.push_back(decoded(f));
  return out;
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

const fs::path kSamples = test::sharedDir() / "samples";
const fs::path kCorpus = test::sharedDir() / "corpus";

}  // namespace

TEST(CliUsage, HelpDocumentsEveryOptionAndWrongUsageExitsTwo) {
  const Outcome help = convert({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"--icns", "--macbinary-resource", "--macbinary-both", "--custom-icon",
                             "--ico", "--slot", "--bmp", "--jpeg", "--dump", "--list", "--mask",
                             "--force", "--lang", "Exit status"})
    EXPECT_TRUE(contains(help.out, option)) << option;

  test::TempDir dir;
  const std::string in = (dir / "in.icns").string(), out = (dir / "out").string();
  const std::vector<std::vector<std::string>> wrong = {
      {},
      {"--icns", out},                            // no input
      {in, "--bogus"},
      {in, "--icns"},                             // no file name
      {in, "--bmp", out},                         // one slot, but which?
      {in, "--slot", "ic99", "--bmp", out},
      {in, "--slot", "ic32"},                     // a slot for no output
      {in, "--slot", "ic32", "--slot", "ic16", "--bmp", out},
      {in, "--lang", "de", "--icns", out},
      {in, "--force=yes", "--icns", out},
  };
  for (const auto& args : wrong) {
    const Outcome run = convert(args);
    const std::string shown = args.empty() ? "(nothing)" : args.back();
    EXPECT_EQ(run.status, 2) << shown;
    EXPECT_TRUE(contains(run.err, "Usage: vexilo-convert")) << shown;
    EXPECT_EQ(run.out, "") << shown;
    EXPECT_FALSE(fs::exists(out)) << shown;
  }
}

TEST(CliExit, ReadingProblemsExitOneYetTheOutputsAreWritten) {
  VEXILO_REQUIRE_SHARED();
  test::TempDir dir;
  const std::string missing = (dir / "gone.icns").string();
  const std::string text = (dir / "notes.txt").string();
  test::writeFile(text, core::ByteBuffer{'h', 'i'});
  const std::string out = (dir / "out.icns").string();

  const Outcome run = convert({missing, (kSamples / "peer_png2icns.icns").string(), text, "--icns", out});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(contains(run.err, printed(1041, missing))) << run.err;
  EXPECT_TRUE(contains(run.err, printed(6422, text))) << run.err;
  EXPECT_TRUE(lines(convert({out, "--list"}).out).count("ic32 32 32 7"));

  // A reader's complaint counts too, here in French: the icns holds elements it does not know.
  const Outcome modern = convert({"--lang", "fr", (kCorpus / "icns/tk_macosx_Tk.icns").string()});
  EXPECT_EQ(modern.status, 1);
  EXPECT_TRUE(contains(modern.err, "Ressource ic08 inconnue.")) << modern.err;
}

TEST(CliOutputs, PeerSamplesToEveryFormatReadBackByEveryDecoder) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  VEXILO_REQUIRE_ICNS2PNG();
  if (!fs::exists("/usr/bin/icotool") || !fs::exists("/usr/bin/macsave")) {
    if (test::inCi()) FAIL() << "icotool (icoutils) or macsave (macutils) is missing";
    GTEST_SKIP() << "icotool (icoutils) or macsave (macutils) is missing";
  }
  test::TempDir dir;
  auto out = [&](const char* name) { return (dir / name).string(); };
  const Outcome run = convert({(kSamples / "peer_png2icns.icns").string(),
                           (kSamples / "peer_magick_32bit.ico").string(), "--list", "--dump",
                           out("dump"), "--icns", out("a.icns"), "--ico", out("a.ico"),
                           "--macbinary-resource", out("r.bin"), "--macbinary-both", out("b.bin"),
                           "--custom-icon", out("c.bin"), "--slot", "ic32", "--bmp", out("s.bmp"),
                           "--jpeg", out("s.jpg"), "--ico", out("s.ico"), "--icns", out("s.icns")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, slurp(dir / "dump/board.txt"));
  const auto board = lines(run.out);
  const char* const family[] = {"ic16 16 16 7", "ic32 32 32 7", "ic48 48 48 7", "ic128 128 128 7"};
  for (const char* line : family) ASSERT_TRUE(board.count(line)) << line;

  // The program reads its own files back.
  for (const char* file : {"a.icns", "a.ico", "r.bin", "b.bin"}) {
    const auto back = lines(convert({out(file), "--list"}).out);
    for (const char* line : family) EXPECT_TRUE(back.count(line)) << file << ": " << line;
  }
  EXPECT_TRUE(lines(convert({out("c.bin"), "--list"}).out).count("ic48 48 48 7"));
  for (const char* file : {"s.bmp", "s.jpg", "s.ico", "s.icns"})
    EXPECT_TRUE(lines(convert({out(file), "--list"}).out).count("ic32 32 32 7")) << file;

  // Independent decoders agree with the board's pictures.
  const int sizes[] = {16, 32, 48, 128};
  const auto icns2png = test::decodeIcnsWithIcns2png(out("a.icns"));
  const auto icotool = icotoolDecode(out("a.ico"));
  ASSERT_EQ(icotool.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    const std::string n = std::to_string(sizes[i]);
    const RgbaImage slot = decoded(dir / "dump" / ("ic" + n + ".png"));
    const auto pillow = test::decodeIcnsWithPillow(out("a.icns"), sizes[i]);
    ASSERT_TRUE(pillow) << n;
    EXPECT_EQ(differences(slot, *pillow), 0) << "Pillow icns " << n;
    ASSERT_TRUE(icns2png.count(n + "x" + n + "x32")) << n;
    EXPECT_EQ(differences(slot, icns2png.at(n + "x" + n + "x32")), 0) << "icns2png " << n;
    EXPECT_EQ(differences(slot, icotool[i], true), 0) << "icotool " << n;
  }
  const RgbaImage ic32 = decoded(dir / "dump/ic32.png");
  EXPECT_EQ(differences(decoded(dir / "dump/ic128.png"), decoded(out("a.ico")), true), 0);
  EXPECT_EQ(differences(ic32, decoded(out("s.bmp"))), 0);
  const auto single = icotoolDecode(out("s.ico"));
  ASSERT_EQ(single.size(), 1u);
  EXPECT_EQ(differences(ic32, single[0], true), 0);
  EXPECT_EQ(differences(ic32, test::decodeIcnsWithIcns2png(out("s.icns")).at("32x32x32")), 0);
  const RgbaImage jpeg = decoded(out("s.jpg"));
  ASSERT_EQ(jpeg.width, 32);
  long error = 0;
  for (std::size_t i = 0; i < jpeg.rgba.size(); ++i)
    if (i % 4 != 3) error += std::abs(jpeg.rgba[i] - ic32.rgba[i]);
  EXPECT_LT(error / (32 * 32 * 3), 16) << "mean error of the JPEG";

  // macsave splits the MacBinary files: the icns goes in the data fork, the resource fork or both.
  const std::string icns = slurp(out("a.icns"));
  for (const char* file : {"r.bin", "b.bin", "c.bin"}) {
    test::TempDir split;
    ASSERT_EQ(test::runCommand("cd " + test::shellQuote(split.path().string()) + " && macsave -3 < " +
                               test::shellQuote(out(file)) + " >/dev/null 2>&1"), 0) << file;
    const std::string data = slurp(split / "Icon_.data"), rsrc = slurp(split / "Icon_.rsrc");
    if (std::string(file) == "c.bin") {
      EXPECT_TRUE(contains(rsrc, data)) << "the custom icon's icns is its icns resource too";
      const auto pictures = test::decodeIcnsWithIcns2png(split / "Icon_.data");
      for (const char* key : {"32x32x1", "32x32x8", "32x32x32", "48x48x32"})
        EXPECT_TRUE(pictures.count(key)) << key;
      continue;
    }
    EXPECT_EQ(data, std::string(file) == "b.bin" ? icns : "") << file;
    EXPECT_TRUE(contains(rsrc, icns)) << file;
  }
}

TEST(CliOutputs, ExistingFilesAreReplacedOnlyWithForce) {
  VEXILO_REQUIRE_SHARED();
  test::TempDir dir;
  const std::string in = (kSamples / "peer_png2icns.icns").string();
  const std::string ico = (dir / "kept.ico").string(), board = (dir / "dump/board.txt").string();
  test::writeFile(ico, core::ByteBuffer{'o', 'l', 'd'});
  fs::create_directory(dir / "dump");
  test::writeFile(board, core::ByteBuffer{'o', 'l', 'd'});

  for (const int lang : {0, 10000}) {
    const Outcome run = convert({in, "--lang", lang ? "fr" : "en", "--ico", ico, "--dump", (dir / "dump").string()});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(slurp(ico), "old");
    EXPECT_EQ(slurp(board), "old");
    const std::string no = lang ? " Non" : " No";
    EXPECT_TRUE(contains(run.err, printed(1051, ico, lang) + no)) << run.err;
    EXPECT_TRUE(contains(run.err, printed(1051, board, lang) + no)) << run.err;
    EXPECT_TRUE(fs::exists(dir / "dump/ic32.png")) << "new dump files are written";
  }
  const Outcome forced = convert({in, "--force", "--ico", ico, "--dump", (dir / "dump").string()});
  EXPECT_EQ(forced.status, 0);
  EXPECT_EQ(forced.err, "");
  EXPECT_EQ(slurp(ico).substr(0, 4), std::string("\0\0\1\0", 4));
  EXPECT_NE(slurp(board), "old");
}

TEST(CliOutputs, FilesNotWrittenExitThree) {
  VEXILO_REQUIRE_SHARED();
  test::TempDir dir;
  const std::string in = (kSamples / "peer_png2icns.icns").string();
  const std::string uncreatable = (dir / "no/such/folder/x.icns").string();
  Outcome run = convert({in, "--icns", uncreatable});
  EXPECT_EQ(run.status, 3);
  EXPECT_TRUE(contains(run.err, printed(1041, uncreatable))) << run.err;

  // Commands that stop without a word: a slot without a picture, a pasteboard as icns or icon.
  const std::string bmp = (dir / "x.bmp").string(), icns = (dir / "x.icns").string();
  const std::string ico = (dir / "x.ico").string();
  run = convert({in, "--slot", "ic12", "--bmp", bmp, "--slot", "PB16", "--icns", icns, "--ico", ico});
  EXPECT_EQ(run.status, 3);
  for (const std::string& path : {bmp, icns, ico}) {
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(contains(run.err, path + ": nothing was written.")) << run.err;
  }

  // The custom icon needs a 32x32 picture: message 6100 and no file.
  const std::string custom = (dir / "c.bin").string();
  run = convert({(kCorpus / "icns/rust-icns_is32.icns").string(), "--custom-icon", custom});
  EXPECT_EQ(run.status, 3);
  EXPECT_TRUE(contains(run.err, printed(6100, ""))) << run.err;
  EXPECT_FALSE(fs::exists(custom));
}

TEST(CliDump, InputsAssembleOneFamilyAndMasksComeBeforeTheListing) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  test::TempDir dir;
  const std::string bmp = (dir / "only32.bmp").string();
  ASSERT_EQ(convert({(kCorpus / "icns/rust-icns_il32.icns").string(), "--slot", "ic32", "--bmp", bmp}).status, 0);

  // A BMP brings a colour picture alone; the icns adds the 16 pair.
  const std::string is32 = (kCorpus / "icns/rust-icns_is32.icns").string();
  const auto plain = lines(convert({bmp, is32, "--list"}).out);
  EXPECT_TRUE(plain.count("ic32 32 32 7"));
  EXPECT_TRUE(plain.count("ic16 16 16 7"));
  EXPECT_FALSE(plain.count("im32 32 32 1"));

  const Outcome masked = convert({bmp, is32, "--mask", "--list", "--dump", (dir / "dump").string()});
  ASSERT_EQ(masked.status, 0) << masked.err;
  EXPECT_TRUE(lines(masked.out).count("im32 32 32 1")) << "a mask cut from alpha";
  const RgbaImage colour = decoded(dir / "dump/ic32.png"), mask = decoded(dir / "dump/im32.png");
  ASSERT_EQ(colour.width, 32);
  ASSERT_EQ(mask.width, 32);
  int wrong = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) wrong += (colour.at(x, y)[3] != 0) != (mask.at(x, y)[0] == 0);
  EXPECT_EQ(wrong, 0) << "black wherever the colour picture has any alpha";
}
