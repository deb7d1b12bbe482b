#include "core/file_helpers.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <ctime>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <system_error>

namespace vexilo::core {

namespace {

constexpr std::size_t kTempPrefixChars = 3;
constexpr int kTempAttempts = 100;

// Eight hex digits from a per-thread generator; the exclusive open catches the rare collision.
std::string uniqueSuffix() {
  thread_local std::mt19937 engine = [] {
    std::seed_seq seed{static_cast<unsigned>(std::random_device{}()),
                       static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count())};
    return std::mt19937(seed);
  }();
  static constexpr char kHex[] = "0123456789abcdef";
  std::uint32_t value = engine();
  std::string out(8, '0');
  for (auto& c : out) {
    c = kHex[value & 0xF];
    value >>= 4;
  }
  return out;
}

// Creates the file only when it does not exist yet.
std::FILE* openExclusive(const std::filesystem::path& path) {
#ifdef _WIN32
  return _wfopen(path.c_str(), L"w+bx");
#else
  return std::fopen(path.c_str(), "w+bx");
#endif
}

}  // namespace

bool fileExists(const std::filesystem::path& path) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  return !ec && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

TempFile::TempFile(TempFile&& other) noexcept
    : path_(std::move(other.path_)), file_(std::exchange(other.file_, nullptr)) {
  other.path_.clear();
}

TempFile& TempFile::operator=(TempFile&& other) noexcept {
  if (this != &other) {
    release();
    path_ = std::move(other.path_);
    other.path_.clear();
    file_ = std::exchange(other.file_, nullptr);
  }
  return *this;
}

void TempFile::close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

void TempFile::release() {
  close();
  if (!path_.empty()) {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
    path_.clear();
  }
}

std::optional<TempFile> createTempFile(std::string_view prefix) {
  std::error_code ec;
  const auto dir = std::filesystem::temp_directory_path(ec);
  if (ec) return std::nullopt;
  const std::string stem(prefix.substr(0, std::min(prefix.size(), kTempPrefixChars)));
  for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
    auto path = dir / (stem + uniqueSuffix() + ".tmp");
    errno = 0;
    if (std::FILE* file = openExclusive(path)) return TempFile(std::move(path), file);
    if (errno != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

int copyHandleBytes(const CopySource& read, const CopySink& write, std::uint64_t n,
                    ProgressSink* progress) {
  const std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[kCopyChunk]);
  if (!buffer) return -1;

  const bool showProgress = progress != nullptr && n > kCopyProgressThreshold;
  if (showProgress)
    progress->begin(static_cast<int>(std::min<std::uint64_t>(n / kCopyChunk + 1, INT_MAX)));

  std::size_t chunk = kCopyChunk;
  std::uint64_t remaining = n;
  while (remaining > 0) {
    if (showProgress) progress->step();
    chunk = static_cast<std::size_t>(std::min<std::uint64_t>(chunk, remaining));
    const std::size_t got = read({buffer.get(), chunk});
    if (got == 0) break;
    chunk = std::min(chunk, got);
    if (!write({buffer.get(), chunk})) break;
    remaining -= chunk;
  }

  if (showProgress) progress->end();
  return 0;
}

int copyFileBytes(std::FILE* src, std::FILE* dst, std::uint64_t n, ProgressSink* progress) {
  if (src == nullptr || dst == nullptr) return 0;
  // A stream may switch between reading and writing only after a seek or a flush; callers often
  // hand over a file they have just written or read.
  std::fseek(src, 0, SEEK_CUR);
  std::fseek(dst, 0, SEEK_CUR);
  const int result = copyHandleBytes(
      [src](std::span<std::uint8_t> bytes) { return std::fread(bytes.data(), 1, bytes.size(), src); },
      [dst](std::span<const std::uint8_t> bytes) {
        return std::fwrite(bytes.data(), 1, bytes.size(), dst) == bytes.size();
      },
      n, progress);
  std::fflush(dst);
  std::fseek(src, 0, SEEK_CUR);
  return result;
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
