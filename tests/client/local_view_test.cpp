#include "client/ui/game_view.h"
#include "tests/client/local_fixture.h"

namespace kb {
namespace {

constexpr Colour kIconColour[4] = {0, Rgb(1, 2, 3), Rgb(10, 200, 30), Rgb(200, 10, 30)};

class LocalView : public LocalGameTest {
 protected:
  LocalView() {
    Resources& r = t.client.resources;
    EXPECT_TRUE(r.fontNormal.Load("Arial", 11, false, false));
    EXPECT_TRUE(r.fontHuge.Load("Arial", 80, true, true));
    EXPECT_TRUE(r.fontLarge.Load("Arial", 20, false, false));
    EXPECT_TRUE(r.fontScore.Load("Arial", 12, true, false));
    for (int k = 1; k <= 3; ++k) r.itemIcons[k] = Image(20, 20, kIconColour[k]);
    StartGame(2, 1);
    Place(slot(0), 200, 300, 0.5f);
    Place(slot(1), 600, 300, 0.5f);
    Place(round().botList[0], 400, 450, 0.5f);
  }

  const Image& Draw() {
    t.client.screen.Clear(0);
    DrawLocalGame(t.client);
    return t.client.screen;
  }
  // Pixels of exactly this colour in the box.
  int Count(int x, int y, int w, int h, Colour c) {
    int n = 0;
    for (int j = y; j < y + h; ++j)
      for (int i = x; i < x + w; ++i) n += t.client.screen.Pixel(i, j) == c;
    return n;
  }
  // Pixels that are not black (text is anti-aliased).
  int CountLit(int x, int y, int w, int h) {
    int n = 0;
    for (int j = y; j < y + h; ++j)
      for (int i = x; i < x + w; ++i) n += t.client.screen.Pixel(i, j) != 0;
    return n;
  }
  Colour Colour0() { return round().playerColours[0]; }
  Colour BotColour() { return round().botList[0].colour; }
  void Confuse(int64_t since, int64_t length = 3000) {
    round().confusionStart = now() - since;
    round().confusionEnd = round().confusionStart + length;
  }
};

TEST_F(LocalView, GameFrameShowsHeadsScoresHeldItemsAndTheBar) {
  slot(0).score = 3;
  slot(1).score = 12;
  slot(1).item = 2;  // held, not yet used
  round().botList[0].score = 7;
  const Image& s = Draw();
  EXPECT_EQ(s.Pixel(200, 325), Colour0());
  EXPECT_EQ(s.Pixel(203, 325), Colour0());
  EXPECT_EQ(s.Pixel(204, 325), 0u);
  EXPECT_EQ(s.Pixel(400, 475), BotColour());
  EXPECT_EQ(s.Pixel(220, 325), 0u);  // no start ring while the round runs
  EXPECT_EQ(s.Pixel(400, 25), 0xFFFFFFu);

  // Scores in their owners' colours, 50 pixels apart: slots, then bots.
  EXPECT_GT(Count(4, 4, 40, 20, Colour0()), 5);
  EXPECT_GT(Count(54, 4, 30, 20, round().playerColours[1]), 5);
  EXPECT_GT(Count(104, 4, 40, 20, BotColour()), 5);
  // The held item's icon stands right after slot 1's score.
  int iconX = t.client.resources.fontScore.TextWidth("12") + 50 + 6;
  EXPECT_EQ(s.Pixel(iconX, 4), kIconColour[2]);
  EXPECT_EQ(s.Pixel(iconX + 19, 23), kIconColour[2]);
  EXPECT_NE(s.Pixel(iconX - 2, 10), kIconColour[2]);
  // Once used, it is no longer shown as held.
  slot(1).itemStart = now();
  EXPECT_EQ(Draw().Pixel(iconX + 10, 10), 0u);
  // "Pause: Strg + P" at the right end of the bar.
  EXPECT_GT(Count(680, 4, 116, 18, 0xFFFFFF), 20);
}

TEST_F(LocalView, StartStateDrawsRingsAroundTheHeads) {
  SetState(kStateStart);
  const Image& s = Draw();
  EXPECT_EQ(s.Pixel(220, 325), 0xFFFFFFu);
  EXPECT_EQ(s.Pixel(200, 305), 0xFFFFFFu);
  EXPECT_EQ(s.Pixel(219, 325), 0u);
  EXPECT_EQ(s.Pixel(210, 325), 0u);
  EXPECT_EQ(s.Pixel(200, 325), Colour0());
  EXPECT_EQ(s.Pixel(620, 325), 0xFFFFFFu);
  EXPECT_EQ(s.Pixel(420, 475), 0u);  // bots get no ring
  // The ring hides trails under it; the field item is not shown before the round runs.
  round().itemKind = 1;
  round().itemX = 500, round().itemY = 100;
  round().itemAppear = now() - 10, round().itemVanish = now() + 10;
  EXPECT_EQ(Draw().Pixel(505, 130), 0u);
}

TEST_F(LocalView, FieldItemOnlyWhileShownInARunningRound) {
  round().itemKind = 3;
  round().itemX = 500, round().itemY = 100;
  round().itemAppear = now() + 1, round().itemVanish = now() + 10;
  EXPECT_EQ(Draw().Pixel(505, 130), 0u);
  round().itemAppear = now() - 1;
  EXPECT_EQ(Draw().Pixel(505, 130), kIconColour[3]);
  EXPECT_EQ(Draw().Pixel(519, 144), kIconColour[3]);
  round().paused = 1;
  EXPECT_EQ(Draw().Pixel(505, 130), 0u);
}

TEST_F(LocalView, FlashFramesFlickerForTheFirst200Milliseconds) {
  auto flashAt = [&](int64_t d) {
    Confuse(d);
    return IsFlashFrame(t.client, now());
  };
  EXPECT_FALSE(flashAt(0));
  for (int d : {1, 25, 50, 51, 100, 150, 175, 200, 2999}) EXPECT_TRUE(flashAt(d)) << d;
  for (int d : {26, 49, 76, 99, 126, 149, 176, 199, 3000}) EXPECT_FALSE(flashAt(d)) << d;
  Confuse(300);
  round().paused = 1;
  EXPECT_FALSE(IsFlashFrame(t.client, now()));
  round().paused = 0;
  SetState(kStateEndRound);
  EXPECT_FALSE(IsFlashFrame(t.client, now()));
}

TEST_F(LocalView, FlashFrameInvertsHeadsAndDropsTheBarLine) {
  round().trailImage.FillBox(100, 100, 50, 50, Rgb(0, 0, 200));
  round().confusionOption = 1;
  Place(slot(0), 200, 100, 0.5f);  // clear of the notice in the middle
  Confuse(10);
  const Image& s = Draw();
  EXPECT_EQ(s.Pixel(200, 125), Colour0() ^ 0xFFFFFF);
  EXPECT_EQ(s.Pixel(400, 475), BotColour() ^ 0xFFFFFF);
  EXPECT_EQ(s.Pixel(120, 150), Rgb(0, 0, 200));  // the field itself stays
  EXPECT_EQ(s.Pixel(400, 25), 0u);
  // "Verwirrung!!" across the middle for the first second, white on black outline.
  EXPECT_GT(Count(150, 230, 500, 140, 0xFFFFFF), 500);

  // In a flicker gap the players look normal but bots stay inverted.
  Confuse(30);
  EXPECT_EQ(Draw().Pixel(200, 125), Colour0());
  EXPECT_EQ(Draw().Pixel(400, 475), BotColour() ^ 0xFFFFFF);
  // Paused: no flash, no notice, but the bots still show the confusion.
  round().paused = 1;
  Confuse(500);
  Draw();
  EXPECT_EQ(s.Pixel(200, 125), Colour0());
  EXPECT_EQ(s.Pixel(400, 475), BotColour() ^ 0xFFFFFF);
  round().paused = 0;
  // After a second the notice is gone; without the option it never shows.
  Confuse(1000);
  EXPECT_EQ(Draw().Pixel(200, 125), Colour0() ^ 0xFFFFFF);
  EXPECT_EQ(Count(150, 230, 500, 140, 0xFFFFFF), 0);
  round().confusionOption = 0;
  Confuse(10);
  Draw();
  EXPECT_EQ(Count(150, 230, 500, 140, 0xFFFFFF), 0);
  EXPECT_FALSE(t.client.screen.XorMode());
}

TEST_F(LocalView, PauseShowsBlackTextWithAWhiteOutline) {
  Draw();
  EXPECT_EQ(Count(250, 230, 300, 140, 0xFFFFFF), 0);
  round().paused = 1;
  Draw();
  EXPECT_GT(Count(250, 230, 300, 140, 0xFFFFFF), 100);
  SetState(kStateEndRound);
  Draw();
  EXPECT_EQ(Count(250, 230, 300, 140, 0xFFFFFF), 0);
}

TEST_F(LocalView, DeveloperLabelsStandAboveEachPlayerHead) {
  Draw();
  EXPECT_EQ(CountLit(202, 302, 50, 16), 0);
  t.client.frame.devMode = 1;
  Draw();
  EXPECT_GT(CountLit(202, 302, 50, 16), 20);
  EXPECT_GT(CountLit(602, 302, 50, 16), 20);
  EXPECT_EQ(CountLit(402, 452, 50, 16), 0);  // bots have none
}

TEST_F(LocalView, FinalResultShowsTheWinnerAndEveryScoreInOrder) {
  round().winnerColour = Rgb(250, 20, 20);
  Image& s = t.client.screen;
  s.Clear(0);
  DrawFinalResult(t.client);
  EXPECT_GT(Count(200, 0, 400, 100, Rgb(250, 20, 20)), 200);
  EXPECT_EQ(Count(0, 100, 800, 500, Rgb(250, 20, 20)), 0);  // nothing below with no scores

  round().scoreList = {{70, Rgb(20, 250, 20), 0}, {12, Rgb(20, 20, 250), 0}};
  s.Clear(0);
  DrawFinalResult(t.client);
  EXPECT_GT(Count(370, 100, 60, 35, Rgb(20, 250, 20)), 10);
  EXPECT_GT(Count(370, 140, 60, 35, Rgb(20, 20, 250)), 10);
  EXPECT_EQ(Count(370, 100, 60, 35, Rgb(20, 20, 250)), 0);
  EXPECT_EQ(Count(0, 100, 360, 100, Rgb(20, 250, 20)), 0);  // centred
}

}  // namespace
}  // namespace kb
