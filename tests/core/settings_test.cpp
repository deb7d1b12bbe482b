#include "core/settings.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/memory_settings_store.h"

namespace vexilo::core {
namespace {

using test::MemorySettingsStore;
using Root = SettingsRoot;

const std::string kBase = "Software\\Korvane\\Vexilo\\";
const std::string kLang = kBase + "Lang";
const std::string kMru = kBase + "MRU1";
const std::string kReper = kBase + "Reper";

std::string currentDirWithSeparator() {
  std::string dir = std::filesystem::current_path().string();
  if (dir.back() != static_cast<char>(std::filesystem::path::preferred_separator))
    dir += static_cast<char>(std::filesystem::path::preferred_separator);
  return dir;
}

// The paths the menu lists, "" for an empty item; also checks each label matches its state.
std::vector<std::string> menuPaths(const RecentMenu& menu) {
  std::vector<std::string> paths;
  for (int i = 0; i < RecentMenu::kItems; ++i) {
    const std::string path = *Settings::pathFromRecentLabel(menu.labels[i]);
    EXPECT_EQ(menu.labels[i], std::to_string(i + 1) + ". " + path);
    EXPECT_EQ(menu.enabled[i], !path.empty()) << menu.labels[i];
    paths.push_back(path);
  }
  return paths;
}

// Runs what a start and a file choice do: root, language, folder and recent files.
void firstRun(Settings& settings) {
  settings.chooseRoot();
  EXPECT_EQ(settings.readLanguage(defaultLanguage(0x0409, 0x040C)), 0);
  const RecentMenu menu = settings.loadRecentFiles();
  EXPECT_FALSE(menu.reopenEnabled);
  EXPECT_EQ(menuPaths(menu), std::vector<std::string>(5, ""));
  EXPECT_EQ(settings.readLastDir("unchanged"), currentDirWithSeparator());
}

TEST(Settings, FirstRunCreatesKeysUnderTheMachineRootWhenWritable) {
  MemorySettingsStore store;
  Settings settings(store);
  firstRun(settings);
  EXPECT_EQ(settings.root(), Root::Machine);
  EXPECT_EQ(store.keys(Root::Machine), (std::vector<std::string>{kLang, kMru, kReper}));
  EXPECT_TRUE(store.keys(Root::User).empty());
}

TEST(Settings, FirstRunFallsBackToTheUserRootLeavingNoProbeBehind) {
  MemorySettingsStore store;
  store.setMachineWritable(false);
  Settings settings(store);
  firstRun(settings);
  EXPECT_EQ(settings.root(), Root::User);
  RecentMenu menu;
  settings.addRecentFile("/a.ico", menu);
  settings.writeLanguage(Settings::kFrenchOffset);
  EXPECT_TRUE(store.keys(Root::Machine).empty());
  EXPECT_EQ(store.keys(Root::User), (std::vector<std::string>{kLang, kMru, kReper}));
}

TEST(Settings, DefaultLanguageIsFrenchOnlyWhenUserAndSystemAreFrench) {
  EXPECT_EQ(defaultLanguage(0x040C, 0x080C), Settings::kFrenchOffset);  // France, Belgium
  EXPECT_EQ(defaultLanguage(0x040C, 0x0409), 0);
  EXPECT_EQ(defaultLanguage(0x0409, 0x040C), 0);
  EXPECT_EQ(defaultLanguage(0x0C0C, 0x0C0C), Settings::kFrenchOffset);  // sublanguage ignored
}

TEST(Settings, LanguageTextReadsLikeAtoiOfItsFirstSevenCharacters) {
  struct Case { const char* text; int current; int expected; };
  const Case cases[] = {
      {"1", 0, 10000},       {"0", 10000, 0},      {"", 10000, 10000}, {"", 0, 0},
      {"  12abc", 0, 10000}, {"x", 10000, 0},      {"-3", 0, 10000},   {"+0", 10000, 0},
      {"0000001", 0, 10000}, {"00000001", 10000, 0},
  };
  for (const auto& c : cases) {
    MemorySettingsStore store;
    store.put(Root::User, kLang, "", c.text);
    EXPECT_EQ(Settings(store).readLanguage(c.current), c.expected) << '"' << c.text << '"';
  }

  MemorySettingsStore store;
  Settings settings(store);
  settings.writeLanguage(10000);
  EXPECT_EQ(store.valuesOf(Root::User, kLang)[0].text, "1");
  settings.writeLanguage(0);
  EXPECT_EQ(store.valuesOf(Root::User, kLang)[0].text, "0");
}

TEST(Settings, LastDirKeepsTheFolderOfTheChosenFile) {
  MemorySettingsStore store;
  Settings settings(store);
  settings.writeLastDir("/home/ann/icons/app.ico");
  EXPECT_EQ(settings.readLastDir(""), "/home/ann/icons/");
  settings.writeLastDir("bare.ico");
  EXPECT_EQ(settings.readLastDir(""), "/home/ann/icons/");
}

TEST(Settings, RecentFilesMoveToTheTopAndDropTheOldest) {
  MemorySettingsStore store;
  Settings settings(store);
  RecentMenu menu;
  for (const char* path : {"/A.ico", "/B.ico", "/A.ico"}) settings.addRecentFile(path, menu);
  EXPECT_TRUE(menu.reopenEnabled);
  EXPECT_EQ(menuPaths(menu), (std::vector<std::string>{"/A.ico", "/B.ico", "", "", ""}));
  EXPECT_EQ(menuPaths(settings.loadRecentFiles()), menuPaths(menu));

  for (const char* path : {"/1", "/2", "/3", "/4", "/5"}) settings.addRecentFile(path, menu);
  EXPECT_EQ(menuPaths(menu), (std::vector<std::string>{"/5", "/4", "/3", "/2", "/1"}));

  // Byte-for-byte comparison: a path in another case is another entry.
  settings.addRecentFile("/4", menu);
  settings.addRecentFile("/x.ICO", menu);
  settings.addRecentFile("/X.ico", menu);
  EXPECT_EQ(menuPaths(menu), (std::vector<std::string>{"/X.ico", "/x.ICO", "/4", "/5", "/3"}));
  EXPECT_EQ(menuPaths(settings.loadRecentFiles()), menuPaths(menu));

  // An empty path must not spin on the empty items it matches.
  MemorySettingsStore fresh;
  Settings(fresh).addRecentFile("", menu);
  EXPECT_EQ(menuPaths(menu), std::vector<std::string>(5, ""));
}

TEST(Settings, RecentFilesKeepForeignNamesAndASixthValue) {
  MemorySettingsStore store;
  for (const auto& [name, text] : std::vector<std::pair<std::string, std::string>>{
           {"alpha", "/P"}, {"", "/Q"}, {"3", "/R"}, {"4", ""}, {"5", "/S"}, {"6", "/Z"}})
    store.put(Root::User, kMru, name, text);
  Settings settings(store);
  EXPECT_EQ(menuPaths(settings.loadRecentFiles()),
            (std::vector<std::string>{"/P", "/Q", "/R", "/S", "/Z"}));

  RecentMenu menu;
  settings.addRecentFile("/N", menu);
  EXPECT_EQ(menuPaths(menu), (std::vector<std::string>{"/N", "/P", "/Q", "/R", ""}));
  // The nameless second value was written under "2"; the default value and "6" stay as they were.
  const std::vector<std::pair<std::string, std::string>> expected{
      {"alpha", "/N"}, {"", "/Q"}, {"3", "/Q"}, {"4", "/R"}, {"5", ""}, {"6", "/Z"}, {"2", "/P"}};
  std::vector<std::pair<std::string, std::string>> stored;
  for (const auto& v : store.valuesOf(Root::User, kMru)) stored.emplace_back(v.name, v.text);
  EXPECT_EQ(stored, expected);
}

TEST(Settings, UnopenableKeysFallBackAndWriteNothing) {
  MemorySettingsStore store;
  for (const auto& key : {kLang, kMru, kReper}) store.makeUnopenable(Root::User, key);
  Settings settings(store);
  EXPECT_EQ(settings.readLanguage(10000), 0);
  settings.writeLastDir("/x/y.ico");
  EXPECT_EQ(settings.readLastDir("keep me"), "keep me");

  RecentMenu menu = settings.loadRecentFiles();
  EXPECT_FALSE(menu.reopenEnabled);
  EXPECT_EQ(menuPaths(menu), std::vector<std::string>(5, ""));
  settings.addRecentFile("/a.ico", menu);
  EXPECT_FALSE(menu.reopenEnabled);
  EXPECT_EQ(menu.labels[0], "1. ");
  EXPECT_TRUE(store.keys(Root::User).empty());
}

TEST(Settings, PathFromRecentLabelKeepsSpacesInThePath) {
  EXPECT_EQ(Settings::pathFromRecentLabel("2. /My Icons/big one.icns"), "/My Icons/big one.icns");
  EXPECT_EQ(Settings::pathFromRecentLabel("3. "), "");
  EXPECT_EQ(Settings::pathFromRecentLabel("nospace"), std::nullopt);
}

}  // namespace
}  // namespace vexilo::core
