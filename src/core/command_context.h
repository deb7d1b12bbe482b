// What a command works with: the board, the person at the screen, the language in use and the
// services of the window program. The window and the command-line tool fill one in.
#pragma once

#include <cstdint>

#include "core/file_helpers.h"
#include "core/icon_set.h"
#include "core/interaction.h"
#include "core/settings.h"

namespace vexilo::core {

struct CommandContext {
  IconSet& board;
  Prompter& prompter;
  int langOffset = 0;                 // 0 English, 10000 French
  Settings* settings = nullptr;       // last folder and recent files; none in tools and tests
  ProgressSink* progress = nullptr;   // long copies
  std::int32_t timeZoneShift = 0;     // seconds east of UTC, for Macintosh dates
};

}  // namespace vexilo::core
