// Existence tests, whole-file reading, Macintosh dates and where the help collection lies.
#include "core/file_helpers.h"

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "core/file_io.h"
#include "core/help_path.h"
#include "support/shared_data.h"
#include "support/temp_dir.h"

using namespace vexilo::core;

TEST(FileHelpers, OnlyFilesExistAreReadWithinTheLimitAndDatesCountFrom1904) {
  vexilo::test::TempDir dir;
  vexilo::test::writeFile(dir / "f.ico", ByteBuffer{9, 8});
  EXPECT_TRUE(fileExists(dir / "f.ico") && !fileExists(dir.path()) && !fileExists(dir / "missing.ico"));
  EXPECT_EQ(readFileBytes(dir / "f.ico", 2), (ByteBuffer{9, 8}));
  EXPECT_FALSE(readFileBytes(dir / "f.ico", 1) || readFileBytes(dir.path()) || readFileBytes(dir / "x"));
  // Macintosh dates count local seconds from 1904.
  EXPECT_EQ(macDate(978307200, 3600), 3061155600u);  // 2001-01-01 00:00 UTC, an hour east
  EXPECT_EQ(macDate(-kMacEpochOffset - 1, 0), 0xFFFFFFFFu);  // wraps modulo 2^32
  EXPECT_EQ(macDate(std::int64_t{1} << 32, -static_cast<std::int32_t>(kMacEpochOffset)), 0u);
  // The zone's offset, counted once also where the local date is another year than UTC's.
  const char* old = std::getenv("TZ");
  const std::string saved = old ? old : "";
  const struct { const char* zone; std::int64_t t; std::int32_t shift; } cases[] = {
      {"UTC", 978307200, 0}, {"XYZ-2", 978307200 - 3600, 7200}, {"ABC+5", 978307200 + 3600, -18000},
      {"CET-1CEST,M3.5.0,M10.5.0/3", 978307200, 3600}, {"CET-1CEST,M3.5.0,M10.5.0/3", 993945600, 7200}};
  for (const auto& c : cases) {
    ::setenv("TZ", c.zone, 1);
    EXPECT_EQ(timeZoneShift(c.t), c.shift) << c.zone << " " << c.t;
  }
  old ? ::setenv("TZ", saved.c_str(), 1) : ::unsetenv("TZ");
  ::tzset();
}

TEST(FileHelpers, TheHelpCollectionIsFoundBesideTheProgramThenInItsSharedFolder) {
  vexilo::test::TempDir dir;
  const auto program = dir / "usr/bin/tool";
  std::filesystem::create_directories(dir / "usr/bin");
  std::filesystem::create_directories(dir / "usr/share/tool/toole.qhc");  // a folder never counts
  EXPECT_EQ(buildHelpPath(program, 0), "");
  // Installed: the language's collection, else the plain one, in ../share/<name>/.
  vexilo::test::writeFile(dir / "usr/share/tool/tool.qhc", ByteBuffer{1});
  EXPECT_EQ(buildHelpPath(program, 0), (dir / "usr/share/tool/tool.qhc").string());
  vexilo::test::writeFile(dir / "usr/share/tool/toolf.qhc", ByteBuffer{1});
  EXPECT_EQ(buildHelpPath(program, 10000), (dir / "usr/share/tool/toolf.qhc").string());
  EXPECT_EQ(buildHelpPath(program, 0), (dir / "usr/share/tool/tool.qhc").string());
  // Beside the program, either name, wins over the shared folder.
  vexilo::test::writeFile(dir / "usr/bin/tool.qhc", ByteBuffer{1});
  EXPECT_EQ(buildHelpPath(program, 10000), (dir / "usr/bin/tool.qhc").string());
  vexilo::test::writeFile(dir / "usr/bin/toolf.qhc", ByteBuffer{1});
  EXPECT_EQ(buildHelpPath(program, 10000), (dir / "usr/bin/toolf.qhc").string());
}
