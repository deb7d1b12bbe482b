// One run of vexilo-convert: the inputs onto one board, then --fill-sizes, --mask, --list,
// --dump and the outputs in the order given.
#pragma once

#include <ostream>

#include "cli/arguments.h"

namespace vexilo::cli {

// Runs the parsed command line; the listing goes to `out`, every message to `err`. Returns the
// exit status.
int runConversion(const Arguments& args, std::ostream& out, std::ostream& err);

}  // namespace vexilo::cli
