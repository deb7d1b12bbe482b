#include "cli/arguments.h"

#include <array>
#include <string_view>

namespace vexilo::cli {

namespace {

struct OutputOption {
  std::string_view name;
  OutputKind kind;
};

constexpr std::array<OutputOption, 9> kOutputOptions = {{
    {"--icns", OutputKind::Icns},
    {"--ico", OutputKind::Ico},
    {"--macbinary-resource", OutputKind::MacBinaryResource},
    {"--macbinary-both", OutputKind::MacBinaryBoth},
    {"--custom-icon", OutputKind::CustomIcon},
    {"--iconset", OutputKind::Iconset},
    {"--bmp", OutputKind::Bmp},
    {"--jpeg", OutputKind::Jpeg},
    {"--png", OutputKind::Png},
}};

// Outputs a --slot before them turns into one image; --bmp, --jpeg and --png exist only that way.
bool needsSlot(OutputKind k) {
  return k == OutputKind::Bmp || k == OutputKind::Jpeg || k == OutputKind::Png;
}
bool takesSlot(OutputKind k) { return k == OutputKind::Icns || k == OutputKind::Ico || needsSlot(k); }

std::string slotNames() {
  std::string names;
  for (std::size_t i = 0; i < core::kSlotCount; ++i) {
    if (i) names += ' ';
    names += core::slotName(static_cast<core::SlotId>(i));
  }
  return names;
}

}  // namespace

std::variant<Arguments, std::string> parseArguments(std::span<const std::string> args) {
  Arguments parsed;
  bool optionsEnded = false;
  std::string pendingSlot;  // a --slot no output has used yet
  std::optional<core::SlotId> slot;

  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      parsed.inputs.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    std::string name = arg;
    std::optional<std::string> inlineValue;
    if (const auto eq = arg.find('='); arg.starts_with("--") && eq != std::string::npos) {
      name = arg.substr(0, eq);
      inlineValue = arg.substr(eq + 1);
    }
    // The option's value: after "=" or the next argument.
    auto value = [&]() -> std::optional<std::string> {
      if (inlineValue) return inlineValue;
      if (i + 1 < args.size()) return args[++i];
      return std::nullopt;
    };
    auto flag = [&](bool& target) -> std::optional<std::string> {
      if (inlineValue) return name + " takes no value";
      target = true;
      return std::nullopt;
    };

    std::optional<std::string> error;
    if (name == "-h" || name == "--help") {
      error = flag(parsed.help);
      if (!error) return parsed;
    } else if (name == "--force") {
      error = flag(parsed.force);
    } else if (name == "--fill-sizes") {
      error = flag(parsed.fillSizes);
    } else if (name == "--mask") {
      error = flag(parsed.mask);
    } else if (name == "--list") {
      error = flag(parsed.list);
    } else if (name == "--lang") {
      const auto lang = value();
      if (lang == "en") parsed.langOffset = 0;
      else if (lang == "fr") parsed.langOffset = 10000;
      else error = "--lang takes en or fr";
    } else if (name == "--dump") {
      const auto dir = value();
      if (!dir || dir->empty()) error = "--dump needs a folder";
      else parsed.dumpDir = *dir;
    } else if (name == "--slot") {
      const auto text = value();
      const auto id = text ? core::slotFromName(*text) : std::nullopt;
      if (!id) error = "--slot takes one of: " + slotNames();
      else if (!pendingSlot.empty()) error = "--slot " + pendingSlot + " is followed by no output";
      else {
        slot = id;
        pendingSlot = *text;
      }
    } else {
      const OutputOption* option = nullptr;
      for (const OutputOption& o : kOutputOptions)
        if (o.name == name) option = &o;
      if (!option) {
        error = "unknown option " + name;
      } else if (const auto path = value(); !path || path->empty()) {
        error = name + (option->kind == OutputKind::Iconset ? " needs a folder name" : " needs a file name");
      } else if (needsSlot(option->kind) && !slot) {
        error = name + " writes one slot: give --slot NAME before it";
      } else {
        const bool single = takesSlot(option->kind) && slot;
        parsed.outputs.push_back({option->kind, *path, single ? slot : std::nullopt});
        if (single) pendingSlot.clear();
      }
    }
    if (error) return *error;
  }
  if (!pendingSlot.empty()) return "--slot " + pendingSlot + " is followed by no output";
  if (parsed.inputs.empty()) return std::string("no input file");
  return parsed;
}

std::string usageText() {
  return R"(Usage: vexilo-convert [options] INPUT...

Reads every INPUT in turn onto one board, as File > Import does (icns, .ico, .bmp, JPEG, PNG,
raw icon elements, MacBinary, AppleSingle, AppleDouble, BinHex, resource forks, Windows
executables, .iconset folders), so several inputs make up one family. Then, in this order:
--fill-sizes, --mask, --list, --dump, and the outputs in the order given, each written by the
command the menus run.

Family outputs:
  --icns FILE                 icns file (Save > Macintosh Icon > Data Only), with ic256,
                              ic512 and ic1024 as PNG elements
  --macbinary-resource FILE   MacBinary file, the icns in the resource fork
  --macbinary-both FILE       MacBinary file, the icns in both forks
  --custom-icon FILE          MacBinary file of a volume or folder custom icon
  --ico FILE                  Windows icon file of ic16, ic32, ic48, ic128 and ic256 (PNG)
  --iconset DIR               macOS .iconset folder: icon_16x16.png to icon_512x512@2x.png
                              from ic16, ic32, ic128, ic256, ic512 and ic1024 (the 64-pixel
                              file reduced from the next larger picture); sizes the board
                              lacks are left out

One image (the pop-up's Save Image As):
  --slot NAME                 the slot the --bmp, --jpeg, --png, --ico and --icns options
                              after it write, up to the next --slot; NAME is one of
                              ic128 im128 ic48 im48 ic32 im32 icNB imNB ic16 im16 ic12 im12
                              PB16 PB32 PB48 PB128 ipal16 ipalicon ipal256
                              ic256 ic512 ic1024
  --bmp FILE                  the slot's picture as a BMP file, in its own pixel format
  --jpeg FILE                 the slot's picture as a JPEG file
  --png FILE                  the slot's picture as a PNG file (8-bit RGBA)
  --ico FILE, --icns FILE     after --slot: the slot alone as an icon or icns file

The board:
  --fill-sizes                Create All Sizes, first of all: every empty size below the
                              largest picture (ic1024 down to ic16, then ic12, icNB and
                              imNB) reduced from it, each with its alpha as an 8-bit mask;
                              a --mask with it then cuts the 12 to 48 masks to 1 bit
  --mask                      Create All Masks before anything is listed or written
  --list                      print one line per slot holding a picture on standard
                              output: name, width, height, recorded depth (1-7)
  --dump DIR                  write DIR/<slot>.png (8-bit RGBA, the pixels as stored) for
                              every slot holding a picture, and DIR/board.txt (as --list)

Other options:
  --force                     replace existing files and the files of an existing .iconset
                              folder (without it they are left alone)
  --lang en|fr                language of the messages (English by default)
  -h, --help                  print this text and exit

Every message the window would show is printed on standard error; so is the overwrite
question, with its answer. "--option=VALUE" works too; "--" ends the options.

Exit status: 0 every input read and every file written; 1 an input could not be read or
its reader reported a problem (the files are still written); 2 wrong usage; 3 an output
was not written.
)";
}

}  // namespace vexilo::cli
