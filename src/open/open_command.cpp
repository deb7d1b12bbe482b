#include "open/open_command.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>

#include "core/element_types.h"
#include "core/file_io.h"
#include "core/png_codec.h"
#include "core/string_table.h"
#include "mac/binhex.h"
#include "mac/envelopes.h"
#include "mac/icns.h"
#include "mac/icon_elements.h"
#include "mac/resource_fork.h"
#include "open/iconset.h"
#include "win/bmp_jpeg.h"
#include "win/ico_reader.h"
#include "win/pe_resources.h"

namespace vexilo::open {

namespace {

// The extensions of the files that are not raw icon elements; those come from the element table.
struct ExtensionEntry {
  int kind;
  std::string_view extension;
};
constexpr std::array<ExtensionEntry, 7> kOtherExtensions = {{
    {kIco, ".ico"}, {kBmp, ".bmp"}, {kIcns, ".icns"}, {kJpeg, ".jpg"}, {kJpeg, ".jpeg"}, {kPng, ".png"},
    {kBinHex, ".hqx"},
}};

const core::ElementType* rawElementOfKind(int kind) {
  for (const core::ElementType& t : core::elementTypes())
    if (!t.extension.empty() && t.extensionKind == kind) return &t;
  return nullptr;
}

}  // namespace

int extensionKind(std::string_view path) {
  const auto dot = path.rfind('.');
  if (dot == std::string_view::npos) return kUnknown;
  std::string_view text = path.substr(dot);
  if (text.size() > 7) return kUnknown;  // the dot and at most six characters
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const auto startsWith = [&lower](std::string_view extension) {
    return lower.compare(0, extension.size(), extension) == 0;
  };
  // .ico and .bmp come first, so ".icons" is an icon file and ".icns" no raw element.
  for (const ExtensionEntry& e : kOtherExtensions)
    if (startsWith(e.extension)) return e.kind;
  for (const core::ElementType& t : core::elementTypes())
    if (!t.extension.empty() && startsWith(t.extension)) return t.extensionKind;
  return kUnknown;
}

int sniffKind(core::Bytes head, std::uint64_t length) {
  std::array<std::uint8_t, 128> start{};
  std::copy_n(head.begin(), std::min(head.size(), start.size()), start.begin());
  if (std::equal(start.begin(), start.begin() + 4, "icns")) return kIcns;
  if (mac::isAppleSingle(start)) return kAppleSingle;
  if (mac::isAppleDouble(start)) return kAppleDouble;
  if (mac::isMacBinary(start, length)) return kMacBinary;
  if (start[0] == 'M' && start[1] == 'Z') return kExecutable;
  if (core::isPng(start)) return kPng;
  return kUnknown;
}

int sniffFileKind(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return kUnknown;
  in.seekg(0, std::ios::end);
  const std::streamoff length = in.tellg();
  in.seekg(0, std::ios::beg);
  std::array<std::uint8_t, 128> head{};
  in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
  if (length < 0) return kUnknown;
  return sniffKind(head, static_cast<std::uint64_t>(length));
}

core::DecodedFamily decodeIconFile(core::Bytes bytes, std::string_view path) {
  int kind = sniffKind(bytes, bytes.size());
  if (kind == kUnknown && mac::isBinHex(bytes)) kind = kBinHex;
  if (kind == kUnknown) kind = extensionKind(path);
  // Last of all, so that nothing that opens as another kind changes.
  if (kind == kUnknown && mac::isResourceFork(bytes)) kind = kResourceFork;
  switch (kind) {
    case kIcns: return mac::decodeIcns(bytes);
    case kMacBinary: return mac::decodeMacBinary(bytes, path);
    case kAppleSingle:
    case kAppleDouble: return mac::decodeAppleEntries(bytes, path);
    case kIco: return win::decodeIco(bytes);
    case kBmp: return win::decodeBmpImport(bytes, path);
    case kJpeg: return win::decodeJpegImport(bytes, path);
    case kPng: return win::decodePngImport(bytes, path);
    case kExecutable: return win::decodeExe(bytes, path);
    case kResourceFork: return mac::decodeResourceFork(bytes);
    case kBinHex: return mac::decodeBinHexFile(bytes, path);
    default: break;
  }
  if (const core::ElementType* type = rawElementOfKind(kind)) return mac::decodeRawElement(*type, bytes);
  core::DecodedFamily family;
  family.say(6422, std::string(path));
  return family;
}

core::DecodedFamily readIconFile(const std::string& path) {
  if (isIconsetFolder(path)) return readIconsetFolder(path);
  const auto bytes = core::readFileBytes(path);
  if (bytes) return decodeIconFile(*bytes, path);
  // Nothing to look at: the extension names the reader that would have read the file, and so
  // the message. Only icons and Macintosh files say that they could not be opened.
  const int kind = extensionKind(path);
  core::DecodedFamily family;
  family.say(kind == kUnknown || kind == kBmp || kind == kJpeg || kind == kPng ? 6422 : 1041, path);
  return family;
}

void openIconFile(core::CommandContext& ctx, const std::string& path) {
  core::applyFamily(ctx, readIconFile(path));
}

std::optional<std::string> askFileToImport(core::CommandContext& ctx) {
  core::FileDialogRequest dialog = core::dialogFromStrings(ctx.langOffset, 6420, 6419, 6425, 6421);
  if (ctx.settings) dialog.initialDirectory = ctx.settings->readLastDir(std::string());
  std::optional<std::string> path = ctx.prompter.askOpenPath(dialog);
  if (!path || path->empty()) return std::nullopt;
  if (ctx.settings) ctx.settings->writeLastDir(*path);
  return path;
}

}  // namespace vexilo::open
