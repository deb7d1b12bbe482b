#include "ui/resources.h"

#include <QtGlobal>

#include <mutex>

// Q_INIT_RESOURCE must be used outside any namespace.
static void registerVexiloResources() { Q_INIT_RESOURCE(vexilo); }

namespace vexilo::ui {

void initResources() {
  static std::once_flag once;
  std::call_once(once, registerVexiloResources);
}

}  // namespace vexilo::ui
