// Compressed resources of System 7 and later: data that begin with the signature A8 9F 65 72,
// an 18-byte header (header length 0x12, version 8 or 9, attributes, the decompressed length,
// then by version 8 the working-buffer ratio, the expansion size and the decompressor's 'dcmp'
// id, by version 9 the id and four bytes of parameters), then the compressed bytes. The
// decompressors are those of 'dcmp' resources 0 and 1 (byte codes with literals, references
// back to stored literals, a fixed table of common 68000 words, runs and delta series) and 2
// (one-byte references into a table of words, optionally tagged with literal words between).
#pragma once

#include <cstddef>
#include <optional>

#include "core/bytes.h"

namespace vexilo::mac {

// The most bytes a resource may decompress to.
inline constexpr std::size_t kMaxDecompressedBytes = std::size_t{1} << 20;

bool isCompressedResource(core::Bytes data);

// The decompressed length the header gives, or nothing when the data are no compressed resource.
std::optional<std::size_t> decompressedLength(core::Bytes data);

// The resource's bytes, or nothing when the decompressor is unknown, the data are damaged or
// end early, the result would be longer than the header says (or than kMaxDecompressedBytes),
// or is of another length.
std::optional<core::ByteBuffer> decompressResource(core::Bytes data);

// The three decompressors on the bytes after the header: `length` is the header's decompressed
// length; `parameters` the four parameter bytes of a version 9 header (dcmp 2).
std::optional<core::ByteBuffer> decompressDcmp0(core::Bytes in, std::size_t length);
std::optional<core::ByteBuffer> decompressDcmp1(core::Bytes in, std::size_t length);
std::optional<core::ByteBuffer> decompressDcmp2(core::Bytes in, std::size_t length, core::Bytes parameters);

}  // namespace vexilo::mac
