#include "client/ui/text_fields.h"

#include <gtest/gtest.h>

#include "client/core/network_hooks.h"
#include "tests/client/net_fixture.h"

namespace kb {
namespace {

TEST(TextFields, AddressAndPortValidity) {
  struct Case {
    const char* text;
    bool valid;
  } addresses[] = {
      {"192.168.0.1", true}, {"10.0.0.1", true},  {"999.999.999.99", true},  // no range check
      {"1.2.3.4", false},                                                    // 7 characters
      {"192.168..1", false}, {"1..2.3.4", false}, {".1.2.34567", false},
      {"1.2.34567.", false}, {"1.2.3", false},    {"1.2.3.4.5", false},
      {"", false},
  };
  for (const Case& c : addresses) EXPECT_EQ(ManualAddressValid(c.text), c.valid) << c.text;
  Case ports[] = {{"666", true}, {"00080", true}, {"1", true}, {"0", false}, {"", false}, {"00000", false}};
  for (const Case& c : ports) EXPECT_EQ(ManualPortValid(c.text), c.valid) << c.text;
}

struct Typing : TestClient {
  std::string text;
  void Type(const TextRule& rule) { TypeInto(input, client.console, clock.Now(), text, rule); }
};

TEST(TextFields, AHeldKeyTypesOnceThenEveryFrameAfterTheDelay) {
  Typing t;
  t.input.MapChar('7', '7');
  t.input.SetVirtualKey('7', true);
  std::vector<size_t> lengths;
  for (int ms : {0, 100, 150, 1, 1, 1, 1, 1, 1}) {  // time steps between frames
    t.clock.Advance(ms);
    t.Type(kPortRule);
    lengths.push_back(t.text.size());
  }
  // At 250 ms the delay has not passed yet (more than 250 is needed).
  EXPECT_EQ(lengths, (std::vector<size_t>{1, 1, 1, 2, 3, 4, 5, 5, 5}));
  EXPECT_EQ(t.text, "77777");
  // Released and pressed again: types at once.
  t.input.SetVirtualKey('7', false);
  t.text = "1";
  t.Type(kPortRule);
  t.input.SetVirtualKey('7', true);
  t.Type(kPortRule);
  EXPECT_EQ(t.text, "17");
}

TEST(TextFields, CharacterSetsLimitsAndBackspace) {
  Typing t;
  for (auto [key, ch] : {std::pair<int, int>{'A', 'a'}, {'1', '1'}, {190, '.'}, {13, '\r'}, {8, '\b'}})
    t.input.MapChar(key, ch);
  auto press = [&](std::initializer_list<int> keys, const TextRule& rule) {
    for (int k : keys) t.input.SetVirtualKey(k, true);
    t.clock.Advance(1);
    t.Type(rule);
    for (int k : keys) t.input.SetVirtualKey(k, false);
    t.clock.Advance(1);
    t.Type(rule);
  };
  press({'A', '1', 190}, kAddressRule);
  EXPECT_EQ(t.text, "1.");
  press({'A', '1', 190}, kPortRule);
  EXPECT_EQ(t.text, "1.1");
  // The limit is looked at once per frame: the frame that reaches it may pass it.
  t.text = "1234";
  press({'1', 190, 'A'}, kAddressRule);
  EXPECT_EQ(t.text, "12341.");
  t.text = "12345";
  press({'1'}, kPortRule);
  EXPECT_EQ(t.text, "12345");
  DropPendingKeys(t.input);  // a full field does not even query the keys
  // The password takes every character but never Enter or Backspace as one.
  t.text.clear();
  press({'A', 13, 8}, kPasswordRule);
  EXPECT_EQ(t.text, "a");
  press({13}, kAddressRule);
  EXPECT_EQ(t.text, "a") << "a field with a character set ignores the rest";
  // Backspace: at once, then after 250 ms every frame; nothing on an empty text.
  t.text = "abcd";
  t.input.SetKey(scan::kBackspace, true);
  t.input.Poll();
  for (int ms : {1, 250, 1, 1, 1}) {
    t.clock.Advance(ms);
    t.Type(kChatRule);
  }
  EXPECT_EQ(t.text, "");
  t.input.SetKey(scan::kBackspace, false);
  t.input.Poll();
  t.text = "x";
  t.Type(kChatRule);
  EXPECT_EQ(t.client.console.backspaceStamp, 0);
  EXPECT_EQ(t.text, "x");
}

TEST(ManualScreen, FocusTypingAndConnect) {
  NetClient c;
  c.client.frame.gameState = kStateNetLan;
  ResetManualFields(c.client);
  c.client.frame.gameState = kStateNetLanManual;
  for (int d = 0; d <= 9; ++d) c.input.MapChar('0' + d, '0' + d);
  c.input.MapChar(190, '.');
  auto type = [&](const std::string& keys) {
    for (char k : keys) {
      int code = k == '.' ? 190 : k;
      c.input.SetVirtualKey(code, true);
      c.LockedFrame();
      c.input.SetVirtualKey(code, false);
      c.LockedFrame();
    }
  };
  type("10.0.0.1");
  EXPECT_EQ(c.client.net.manualAddress, "10.0.0.1");
  c.Tap(scan::kDown);
  EXPECT_EQ(c.client.net.manualField, 1);
  type("7");
  EXPECT_EQ(c.client.net.manualPort, "6667");
  c.Click(360, 125);  // the address field
  EXPECT_EQ(c.client.net.manualField, 0);
  c.Click(400, 160);
  EXPECT_EQ(c.client.net.manualField, 1);
  c.Tap(scan::kUp);
  EXPECT_EQ(c.client.net.manualField, 0);
  // Enter is refused while the address is invalid.
  c.client.net.manualAddress = "1.2.3.4";
  c.input.SetKey(scan::kEnter, true);
  c.LockedFrame();
  EXPECT_EQ(c.State(), kStateNetLanManual);
  c.client.net.manualAddress = "127.0.0.1";
  c.client.net.passwordText = "alt";
  c.LockedFrame();
  c.input.SetKey(scan::kEnter, false);
  c.client.net.tasks.JoinAll(false);
  EXPECT_EQ(c.opened, (std::vector<std::string>{"127.0.0.1:6667"}));
  EXPECT_EQ(c.client.serverLabel, "LAN Server");
  EXPECT_EQ(c.client.net.passwordText, "");
  EXPECT_EQ(c.State(), kStateNet);
}

TEST(ManualScreen, EscapeKeepsTheFieldsAndTheLanButtonResetsThem) {
  NetClient c;
  c.client.frame.gameState = kStateNetLanManual;
  c.client.net.manualAddress = "1.2";
  c.client.net.manualField = 1;
  c.Tap(scan::kEscape);
  EXPECT_EQ(c.State(), kStateNetLan);
  EXPECT_EQ(c.client.net.manualAddress, "1.2");
  c.client.frame.gameState = kStateNetChoose;
  c.client.net.manualPort = "1";
  c.Tap(scan::kF2);
  EXPECT_EQ(c.State(), kStateNetLan);
  EXPECT_EQ(c.client.net.manualAddress + c.client.net.manualPort, "666");
  EXPECT_EQ(c.client.net.manualField, 0);
}

}  // namespace
}  // namespace kb
