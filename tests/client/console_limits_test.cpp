#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "client/console/script_runner.h"
#include "client/core/game_state.h"
#include "common/platform/core/keys.h"
#include "tests/client/console_test_client.h"

namespace kb {
namespace {

constexpr int kVkA = 65;

void Frame(ConsoleTestClient& c) {
  c.clock.Advance(1);
  c.input.Poll();
  HandleConsoleKeys(c.client);
}

TEST(ConsoleLimits, PasteTakesOneLineWithoutControlBytesAndTheInputIsBounded) {
  struct Case {
    std::string clipboard, input;
  };
  for (const Case& k : {Case{"echo a\r\nexit\r\n", "echo a"},
                        {"echo b\nexit", "echo b"},
                        {"\recho", ""},
                        {"a\tb\x01\x02\x7F"
                         "c\xE4",
                         "abc\xE4"},
                        {std::string(10000, 'x'), std::string(4096, 'x')}}) {
    ConsoleTestClient c;
    c.client.console.enabled = c.client.console.isOpen = 1;
    c.input.SetClipboard(k.clipboard);
    c.input.SetKey(scan::kLeftCtrl, true);
    c.input.SetKey(scan::kV, true);
    Frame(c);
    EXPECT_EQ(c.client.console.input, k.input) << k.clipboard.substr(0, 20);
  }
  // Typing stops at the bound as well.
  ConsoleTestClient c;
  c.client.console.enabled = c.client.console.isOpen = 1;
  c.client.console.input = std::string(kMaxConsoleInput - 1, 'y');
  c.input.MapChar(kVkA, 'a');
  for (int i = 0; i < 3; ++i) {
    c.input.SetVirtualKey(kVkA, true);
    Frame(c);
    c.input.SetVirtualKey(kVkA, false);
    Frame(c);
  }
  EXPECT_EQ(c.client.console.input, std::string(kMaxConsoleInput - 1, 'y') + "a");
}

TEST(ConsoleLimits, UnlockDropsPendingPressesAndCtrlDNeedsDebugMode) {
  ConsoleTestClient c;
  c.input.MapChar(kVkA, 'a');
  c.input.SetVirtualKey(kVkA, true);  // pressed and released while the console was locked
  c.input.SetVirtualKey(kVkA, false);
  c.input.SetKey(scan::kLeftCtrl, true);
  c.input.SetKey(scan::kGrave, true);
  Frame(c);
  EXPECT_EQ(c.client.console.enabled + c.client.console.isOpen, 2);
  EXPECT_EQ(c.client.console.input, "");
  c.input.SetKey(scan::kGrave, false);
  Frame(c);

  struct Case {
    int debug, presses, devMode;
  };
  for (Case k : {Case{0, 1, 0}, {0, 2, 0}, {1, 1, 1}, {1, 2, 0}, {5, 3, 1}}) {
    ConsoleTestClient d;
    d.client.frame.debugMode = k.debug;
    d.input.SetKey(scan::kLeftCtrl, true);
    for (int i = 0; i < k.presses; ++i) {
      d.input.SetKey(scan::kD, true);
      Frame(d);
      Frame(d);  // held: once per press
      d.input.SetKey(scan::kD, false);
      Frame(d);
    }
    EXPECT_EQ(d.client.frame.devMode, k.devMode) << k.debug << " " << k.presses;
  }
}

TEST(ConsoleLimits, HistoryKeepsTheNewestLinesWithinItsBounds) {
  ConsoleTestClient c;
  for (size_t i = 0; i < kMaxConsoleLines + 10; ++i) ConsolePrint(c.client, std::to_string(i), kConsoleWhite);
  Strings texts = c.Texts();
  ASSERT_EQ(texts.size(), kMaxConsoleLines);
  EXPECT_EQ(texts.front(), "10");
  EXPECT_EQ(texts.back(), std::to_string(kMaxConsoleLines + 9));
  // Bytes too: a few huge lines push out the old ones, the newest always stays.
  std::string huge(kMaxConsoleBytes / 3, 'h');
  for (int i = 0; i < 4; ++i) ConsolePrint(c.client, huge, kConsoleWhite);
  texts = c.Texts();
  EXPECT_LE(texts.size(), 3u);
  ConsolePrint(c.client, std::string(kMaxConsoleBytes * 2, 'g'), kConsoleWhite);
  EXPECT_EQ(c.Texts().size(), 1u);
  c.client.console.lines.Clear();
  ConsolePrint(c.client, "after", kConsoleWhite);
  EXPECT_EQ(c.Texts(), Strings{"after"});
}

TEST(ConsoleLimits, SetListAndAngle) {
  TempWorkDir dir;
  ConsoleTestClient c;
  // Quoted blanks arrive as byte 2 and go back into the input line as blanks.
  c.Run("set echo \"a b  c\" d");
  EXPECT_EQ(c.client.console.input, "echo \"a b  c\" d");
  c.Run("set " + std::string(10000, 's'));
  EXPECT_EQ(c.client.console.input.size(), kMaxConsoleInput);

  // list: the ".kbs" files of the current directory by name, no folders.
  for (const char* name : {"b.kbs", "a.KBS", "c.txt", "d.kbs.bak"}) dir.Write(name, "x");
  std::filesystem::create_directory("folder.kbs");
  c.client.console.lines.Clear();
  c.Run("list");
  EXPECT_EQ(c.Texts(), (Strings{"a.KBS", "b.kbs"}));

  // angle wraps only what lies outside 0..360: exactly 360 stays.
  struct Turn {
    float before;
    const char* line;
    float after;
  };
  for (Turn k : {Turn{360.0f, "angle 1", 360.0f},
                 {0.0f, "angle 1", 0.0f},
                 {356.0f, "angle 1 up", 360.0f},
                 {4.0f, "angle 1 down", 0.0f},
                 {360.5f, "angle 1", 0.5f}}) {
    c.client.round.players[1].heading = k.before;
    c.Run(k.line);
    EXPECT_FLOAT_EQ(c.client.round.players[1].heading, k.after) << k.before << " " << k.line;
  }
}

TEST(ConsoleLimits, BotCountStaysWithinItsBounds) {
  ConsoleTestClient c;
  int& bots = c.client.round.botCount;
  for (auto [line, count] : {std::pair{"bots 7", 7}, {"bots -5", 0}, {"bots 2000000000", kMaxBots}, {"bots", 0},
                             {"bots 32", 32}, {"bots 33", kMaxBots}}) {
    c.Run(line);
    EXPECT_EQ(bots, count) << line;
  }
  // Page Up in the menu stops there too.
  c.client.frame.gameState = kStateMenu;
  bots = kMaxBots - 1;
  for (int i = 0; i < 5; ++i) {
    c.input.SetKey(scan::kPageUp, true);
    c.clock.Advance(1);
    UpdateFrame(c.client);
    c.input.SetKey(scan::kPageUp, false);
    c.clock.Advance(1);
    UpdateFrame(c.client);
  }
  EXPECT_EQ(bots, kMaxBots);
}

struct ScriptClient : ConsoleTestClient {
  bool WaitIdle() { return client.scripts.WaitIdle(20000); }
  TempWorkDir dir;
};

TEST(ScriptLimits, RunnersAreCappedAndAThreadThatCannotStartIsReported) {
  ScriptClient s;
  // Each copy starts itself twice: without a cap the runners double until no thread starts.
  s.dir.Write("twice.kbs", "exec twice\nexec twice\n");
  s.client.frame.devMode = 0;
  StartScript(s.client, "twice");
  const std::string refused = "Zu viele laufende Skripte, \"twice\" wird nicht gestartet.";
  auto refusedShown = [&] {
    Strings texts = s.Texts();
    return std::find(texts.begin(), texts.end(), refused) != texts.end();
  };
  // Until the cap refuses one (bounded), then stop them all.
  for (int i = 0; i < 4000 && !refusedShown(); ++i) {
    EXPECT_LE(s.client.scripts.Running(), ScriptRunners::kMaxRunning);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  s.client.scripts.RequestStop();
  ASSERT_TRUE(s.WaitIdle());
  EXPECT_TRUE(refusedShown());

  ScriptClient f;
  f.client.scripts.spawn = [](std::function<void()>) -> std::thread {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
  };
  f.dir.Write("x.kbs", "echo x\n");
  f.Run("exec x");
  EXPECT_EQ(f.Texts(), Strings{"\"x\" konnte nicht gestartet werden."});
  EXPECT_EQ(f.Colours(), std::vector<Colour>{kConsoleRed});
  EXPECT_EQ(f.client.scripts.Running(), 0);
}

TEST(ScriptLimits, TwoMillisecondsAfterEveryLineRunAndTabsDoNotMakeComments) {
  ScriptClient s;
  s.client.frame.devMode = 1;  // unknown commands are reported
  s.dir.Write("t.kbs", "echo a\n  // skipped\n\t// runs\n  echo b\nend\necho never\n");
  int64_t before = s.clock.Now();
  StartScript(s.client, "t");
  ASSERT_TRUE(s.WaitIdle());
  // Three lines ran before "end" (which has no pause after it); the comment costs nothing.
  EXPECT_EQ(s.clock.Now() - before, 6);
  Strings texts = s.Texts();
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(texts[1], "[t.kbs] a");
  EXPECT_NE(texts[2].find("\t//"), std::string::npos)
      << "the tab-led line reached the dispatcher: " << texts[2];
  EXPECT_EQ(texts[3], "[t.kbs] b");
}

// A clock whose Sleep lets two script runners take turns: each pause waits
// (bounded) for the other runner's pause.
class TurnClock final : public Clock {
 public:
  int64_t Now() const override { return now_.load(); }
  void Sleep(int ms) override {
    now_ += ms;
    std::unique_lock lock(mutex_);
    int generation = generation_;
    if (++waiting_ == 2) {
      waiting_ = 0;
      ++generation_;
      turn_.notify_all();
      return;
    }
    if (!turn_.wait_for(lock, std::chrono::seconds(2), [&] { return generation != generation_; }))
      waiting_ = 0;
  }

 private:
  std::atomic<int64_t> now_{1000};
  std::mutex mutex_;
  std::condition_variable turn_;
  int waiting_ = 0, generation_ = 0;
};

TEST(ScriptLimits, TwoScriptsRunInterleaved) {
  TempWorkDir dir;
  dir.Write("a.kbs", "echo a1\necho a2\necho a3\n");
  dir.Write("b.kbs", "echo b1\necho b2\necho b3\n");
  TurnClock clock;
  Random random(1);
  FakeInput input;
  FakeDisplay display;
  Client client(clock, random, input, display);
  RegisterCommands(client);
  StartScript(client, "a");
  StartScript(client, "b");
  ASSERT_TRUE(client.scripts.WaitIdle(20000));
  Strings texts;
  for (const ConsoleLine& line : client.console.lines.Snapshot())
    if (line.text.rfind("[", 0) == 0) texts.push_back(line.text.substr(8));
  ASSERT_EQ(texts.size(), 6u);
  // Line k of each script runs before line k + 1 of the other.
  for (int k = 1; k <= 2; ++k)
    for (auto [one, other] : {std::pair{"a", "b"}, {"b", "a"}}) {
      auto at = [&](const std::string& t) {
        return std::find(texts.begin(), texts.end(), t) - texts.begin();
      };
      EXPECT_LT(at(one + std::to_string(k)), at(other + std::to_string(k + 1))) << one << k;
    }
}

}  // namespace
}  // namespace kb
