#include "core/file_helpers.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/shared_data.h"
#include "support/temp_dir.h"

namespace vexilo::core {
namespace {

TEST(FileHelpers, FileExistsOnlyForFiles) {
  test::TempDir dir;
  const std::uint8_t byte = 1;
  test::writeFile(dir / "f.ico", Bytes(&byte, 1));
  EXPECT_TRUE(fileExists(dir / "f.ico"));
  EXPECT_FALSE(fileExists(dir.path()));
  EXPECT_FALSE(fileExists(dir / "missing.ico"));
}

TEST(FileHelpers, TempFilesAreDistinctAndDeletedWithTheirOwner) {
  std::filesystem::path first, second;
  {
    std::optional<TempFile> moved;
    {
      auto a = createTempFile("ICN#");
      auto b = createTempFile("ICN#");
      ASSERT_TRUE(a && b);
      first = a->path();
      second = b->path();
      EXPECT_NE(first, second);
      EXPECT_EQ(first.parent_path(), std::filesystem::temp_directory_path());
      const std::string name = first.filename().string();
      EXPECT_EQ(name.substr(0, 3), "ICN");
      EXPECT_NE(name[3], '#');
      EXPECT_EQ(first.extension(), ".tmp");
      b->close();  // still there until its owner dies
      EXPECT_TRUE(fileExists(second));
      moved = std::move(a);
    }
    EXPECT_FALSE(std::filesystem::exists(second));
    EXPECT_TRUE(fileExists(first));  // the moved-from owner must not delete it
  }
  EXPECT_FALSE(std::filesystem::exists(first));
}

struct CountingProgress : ProgressSink {
  std::vector<int> begins;
  int steps = 0;
  int ends = 0;
  void begin(int maximum) override { begins.push_back(maximum); }
  void step() override { ++steps; }
  void end() override { ++ends; }
};

// Copies from memory into memory.
std::vector<std::uint8_t> copyInMemory(const std::vector<std::uint8_t>& source, std::uint64_t n,
                                       ProgressSink* progress) {
  std::vector<std::uint8_t> sink;
  std::size_t at = 0;
  const int result = copyHandleBytes(
      [&](std::span<std::uint8_t> buffer) {
        const std::size_t count = std::min(buffer.size(), source.size() - at);
        std::copy_n(source.begin() + static_cast<std::ptrdiff_t>(at), count, buffer.begin());
        at += count;
        return count;
      },
      [&](std::span<const std::uint8_t> bytes) {
        sink.insert(sink.end(), bytes.begin(), bytes.end());
        return true;
      },
      n, progress);
  EXPECT_EQ(result, 0);
  return sink;
}

TEST(FileHelpers, CopyShowsProgressOnlyBeyondEightChunks) {
  std::vector<std::uint8_t> data(400000);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7 + i / 251);

  CountingProgress quiet;
  EXPECT_EQ(copyInMemory(data, 327680, &quiet), std::vector(data.begin(), data.begin() + 327680));
  EXPECT_TRUE(quiet.begins.empty());
  EXPECT_EQ(quiet.steps + quiet.ends, 0);

  CountingProgress shown;
  EXPECT_EQ(copyInMemory(data, 327681, &shown), std::vector(data.begin(), data.begin() + 327681));
  EXPECT_EQ(shown.begins, std::vector<int>{9});
  EXPECT_EQ(shown.steps, 9);
  EXPECT_EQ(shown.ends, 1);
}

TEST(FileHelpers, CopyFileBytesLeavesBothFilesJustAfterTheCopy) {
  auto src = createTempFile("BIN");
  auto dst = createTempFile("RES");
  ASSERT_TRUE(src && dst);
  std::fputs("0123456789", src->file());
  std::fseek(src->file(), 2, SEEK_SET);
  std::fputs("ab", dst->file());

  EXPECT_EQ(copyFileBytes(src->file(), dst->file(), 5), 0);
  EXPECT_EQ(std::ftell(src->file()), 7);
  std::fputs("|", dst->file());
  EXPECT_EQ(copyFileBytes(src->file(), dst->file(), 100), 0);  // only 3 bytes are left
  src->close();
  dst->close();
  const auto written = test::readFile(dst->path());
  EXPECT_EQ(std::string(written.begin(), written.end()), "ab23456|789");
}

TEST(FileHelpers, MacDatesCountFrom1904InLocalTime) {
  EXPECT_EQ(macDate(978307200, 0), 3061152000u);  // 2001-01-01 00:00 UTC
  EXPECT_EQ(macDate(978307200, 3600), 3061155600u);
  EXPECT_EQ(macDate(-kMacEpochOffset - 1, 0), 0xFFFFFFFFu);  // wraps modulo 2^32
  EXPECT_EQ(macDate(std::int64_t{1} << 32, -static_cast<std::int32_t>(kMacEpochOffset)), 0u);
}

#ifndef _WIN32
// timeZoneShift(t) with TZ set to `zone`; the previous zone is restored.
std::int32_t shiftIn(const char* zone, std::int64_t t) {
  const char* old = std::getenv("TZ");
  const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
  ::setenv("TZ", zone, 1);
  ::tzset();
  const std::int32_t shift = timeZoneShift(t);
  if (saved) ::setenv("TZ", saved->c_str(), 1);
  else ::unsetenv("TZ");
  ::tzset();
  return shift;
}

TEST(FileHelpers, TimeZoneShiftCountsTheZoneOnce) {
  constexpr std::int64_t kNewYear2001 = 978307200;
  constexpr std::int64_t kJuly2001 = 993945600;
  EXPECT_EQ(shiftIn("UTC", kNewYear2001), 0);
  EXPECT_EQ(shiftIn("XYZ-2", kNewYear2001), 7200);
  EXPECT_EQ(shiftIn("XYZ-2", kNewYear2001 - 3600), 7200);  // already the new year locally
  EXPECT_EQ(shiftIn("ABC+5", kNewYear2001 + 3600), -18000);  // still the old year locally
  EXPECT_EQ(shiftIn("CET-1CEST,M3.5.0,M10.5.0/3", kNewYear2001), 3600);
  EXPECT_EQ(shiftIn("CET-1CEST,M3.5.0,M10.5.0/3", kJuly2001), 7200);
}
#endif

}  // namespace
}  // namespace vexilo::core
