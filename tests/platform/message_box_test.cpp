#include "common/platform/sdl/message_box.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "common/platform/sdl/open_url.h"

namespace kb {
namespace {

// Runs without a desktop, as in CI and in headless game runs.
class HeadlessMessageBox : public testing::Test {
 protected:
  void SetUp() override { setenv("SDL_VIDEODRIVER", "dummy", 1); }
};

TEST_F(HeadlessMessageBox, PrintsTitleAndTextToStandardError) {
  testing::internal::CaptureStderr();
  EXPECT_TRUE(ShowMessageBox("Fehler",
                             "Es konnte kein Fenster ge\xF6"
                             "ffnet werden.",
                             MessageKind::kWarning));
  EXPECT_TRUE(ShowMessageBox("Info", "Hallo", MessageKind::kInfo));
  std::string output = testing::internal::GetCapturedStderr();
  // Latin-1 inside the game, UTF-8 on the terminal.
  EXPECT_NE(output.find("Fehler"), std::string::npos);
  EXPECT_NE(output.find("Es konnte kein Fenster ge\xC3\xB6"
                        "ffnet werden."),
            std::string::npos);
  EXPECT_LT(output.find("Fehler"), output.find("Hallo"));
}

TEST_F(HeadlessMessageBox, AnUnansweredQuestionIsNo) {
  testing::internal::CaptureStderr();
  EXPECT_FALSE(ShowMessageBox("Frage", "Wirklich?", MessageKind::kYesNo));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Wirklich?"), std::string::npos);
}

TEST_F(HeadlessMessageBox, WithoutAnyDisplayFromSeveralThreads) {
  setenv("SDL_VIDEODRIVER", "x11", 1);
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  testing::internal::CaptureStderr();
  std::thread first([] { ShowMessageBox("A", "from a script", MessageKind::kInfo); });
  std::thread second([] { ShowMessageBox("B", "from a connection", MessageKind::kInfo); });
  first.join();
  second.join();
  std::string output = testing::internal::GetCapturedStderr();
  // Whole lines, never interleaved.
  EXPECT_NE(output.find("A: from a script\n"), std::string::npos);
  EXPECT_NE(output.find("B: from a connection\n"), std::string::npos);
  OpenUrl("https://example.org/");  // no desktop: nothing happens, nothing hangs
}

}  // namespace
}  // namespace kb
