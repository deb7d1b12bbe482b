// The Help menu's requests to the help viewer, the maker's addresses and the program's version.
#pragma once

#include <string>
#include <string_view>

#include "core/interaction.h"

namespace vexilo::core {

// The maker's addresses: support pages, support mailbox and web site.
inline constexpr std::string_view kSupportHost = "https://support.korvane.example";
inline constexpr std::string_view kSupportMail = "support@korvane.example";
inline constexpr std::string_view kWebSite = "https://www.korvane.example";

// Help contexts before the language offset is added.
inline constexpr int kHelpTopicsContext = 998;
inline constexpr int kAboutHelpContext = 1006;
// What Help Search looks up.
inline constexpr std::string_view kHelpSearchQuery = "Quillon";

// The support page of the language: supporten.php3, or supportfr.php3 for any other offset.
std::string supportPageUrl(int langOffset);
std::string supportMailUrl();

// Help Topics, Help Search and Help Index. Without a help file (empty path) nothing happens.
void showHelpTopics(HelpViewer& help, const std::string& helpPath, int langOffset);
void showHelpSearch(HelpViewer& help, const std::string& helpPath);
void showHelpIndex(HelpViewer& help, const std::string& helpPath);

struct ProgramVersion {
  int major;
  int minor;
  int patch;
  int build;
};
ProgramVersion programVersion();
// Text 1057 followed by the version as "1.0.0.0".
std::string versionText(int langOffset);

}  // namespace vexilo::core
