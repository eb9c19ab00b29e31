#include <gtest/gtest.h>

#include "client/ui/load_resources.h"
#include "client/ui/net_view.h"
#include "tests/client/net_fixture.h"

namespace kb {
namespace {

constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kRed = 0x0000FF;
constexpr Colour kMark = Rgb(0, 0, 200);

struct Probe {
  int x, y;
  Colour colour;
};

TEST(NetDraw, CountdownRoundsUpToWholeSeconds) {
  std::pair<int, int> cases[] = {{2001, 3}, {2000, 2}, {1, 1}, {0, 0}, {-10, 0}, {2147483647, 2147484}};
  for (auto [ms, s] : cases) EXPECT_EQ(CountdownSeconds(ms), s) << ms;
}

TEST(NetDraw, FieldsModesAndMarks) {
  NetClient c;
  LoadFonts(c.client.resources);
  c.client.net.ownColour = kMark;
  c.client.round.winnerColour = Rgb(10, 200, 30);
  c.client.round.trailImage.FillBox(300, 300, 20, 20, Rgb(200, 0, 0));
  int w = c.client.resources.fontNormal.TextWidth("Runde beendet...");
  struct Case {
    int state, mode;
    std::vector<Probe> probes;
  } cases[] = {
      // Manual fields: rounded corners, the focused frame red, the other white.
      {kStateNetLanManual,
       0,
       {{340, 120, 0},
        {484, 141, 0},
        {341, 121, kRed},
        {483, 140, kRed},
        {400, 141, kRed},
        {400, 130, 0},
        {350, 145, 0},
        {351, 146, kWhite},
        {400, 166, kWhite}}},
      {kStateNet, 8, {{310, 335, Rgb(200, 0, 0)}, {776, 2, kWhite}, {787, 13, kMark}}},
      {kStateNet, 9, {{w + 8, 29, kWhite}, {w + 18, 39, Rgb(10, 200, 30)}}},
      // The password prompt: framed field, no own colour mark.
      {kStateNet, 19, {{76, 29, 0}, {77, 30, kWhite}, {150, 29, kWhite}, {787, 13, 0}}},
  };
  for (const Case& k : cases) {
    c.client.frame.gameState = k.state;
    c.client.net.netMode = k.mode;
    DrawFrame(c.client);
    for (const Probe& p : k.probes)
      EXPECT_EQ(c.display.lastFrame.Pixel(p.x, p.y), p.colour)
          << k.state << "/" << k.mode << " " << p.x << "," << p.y;
  }
}

}  // namespace
}  // namespace kb
