// Whole-file reading and writing for the readers and the save commands.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "core/bytes.h"

namespace vexilo::core {

// No file the program reads holds icons beyond this size; larger files are not loaded whole.
inline constexpr std::uintmax_t kMaxInputFileBytes = std::uintmax_t{512} << 20;

// The whole file, or nothing when it cannot be opened (or is a folder, or too large).
std::optional<ByteBuffer> readFileBytes(const std::filesystem::path& path,
                                        std::uintmax_t maxBytes = kMaxInputFileBytes);

// Writes `bytes` as the whole content of `path`, through a temporary file in the same folder
// that replaces the target only once it is complete: a failure never leaves a half-written or
// truncated target, and the temporary file is removed in every case.
bool replaceFileContents(const std::filesystem::path& path, Bytes bytes);

}  // namespace vexilo::core
