// The settings logic on the window program's own store, kept in the test's temporary folders.
#include <QSettings>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

#include "ui/qsettings_store.h"

using namespace vexilo;

TEST(QSettingsStore, KeepsLanguageFolderAndRecentFilesBetweenRuns) {
  const std::filesystem::path system = std::getenv("XDG_CONFIG_DIRS");
  const std::filesystem::path user = std::getenv("XDG_CONFIG_HOME");
  ASSERT_NE(system.string().find("vexilo-test-"), std::string::npos) << "settings not isolated";
  std::filesystem::create_directories(system);

  ui::QSettingsStore store;
  {
    core::Settings settings(store);
    settings.chooseRoot();
    EXPECT_EQ(settings.root(), core::SettingsRoot::Machine) << "the machine-wide folder is writable";
    EXPECT_EQ(settings.readLanguage(0), 0);
    settings.writeLanguage(10000);
    settings.writeLastDir("/data/icons/a.icns");
    core::RecentMenu menu = settings.loadRecentFiles();
    EXPECT_FALSE(menu.reopenEnabled);
    settings.addRecentFile("/data/icons/a.icns", menu);
    settings.addRecentFile("/data/icons/b.ico", menu);
  }
  EXPECT_TRUE(std::filesystem::exists(system / "Korvane" / "Vexilo.conf"));
  EXPECT_FALSE(std::filesystem::exists(user / "Korvane" / "Vexilo.conf"));

  core::Settings next(store);
  next.chooseRoot();
  EXPECT_EQ(next.readLanguage(0), 10000);
  EXPECT_EQ(next.readLastDir(""), "/data/icons/");
  const core::RecentMenu menu = next.loadRecentFiles();
  EXPECT_TRUE(menu.reopenEnabled);
  EXPECT_EQ(menu.labels[0], "1. /data/icons/b.ico");
  EXPECT_EQ(menu.labels[1], "2. /data/icons/a.icns");
  EXPECT_FALSE(menu.enabled[2]);

  // Without write access to the machine-wide folder, everything goes to the user's.
  std::filesystem::remove_all(system / "Korvane");
  std::filesystem::permissions(system, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  const bool canStillWrite = ::access(system.c_str(), W_OK) == 0;  // root ignores permissions
  core::Settings userOnly(store);
  userOnly.chooseRoot();
  if (!canStillWrite) {
    EXPECT_EQ(userOnly.root(), core::SettingsRoot::User);
    userOnly.writeLanguage(10000);
    EXPECT_TRUE(std::filesystem::exists(user / "Korvane" / "Vexilo.conf"));
  }
  std::filesystem::permissions(system, std::filesystem::perms::owner_all);
}
