#include "win/pe_resources.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "core/bmp_codec.h"
#include "core/file_io.h"
#include "win/bmp_jpeg.h"
#include "win/ico_reader.h"

namespace vexilo::win {

namespace {

constexpr std::size_t kDosHeaderBytes = 64;
constexpr std::size_t kLfanewAt = 0x3C;
constexpr std::size_t kCoffHeaderBytes = 20;
constexpr std::size_t kSectionBytes = 40;
constexpr std::size_t kMaxSections = 96;
constexpr std::size_t kDataDirectoryBytes = 8;
constexpr std::size_t kResourceDirectoryIndex = 2;
constexpr std::size_t kDirectoryHeaderBytes = 16;
constexpr std::size_t kDirectoryEntryBytes = 8;
constexpr std::size_t kDataEntryBytes = 16;
constexpr std::uint32_t kHighBit = 0x80000000u;

// Bounds for damaged or hostile directories: twice the entries and images of the largest icon
// libraries of the system (a few thousand icon images, each a name and a language entry), and
// no more resource bytes handed on than the largest file we load.
constexpr std::size_t kMaxEntries = std::size_t{1} << 14;
constexpr std::size_t kMaxResources = std::size_t{1} << 13;
constexpr std::size_t kMaxResourceBytes = core::kMaxInputFileBytes;
// Resource names are short identifiers; a longer one is cut here, so that a name shared by
// thousands of entries costs little to hand on.
constexpr std::size_t kMaxNameUnits = 256;
// The pictures of a module are all held until they reach the board, and a few bytes of
// run-length coded bitmap can stand for 64 MiB of pixels: past this much, the rest is left out.
constexpr std::size_t kMaxDecodedBytes = std::size_t{1} << 30;

std::size_t pixelBytes(const core::DecodedFamily& family, std::size_t from) {
  std::size_t total = 0;
  for (std::size_t i = from; i < family.pictures.size(); ++i)
    total += family.pictures[i].bitmap.stride() * static_cast<std::size_t>(family.pictures[i].bitmap.height());
  return total;
}

struct Section {
  std::uint32_t address;  // relative virtual address
  std::uint32_t extent;   // the larger of its virtual and raw sizes
  std::uint32_t rawSize;
  std::uint32_t rawOffset;
};

// Maps relative virtual addresses of the image to bytes of the file.
class AddressMap {
 public:
  AddressMap(core::Bytes file, std::vector<Section> sections)
      : file_(file), sections_(std::move(sections)) {}

  // The section holding `address`, or nothing.
  const Section* sectionOf(std::uint32_t address) const {
    // One test: below the section's start, the 64-bit difference wraps past any extent.
    auto holds = [address](const Section& s) {
      return std::uint64_t{address} - s.address < s.extent;
    };
    // Resources mostly lie in one section: try the last one found first.
    if (last_ < sections_.size() && holds(sections_[last_])) return &sections_[last_];
    for (last_ = 0; last_ < sections_.size(); ++last_)
      if (holds(sections_[last_])) return &sections_[last_];
    return nullptr;
  }

  // The file bytes of [address, address + length) when they all lie in the raw data of one
  // section and in the file.
  std::optional<core::Bytes> bytes(std::uint32_t address, std::size_t length) const {
    const Section* s = sectionOf(address);
    if (!s) return std::nullopt;
    const std::size_t within = address - s->address;
    if (!core::inRange(s->rawSize, within, length)) return std::nullopt;
    const std::size_t offset = std::size_t{s->rawOffset} + within;
    if (!core::inRange(file_.size(), offset, length)) return std::nullopt;
    return file_.subspan(offset, length);
  }

  // From `address` to the end of its section's raw data (cut at the end of the file).
  std::optional<core::Bytes> rest(std::uint32_t address) const {
    const Section* s = sectionOf(address);
    if (!s) return std::nullopt;
    const std::size_t within = address - s->address;
    if (within >= s->rawSize) return std::nullopt;
    const std::size_t offset = std::size_t{s->rawOffset} + within;
    if (offset >= file_.size()) return std::nullopt;
    const std::size_t length = std::min<std::size_t>(s->rawSize - within, file_.size() - offset);
    return file_.subspan(offset, length);
  }

 private:
  core::Bytes file_;
  std::vector<Section> sections_;
  mutable std::size_t last_ = 0;
};

struct ResourceTable {
  AddressMap map;
  std::uint32_t address;  // of the resource directory
};

// The address map and the resource directory's address, or nothing when the file is no PE
// image or names no resources.
std::optional<ResourceTable> locateResources(core::Bytes file) {
  if (file.size() < kDosHeaderBytes || file[0] != 'M' || file[1] != 'Z') return std::nullopt;
  const std::size_t pe = core::readLE32(file.data() + kLfanewAt);
  if (!core::inRange(file.size(), pe, 4 + kCoffHeaderBytes)) return std::nullopt;
  if (file[pe] != 'P' || file[pe + 1] != 'E' || file[pe + 2] != 0 || file[pe + 3] != 0)
    return std::nullopt;
  const std::size_t coff = pe + 4;
  // The loader maps at most 96 sections; a table claiming more is damaged past that.
  const std::size_t sectionCount =
      std::min<std::size_t>(core::readLE16(file.data() + coff + 2), kMaxSections);
  const std::size_t optionalSize = core::readLE16(file.data() + coff + 16);
  const std::size_t optional = coff + kCoffHeaderBytes;
  if (!core::inRange(file.size(), optional, optionalSize) || optionalSize < 2) return std::nullopt;

  // Where the count of data directories and the directories themselves sit.
  std::size_t countAt = 0, directoriesAt = 0;
  switch (core::readLE16(file.data() + optional)) {
    case 0x10B: countAt = 92; directoriesAt = 96; break;    // PE32
    case 0x20B: countAt = 108; directoriesAt = 112; break;  // PE32+
    default: return std::nullopt;
  }
  if (!core::inRange(optionalSize, countAt, 4)) return std::nullopt;
  if (core::readLE32(file.data() + optional + countAt) <= kResourceDirectoryIndex)
    return std::nullopt;
  const std::size_t entry = directoriesAt + kResourceDirectoryIndex * kDataDirectoryBytes;
  if (!core::inRange(optionalSize, entry, kDataDirectoryBytes)) return std::nullopt;
  const std::uint32_t address = core::readLE32(file.data() + optional + entry);
  if (address == 0) return std::nullopt;

  std::vector<Section> sections;
  const std::size_t table = optional + optionalSize;
  for (std::size_t i = 0; i < sectionCount; ++i) {
    const std::size_t at = table + i * kSectionBytes;
    if (!core::inRange(file.size(), at, kSectionBytes)) break;
    const std::uint8_t* s = file.data() + at;
    const std::uint32_t virtualSize = core::readLE32(s + 8);
    const std::uint32_t rawSize = core::readLE32(s + 16);
    sections.push_back({core::readLE32(s + 12), std::max(virtualSize, rawSize), rawSize,
                        core::readLE32(s + 20)});
  }
  return ResourceTable{AddressMap(file, std::move(sections)), address};
}

struct DirectoryEntry {
  std::uint32_t name;    // an id, or with the high bit the offset of a name
  std::uint32_t target;  // with the high bit a subdirectory, else a data entry
  bool named() const { return (name & kHighBit) != 0; }
  bool directory() const { return (target & kHighBit) != 0; }
  std::size_t offset() const { return target & ~kHighBit; }
};

// Reads the directories of one resource tree, each at most once and within the tree's bytes.
class TreeWalker {
 public:
  explicit TreeWalker(core::Bytes tree) : tree_(tree), visited_(tree.size()) {}

  // The entries of the directory at `offset`, read in place as they are walked.
  class Entries {
   public:
    Entries(const std::uint8_t* first, std::size_t count) : first_(first), count_(count) {}
    struct Iterator {
      const std::uint8_t* at;
      DirectoryEntry operator*() const { return {core::readLE32(at), core::readLE32(at + 4)}; }
      Iterator& operator++() {
        at += kDirectoryEntryBytes;
        return *this;
      }
      bool operator!=(const Iterator& other) const { return at != other.at; }
    };
    Iterator begin() const { return {first_}; }
    Iterator end() const { return {first_ + count_ * kDirectoryEntryBytes}; }

   private:
    const std::uint8_t* first_;
    std::size_t count_;
  };

  Entries entries(std::size_t offset) {
    if (!core::inRange(tree_.size(), offset, kDirectoryHeaderBytes) || visited_[offset])
      return {nullptr, 0};
    visited_[offset] = true;
    const std::uint8_t* header = tree_.data() + offset;
    const std::size_t room = (tree_.size() - offset - kDirectoryHeaderBytes) / kDirectoryEntryBytes;
    const std::size_t count = std::min(
        {std::size_t{core::readLE16(header + 12)} + core::readLE16(header + 14), room, budget_});
    budget_ -= count;
    return {header + kDirectoryHeaderBytes, count};
  }

  // A name: a 16-bit length, then that many UTF-16 code units. Names stored apart from each
  // other fill at most the tree, so no more code units than half its bytes are read in all.
  std::string name(std::size_t offset) {
    std::string out;
    if (!core::inRange(tree_.size(), offset, 2)) return out;
    const std::size_t length = core::readLE16(tree_.data() + offset);
    if (!core::inRange(tree_.size(), offset + 2, 2 * length)) return out;
    out.resize(std::min({length, kMaxNameUnits, nameBudget_}));
    nameBudget_ -= out.size();
    const std::uint8_t* units = tree_.data() + offset + 2;
    for (char& c : out) {
      const std::uint16_t unit = core::readLE16(units);
      c = unit < 0x80 ? static_cast<char>(unit) : '?';
      units += 2;
    }
    return out;
  }

  // The address and size a data entry gives.
  std::optional<std::pair<std::uint32_t, std::uint32_t>> dataEntry(std::size_t offset) const {
    if (!core::inRange(tree_.size(), offset, kDataEntryBytes)) return std::nullopt;
    return std::make_pair(core::readLE32(tree_.data() + offset),
                          core::readLE32(tree_.data() + offset + 4));
  }

 private:
  core::Bytes tree_;
  std::vector<bool> visited_;  // by offset: the directories already read
  std::size_t budget_ = kMaxEntries;
  std::size_t nameBudget_ = tree_.size() / 2;
};

}  // namespace

std::vector<PeResource> readPeResources(core::Bytes file) {
  std::vector<PeResource> out;
  const auto table = locateResources(file);
  if (!table) return out;
  const auto tree = table->map.rest(table->address);
  if (!tree) return out;

  TreeWalker walker(*tree);
  for (const DirectoryEntry type : walker.entries(0)) {
    if (type.named() || !type.directory()) continue;
    if (type.name != kResourceBitmap && type.name != kResourceIcon) continue;
    for (const DirectoryEntry name : walker.entries(type.offset())) {
      if (!name.directory()) continue;
      const std::string text = name.named() ? walker.name(name.name & ~kHighBit) : std::string();
      for (const DirectoryEntry language : walker.entries(name.offset())) {
        if (language.directory()) continue;  // a fourth level: not a resource
        const auto data = walker.dataEntry(language.offset());
        if (!data) continue;
        const auto bytes = table->map.bytes(data->first, data->second);
        if (!bytes) continue;
        PeResource r;
        r.type = type.name;
        if (name.named())
          r.name = text;
        else
          r.id = name.name;
        r.language = language.name & ~kHighBit;
        r.address = data->first;
        r.data = *bytes;
        out.push_back(std::move(r));
        if (out.size() == kMaxResources) return out;
      }
    }
  }
  return out;
}

core::ByteBuffer iconFileFromResource(core::Bytes resource) {
  core::ByteBuffer out;
  if (resource.size() < 16 || resource.size() > std::numeric_limits<std::uint32_t>::max())
    return out;
  out.reserve(22 + resource.size());
  core::appendLE16(out, 0);
  core::appendLE16(out, 1);  // icon
  core::appendLE16(out, 1);  // one entry
  out.push_back(resource[4]);  // width: the low byte of the header's width
  out.push_back(resource[4]);  // height: the same, icons being square
  out.push_back(0);            // colour count
  out.push_back(0);
  core::appendLE16(out, 1);                                // planes
  core::appendLE16(out, core::readLE16(resource.data() + 14));  // bit count
  core::appendLE32(out, static_cast<std::uint32_t>(resource.size()));
  core::appendLE32(out, 22);
  out.insert(out.end(), resource.begin(), resource.end());
  return out;
}

core::ByteBuffer bitmapFileFromResource(core::Bytes resource) {
  core::ByteBuffer out;
  if (resource.size() < 4) return out;
  const std::uint64_t headerSize = core::readLE32(resource.data());
  unsigned bits = 0;
  std::uint32_t compression = 0, used = 0;
  std::uint64_t tableEntryBytes = 4;
  if (headerSize == 12) {  // OS/2 core header: 3-byte colour entries, no colour count
    if (resource.size() < 12) return out;
    bits = core::readLE16(resource.data() + 10);
    tableEntryBytes = 3;
  } else {
    if (headerSize < 16 || resource.size() < std::min<std::uint64_t>(headerSize, 40)) return out;
    bits = core::readLE16(resource.data() + 14);
    if (headerSize >= 20) compression = core::readLE32(resource.data() + 16);
    if (headerSize >= 36) used = core::readLE32(resource.data() + 32);
  }
  // Bit-field masks follow a 40-byte header; larger headers hold them.
  // In 64 bits: the fields may hold anything up to 2^32 - 1.
  std::uint64_t masks = 0;
  if (headerSize == 40 && compression == 3) masks = 12;
  if (headerSize == 40 && compression == 6) masks = 16;
  std::uint64_t entries = used;
  if (entries == 0 && bits <= 8) entries = std::uint64_t{1} << bits;
  const std::uint64_t pixelOffset = 14 + headerSize + masks + entries * tableEntryBytes;
  const std::uint64_t fileSize = 14 + std::uint64_t{resource.size()};
  if (pixelOffset > std::numeric_limits<std::uint32_t>::max() ||
      fileSize > std::numeric_limits<std::uint32_t>::max())
    return out;

  out.reserve(static_cast<std::size_t>(fileSize));
  out.push_back('B');
  out.push_back('M');
  core::appendLE32(out, static_cast<std::uint32_t>(fileSize));
  core::appendLE32(out, 0);
  core::appendLE32(out, static_cast<std::uint32_t>(pixelOffset));
  out.insert(out.end(), resource.begin(), resource.end());
  return out;
}

core::DecodedFamily decodeExe(core::Bytes file, std::string_view /*path*/) {
  return decodePeResources(readPeResources(file));
}

core::DecodedFamily decodePeResources(const std::vector<PeResource>& resources) {
  core::DecodedFamily family;
  std::size_t handedOn = 0, decoded = 0;
  for (const PeResource& r : resources) {
    handedOn += r.data.size();
    if (handedOn > kMaxResourceBytes || decoded > kMaxDecodedBytes) break;
    const std::size_t before = family.pictures.size();
    if (r.type == kResourceIcon) {
      const core::ByteBuffer ico = iconFileFromResource(r.data);
      if (!ico.empty()) family.append(decodeIco(ico));
    } else if (r.type == kResourceBitmap) {
      const core::ByteBuffer bmp = bitmapFileFromResource(r.data);
      if (bmp.empty()) continue;
      if (auto picture = core::decodeBmp(bmp))
        family.pictures.push_back(importedPicture(std::move(*picture)));
    }
    decoded += pixelBytes(family, before);
  }
  return family;
}

void readExeBytes(core::CommandContext& ctx, core::Bytes file) {
  core::applyFamily(ctx, decodeExe(file));
}

void readExeResources(core::CommandContext& ctx, const std::filesystem::path& path) {
  const auto bytes = core::readFileBytes(path);
  if (!bytes) {
    core::showFileError(ctx.prompter, ctx.langOffset, path.string());
    return;
  }
  readExeBytes(ctx, *bytes);
}

}  // namespace vexilo::win
