// The three settings kept between runs (interface language, last folder, recent files), written
// against a small key/value store shaped like the Windows registry so that the shell can back it
// with its own settings class and the tests with memory.
//
// Nothing here reports a failure: an unopenable key makes a read fall back and a write do nothing.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexilo::core {

enum class SettingsRoot { Machine, User };

struct SettingValue {
  std::string name;  // "" is the key's default value
  std::string text;
};

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // Opens the key, creating it when missing; false when that is impossible.
  virtual bool openKey(SettingsRoot root, std::string_view path) = 0;
  virtual bool deleteKey(SettingsRoot root, std::string_view path) = 0;
  // The key's values in the store's enumeration order.
  virtual std::vector<SettingValue> values(SettingsRoot root, std::string_view path) = 0;
  virtual bool writeValue(SettingsRoot root, std::string_view path, std::string_view name,
                          std::string_view text) = 0;
};

// The Reopen submenu: five items, the most recent first.
struct RecentMenu {
  static constexpr int kItems = 5;
  std::array<std::string, kItems> labels;
  std::array<bool, kItems> enabled{};
  bool reopenEnabled = false;
};

// The string-table offset of the interface language: French when both the user's and the
// system's primary language are French, else English.
int defaultLanguage(std::uint16_t userLanguageId, std::uint16_t systemLanguageId);

class Settings {
 public:
  static constexpr int kEnglishOffset = 0;
  static constexpr int kFrenchOffset = 10000;

  explicit Settings(SettingsStore& store, SettingsRoot root = SettingsRoot::User)
      : store_(store), root_(root) {}

  // Uses the machine-wide root for the whole run when a key can be created there, else the user's.
  void chooseRoot();
  SettingsRoot root() const { return root_; }

  int readLanguage(int currentOffset);
  void writeLanguage(int offset);

  // The folder the last file was chosen in, ending with a separator.
  std::string readLastDir(std::string buffer);
  void writeLastDir(std::string_view chosenPath);

  RecentMenu loadRecentFiles();
  // Puts `path` first, drops its older copies and the oldest entry, and relabels the menu.
  void addRecentFile(std::string_view path, RecentMenu& menu);
  // The path of a Reopen item's caption ("3. path"): everything after the first space.
  static std::optional<std::string> pathFromRecentLabel(std::string_view caption);

 private:
  SettingsStore& store_;
  SettingsRoot root_;
};

}  // namespace vexilo::core
