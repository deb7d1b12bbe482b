#include "win/ico_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "core/bmp_codec.h"
#include "core/file_io.h"

namespace vexilo::win {

namespace {

constexpr std::size_t kIcoHeaderBytes = 6;
constexpr std::size_t kEntryBytes = 16;
constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kInfoHeaderBytes = 40;
// Room for a bitmap file header and the data of a 128x128 32-bit entry (40 + 65,536 + 2,048
// bytes) with a full 8-bit colour table besides. Every entry of a size the board takes fits.
constexpr std::size_t kWorkBytes = 70 * 1024;
constexpr std::uint32_t kResolution = 2834;  // pixels a metre, 72 dpi

constexpr std::array<std::uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Width and height bytes are signed: 0x80 stands for 128, 0 for 0 (the 256 of newer files).
int sizeFromByte(std::uint8_t b) { return std::abs(static_cast<int>(static_cast<std::int8_t>(b))); }

bool knownBitCount(unsigned bits) {
  switch (bits) {
    case 1: case 2: case 4: case 8: case 16: case 24: case 32: return true;
    default: return false;
  }
}

bool isPng(core::Bytes data) {
  return data.size() >= kPngSignature.size() &&
         std::equal(kPngSignature.begin(), kPngSignature.end(), data.begin());
}

// Reads one directory entry. Its data go into a zero-filled working buffer at offset 14, behind
// a bitmap file header, so that it holds a BMP file of the XOR bitmap and then the AND mask.
// Data shorter than their header announces read as zeros.
void readEntry(core::DecodedFamily& family, core::Bytes file, const std::uint8_t* entry) {
  const int w = sizeFromByte(entry[0]);
  const int h = sizeFromByte(entry[1]);
  const core::WidthClass* widthClass = core::widthClassOf(w);
  if (!widthClass) return;
  const std::uint32_t size = core::readLE32(entry + 8);
  const std::uint32_t offset = core::readLE32(entry + 12);
  if (size > kWorkBytes - kFileHeaderBytes) return;
  if (!core::inRange(file.size(), offset, size)) return;
  const core::Bytes data = file.subspan(offset, size);
  if (isPng(data)) return;

  std::array<std::uint8_t, kInfoHeaderBytes> header{};
  std::copy_n(data.begin(), std::min<std::size_t>(data.size(), header.size()), header.begin());
  const std::uint32_t headerSize = core::readLE32(header.data());
  if (headerSize < kInfoHeaderBytes) return;  // no bitmap information header
  if (static_cast<std::int32_t>(core::readLE32(header.data() + 4)) != w) return;  // not w wide

  // Many writers leave the directory's bit count 0 for indexed entries; the header's own is
  // the one the pixels follow. The directory's (0 meaning 32) serves only when it has none.
  unsigned bits = core::readLE16(header.data() + 14);
  if (!knownBitCount(bits)) {
    bits = core::readLE16(entry + 6);
    if (bits == 0) bits = 32;
  }
  // In 64 bits: the fields may hold anything up to 2^32 - 1.
  const std::uint64_t stride = (std::uint64_t{static_cast<unsigned>(w)} * bits + 31) / 32 * 4;
  const std::uint64_t xorSize = std::uint64_t{static_cast<unsigned>(h)} * stride;
  std::uint64_t tableSize = 0;
  if (bits <= 8) {
    const std::uint64_t used = core::readLE32(header.data() + 32);
    tableSize = (used != 0 ? used : std::uint64_t{1} << bits) * 4;
  }
  const std::uint64_t pixelOffset = kFileHeaderBytes + std::uint64_t{headerSize} + tableSize;
  if (pixelOffset + xorSize > kWorkBytes) return;  // more than any entry of these sizes holds
  const std::size_t fileSize = static_cast<std::size_t>(pixelOffset + xorSize);
  const std::size_t rowBytes = static_cast<std::size_t>(w) / 8;
  const std::size_t maskStride = (rowBytes + 3) / 4 * 4;
  const std::size_t maskSize = maskStride * static_cast<std::size_t>(w);
  core::ByteBuffer work(std::min(kWorkBytes, fileSize + maskSize), 0);
  std::copy_n(data.begin(), std::min(data.size(), work.size() - kFileHeaderBytes),
              work.begin() + kFileHeaderBytes);

  // The header describes the square XOR bitmap alone.
  std::uint8_t* info = work.data() + kFileHeaderBytes;
  work[0] = 'B';
  work[1] = 'M';
  core::writeLE32(work.data() + 2, static_cast<std::uint32_t>(fileSize));
  core::writeLE32(work.data() + 10, static_cast<std::uint32_t>(pixelOffset));
  core::writeLE32(info + 8, static_cast<std::uint32_t>(w));
  core::writeLE32(info + 20, 0);
  core::writeLE32(info + 24, kResolution);
  core::writeLE32(info + 28, kResolution);
  auto colour = core::decodeBmp(core::Bytes(work.data(), fileSize));
  if (!colour) return;
  family.offer(widthClass->colour, std::move(*colour));

  // The AND mask follows the XOR bitmap, rows bottom-up; its bits are copied unchanged, so
  // 0 (opaque) shows black and 1 (transparent) white.
  core::Bitmap mask(w, w, core::PixelFormat::Bits1, {core::Rgb{0, 0, 0}, core::Rgb{255, 255, 255}});
  for (int y = 0; y < w; ++y) {
    const std::size_t from = fileSize + static_cast<std::size_t>(w - 1 - y) * maskStride;
    if (!core::inRange(work.size(), from, rowBytes)) continue;  // past the buffer: zeros
    std::copy_n(work.begin() + static_cast<std::ptrdiff_t>(from), rowBytes, mask.row(y).begin());
  }
  family.offer(core::slotInfo(widthClass->colour).partner, std::move(mask));
}

}  // namespace

core::DecodedFamily decodeIco(core::Bytes file) {
  core::DecodedFamily family;
  if (file.size() < kIcoHeaderBytes) return family;
  const int count = static_cast<std::int16_t>(core::readLE16(file.data() + 4));
  if (count <= 0) return family;
  for (int i = 0; i < count; ++i) {
    const std::size_t at = kIcoHeaderBytes + kEntryBytes * static_cast<std::size_t>(i);
    if (!core::inRange(file.size(), at, kEntryBytes)) break;
    readEntry(family, file, file.data() + at);
  }
  return family;
}

void readIcoBytes(core::CommandContext& ctx, core::Bytes file) {
  core::applyFamily(ctx, decodeIco(file));
}

void readIcoFile(core::CommandContext& ctx, const std::filesystem::path& path) {
  const auto bytes = core::readFileBytes(path);
  if (!bytes) {
    core::showFileError(ctx.prompter, ctx.langOffset, path.string());
    return;
  }
  readIcoBytes(ctx, *bytes);
}

}  // namespace vexilo::win
