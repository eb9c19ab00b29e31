#include <gtest/gtest.h>

#include "client/ui/chat.h"
#include "client/ui/load_resources.h"
#include "client/ui/net_view.h"
#include "tests/client/net_fixture.h"

namespace kb {
namespace {

constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kRed = 0x0000FF;

struct DrawnNet : NetClient {
  DrawnNet() { LoadFonts(client.resources); }
  Colour At(int x, int y) const { return display.lastFrame.Pixel(x, y); }
  void Show(int state, int mode) {
    client.frame.gameState = state;
    client.net.netMode = mode;
    DrawFrame(client);
  }
  int Width(const std::string& text) { return client.resources.fontNormal.TextWidth(text); }
};

TEST(NetDraw, CountdownRoundsUpToWholeSeconds) {
  std::pair<int, int> cases[] = {
      {2001, 3}, {2000, 2}, {1, 1}, {0, 0}, {-10, 0}, {-1000, -1}, {2147483647, 2147484}};
  for (auto [ms, s] : cases) EXPECT_EQ(CountdownSeconds(ms), s) << ms;
}

TEST(NetDraw, ManualFieldsWithRoundedCornersAndFocus) {
  DrawnNet c;
  c.client.net.manualField = 0;
  c.Show(kStateNetLanManual, 0);
  struct Probe {
    int x, y;
    Colour colour;
  } probes[] = {
      {340, 120, 0},      {484, 141, 0},      {341, 121, kRed}, {483, 140, kRed},
      {400, 120, kRed},   {400, 141, kRed},   {400, 130, 0},    {350, 145, 0},
      {351, 146, kWhite}, {400, 145, kWhite}, {484, 166, 0},    {483, 165, kWhite},
  };
  for (const Probe& p : probes) EXPECT_EQ(c.At(p.x, p.y), p.colour) << p.x << "," << p.y;
  EXPECT_EQ(c.client.frame.helpLine, kManualHelp);
  c.client.net.manualField = 1;
  c.Show(kStateNetLanManual, 0);
  EXPECT_EQ(c.At(400, 120), kWhite);
  EXPECT_EQ(c.At(400, 145), kRed);
}

TEST(NetDraw, ModesShowTheirScreens) {
  DrawnNet c;
  NetState& net = c.client.net;
  net.ownColour = Rgb(0, 0, 200);
  c.client.round.winnerColour = Rgb(10, 200, 30);
  c.client.round.trailImage.Clear(0);
  c.client.round.trailImage.FillBox(300, 300, 20, 20, Rgb(200, 0, 0));
  // Waiting for players hides the field; a running game shows it.
  c.Show(kStateNet, 10);
  EXPECT_EQ(c.At(310, 335), 0u);
  c.Show(kStateNet, 8);
  EXPECT_EQ(c.At(310, 335), Rgb(200, 0, 0));
  EXPECT_EQ(c.At(400, 25), kWhite) << "status bar line";
  EXPECT_EQ(c.At(787, 13), net.ownColour);
  EXPECT_EQ(c.At(776, 2), kWhite);
  // Round over: the winner's box after the text.
  c.Show(kStateNet, 9);
  int w = c.Width("Runde beendet...");
  EXPECT_EQ(c.At(w + 8, 29), kWhite);
  EXPECT_EQ(c.At(w + 18, 39), c.client.round.winnerColour);
  // The password prompt: no own colour mark, a framed field, bottom bar help.
  net.passwordText = "abc";
  c.Show(kStateNet, 19);
  EXPECT_EQ(net.passwordMask, "***");
  EXPECT_EQ(c.At(787, 13), 0u);
  EXPECT_EQ(c.At(76, 29), 0u);
  EXPECT_EQ(c.At(77, 30), kWhite);
  EXPECT_EQ(c.At(150, 29), kWhite);
  EXPECT_EQ(c.client.frame.helpLine, kPasswordHelp);
}

TEST(NetDraw, ScoresAndChatLines) {
  DrawnNet c;
  c.client.round.scoreList = {{3, Rgb(255, 0, 0), 1}, {12, Rgb(0, 255, 0), 0}};
  AddChatLine(c.client.net.chatHistory, c.clock.Now(), "WWWWWW", Rgb(0, 255, 255));
  c.Show(kStateNet, 7);
  auto any = [&](Colour colour, int x0, int y0, int x1, int y1) {
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x)
        if (c.At(x, y) == colour) return true;
    return false;
  };
  EXPECT_TRUE(any(Rgb(255, 0, 0), 4, 4, 50, 22));
  EXPECT_TRUE(any(Rgb(0, 255, 0), 54, 4, 100, 22));
  EXPECT_FALSE(any(Rgb(0, 255, 0), 4, 4, 50, 22));
  // The newest chat line sits at the bottom; in mode 10 no chat is drawn.
  EXPECT_TRUE(any(Rgb(0, 255, 255), 5, 560, 80, 595));
  c.Show(kStateNet, 10);
  EXPECT_FALSE(any(Rgb(0, 255, 255), 5, 540, 80, 599));
  // Thirty seconds later the line is gone.
  c.clock.Advance(30001);
  c.Show(kStateNet, 7);
  EXPECT_FALSE(any(Rgb(0, 255, 255), 5, 540, 80, 599));
}

TEST(NetDraw, StatusScreensSetTheirHelp) {
  DrawnNet c;
  c.client.serverLabel = "X";
  std::pair<int, const char*> cases[] = {
      {kStateNetConnect, kConnectHelp}, {kStateNetFail, kBackHelp}, {kStateConnectionLost, kBackHelp}};
  for (auto [state, help] : cases) {
    c.client.frame.helpLine.clear();
    c.Show(state, 0);
    EXPECT_EQ(c.client.frame.helpLine, help) << state;
    EXPECT_EQ(c.At(400, 25), kWhite) << state;
  }
}

}  // namespace
}  // namespace kb
