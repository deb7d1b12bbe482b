// Small file operations shared by every writer: existence tests, the progress of long
// operations, and Macintosh dates.
#pragma once

#include <cstdint>
#include <filesystem>

namespace vexilo::core {

// True for an existing file that is not a folder; never throws.
bool fileExists(const std::filesystem::path& path);

// Drives a progress bar during long operations.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void begin(int maximum) = 0;
  virtual void step() = 0;
  virtual void end() = 0;
};

// Seconds from 1904-01-01 to 1970-01-01.
inline constexpr std::int64_t kMacEpochOffset = 2082844800;

// A Macintosh date (local seconds since 1904, modulo 2^32) of a Unix time.
std::uint32_t macDate(std::int64_t unixSeconds, std::int32_t timeZoneShift);
std::uint32_t macNow(std::int32_t timeZoneShift);
// The local time zone's offset from UTC at that moment in seconds, east positive, daylight saving
// included.
std::int32_t timeZoneShift(std::int64_t unixSeconds);

}  // namespace vexilo::core
