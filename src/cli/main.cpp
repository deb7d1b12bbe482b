// vexilo-convert: reads icon files onto a board and writes it out, as the window's commands do.
#include <iostream>
#include <string>
#include <variant>
#include <vector>

#include "cli/arguments.h"
#include "cli/convert.h"

int main(int argc, char** argv) {
  using namespace vexilo::cli;
  const std::vector<std::string> args(argv + 1, argv + argc);
  const auto parsed = parseArguments(args);
  if (const auto* error = std::get_if<std::string>(&parsed)) {
    std::cerr << "vexilo-convert: " << *error << "\n\n" << usageText();
    return kExitUsage;
  }
  const Arguments& arguments = std::get<Arguments>(parsed);
  if (arguments.help) {
    std::cout << usageText();
    return kExitOk;
  }
  return runConversion(arguments, std::cout, std::cerr);
}
