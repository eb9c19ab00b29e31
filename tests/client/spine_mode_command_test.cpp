#include <gtest/gtest.h>

#include "client/console/mode_command.h"
#include "tests/client/harness.h"

namespace kb {
namespace {

// Names in any case switch from the console with a fade that closes it, from a script at once and without
// preparing the screen; unknown names open the console; numbers need debug mode.
TEST(ModeCommand, NamesNumbersAndUnknownWordsFromTheConsoleOrAScript) {
  // clang-format off
  struct Case { const char* args; int debug; bool fromScript; int state, open, presented; } cases[] = {
      {"menu", 0, true, kStateMenu, 1, 0}, {"EndRound", 0, true, kStateEndRound, 1, 0},
      {"net_lan_manual", 0, true, kStateNetLanManual, 1, 0}, {"wtf", 0, true, kStateWtf, 1, 0},
      {"NET_Choose", 0, false, kStateNetChoose, 0, 12}, {"", 0, false, kStateEmpty, 1, 0},
      {"net_", 0, false, kStateEmpty, 1, 0}, {"menu ", 0, false, kStateEmpty, 1, 0},
      {"3", 0, false, kStateEmpty, 1, 0}, {"666", 1, true, kStateHell, 1, 0},
      {"22x", 1, true, kStateConnectionLost, 1, 0}, {"0", 1, true, kStateEmpty, 1, 0},
      {"Menu", 1, true, kStateMenu, 1, 0}};
  // clang-format on
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << "'" << k.args << "' debug " << k.debug << " script " << k.fromScript);
    SpineClient c;
    c.client.frame.gameState = kStateEmpty;
    c.client.frame.debugMode = k.debug;
    c.client.round.trailImage.Clear(0x0000FF);
    c.client.consoleOpen = 1;
    EXPECT_EQ(ModeCommand(c.client, k.args, k.fromScript), 1);
    c.Settle();
    EXPECT_EQ(c.State(), k.state);
    EXPECT_EQ(c.client.consoleOpen, k.open);
    EXPECT_EQ(c.display.presented, k.presented);
    if (k.fromScript) {
      EXPECT_EQ(c.client.round.trailImage.Pixel(100, 100), 0x0000FFu) << "no preparation";
    }
  }
}

}  // namespace
}  // namespace kb
