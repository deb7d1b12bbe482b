// The settings store of the window program: QSettings of organisation "Korvane", application
// "Vexilo": on Windows the registry, machine-wide when it may be written, else per user; on
// Linux and macOS the user's own configuration file only.
#pragma once

#include "core/settings.h"

namespace vexilo::ui {

class QSettingsStore : public core::SettingsStore {
 public:
  bool openKey(core::SettingsRoot root, std::string_view path) override;
  bool deleteKey(core::SettingsRoot root, std::string_view path) override;
  std::vector<core::SettingValue> values(core::SettingsRoot root, std::string_view path) override;
  bool writeValue(core::SettingsRoot root, std::string_view path, std::string_view name,
                  std::string_view text) override;
};

}  // namespace vexilo::ui
