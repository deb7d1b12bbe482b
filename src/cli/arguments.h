// The command line of vexilo-convert: the inputs in order, the outputs in order, the options.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "core/icon_set.h"

namespace vexilo::cli {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitInput = 1;   // an input could not be read or its reader complained
inline constexpr int kExitUsage = 2;
inline constexpr int kExitOutput = 3;  // every input read, but an output not written

enum class OutputKind { Icns, Ico, MacBinaryResource, MacBinaryBoth, CustomIcon, Iconset, Bmp, Jpeg, Png };

struct Output {
  OutputKind kind;
  std::string path;
  std::optional<core::SlotId> slot;  // the one slot written; none: the family
};

struct Arguments {
  std::vector<std::string> inputs;
  std::vector<Output> outputs;  // in command-line order
  std::optional<std::string> dumpDir;
  bool list = false;
  bool fillSizes = false;
  bool mask = false;
  bool force = false;
  bool help = false;
  int langOffset = 0;
};

// The arguments after the program name, or the text saying what is wrong with them.
// "--option=value" is accepted for every option taking a value; "--" ends the options.
std::variant<Arguments, std::string> parseArguments(std::span<const std::string> args);

// The --help text.
std::string usageText();

}  // namespace vexilo::cli
