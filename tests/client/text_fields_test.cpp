#include "client/ui/text_fields.h"

#include <gtest/gtest.h>

#include "client/core/network_hooks.h"
#include "client/core/text_input.h"
#include "tests/client/harness.h"

namespace kb {
namespace {

TEST(TextFields, AddressAndPortValidity) {
  // Digits and dots alone are IPv4; otherwise an IPv6 literal, bracketed or not, or a host name.
  const std::string label(63, 'a'), twoLabels = label + "." + label, tooLong = label + "a";
  const std::string tooLongTwice = std::string(127, 'a') + "." + std::string(127, 'b');
  for (const char* valid :
       {"192.168.0.1", "10.0.0.1", "999.999.999.99", "::1", "[2001:db8::5]", "::ffff:10.0.0.1", "localhost",
        "spiel-1.example.org", "1.2.3.4a", twoLabels.c_str()})
    EXPECT_TRUE(ManualAddressValid(valid)) << valid;
  for (const char* invalid : {"1.2.3.4", "192.168..1", "1..2.3.4", ".1.2.34567", "1.2.34567.", "1.2.3",
                              "1.2.3.4.5", "[::1]:666", "1:2:3", "2001:db8:::5", "-spiel.example",
                              "spiel-.example", "a..b", "[localhost]", tooLong.c_str(), tooLongTwice.c_str()})
    EXPECT_FALSE(ManualAddressValid(invalid)) << invalid;
  std::pair<const char*, bool> ports[] = {{"666", true}, {"00080", true}, {"0", false}, {"", false}};
  for (auto [text, valid] : ports) EXPECT_EQ(ManualPortValid(text), valid) << text;
}

struct Typing : TestClient {
  std::string text;
  void Step(const TextRule& rule, int ms = 1) {
    clock.Advance(ms);
    TypeInto(input, client.typing, clock.Now(), text, rule);
  }
  // The keys down together for one frame, up in the next.
  void Press(std::initializer_list<int> keys, const TextRule& rule) {
    for (int k : keys) input.SetVirtualKey(k, true);
    Step(rule);
    for (int k : keys) input.SetVirtualKey(k, false);
    Step(rule);
  }
};

TEST(TextFields, AHeldKeyTypesOnceThenEveryFrameAfterTheDelay) {
  Typing t;
  t.input.MapChar('7', '7');
  t.input.SetVirtualKey('7', true);
  std::vector<size_t> lengths;
  for (int ms : {0, 100, 150, 1, 1, 1, 1, 1}) {  // 250 ms is not yet more than the delay
    t.Step(kPortRule, ms);
    lengths.push_back(t.text.size());
  }
  EXPECT_EQ(lengths, (std::vector<size_t>{1, 1, 1, 2, 3, 4, 5, 5}));
  // Backspace: at once, then after 250 ms every frame.
  t.input.SetVirtualKey('7', false);
  t.input.SetKey(scan::kBackspace, true);
  t.input.Poll();
  for (int ms : {1, 250, 1}) t.Step(kPortRule, ms);
  EXPECT_EQ(t.text, "777");
}

TEST(TextFields, CharacterSetsAndTheLengthLimit) {
  Typing t;
  for (auto [key, ch] : {std::pair<int, int>{'A', 'a'}, {'1', '1'}, {190, '.'}, {13, '\r'}, {8, '\b'}})
    t.input.MapChar(key, ch);
  t.Press({'A', '1', 190}, kAddressRule);  // host names have letters, ports not
  t.Press({'A', '1', 190}, kPortRule);
  EXPECT_EQ(t.text, "1a.1");  // keys down together type in key code order
  // The frame that reaches the limit may pass it; the next one adds nothing.
  t.text = "1234";
  t.Press({'1', 190}, kPortRule);
  t.Press({'1'}, kPortRule);
  EXPECT_EQ(t.text, "12341");
  DropPendingKeys(t.input);  // a full field does not even query the keys
  t.text.clear();
  t.Press({'A', 13, 8}, kPasswordRule);
  EXPECT_EQ(t.text, "a");
  // A phone keyboard's text, which comes without keys, keeps the same rules; control bytes never go in.
  t.text = "12";
  t.input.typed =
      "3a\x01"
      "456";
  t.input.Poll();
  t.Step(kPortRule);
  EXPECT_EQ(t.text, "12345");
}

// Which screens take typing; the display is told when that changes, so a page can bring up a phone's
// keyboard and put it away.
TEST(TextFields, TheDisplayIsToldWhileAFieldTakesTyping) {
  SpineClient c;
  NetSession& session = c.client.net.session;
  struct Case {
    int state, console, chat, mode;
    bool takes;
  } cases[] = {{kStateMenu, 0, 0, 0, false},
               {kStateMenu, 1, 0, 0, true},
               {kStateNetLanManual, 0, 0, 0, true},
               {kStateNetLan, 0, 0, 0, false},
               {kStateNet, 0, 0, kModeRunning, false},
               {kStateNet, 0, 1, kModeRunning, true},
               {kStateNet, 0, 0, kModePasswordRequired, true},
               {kStateNet, 0, 0, kModeWrongPassword, true}};
  for (const Case& k : cases) {
    c.client.frame.gameState = k.state, c.client.consoleOpen = k.console;
    session.chatOpen = k.chat, session.netMode = k.mode;
    EXPECT_EQ(TakesText(c.client), k.takes) << k.state << " " << k.console << k.chat << " " << k.mode;
  }
  c.client.frame.gameState = kStateMenu, c.client.consoleOpen = 0;
  std::vector<int> told;
  for (int open : {0, 1, 1, 0})
    c.client.consoleOpen = open, c.Frame(), told.push_back(c.display.textKeyboard);
  EXPECT_EQ(told, (std::vector<int>{-1, 1, 1, 0}));
}

TEST(ManualScreen, FieldsKeepTheirTextAndOnlyAValidAddressConnects) {
  NetClient c;
  c.client.frame.gameState = kStateNetChoose;
  c.client.net.manualAddress = "x";
  c.Tap(scan::kF2);  // entering the LAN list resets the fields
  EXPECT_EQ(c.client.net.manualAddress + c.client.net.manualPort, "666");
  c.client.frame.gameState = kStateNetLanManual;
  c.Tap(scan::kDown);
  c.input.MapChar('7', '7');
  c.input.SetVirtualKey('7', true);
  c.input.SetVirtualKey('7', false);
  c.Frame();
  EXPECT_EQ(c.client.net.manualPort, "6667");
  c.Tap(scan::kEscape);  // back to the list; the fields keep their text
  EXPECT_EQ(c.State(), kStateNetLan);
  c.client.frame.gameState = kStateNetLanManual;
  c.client.net.manualAddress = "1.2.3.4";
  c.Tap(scan::kEnter);
  EXPECT_EQ(c.State(), kStateNetLanManual) << "an invalid address cannot connect";
  c.client.net.manualAddress = "127.0.0.1";
  c.client.net.session.passwordText = "alt";
  c.input.SetKey(scan::kEnter, true);
  c.Frame();
  PollConnecting(c.client);
  EXPECT_EQ(c.opened, Strings{"127.0.0.1:6667"});
  EXPECT_EQ(c.client.serverLabel + c.client.net.session.passwordText, "LAN Server");
  EXPECT_EQ(c.State(), kStateNet);
}

}  // namespace
}  // namespace kb
