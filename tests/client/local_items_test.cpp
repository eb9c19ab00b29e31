#include "client/core/items.h"
#include "client/core/round_steps.h"
#include "tests/client/local_fixture.h"

namespace kb {
namespace {

class LocalItems : public LocalGameTest {
 protected:
  // Slot 0 at (300, 300) heading right; an item of `kind` at (310, 290).
  void StartWithItem(int kind, int64_t appearIn) {
    StartGame(2);
    Place(slot(0), 300, 300, 0.5f);
    Place(slot(1), 300, 100, 0.5f);
    slot(0).item = slot(0).itemStart = 0;
    round().itemKind = kind;
    round().itemX = 310, round().itemY = 290;
    round().itemAppear = now() + appearIn;
    round().itemVanish = now() + 15000;
  }
  void Use() {
    Key(kUse[0], true);
    StepFrame(60);
    Key(kUse[0], false);
  }
};

TEST_F(LocalItems, NoConfusionOfAnyKindWithoutItsOption) {
  StartGame(2);
  round().upgradesOption = 1;
  for (int i = 0; i < 300; ++i) {
    ScheduleItem(t.client);
    ASSERT_NE(round().itemKind, 3);
  }
  round().paused = 1;
  for (int i = 0; i < 100; ++i) StepFrame(1000);
  EXPECT_EQ(round().confusionEnd, 0);
}

TEST_F(LocalItems, OnlyAShownItemIsCollected) {
  StartWithItem(1, 200);
  round().upgradesOption = 1;
  Place(slot(0), 315, 300, 0.5f);
  StepFrame(20);
  EXPECT_EQ(slot(0).item, 0);  // on it, but it is not shown yet
  Place(slot(0), 330, 300, 0.5f);
  StepFrame(200);  // moved to x = 335, but the test comes first
  EXPECT_EQ(slot(0).item, 1);
  EXPECT_FALSE(ItemShown(round(), now()));
  StartWithItem(2, -1);
  Place(slot(0), 331, 300, 0.5f);  // one pixel right of the icon
  SteeringStep(t.client);
  EXPECT_EQ(slot(0).item, 0);
}

TEST_F(LocalItems, PassThroughCrossesTrailsForTwoSecondsThenTheNextPixelKills) {
  StartWithItem(2, 100000);
  slot(0).item = 2;
  round().trailImage.FillBox(310, 280, 490, 40, 0x00FFFF);
  Use();
  int64_t started = slot(0).itemStart;
  EXPECT_EQ(started, now());
  while (now() + 51 - started <= 2000) {
    StepFrame(51);
    ASSERT_EQ(slot(0).dead, 0) << now() - started;
  }
  StepFrame(51);
  EXPECT_EQ(slot(0).dead, 1);
}

TEST_F(LocalItems, SpeedDoublesTheStepAndConfusionSwapsTheOwnersKeys) {
  StartWithItem(1, 100000);
  slot(0).item = 1;
  Use();
  EXPECT_EQ(slot(0).x, 310);
  StartWithItem(3, 100000);
  slot(0).item = 3;
  Use();
  EXPECT_EQ(round().confusionEnd, now() + 2000);
  Key(kLeft[0], true);
  StepFrame(11);
  EXPECT_FLOAT_EQ(slot(0).heading, 4.5f);  // left turns clockwise for its owner too
  StepFrame(2000);
  EXPECT_FLOAT_EQ(slot(0).heading, 0.5f);
}

}  // namespace
}  // namespace kb
