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

  // Spot checks of the tables: the first slot, the one with the layout's
  // special keys and the mouse slot without keys.
  EXPECT_EQ(c.round.playerColours[0], 0x0000FFu);
  EXPECT_EQ(c.round.playerColours[4], 0x00FFFFu);
  EXPECT_EQ(c.round.players[0].leftKey, 42);
  EXPECT_EQ(c.round.players[0].rightKey, 86);
  EXPECT_EQ(c.round.players[4].rightKey, 13);
  EXPECT_EQ(c.round.players[4].keyLabel, "\xDC / \xB4 / P");
  EXPECT_EQ(c.round.players[6].leftKey + c.round.players[6].rightKey + c.round.players[6].useKey, 0);
  for (const PlayerRecord& p : c.round.players) EXPECT_EQ(p.active, 0);

  std::string order;
  for (const MenuButton& b : c.menuButtons) {
    order += b.text + " ";
    EXPECT_EQ(b.glow, 0);
    EXPECT_EQ(b.faceOn.Width(), 170);
  }
  EXPECT_EQ(order, "Starten Multiplayer Internet Lan Verbinden Verbinden Manuell Verbinden Verbinden ");

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
