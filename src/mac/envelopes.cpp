#include "mac/envelopes.h"

#include <algorithm>

#include "core/bytes.h"
#include "core/file_io.h"
#include "mac/icns.h"
#include "mac/resource_fork.h"

namespace vexilo::mac {

bool isAppleSingle(FileStart head) {
  return head[0] == 0x00 && head[1] == 0x05 && head[2] == 0x16 && head[3] == 0x00;
}

bool isAppleDouble(FileStart head) {
  return head[0] == 0x00 && head[1] == 0x05 && head[2] == 0x16 && head[3] == 0x07;
}

bool isMacBinary(FileStart head, std::uint64_t fileLength) {
  if (head[0] != 0) return false;
  const int nameLength = head[1];
  if (nameLength < 1 || nameLength > 63) return false;
  if (std::any_of(head.begin() + 2, head.begin() + 2 + nameLength, [](std::uint8_t b) { return b == 0; }))
    return false;
  if (head[2 + nameLength] != 0) return false;
  const auto typeCreator = head.subspan(65, 8);
  const auto zeros = std::count(typeCreator.begin(), typeCreator.end(), std::uint8_t{0});
  if (zeros != 0 && zeros != 8) return false;
  if (head[82] != 0) return false;
  const std::uint32_t dataLength = core::readBE32(head.data() + 83);
  const std::uint32_t resourceLength = core::readBE32(head.data() + 87);
  if (dataLength == 0 && resourceLength == 0) return false;
  if (fileLength > 0) {
    const auto sum = static_cast<std::int32_t>(dataLength + resourceLength);
    if (sum < 0 || static_cast<std::uint64_t>(sum) > fileLength) return false;
  }
  return true;
}

namespace {

// The bytes [offset, offset + length) as far as they lie inside the file.
core::Bytes clampedPart(core::Bytes file, std::uint64_t offset, std::uint64_t length) {
  if (offset >= file.size()) return {};
  return file.subspan(offset, std::min<std::uint64_t>(length, file.size() - offset));
}

constexpr int kNoResources = 6410;

}  // namespace

bool readIcnsDataFork(core::DecodedFamily& family, core::Bytes data) {
  if (data.size() < 4 || !std::equal(data.begin(), data.begin() + 4, "icns")) return false;
  family.append(decodeIcns(data));
  return true;
}

core::DecodedFamily decodeMacBinary(core::Bytes file, std::string_view path) {
  core::DecodedFamily family;
  if (file.size() < 128) return family;
  const std::uint32_t dataLength = core::readBE32(file.data() + 83);
  const std::uint32_t resourceLength = core::readBE32(file.data() + 87);
  if (resourceLength != 0) {
    const std::uint64_t paddedData = (std::uint64_t{dataLength} + 127) / 128 * 128;
    family.append(decodeResourceFork(clampedPart(file, 128 + paddedData, resourceLength)));
  }
  if (dataLength != 0) {
    if (!readIcnsDataFork(family, clampedPart(file, 128, dataLength)) && resourceLength == 0)
      family.say(kNoResources, std::string(path));
  }
  return family;
}

core::DecodedFamily decodeAppleEntries(core::Bytes file, std::string_view path) {
  core::DecodedFamily family;
  // The descriptors are read from the first 512 bytes only: at most 40 of them.
  const core::Bytes head = file.first(std::min<std::size_t>(file.size(), 512));
  if (head.size() < 26) {
    family.say(kNoResources, std::string(path));
    return family;
  }
  const unsigned entries = core::readBE16(head.data() + 24);
  std::uint32_t lastForkLength = 0;
  bool icnsData = false;
  for (unsigned i = 0; i < entries; ++i) {
    const std::size_t at = 26 + 12 * std::size_t{i};
    if (!core::inRange(head.size(), at, 12)) break;
    // Id 2 is the resource fork, id 1 the data fork (read when it is an icns file); ids 5 and
    // 6 are icon entries in another layout.
    const std::uint32_t id = core::readBE32(head.data() + at);
    const std::uint32_t offset = core::readBE32(head.data() + at + 4);
    const std::uint32_t length = core::readBE32(head.data() + at + 8);
    if (id == 1) {
      icnsData |= readIcnsDataFork(family, clampedPart(file, offset, length));
    } else if (id == 2) {
      lastForkLength = length;
      family.append(decodeResourceFork(clampedPart(file, offset, length)));
    }
  }
  if (lastForkLength == 0 && !icnsData) family.say(kNoResources, std::string(path));
  return family;
}

namespace {

using Decoder = core::DecodedFamily (*)(core::Bytes, std::string_view);

void readFile(core::CommandContext& ctx, const std::filesystem::path& path, Decoder decode) {
  if (const auto bytes = core::readFileBytes(path)) core::applyFamily(ctx, decode(*bytes, path.string()));
}

}  // namespace

void readMacBinary(core::CommandContext& ctx, const std::filesystem::path& path) {
  readFile(ctx, path, decodeMacBinary);
}

void readAppleSingle(core::CommandContext& ctx, const std::filesystem::path& path) {
  readFile(ctx, path, decodeAppleEntries);
}

void readAppleDouble(core::CommandContext& ctx, const std::filesystem::path& path) {
  readFile(ctx, path, decodeAppleEntries);
}

}  // namespace vexilo::mac
