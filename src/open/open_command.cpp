#include "open/open_command.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>

#include "core/string_table.h"
#include "mac/envelopes.h"
#include "mac/icns.h"
#include "mac/icon_elements.h"
#include "win/bmp_jpeg.h"
#include "win/ico_reader.h"
#include "win/pe_resources.h"

namespace vexilo::open {

namespace {

struct ExtensionEntry {
  int kind;
  std::string_view extension;
};

// Looked up in order; the first extension the file's begins with wins. Kind 15 is not used.
constexpr std::array<ExtensionEntry, 29> kExtensions = {{
    {0, ".ico"},   {1, ".bmp"},   {2, ".icns"},  {3, ".icn#"},  {4, ".icl8"},  {5, ".icl4"},
    {6, ".icm#"},  {7, ".icm8"},  {8, ".icm4"},  {9, ".ics#"},  {10, ".ics8"}, {11, ".ics4"},
    {12, ".ich#"}, {13, ".ich8"}, {14, ".ich4"}, {16, ".ict8"}, {17, ".ict4"}, {18, ".im32"},
    {19, ".is32"}, {20, ".il32"}, {21, ".ih32"}, {22, ".it32"}, {23, ".m8mk"}, {24, ".s8mk"},
    {25, ".l8mk"}, {26, ".h8mk"}, {27, ".t8mk"}, {28, ".jpg"},  {28, ".jpeg"},
}};

// What each raw element kind holds: 'p' pair, 'c' colour plane, 'm' 8-bit mask.
struct RawElement {
  int kind;
  char what;
  int width;
  int height;
  int depth;
};
constexpr RawElement kRawElements[] = {
    {3, 'p', 32, 32, 1},   {4, 'c', 32, 32, 8},    {5, 'c', 32, 32, 4},   {6, 'p', 16, 12, 1},
    {7, 'c', 16, 12, 8},   {8, 'c', 16, 12, 4},    {9, 'p', 16, 16, 1},   {10, 'c', 16, 16, 8},
    {11, 'c', 16, 16, 4},  {12, 'p', 48, 48, 1},   {13, 'c', 48, 48, 8},  {14, 'c', 48, 48, 4},
    {16, 'c', 128, 128, 8}, {17, 'c', 128, 128, 4}, {18, 'c', 16, 12, 32}, {19, 'c', 16, 16, 32},
    {20, 'c', 32, 32, 32}, {21, 'c', 48, 48, 32},  {22, 'c', 128, 128, 32}, {23, 'm', 16, 12, 0},
    {24, 'm', 16, 16, 0},  {25, 'm', 32, 32, 0},   {26, 'm', 48, 48, 0},  {27, 'm', 128, 128, 0},
};

bool readRawElement(core::CommandContext& ctx, int kind, const std::filesystem::path& path) {
  for (const RawElement& e : kRawElements) {
    if (e.kind != kind) continue;
    switch (e.what) {
      case 'p': mac::readPairFile(ctx, path, e.width, e.height); break;
      case 'c': mac::readPlaneFile(ctx, path, e.width, e.height, e.depth); break;
      default: mac::readMaskFile(ctx, path, e.width, e.height); break;
    }
    return true;
  }
  return false;
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
  for (const ExtensionEntry& e : kExtensions)
    if (lower.compare(0, e.extension.size(), e.extension) == 0) return e.kind;
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
  if (head[0] == 'i' && head[1] == 'c' && head[2] == 'n' && head[3] == 's') return kIcns;
  if (mac::isAppleSingle(head)) return kAppleSingle;
  if (mac::isAppleDouble(head)) return kAppleDouble;
  if (mac::isMacBinary(head, static_cast<std::uint64_t>(length))) return kMacBinary;
  if (head[0] == 'M' && head[1] == 'Z') return kExecutable;
  return kUnknown;
}

void openIconFile(core::CommandContext& ctx, const std::string& path) {
  int kind = sniffFileKind(path);
  if (kind == kUnknown) kind = extensionKind(path);
  switch (kind) {
    case kIcns: mac::readIcnsFile(ctx, path); break;
    case kMacBinary: mac::readMacBinary(ctx, path); break;
    case kAppleSingle: mac::readAppleSingle(ctx, path); break;
    case kAppleDouble: mac::readAppleDouble(ctx, path); break;
    case kUnknown:
      ctx.prompter.showInfo(core::formatMessage(core::loadLocalString(6422, ctx.langOffset), path));
      break;
    case kIco: win::readIcoFile(ctx, path); break;
    case kBmp: win::readBmpFile(ctx, path); break;
    case kJpeg: win::readJpegFile(ctx, path); break;
    case kExecutable: win::readExeResources(ctx, path); break;
    default: readRawElement(ctx, kind, path); break;
  }
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
