#include "core/help.h"

#include <cstdio>

#include "core/string_table.h"

namespace vexilo::core {

std::string supportPageUrl(int langOffset) {
  return std::string(kSupportHost) + (langOffset == 0 ? "/supporten.php3" : "/supportfr.php3");
}

std::string supportMailUrl() { return "mailto:" + std::string(kSupportMail); }

void showHelpTopics(HelpViewer& help, const std::string& helpPath, int langOffset) {
  if (!helpPath.empty()) help.showContext(helpPath, kHelpTopicsContext + langOffset);
}

void showHelpSearch(HelpViewer& help, const std::string& helpPath) {
  if (!helpPath.empty()) help.showSearch(helpPath, std::string(kHelpSearchQuery));
}

void showHelpIndex(HelpViewer& help, const std::string& helpPath) {
  if (!helpPath.empty()) help.showIndex(helpPath);
}

ProgramVersion programVersion() {
  return {VEXILO_VERSION_MAJOR, VEXILO_VERSION_MINOR, VEXILO_VERSION_PATCH, VEXILO_VERSION_BUILD};
}

std::string versionText(int langOffset) {
  const ProgramVersion v = programVersion();
  char number[64];
  std::snprintf(number, sizeof number, "%d.%d.%d.%d", v.major, v.minor, v.patch, v.build);
  return loadLocalString(1057, langOffset) + number;
}

}  // namespace vexilo::core
