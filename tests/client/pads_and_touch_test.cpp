#include <gtest/gtest.h>

#include <tuple>

#include "tests/client/harness.h"

namespace kb {
namespace {

bool Said(const NetClient& c, const std::string& text) {
  Strings said = c.peer->Said();
  return std::find(said.begin(), said.end(), text) != said.end();
}

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

// Off a round a finger is the left mouse button where it touches, never a key (a tap on the bot count adds
// a bot); in a round a finger on the field's left half holds the first switched-on slot's left key, on the
// right half its right key, both with two fingers, and a finger below the field nothing. Fingers leave the
// mouse's slot alone. After a round a new touch goes on as Space does.
TEST(Touch, TapsInTheMenuAndSteersTheFirstSlotOnInARound) {
  SpineClient c;
  PlayerRecord* slots = c.client.round.players.data();
  auto fingers = [&](std::vector<TouchPoint> held) { c.input.touches = std::move(held), c.Frame(); };
  fingers({{100, 300}}), fingers({{700, 300}}), fingers({});  // over slot 0's keys in the menu
  EXPECT_FALSE(slots[0].active);
  fingers({{205, 185}}), fingers({});  // slot 1's box
  slots[kMouseSlot].active = 1;
  ASSERT_TRUE(slots[1].active && !slots[0].active);
  c.client.round.botCount = kMaxBots;
  fingers({{250, 490}}), fingers({});  // the bot count: past the most to none, then one
  fingers({{250, 490}}), fingers({});
  EXPECT_EQ(c.client.round.botCount, 1);
  fingers({{300, 520}}), fingers({});  // Start
  ASSERT_EQ(c.State(), kStateStart);
  c.client.frame.gameState = kStateGame;
  c.client.round.upgradesOption = c.client.round.confusionOption = 0;
  const Input& input = c.client.input;
  // The field starts below the status bar, at y 25.
  for (auto [held, left, right] : {std::tuple{std::vector<TouchPoint>{{399, 25}}, true, false},
                                   {{{400, 600}}, false, true},
                                   {{{10, 30}, {790, 599}}, true, true},
                                   {{{100, 24}, {-5, 300}}, false, false}}) {
    fingers(held);
    EXPECT_EQ(input.KeyDown(slots[1].leftKey), left) << held[0].x << "," << held[0].y;
    EXPECT_EQ(input.KeyDown(slots[1].rightKey), right) << held[0].x << "," << held[0].y;
    EXPECT_FALSE(input.KeyDown(slots[0].leftKey) || c.client.frame.leftButton);
  }
  float heading = slots[1].heading, mouseHeading = slots[kMouseSlot].heading;
  for (int i = 0; i < 30; ++i) fingers({{100, 100}});
  EXPECT_NE(slots[1].heading, heading);
  EXPECT_EQ(slots[kMouseSlot].heading, mouseHeading);
  // The round over, the steering finger goes on only once lifted and put down again.
  c.client.frame.gameState = kStateEndRound;
  fingers({{100, 100}}), fingers({{500, 100}});
  EXPECT_EQ(c.State(), kStateEndRound);
  fingers({}), fingers({{500, 100}});
  EXPECT_EQ(c.State(), kStateStart);
}

// In a network game every pad, bound or not, and a finger on the field steer the one head, switched-on
// slots or not; a finger on the status bar does not.
TEST(Touch, PadsAndFingersSteerTheHeadInANetworkGame) {
  NetClient c;
  c.Join();
  c.Arrive("MODE", {kModeRunning});
  c.client.round.players[1].padId = "bound";
  using Fingers = std::vector<TouchPoint>;
  const char* none = nullptr;
  for (auto [pad, fingers, said] : {std::tuple{PadState{.id = "free", .left = true}, Fingers{}, "ANGLE DOWN"},
                                    {PadState{.id = "bound", .right = true}, Fingers{}, "ANGLE UP"},
                                    {PadState{.id = "idle"}, Fingers{{100, 100}}, "ANGLE DOWN"},
                                    {PadState{.id = "idle"}, Fingers{{700, 100}}, "ANGLE UP"},
                                    {PadState{.id = "idle"}, Fingers{{100, 10}}, none}}) {
    c.input.pads = {pad}, c.input.touches = fingers, c.Frame();
    c.peer->flushed.clear();
    c.Frames(30);
    EXPECT_EQ(Said(c, "ANGLE DOWN") || Said(c, "ANGLE UP"), said != nullptr) << pad.id;
    if (said) {
      EXPECT_TRUE(Said(c, said)) << pad.id << " " << said;
    }
  }
  // A tap on the status bar is Enter: it opens the chat line, and the next one ends it.
  std::vector<int> open;
  for (Fingers held : {Fingers{{400, 10}}, Fingers{}, Fingers{{400, 10}}, Fingers{}})
    c.input.pads = {}, c.input.touches = held, c.Frame(), open.push_back(c.client.net.session.chatOpen);
  EXPECT_EQ(open, (std::vector<int>{1, 1, 0, 0}));
}

}  // namespace
}  // namespace kb
