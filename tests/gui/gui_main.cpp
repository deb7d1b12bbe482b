// The GUI tests run the real widgets on the offscreen platform, with settings kept in a
// temporary folder so that the real user's and system's settings are never touched; its
// machine-wide folder exists and is writable. The help window's cache goes there too.
#include <QApplication>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

int main(int argc, char** argv) {
  vexilo::test::TempDir settingsHome;
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("XDG_CONFIG_HOME", (settingsHome / "user").c_str(), 1);
  setenv("XDG_CONFIG_DIRS", (settingsHome / "system").c_str(), 1);
  setenv("XDG_CACHE_HOME", (settingsHome / "cache").c_str(), 1);  // where the help index goes
  std::filesystem::create_directories(settingsHome / "system");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
