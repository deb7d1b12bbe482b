#include "open/open_command.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>

#include "core/element_types.h"
#include "core/string_table.h"
#include "mac/envelopes.h"
#include "mac/icns.h"
#include "mac/icon_elements.h"
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
constexpr std::array<ExtensionEntry, 5> kOtherExtensions = {{
    {kIco, ".ico"}, {kBmp, ".bmp"}, {kIcns, ".icns"}, {kJpeg, ".jpg"}, {kJpeg, ".jpeg"},
}};

const core::ElementType* rawElementOfKind(int kind) {
  for (const core::ElementType& t : core::elementTypes())
    if (!t.extension.empty() && t.extensionKind == kind) return &t;
  return nullptr;
}

bool readRawElement(core::CommandContext& ctx, int kind, const std::filesystem::path& path) {
  const core::ElementType* type = rawElementOfKind(kind);
  if (!type) return false;
  switch (type->role) {
    case core::ElementRole::Pair: mac::readPairFile(ctx, path, type->width, type->height); break;
    case core::ElementRole::Colour:
      mac::readPlaneFile(ctx, path, type->width, type->height, type->bits);
      break;
    case core::ElementRole::Mask: mac::readMaskFile(ctx, path, type->width, type->height); break;
    case core::ElementRole::Container: return false;
  }
  return true;
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
