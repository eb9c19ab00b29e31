#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "client/ui/frame_loop.h"
#include "client/ui/settings.h"
#include "tests/client/spine_harness.h"

namespace kb {
namespace {

// A client whose settings go to a fresh file in a temporary folder.
struct LoopClient : SpineClient {
  LoopClient() {
    char pattern[] = "/tmp/kb_loop_XXXXXX";
    dir = mkdtemp(pattern);
    client.config.filePath = SettingsPath(dir);
  }
  ~LoopClient() {
    unlink(client.config.filePath.c_str());
    rmdir(dir.c_str());
  }
  bool Saved() const { return std::ifstream(client.config.filePath).good(); }
  std::string dir;
};

TEST(FrameLoop, EscapeInTheMenuSavesTheWindowsPosition) {
  LoopClient c;
  c.display.windowX = 321;
  c.input.SetKey(scan::kEscape, true);
  RunFrameLoop(c.client);
  EXPECT_TRUE(c.Saved());
  EXPECT_EQ(c.client.config.windowX, 321);
  EXPECT_EQ(c.display.presented, 0) << "the frame that ends the program is not drawn";
}

TEST(FrameLoop, CloseRequestEndsAnyScreenAndSaves) {
  LoopClient c;
  c.client.frame.gameState = kStateGame;
  c.display.closeRequested = true;
  RunFrameLoop(c.client);
  EXPECT_TRUE(c.Saved());
  EXPECT_EQ(c.display.presented, 1);
}

TEST(FrameLoop, ExitFromAnotherThreadEndsBeforeTheNextFrame) {
  LoopClient c;
  c.client.frame.quit = true;
  RunFrameLoop(c.client);
  EXPECT_TRUE(c.Saved());
  EXPECT_EQ(c.display.presented, 0);
}

TEST(FrameLoop, DisplayFailureEndsWithoutSaving) {
  LoopClient c;
  c.display.failOpen = true;
  c.input.SetKey(scan::kLeftCtrl, true);
  c.input.SetKey(scan::kF, true);
  RunFrameLoop(c.client);
  EXPECT_FALSE(c.Saved());
  EXPECT_FALSE(c.client.frame.fatalError.empty());
}

}  // namespace
}  // namespace kb
