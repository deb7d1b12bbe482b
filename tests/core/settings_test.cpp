// The settings kept between runs, on a store in memory that behaves like the registry.
#include "core/settings.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "support/memory_settings_store.h"

namespace vexilo::core {

using test::MemorySettingsStore;
using Root = SettingsRoot;
using Paths = std::vector<std::string>;
using Values = std::vector<std::pair<std::string, std::string>>;
const std::string kBase = "Software\\Korvane\\Vexilo\\";
const std::string kLang = kBase + "Lang", kMru = kBase + "MRU1", kReper = kBase + "Reper";

// The paths the menu lists, "" for an empty item; also checks each label matches its state.
static Paths menuPaths(const RecentMenu& menu) {
  Paths paths;
  for (int i = 0; i < RecentMenu::kItems; ++i) {
    paths.push_back(Settings::pathFromRecentLabel(menu.labels[i]).value_or("?"));
    EXPECT_EQ(menu.labels[i], std::to_string(i + 1) + ". " + paths.back());
    EXPECT_EQ(menu.enabled[i], !paths.back().empty()) << menu.labels[i];
  }
  return paths;
}

TEST(Settings, FirstRunUsesTheMachineRootWhenWritableAndEverySettingRoundTrips) {
  for (bool machineWritable : {true, false}) {
    MemorySettingsStore store;
    store.machineWritable = machineWritable;
    Settings settings(store);
    settings.chooseRoot();
    const Root root = machineWritable ? Root::Machine : Root::User;
    EXPECT_TRUE(settings.root() == root && settings.readLanguage(defaultLanguage(0x0409, 0x040C)) == 0);
    EXPECT_FALSE(settings.loadRecentFiles().reopenEnabled);
    EXPECT_EQ(settings.readLastDir("unchanged"), (std::filesystem::current_path() / "").string());
    EXPECT_TRUE(store.keys.size() == 3 && store.keys.count({root, kLang}) && store.keys.count({root, kMru}) &&
                store.keys.count({root, kReper})) << "and no probe key left";
    settings.writeLanguage(Settings::kFrenchOffset);
    EXPECT_EQ((store.keys[{root, kLang}].at(0).text), "1");
    EXPECT_EQ(Settings(store, root).readLanguage(0), Settings::kFrenchOffset);
    settings.writeLastDir("/home/ann/icons/app.ico");
    settings.writeLastDir("bare.ico");  // no folder: kept as it was
    EXPECT_EQ(Settings(store, root).readLastDir(""), "/home/ann/icons/");
    RecentMenu menu;
    settings.addRecentFile("/a.ico", menu);
    EXPECT_EQ(menuPaths(Settings(store, root).loadRecentFiles()), menuPaths(menu));
  }
  EXPECT_EQ(defaultLanguage(0x040C, 0x080C), Settings::kFrenchOffset);  // France, Belgium
  EXPECT_EQ(defaultLanguage(0x0C0C, 0x0409) + defaultLanguage(0x0409, 0x0C0C), 0);
  // Keys that do not open: defaults, and nothing written.
  MemorySettingsStore store;
  for (const auto& key : {kLang, kMru, kReper}) store.unopenable.insert({Root::User, key});
  Settings settings(store);
  settings.writeLastDir("/x/y.ico");
  RecentMenu menu = settings.loadRecentFiles();
  settings.addRecentFile("/a.ico", menu);
  EXPECT_TRUE(settings.readLanguage(10000) == 0 && settings.readLastDir("keep me") == "keep me" && !menu.reopenEnabled);
  EXPECT_TRUE(menuPaths(menu) == Paths(5, "") && store.keys.empty());
  // The language value reads like atoi of its first seven characters.
  const struct { const char* text; int current, expected; } cases[] = {
      {"1", 0, 10000}, {"0", 10000, 0}, {"", 10000, 10000}, {"", 0, 0}, {"  12abc", 0, 10000}, {"x", 10000, 0},
      {"-3", 0, 10000}, {"+0", 10000, 0}, {"0000001", 0, 10000}, {"00000001", 10000, 0}};
  for (const auto& c : cases) {
    MemorySettingsStore store;
    store.keys[{Root::User, kLang}] = {{"", c.text}};
    EXPECT_EQ(Settings(store).readLanguage(c.current), c.expected) << '"' << c.text << '"';
  }
}

TEST(Settings, RecentFilesMoveToTheTopDropTheOldestAndKeepForeignValues) {
  MemorySettingsStore store;
  Settings settings(store);
  RecentMenu menu;
  const std::pair<const char*, Paths> steps[] = {
      {"/A", {"/A", "", "", "", ""}}, {"/B", {"/B", "/A", "", "", ""}}, {"/A", {"/A", "/B", "", "", ""}},
      {"/3", {"/3", "/A", "/B", "", ""}}, {"/4", {"/4", "/3", "/A", "/B", ""}}, {"/5", {"/5", "/4", "/3", "/A", "/B"}},
      {"/6", {"/6", "/5", "/4", "/3", "/A"}}, {"/4", {"/4", "/6", "/5", "/3", "/A"}},
      {"/M y", {"/M y", "/4", "/6", "/5", "/3"}}, {"/m Y", {"/m Y", "/M y", "/4", "/6", "/5"}}};  // byte for byte
  for (const auto& [path, expected] : steps) {
    settings.addRecentFile(path, menu);
    EXPECT_EQ(menuPaths(menu), expected) << path;
  }
  EXPECT_TRUE(menu.reopenEnabled);
  EXPECT_EQ(menuPaths(settings.loadRecentFiles()), menuPaths(menu));
  MemorySettingsStore fresh;  // an empty path must not spin on the empty items it matches
  Settings(fresh).addRecentFile("", menu);
  EXPECT_EQ(menuPaths(menu), Paths(5, ""));
  // Values under other names are read in order; the nameless second value is written under "2",
  // the default value and "6" stay as they were.
  MemorySettingsStore foreign;
  foreign.keys[{Root::User, kMru}] = {{"alpha", "/P"}, {"", "/Q"}, {"3", "/R"}, {"4", ""}, {"5", "/S"}, {"6", "/Z"}};
  Settings other(foreign);
  EXPECT_EQ(menuPaths(other.loadRecentFiles()), (Paths{"/P", "/Q", "/R", "/S", "/Z"}));
  other.addRecentFile("/N", menu);
  EXPECT_EQ(menuPaths(menu), (Paths{"/N", "/P", "/Q", "/R", ""}));
  Values stored;
  for (const auto& v : foreign.keys[{Root::User, kMru}]) stored.emplace_back(v.name, v.text);
  EXPECT_EQ(stored, (Values{{"alpha", "/N"}, {"", "/Q"}, {"3", "/Q"}, {"4", "/R"}, {"5", ""}, {"6", "/Z"}, {"2", "/P"}}));
}

}  // namespace vexilo::core
