// Small file operations shared by every writer: existence tests, self-deleting temporary files,
// chunked copies with progress, and Macintosh dates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

namespace vexilo::core {

// True for an existing file that is not a folder; never throws.
bool fileExists(const std::filesystem::path& path);

// A temporary file open for binary reading and writing, closed and deleted when the object dies.
class TempFile {
 public:
  TempFile(std::filesystem::path path, std::FILE* file) : path_(std::move(path)), file_(file) {}
  ~TempFile() { release(); }
  TempFile(TempFile&& other) noexcept;
  TempFile& operator=(TempFile&& other) noexcept;
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::FILE* file() const { return file_; }
  // Closes the file early, e.g. before another library reopens it by name; it is still deleted.
  void close();

 private:
  void release();

  std::filesystem::path path_;
  std::FILE* file_ = nullptr;
};

// A new, empty file in the system's temporary folder named from the first three characters of
// `prefix`, a unique suffix and ".tmp"; nothing when no file can be created there.
std::optional<TempFile> createTempFile(std::string_view prefix);

// Drives a progress bar during long copies.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void begin(int maximum) = 0;
  virtual void step() = 0;
  virtual void end() = 0;
};

inline constexpr std::size_t kCopyChunk = 20 * 2048;
// Copies longer than this show progress, one step a chunk.
inline constexpr std::uint64_t kCopyProgressThreshold = 8 * kCopyChunk;

// Reads up to span.size() bytes into the span; the count read, 0 at the end or on an error.
using CopySource = std::function<std::size_t(std::span<std::uint8_t>)>;
// Writes all of the span; false on an error.
using CopySink = std::function<bool(std::span<const std::uint8_t>)>;

// Copies up to n bytes in chunks. The copy stops quietly at the source's end or on an error; once
// a read comes back short, later reads ask for no more than it gave. 0, or -1 when the copy
// buffer cannot be allocated.
int copyHandleBytes(const CopySource& read, const CopySink& write, std::uint64_t n,
                    ProgressSink* progress);
// Copies n bytes from src's position to dst's, leaving both just after the bytes moved.
int copyFileBytes(std::FILE* src, std::FILE* dst, std::uint64_t n, ProgressSink* progress = nullptr);

// Seconds from 1904-01-01 to 1970-01-01.
inline constexpr std::int64_t kMacEpochOffset = 2082844800;

// A Macintosh date (local seconds since 1904, modulo 2^32) of a Unix time.
std::uint32_t macDate(std::int64_t unixSeconds, std::int32_t timeZoneShift);
std::uint32_t macNow(std::int32_t timeZoneShift);
// The local time zone's offset from UTC at that moment in seconds, east positive, daylight saving
// included.
std::int32_t timeZoneShift(std::int64_t unixSeconds);

}  // namespace vexilo::core
