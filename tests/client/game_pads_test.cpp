#include <gtest/gtest.h>

#include "tests/client/harness.h"

namespace kb {
namespace {

// A pad that is bound to no slot takes the first free one with its first push, which switches the slot on
// as its keys do and nothing more; from then on it holds the slot's keys: left on, right off in the menu,
// steering and the use key in a round. Start and Back are Space and Escape. A pulled pad leaves its slot to
// the keys and keeps the binding for its return; the label says a pad steers only while it is plugged in.
TEST(GamePads, BindInTheMenuAndHoldTheirSlotsKeys) {
  SpineClient c;
  PlayerRecord* slots = c.client.round.players.data();
  auto pads = [&](std::vector<PadState> plugged) { c.input.pads = std::move(plugged), c.Frame(); };
  pads({{.id = "a", .right = true}});
  EXPECT_TRUE(slots[0].active && slots[0].padId == "a");
  pads({{.id = "a", .right = true}});  // still held: no switch
  EXPECT_TRUE(slots[0].active);
  pads({{.id = "a"}}), pads({{.id = "a", .right = true}});
  EXPECT_FALSE(slots[0].active);
  // The next pad passes the slot that is off but bound.
  pads({{.id = "a"}, {.id = "b", .left = true}});
  EXPECT_EQ(slots[1].padId, "b");
  EXPECT_TRUE(slots[1].active && c.client.input.SlotPadConnected(1));
  pads({{.id = "a", .left = true}});
  EXPECT_TRUE(slots[0].active);
  EXPECT_FALSE(c.client.input.SlotPadConnected(1));
  EXPECT_EQ(slots[1].padId, "b");

  pads({{.id = "a", .start = true}});
  EXPECT_EQ(c.State(), kStateStart);
  c.client.frame.gameState = kStateGame;
  c.client.round.upgradesOption = c.client.round.confusionOption = 0;
  float heading = slots[0].heading;
  for (int i = 0; i < 30; ++i) pads({{.id = "a", .left = true, .use = true}});
  EXPECT_TRUE(c.client.input.KeyDown(slots[0].useKey));
  EXPECT_NE(slots[0].heading, heading);
  // Pulled out while turning: the turn ends; the slot's key still steers.
  pads({});
  heading = slots[0].heading;
  c.Frames(20);
  EXPECT_EQ(slots[0].heading, heading);
  c.input.SetKey(slots[0].leftKey, true), c.Frames(20), c.input.SetKey(slots[0].leftKey, false);
  EXPECT_NE(slots[0].heading, heading);
  pads({{.id = "b", .back = true}});
  EXPECT_EQ(c.State(), kStateMenu);
}

}  // namespace
}  // namespace kb
