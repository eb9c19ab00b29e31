#include "client/ui/game_view.h"
#include "tests/client/local_fixture.h"

namespace kb {
namespace {

constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kIcon = Rgb(10, 200, 30);

class LocalView : public LocalGameTest {
 protected:
  LocalView() {
    Resources& r = t.client.resources;
    EXPECT_TRUE(r.fontHuge.Load("Arial", 80, true, true));
    EXPECT_TRUE(r.fontScore.Load("Arial", 12, true, false));
    for (int k = 1; k <= 3; ++k) r.itemIcons[k] = Image(20, 20, kIcon + k);
    StartGame(2, 1);
    Place(slot(0), 200, 100, 0.5f);
    Place(slot(1), 600, 100, 0.5f);
    Place(round().botList[0], 400, 450, 0.5f);
    round().confusionOption = 1;
  }
  const Image& Draw() {
    t.client.screen.Clear(0);
    DrawLocalGame(t.client);
    return t.client.screen;
  }
  int Count(int x, int y, int w, int h, Colour c) {
    int n = 0;
    for (int j = y; j < y + h; ++j)
      for (int i = x; i < x + w; ++i) n += t.client.screen.Pixel(i, j) == c;
    return n;
  }
  void Confuse(int64_t since) {
    round().confusionStart = now() - since;
    round().confusionEnd = round().confusionStart + 3000;
  }
  Colour C0() { return round().playerColours[0]; }
  Colour Bot() { return round().botList[0].colour; }
};

TEST_F(LocalView, GameFrameShowsHeadsScoresHeldItemsAndTheBar) {
  slot(1).score = 12;
  slot(1).item = 2;  // held, not yet used: its icon follows the score
  const Image& s = Draw();
  EXPECT_EQ(s.Pixel(203, 125), C0());
  EXPECT_EQ(s.Pixel(204, 125), 0u);
  EXPECT_EQ(s.Pixel(400, 475), Bot());
  EXPECT_EQ(s.Pixel(400, 25), kWhite);
  // Scores 50 pixels apart in their owners' colours, slots then bots.
  EXPECT_GT(Count(4, 4, 40, 20, C0()), 5);
  EXPECT_GT(Count(54, 4, 30, 20, round().playerColours[1]), 5);
  EXPECT_GT(Count(104, 4, 40, 20, Bot()), 5);
  int iconX = t.client.resources.fontScore.TextWidth("12") + 50 + 6;
  EXPECT_EQ(s.Pixel(iconX, 4), kIcon + 2);

  SetState(kStateStart);  // white start rings round the players' heads, not the bots'
  Draw();
  EXPECT_EQ(s.Pixel(220, 125), kWhite);
  EXPECT_EQ(s.Pixel(219, 125), 0u);
  EXPECT_EQ(s.Pixel(420, 475), 0u);
}

TEST_F(LocalView, ConfusionFlashesInvertedHeadsAfterA200MillisecondFlicker) {
  auto flashAt = [&](int64_t d) {
    Confuse(d);
    return IsFlashFrame(t.client, now());
  };
  EXPECT_FALSE(flashAt(0));
  for (int d : {1, 25, 50, 200, 2999}) EXPECT_TRUE(flashAt(d)) << d;
  for (int d : {26, 49, 199, 3000}) EXPECT_FALSE(flashAt(d)) << d;

  round().trailImage.FillBox(100, 200, 50, 50, Rgb(0, 0, 200));
  Confuse(10);
  const Image& s = Draw();
  EXPECT_EQ(s.Pixel(200, 125), C0() ^ kWhite);
  EXPECT_EQ(s.Pixel(400, 475), Bot() ^ kWhite);
  EXPECT_EQ(s.Pixel(120, 240), Rgb(0, 0, 200));
  EXPECT_GT(Count(150, 230, 500, 140, kWhite), 500);  // "Verwirrung!!"
  EXPECT_FALSE(s.XorMode());
  Confuse(30);  // a flicker gap: players plain, bots still inverted
  Draw();
  EXPECT_EQ(s.Pixel(200, 125), C0());
  EXPECT_EQ(s.Pixel(400, 475), Bot() ^ kWhite);
}

TEST_F(LocalView, PauseOverlayAndTheFieldItemShowOnlyInARunningGame) {
  round().itemKind = 2;
  round().itemX = 300, round().itemY = 200;
  round().itemAppear = now() - 1, round().itemVanish = now() + 1000;
  struct Case {
    int state;
    int paused;
    bool pauseText, icon;
  };
  for (Case k : {Case{kStateGame, 0, false, true},
                 {kStateGame, 1, true, false},
                 {kStateStart, 0, false, false},
                 {kStateEndRound, 1, false, false}}) {
    SetState(k.state);
    round().paused = k.paused;
    Draw();
    // "Pause" in black, outlined in white, in the middle of the screen.
    bool pauseText = Count(250, 230, 300, 140, kWhite) > 300;
    EXPECT_EQ(pauseText, k.pauseText) << k.state << " " << k.paused;
    EXPECT_EQ(Count(300, 225, 20, 20, kIcon + 2) == 400, k.icon) << k.state << " " << k.paused;
  }
}

// With the most bots a game can have, every score stays left of the pause
// hint and every final score stays on the screen.
TEST_F(LocalView, ManyParticipantsStayOnScreen) {
  Resources& r = t.client.resources;
  ASSERT_TRUE(r.fontNormal.Load("Arial", 11, false, false));
  ASSERT_TRUE(r.fontLarge.Load("Arial", 20, true, false));
  StartGame(8, kMaxBots);
  ASSERT_EQ(round().botList.size(), static_cast<size_t>(kMaxBots));
  for (int i = 0; i < kPlayerSlots; ++i) slot(i).score = 100 + i;
  for (BotRecord& b : round().botList) b.score = 100;
  const Image& s = Draw();
  int hintX = 796 - r.fontNormal.TextWidth("Pause: Strg + P");
  for (int y = 1; y < 25; ++y)
    for (int x = hintX - 2; x < 799; ++x) {
      Colour c = s.Pixel(x, y);
      ASSERT_TRUE(RedOf(c) == GreenOf(c) && GreenOf(c) == BlueOf(c)) << x << "," << y;  // only the white hint
    }
  // The last bot's score is still drawn.
  EXPECT_GT(Count(0, 1, hintX, 24, round().botList.back().colour), 3);

  // The final table of 40 participants, each in its own colour.
  round().scoreList.clear();
  for (int i = 0; i < 40; ++i) round().scoreList.push_back({100 + i, Rgb(10 + 6 * i, 255 - 6 * i, 128), 0});
  round().winnerColour = kWhite;
  t.client.screen.Clear(0);
  DrawFinalResult(t.client);
  for (const ScoreEntry& e : round().scoreList) EXPECT_GT(Count(0, 60, 800, 540, e.colour), 10) << e.score;
  EXPECT_GT(Count(300, 0, 200, 100, kWhite), 100);  // "Winner!"
}

}  // namespace
}  // namespace kb
