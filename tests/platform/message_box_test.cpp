#include "common/platform/sdl/message_box.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "tests/support/environment.h"

namespace kb {
namespace {

// Without a desktop, as in CI and in headless game runs, boxes go to stderr.
TEST(MessageBox, HeadlessBoxesPrintTitleAndTextAndAnswerNo) {
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(ShowMessageBox("Fehler", "Nicht sch\xF6n.", MessageKind::kWarning));
  EXPECT_FALSE(ShowMessageBox("Frage", "Wirklich?", MessageKind::kYesNo));  // unanswered is No
  std::string output = ::testing::internal::GetCapturedStderr();
  // Latin-1 inside the game, UTF-8 on the terminal.
  EXPECT_NE(output.find("Fehler: Nicht sch\xC3\xB6n.\n"), std::string::npos);
  EXPECT_GT(output.find("Wirklich?"), output.find("Fehler"));

  // From several threads lines stay whole; elsewhere than on Windows, where
  // a desktop is always there, also without any display at all.
#ifndef _WIN32
  testing::SetEnv("SDL_VIDEODRIVER", "x11");
  testing::UnsetEnv("DISPLAY");
  testing::UnsetEnv("WAYLAND_DISPLAY");
#endif
  ::testing::internal::CaptureStderr();
  std::thread first([] { ShowMessageBox("A", "from a script", MessageKind::kInfo); });
  std::thread second([] { ShowMessageBox("B", "from a connection", MessageKind::kInfo); });
  first.join(), second.join();
  output = ::testing::internal::GetCapturedStderr();
  for (const char* line : {"A: from a script\n", "B: from a connection\n"})
    EXPECT_NE(output.find(line), std::string::npos) << output;
  testing::SetEnv("SDL_VIDEODRIVER", "dummy");
}

}  // namespace
}  // namespace kb
