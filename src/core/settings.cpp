#include "core/settings.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace vexilo::core {

namespace {

constexpr std::string_view kProbeKey = "Software\\Korvane\\Vexilo\\wxyz";
constexpr std::string_view kLanguageKey = "Software\\Korvane\\Vexilo\\Lang";
constexpr std::string_view kLastDirKey = "Software\\Korvane\\Vexilo\\Reper";
constexpr std::string_view kRecentKey = "Software\\Korvane\\Vexilo\\MRU1";

// The language value was always read into an 8-byte buffer: only 7 characters count.
constexpr std::size_t kLanguageChars = 7;
// The recent-file list tolerates one stray value beyond the five it writes.
constexpr std::size_t kRecentValuesRead = 6;

constexpr int kPrimaryLanguageMask = 0x3FF;
constexpr int kFrenchPrimaryLanguage = 0x0C;

std::optional<std::string> defaultValue(const std::vector<SettingValue>& values) {
  for (const auto& v : values)
    if (v.name.empty()) return v.text;
  return std::nullopt;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Whether the number at the start of `text` (read the way atoi reads it) is non-zero. Only the
// zero test matters, so large numbers cannot overflow here.
bool leadingNumberNonZero(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    if (text[i] != '0') return true;
  return false;
}

std::string recentLabel(int index, std::string_view path) {
  return std::to_string(index + 1) + ". " + std::string(path);
}

void setRecentItem(RecentMenu& menu, int index, std::string_view path) {
  menu.labels[index] = recentLabel(index, path);
  menu.enabled[index] = !path.empty();
}

}  // namespace

int defaultLanguage(std::uint16_t userLanguageId, std::uint16_t systemLanguageId) {
  const bool userFrench = (userLanguageId & kPrimaryLanguageMask) == kFrenchPrimaryLanguage;
  const bool systemFrench = (systemLanguageId & kPrimaryLanguageMask) == kFrenchPrimaryLanguage;
  return userFrench && systemFrench ? Settings::kFrenchOffset : Settings::kEnglishOffset;
}

void Settings::chooseRoot() {
  if (store_.openKey(SettingsRoot::Machine, kProbeKey)) {
    store_.deleteKey(SettingsRoot::Machine, kProbeKey);
    root_ = SettingsRoot::Machine;
  } else {
    root_ = SettingsRoot::User;
  }
}

int Settings::readLanguage(int currentOffset) {
  if (!store_.openKey(root_, kLanguageKey)) return kEnglishOffset;
  std::string text = defaultValue(store_.values(root_, kLanguageKey)).value_or(std::string());
  // Read as a C string: a stored NUL ends it.
  text = text.substr(0, std::min(text.find('\0'), kLanguageChars));
  if (text.empty()) return currentOffset;
  return leadingNumberNonZero(text) ? kFrenchOffset : kEnglishOffset;
}

void Settings::writeLanguage(int offset) {
  if (!store_.openKey(root_, kLanguageKey)) return;
  store_.writeValue(root_, kLanguageKey, "", offset != 0 ? "1" : "0");
}

std::string Settings::readLastDir(std::string buffer) {
  if (!store_.openKey(root_, kLastDirKey)) return buffer;
  std::string text = defaultValue(store_.values(root_, kLastDirKey)).value_or(std::string());
  if (!text.empty()) return text;

  std::error_code ec;
  const auto current = std::filesystem::current_path(ec);
  if (ec) return buffer;
  std::string dir = current.string();
  constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);
  if (dir.empty() || (dir.back() != kSeparator && dir.back() != '/')) dir += kSeparator;
  return dir;
}

void Settings::writeLastDir(std::string_view chosenPath) {
#ifdef _WIN32
  const auto cut = chosenPath.find_last_of("/\\");
#else
  const auto cut = chosenPath.find_last_of('/');
#endif
  if (cut == std::string_view::npos) return;
  if (!store_.openKey(root_, kLastDirKey)) return;
  store_.writeValue(root_, kLastDirKey, "", chosenPath.substr(0, cut + 1));
}

RecentMenu Settings::loadRecentFiles() {
  RecentMenu menu;
  for (int i = 0; i < RecentMenu::kItems; ++i) setRecentItem(menu, i, "");
  if (!store_.openKey(root_, kRecentKey)) return menu;

  int count = 0;
  for (const auto& value : store_.values(root_, kRecentKey)) {
    if (count == RecentMenu::kItems) break;
    if (value.text.empty()) continue;
    setRecentItem(menu, count++, value.text);
  }
  menu.reopenEnabled = count > 0;
  return menu;
}

void Settings::addRecentFile(std::string_view path, RecentMenu& menu) {
  if (!store_.openKey(root_, kRecentKey)) return;

  std::vector<SettingValue> list = store_.values(root_, kRecentKey);
  std::size_t wanted = list.size();
  if (wanted == 0 || wanted > kRecentValuesRead) wanted = kRecentValuesRead;
  if (list.size() > wanted) list.resize(wanted);
  if (list.size() < RecentMenu::kItems) list.resize(RecentMenu::kItems);
  // Values under other names keep them; positions without a name get their ordinal.
  for (int i = 0; i < RecentMenu::kItems; ++i)
    if (list[i].name.empty()) list[i].name = std::to_string(i + 1);

  menu.reopenEnabled = true;

  // Drop every older copy of the path; the names stay with their positions. A position is
  // tested at most as often as there are texts left below it, so an empty path cannot loop.
  for (int i = 0; i < RecentMenu::kItems; ++i) {
    for (int tries = i; tries < RecentMenu::kItems && list[i].text == path; ++tries) {
      for (int j = i; j + 1 < RecentMenu::kItems; ++j) list[j].text = std::move(list[j + 1].text);
      list[RecentMenu::kItems - 1].text.clear();
    }
  }

  store_.writeValue(root_, kRecentKey, list[0].name, path);
  setRecentItem(menu, 0, path);
  for (int i = 1; i < RecentMenu::kItems; ++i) {
    store_.writeValue(root_, kRecentKey, list[i].name, list[i - 1].text);
    setRecentItem(menu, i, list[i - 1].text);
  }
}

std::optional<std::string> Settings::pathFromRecentLabel(std::string_view caption) {
  const auto space = caption.find(' ');
  if (space == std::string_view::npos) return std::nullopt;
  return std::string(caption.substr(space + 1));
}

}  // namespace vexilo::core
