#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "client/ui/settings.h"
#include "tests/client/spine_harness.h"

namespace kb {
namespace {

class Settings : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kb_settings_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    c.client.config.filePath = SettingsPath(dir_);
  }
  void TearDown() override {
    unlink(c.client.config.filePath.c_str());
    rmdir(dir_.c_str());
  }
  void WriteFile(const std::string& text) {
    std::ofstream(c.client.config.filePath, std::ios::binary) << text;
  }
  std::string ReadFile() {
    std::ifstream in(c.client.config.filePath, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  SpineClient c;
  std::string dir_;
};

TEST_F(Settings, PathIsInTheHomeDirectory) {
  EXPECT_EQ(SettingsPath("/home/anna"), "/home/anna/Kringelbahn.ini");
  EXPECT_EQ(SettingsPath("/home/anna/"), "/home/anna/Kringelbahn.ini");
  EXPECT_EQ(SettingsPath(""), "/Kringelbahn.ini");
}

TEST_F(Settings, MissingFileCentresTheWindow) {
  c.client.config.windowX = c.client.config.windowY = 99;
  c.client.config.fullScreenMode = 1;
  LoadSettings(c.client);
  // The fake desktop is 1920 x 1080.
  EXPECT_EQ(c.client.config.windowX, 560);
  EXPECT_EQ(c.client.config.windowY, 240);
  EXPECT_EQ(c.client.config.fullScreenMode, 0);
}

TEST_F(Settings, GarbageReadsTheDefaults) {
  static const char kGarbage[] = "\x89PNG\r\n\0\0garbage = 12\nX 40\n]Window[\nY=";
  WriteFile(std::string(kGarbage, sizeof kGarbage - 1));
  LoadSettings(c.client);
  EXPECT_EQ(c.client.config.windowX, 560);
  EXPECT_EQ(c.client.config.windowY, 240);
  EXPECT_EQ(c.client.config.fullScreenMode, 0);
}

TEST_F(Settings, KeysInAnyCaseAndMissingKeysDefault) {
  WriteFile("[window]\nx = -12\nFULLSCREEN = 1\n");
  LoadSettings(c.client);
  EXPECT_EQ(c.client.config.windowX, -12);
  EXPECT_EQ(c.client.config.windowY, 240);
  EXPECT_EQ(c.client.config.fullScreenMode, 1);

  // Any value other than 0 means full screen; text without digits reads 0.
  WriteFile("[Window]\r\nX = abc\r\nY = 7\r\nFullscreen = 5\r\n");
  LoadSettings(c.client);
  EXPECT_EQ(c.client.config.windowX, 0);
  EXPECT_EQ(c.client.config.windowY, 7);
  EXPECT_EQ(c.client.config.fullScreenMode, 1);

  // Keys of another group do not count.
  WriteFile("[Other]\r\nX = 5\r\n");
  LoadSettings(c.client);
  EXPECT_EQ(c.client.config.windowX, 560);
}

TEST_F(Settings, SaveWritesTheWindowsPositionWithCrLf) {
  LoadSettings(c.client);
  c.display.windowX = 123;
  c.display.windowY = -4;
  SaveSettings(c.client);
  EXPECT_EQ(ReadFile(), "[Window]\r\nX = 123\r\nY = -4\r\nFullscreen = 0\r\n");
  // Written back, it reads the same.
  LoadSettings(c.client);
  EXPECT_EQ(c.client.config.windowX, 123);
  EXPECT_EQ(c.client.config.windowY, -4);
}

TEST_F(Settings, FullScreenKeepsThePositionReadAtStart) {
  WriteFile("[Window]\r\nX = 10\r\nY = 20\r\nFullscreen = 1\r\n");
  LoadSettings(c.client);
  c.display.Open(true, 0, 0);
  SaveSettings(c.client);
  EXPECT_EQ(ReadFile(), "[Window]\r\nX = 10\r\nY = 20\r\nFullscreen = 1\r\n");
}

TEST_F(Settings, UnwritableFileIsSilentAndKeepsTheOldOne) {
  WriteFile("[Window]\r\nX = 1\r\nY = 2\r\nFullscreen = 0\r\n");
  std::string kept = c.client.config.filePath;
  c.client.config.filePath = dir_ + "/missing/Kringelbahn.ini";
  SaveSettings(c.client);
  c.client.config.filePath = kept;
  if (geteuid() != 0) {
    chmod(dir_.c_str(), 0500);
    c.display.windowX = 77;
    SaveSettings(c.client);
    chmod(dir_.c_str(), 0700);
  }
  EXPECT_EQ(ReadFile(), "[Window]\r\nX = 1\r\nY = 2\r\nFullscreen = 0\r\n");
}

}  // namespace
}  // namespace kb
