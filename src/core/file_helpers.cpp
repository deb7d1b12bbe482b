#include "core/file_helpers.h"

#include <ctime>
#include <system_error>

namespace vexilo::core {

bool fileExists(const std::filesystem::path& path) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  return !ec && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

std::uint32_t macDate(std::int64_t unixSeconds, std::int32_t timeZoneShift) {
  // Unsigned arithmetic wraps modulo 2^64, so the low 32 bits are the result modulo 2^32.
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(unixSeconds) +
                                    static_cast<std::uint64_t>(kMacEpochOffset) +
                                    static_cast<std::uint64_t>(std::int64_t{timeZoneShift}));
}

std::uint32_t macNow(std::int32_t timeZoneShift) {
  return macDate(static_cast<std::int64_t>(std::time(nullptr)), timeZoneShift);
}

std::int32_t timeZoneShift(std::int64_t unixSeconds) {
  const auto t = static_cast<std::time_t>(unixSeconds);
  std::tm local{};
  std::tm utc{};
  // Taken from one pair of broken-down times, so the zone and daylight saving count once.
#ifdef _WIN32
  _tzset();
  if (localtime_s(&local, &t) != 0 || gmtime_s(&utc, &t) != 0) return 0;
#else
  tzset();  // localtime_r need not notice a changed zone by itself
  if (localtime_r(&t, &local) == nullptr || gmtime_r(&t, &utc) == nullptr) return 0;
#endif
  int days = local.tm_yday - utc.tm_yday;
  if (local.tm_year != utc.tm_year) days = local.tm_year > utc.tm_year ? 1 : -1;
  return days * 86400 + (local.tm_hour - utc.tm_hour) * 3600 + (local.tm_min - utc.tm_min) * 60 +
         (local.tm_sec - utc.tm_sec);
}

}  // namespace vexilo::core
