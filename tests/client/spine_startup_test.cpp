#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "client/ui/settings.h"
#include "tests/client/client_fixture.h"
#include "tests/client/spine_harness.h"

namespace kb {
namespace {

// A temporary folder that is also the current directory while it lives.
class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/kb_startup_XXXXXX";
    path_ = mkdtemp(pattern);
    char* cwd = getcwd(nullptr, 0);
    old_ = cwd;
    free(cwd);
    EXPECT_EQ(chdir(path_.c_str()), 0);
  }
  ~TempDir() {
    EXPECT_EQ(chdir(old_.c_str()), 0);
    std::system(("rm -rf '" + path_ + "'").c_str());
  }
  const std::string& Path() const { return path_; }
  void Write(const std::string& name, const std::string& text) {
    std::ofstream(path_ + "/" + name, std::ios::binary) << text;
  }

 private:
  std::string path_, old_;
};

struct Started : TestClient {
  explicit Started(TempDir& dir) { client.config.filePath = SettingsPath(dir.Path()); }
  std::string Start() { return StartClient(client); }
};

TEST(StartClient, OpensTheCentredWindowAndFillsTheTables) {
  TempDir dir;
  Started s(dir);
  ASSERT_EQ(s.Start(), "");
  EXPECT_TRUE(s.display.open);
  EXPECT_FALSE(s.display.fullScreen);
  EXPECT_EQ(s.display.windowX, 560);
  EXPECT_EQ(s.display.windowY, 240);

  Client& c = s.client;
  EXPECT_EQ(c.frame.gameState, kStateMenu);
  EXPECT_EQ(c.round.upgradesOption, 1);
  EXPECT_EQ(c.round.confusionOption, 1);
  EXPECT_EQ(c.round.botCount, 0);

  const Colour colours[8] = {0x0000FF, 0x00FF00, 0x0090FF, 0xFF6600, 0x00FFFF, 0xFFFFFF, 0xAAAA00, 0xCC0099};
  const int keys[8][3] = {{42, 86, 58}, {203, 208, 200}, {2, 16, 3}, {50, 51, 37},
                          {26, 13, 25}, {7, 8, 44},      {0, 0, 0},  {46, 47, 33}};
  for (int i = 0; i < 8; ++i) {
    const PlayerRecord& p = c.round.players[i];
    EXPECT_EQ(c.round.playerColours[i], colours[i]) << i;
    EXPECT_EQ(p.leftKey, keys[i][0]) << i;
    EXPECT_EQ(p.rightKey, keys[i][1]) << i;
    EXPECT_EQ(p.useKey, keys[i][2]) << i;
    EXPECT_EQ(p.active, 0) << i;
  }
  EXPECT_EQ(c.round.players[4].keyLabel, "\xDC / \xB4 / P");
  EXPECT_EQ(c.round.players[6].keyLabel, "Links / Rechts / Mitte (Maus)");

  struct Expected {
    int x, y;
    const char* text;
  };
  const Expected buttons[] = {{225, 505, "Starten"}, {405, 505, "Multiplayer"}, {315, 120, "Internet"},
                              {315, 170, "Lan"},     {315, 520, "Verbinden"},   {225, 520, "Verbinden"},
                              {405, 520, "Manuell"}, {315, 180, "Verbinden"},   {76, 56, "Verbinden"}};
  ASSERT_EQ(c.menuButtons.size(), 9u);
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(c.menuButtons[i].x, buttons[i].x) << i;
    EXPECT_EQ(c.menuButtons[i].y, buttons[i].y) << i;
    EXPECT_EQ(c.menuButtons[i].text, buttons[i].text) << i;
    EXPECT_EQ(c.menuButtons[i].glow, 0) << i;
    EXPECT_EQ(c.menuButtons[i].faceOn.Width(), 170) << i;
    EXPECT_EQ(c.menuButtons[i].faceOff.Height(), 42) << i;
  }

  auto lines = c.console.lines.Snapshot();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().text, "Willkommen zu Kringelbahn 1.2.4!");
  EXPECT_EQ(lines.back().colour, 65280u);
}

TEST(StartClient, DecodesEveryCarriedPictureInItsSize) {
  TempDir dir;
  Started s(dir);
  ASSERT_EQ(s.Start(), "");
  const Resources& r = s.client.resources;
  auto size = [](const Image& image) { return std::pair{image.Width(), image.Height()}; };
  EXPECT_EQ(size(r.titleBanner), std::pair(800, 90));
  EXPECT_EQ(size(r.bannerGlowSprite), std::pair(800, 90));
  EXPECT_EQ(size(r.buttonFace), std::pair(180, 52));
  EXPECT_EQ(size(r.buttonGlow), std::pair(180, 52));
  EXPECT_EQ(size(r.buttonFaceOff), std::pair(180, 52));
  for (int kind = 1; kind <= 3; ++kind) EXPECT_EQ(size(r.itemIcons[kind]), std::pair(20, 20)) << kind;
  EXPECT_EQ(size(r.triangleImage), std::pair(84, 84));
  EXPECT_EQ(size(r.lockIconOnLight), std::pair(9, 14));
  EXPECT_EQ(size(r.lockIconOnDark), std::pair(9, 14));
  EXPECT_EQ(size(r.cursorSprite), std::pair(12, 21));
  // The pointer is drawn keyed: its corners are magenta, its tip is not.
  EXPECT_EQ(r.cursorSprite.Pixel(11, 0), kMagenta);
  EXPECT_NE(r.cursorSprite.Pixel(0, 0), kMagenta);
  EXPECT_TRUE(r.fontLarge.Loaded());
  EXPECT_TRUE(r.fontHuge.Loaded());
}

TEST(StartClient, FullScreenFromTheFileAndWindowFailure) {
  TempDir dir;
  dir.Write("Kringelbahn.ini", "[Window]\r\nX = 3\r\nY = 4\r\nFullscreen = 1\r\n");
  {
    Started s(dir);
    ASSERT_EQ(s.Start(), "");
    EXPECT_TRUE(s.display.fullScreen);
    EXPECT_EQ(s.client.config.fullScreenMode, 1);
  }
  Started s(dir);
  s.display.failOpen = true;
  EXPECT_EQ(s.Start(),
            "Es konnte kein Fenster ge\xF6"
            "ffnet werden.");
}

TEST(StartClient, RunsANonEmptyAutoexecOnly) {
  TempDir dir;
  dir.Write("autoexec.kbs", "");
  {
    Started s(dir);
    ASSERT_EQ(s.Start(), "");
    EXPECT_TRUE(s.client.scripts.WaitIdle(2000));
    EXPECT_EQ(s.client.console.lines.Size(), 1u) << "only the welcome line";
  }
  dir.Write("autoexec.kbs", "mode wtf\r\n");
  Started s(dir);
  ASSERT_EQ(s.Start(), "");
  ASSERT_TRUE(s.client.scripts.WaitIdle(5000));
  EXPECT_EQ(s.client.frame.gameState, kStateWtf);
  EXPECT_EQ(s.display.presented, 0) << "a script's state change does not fade";
}

}  // namespace
}  // namespace kb
