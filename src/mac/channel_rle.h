// The run-length coding of one colour channel of the 32-bit icon elements.
//
// A coded plane is a series of chunks, each starting with a header byte h: h < 128 is followed
// by h + 1 literal values; h >= 128 by one value repeated h - 125 times (3 to 130). The red,
// green and blue planes of an element follow each other with no separator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "core/bytes.h"

namespace vexilo::mac {

// Decodes one plane of n values from `in` starting at `pos` into every fourth byte of `out`
// (out[0], out[4], ...; `out` must hold at least 4 * (n - 1) + 1 bytes). Values a last chunk
// would write past the n-th are dropped; input that ends early leaves the remaining values as
// they were. Returns the input position after the plane (at most in.size()).
std::size_t unpackChannel(core::Bytes in, std::size_t pos, std::span<std::uint8_t> out,
                          std::size_t n);

// Codes a plane and appends it to `out`; returns the number of bytes appended. Runs of 3 or more
// equal values become run chunks (at most 130 a chunk); everything else gathers in literal
// chunks of at most 127 values.
std::size_t packChannel(core::Bytes plane, core::ByteBuffer& out);

// The sum of the unsigned bytes (used to tell an all-zero mask or alpha plane).
std::uint64_t sumBytes(core::Bytes bytes);

}  // namespace vexilo::mac
