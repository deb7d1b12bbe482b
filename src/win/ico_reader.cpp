#include "win/ico_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "core/bmp_codec.h"
#include "core/file_io.h"
#include "core/png_codec.h"

namespace vexilo::win {

namespace {

constexpr std::size_t kIcoHeaderBytes = 6;
constexpr std::size_t kEntryBytes = 16;
constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kInfoHeaderBytes = 40;
// Room for a bitmap file header and the data of a 256x256 32-bit entry (40 + 262,144 + 8,192
// bytes) with a full 8-bit colour table besides. Every entry of a size the board takes fits.
constexpr std::size_t kWorkBytes = 272 * 1024;
constexpr std::uint32_t kResolution = 2834;  // pixels a metre, 72 dpi

// Width and height bytes are signed: 0x80 stands for 128, and 0 for 256 in newer files.
int sizeFromByte(std::uint8_t b) {
  return b == 0 ? 256 : std::abs(static_cast<int>(static_cast<std::int8_t>(b)));
}

// The slots an entry of a width goes to: the large 256 slot (its alpha being its mask), or the
// colour and mask pair of the width's class.
struct EntryTarget {
  core::SlotId colour;
  std::optional<core::SlotId> mask;
};
std::optional<EntryTarget> targetOf(int width) {
  if (width == 256) return EntryTarget{core::SlotId::ic256, std::nullopt};
  const core::WidthClass* widthClass = core::widthClassOf(width);
  if (!widthClass) return std::nullopt;
  return EntryTarget{widthClass->colour, core::slotInfo(widthClass->colour).partner};
}

bool knownBitCount(unsigned bits) {
  switch (bits) {
    case 1: case 2: case 4: case 8: case 16: case 24: case 32: return true;
    default: return false;
  }
}

// Reads one directory entry. Its data go into a zero-filled working buffer at offset 14, behind
// a bitmap file header, so that it holds a BMP file of the XOR bitmap and then the AND mask.
// Data shorter than their header announces read as zeros.
void readEntry(core::DecodedFamily& family, core::Bytes file, const std::uint8_t* entry) {
  const std::uint32_t size = core::readLE32(entry + 8);
  const std::uint32_t offset = core::readLE32(entry + 12);
  if (!core::inRange(file.size(), offset, size)) return;
  const core::Bytes data = file.subspan(offset, size);
  if (core::isPng(data)) {
    // The picture's own size is trusted over the directory's; its alpha is its mask.
    auto picture = core::decodePng(data);
    if (!picture) return;
    if (const auto target = targetOf(picture->width()))
      family.offerWithAlphaMask(target->colour, target->mask, std::move(*picture));
    return;
  }
  const int w = sizeFromByte(entry[0]);
  const int h = sizeFromByte(entry[1]);
  const auto target = targetOf(w);
  if (!target || size > kWorkBytes - kFileHeaderBytes) return;

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
  family.offer(target->colour, std::move(*colour));
  if (!target->mask) return;

  // The AND mask follows the XOR bitmap, rows bottom-up; its bits are copied unchanged, so
  // 0 (opaque) shows black and 1 (transparent) white.
  core::Bitmap mask(w, w, core::PixelFormat::Bits1, {core::Rgb{0, 0, 0}, core::Rgb{255, 255, 255}});
  for (int y = 0; y < w; ++y) {
    const std::size_t from = fileSize + static_cast<std::size_t>(w - 1 - y) * maskStride;
    if (!core::inRange(work.size(), from, rowBytes)) continue;  // past the buffer: zeros
    std::copy_n(work.begin() + static_cast<std::ptrdiff_t>(from), rowBytes, mask.row(y).begin());
  }
  family.offer(target->mask, std::move(mask));
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
