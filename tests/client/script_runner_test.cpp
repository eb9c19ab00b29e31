#include "client/console/script_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <future>
#include <thread>

#include "tests/client/harness.h"

namespace kb {
namespace {

struct ScriptClient : ConsoleTestClient {
  // Starts the scripts and steps them as the frame loop does, a millisecond apart, until every one has ended.
  void RunToEnd(std::initializer_list<const char*> names) {
    for (const char* name : names) StartScript(client.commands, name);
    Passes(100000, [&] { return client.scripts.Running() == 0; });
    ASSERT_EQ(client.scripts.Running(), 0);
  }
  template <typename Done>
  void Passes(int most, Done done) {
    for (int i = 0; i < most && !done(); ++i) {
      StepScripts(client.commands);
      if (done()) break;
      clock.Advance(1);
      // Message boxes run on threads of their own.
      std::this_thread::sleep_for(std::chrono::microseconds(10));
    }
  }
  TempWorkDir dir;
};

std::string CannotOpen(const std::string& name) {
  return "\"" + name + "\" konnte nicht ge\366ffnet werden.";
}

// Every line end, leading blanks, comments (not after a tab), "end" inside "if", a last line without an end;
// "exit" stops every later line and ends the program.
TEST(ScriptRunner, FileFormatAndExit) {
  ScriptClient s;
  s.client.consoleOpen = s.client.frame.devMode = 1;
  const char bytes[] =
      "echo a\recho b\necho c\0echo d\r\n\r\n   // comment\n//x\necho x // y\nif open end\n"
      "\t// runs\n  echo e\n  \necho last\nexit\necho never";
  s.dir.Write("f.txt", std::string(bytes, sizeof bytes - 1));
  s.RunToEnd({"f.txt"});
  EXPECT_EQ(s.Texts(),
            (Strings{"Starte \"f.txt\"...", "[f.txt] a", "[f.txt] b", "[f.txt] c", "[f.txt] d",
                     "Den Befehl \"\" gibt es nicht.", "[f.txt] x // y", "Den Befehl \"\t//\" gibt es nicht.",
                     "[f.txt] e", "Den Befehl \"\" gibt es nicht.", "[f.txt] last"}));
  EXPECT_TRUE(s.client.frame.quit);
}

// Each line that runs costs 2 ms of the script's time, "delay" more than its own; comments and "end" cost
// nothing; typed at the console, "delay" holds nothing.
TEST(ScriptRunner, TwoMillisecondsAfterEveryLineRun) {
  ScriptClient s;
  s.dir.Write("t.kbs", "echo a\n  // skipped\necho b\ndelay 10\necho c\nend\necho never\n");
  int64_t before = s.clock.Now();
  s.Run("delay 100000");
  s.RunToEnd({"t"});
  EXPECT_EQ(s.clock.Now() - before, 2 + 2 + 11 + 2 + 2);
}

// ".kbs" is added to a name without an extension of its own.
TEST(ScriptRunner, FilesThatCannotBeRun) {
  ScriptClient s;
  std::filesystem::create_directory("folder.kbs");
  s.RunToEnd({"missing", "folder", "/nonexistent/dir/x.kbs", "demo.txt", "my.dir/demo"});
  Strings texts = s.Texts();
  std::sort(texts.begin(), texts.end());
  EXPECT_EQ(texts,
            (Strings{CannotOpen("/nonexistent/dir/x.kbs"), CannotOpen("demo.txt"), CannotOpen("folder.kbs"),
                     CannotOpen("missing.kbs"), CannotOpen("my.dir/demo.kbs")}));
  for (Colour colour : s.Colours()) EXPECT_EQ(colour, kConsoleRed);
}

TEST(ScriptRunner, BadContentDoesNotStopTheScript) {
  ScriptClient s;
  // Every byte value, but no letters that could name a command with effects on the machine.
  std::string garbage;
  for (int i = 0; i < 256 * 64; ++i)
    if (!std::isalpha(i % 256)) garbage += static_cast<char>(i % 256);
  // A line of 64 KiB still runs; one byte more, or megabytes, is skipped with a red line.
  std::string longest(64 * 1024 - 5, 'x');
  std::string huge(3 * 1024 * 1024, 'y');
  s.dir.Write("bad.kbs", garbage + "\necho " + longest + "\necho " + longest + "z\r\necho " + huge + "\n" +
                             std::string(1000, '\0') + "echo end\n");
  s.RunToEnd({"bad"});
  auto texts = s.Texts();
  auto colours = s.Colours();
  ASSERT_GE(texts.size(), 5u);
  EXPECT_EQ(texts.front(), "Starte \"bad.kbs\"...");
  size_t n = texts.size();
  EXPECT_EQ(texts[n - 4], "[bad.kbs] " + longest);
  for (size_t i : {n - 3, n - 2}) {
    EXPECT_EQ(texts[i], "[bad.kbs] Zeile zu lang, nicht ausgef\xFChrt.");
    EXPECT_EQ(colours[i], kConsoleRed);
  }
  EXPECT_EQ(texts.back(), "[bad.kbs] end");
}

TEST(ScriptRunner, ExecAutoexecAndSideBySide) {
  ScriptClient s;
  s.dir.Write("autoexec.kbs", "");
  StartAutoexec(s.client.commands);  // an empty autoexec is not started
  s.RunToEnd({});
  EXPECT_TRUE(s.Texts().empty());
  // Each exec hands its runner its own name, even lines 2 ms apart; each script keeps its order.
  std::string starter;
  for (const char* name : {"a", "b", "c"}) {
    s.dir.Write(name + std::string(".kbs"), "echo 1\necho 2\n");
    starter += "exec " + std::string(name) + "\n";
  }
  s.dir.Write("autoexec.kbs", starter);
  StartAutoexec(s.client.commands);
  s.RunToEnd({});
  Strings texts = s.Texts();
  EXPECT_EQ(texts.size(), 10u);
  for (const char* name : {"a", "b", "c"}) {
    std::string line = std::string(1, '[').append(name).append(".kbs] ");
    auto first = std::find(texts.begin(), texts.end(), line + "1");
    EXPECT_NE(std::find(first, texts.end(), line + "2"), texts.end()) << name;
  }
}

// A script's box waits apart: the other scripts (and the frame loop) go on. At most 16 scripts run.
TEST(ScriptRunner, AMessageBoxHoldsOnlyItsScriptAndSixteenRunAtOnce) {
  auto s = std::make_unique<ScriptClient>();
  std::promise<void> release;
  s->client.console.hooks.messageBox = [held = release.get_future().share()](auto&&...) { held.wait(); };
  s->dir.Write("box.kbs", "alert hold\necho after\n");
  s->dir.Write("other.kbs", "echo 1\necho 2\n");
  for (int i = 0; i < Scripts::kMaxRunning; ++i) StartScript(s->client.commands, "box");
  StartScript(s->client.commands, "other");
  EXPECT_EQ(s->Texts().back(), "Zu viele laufende Skripte, \"other\" wird nicht gestartet.");
  s->Passes(50, [] { return false; });
  EXPECT_EQ(s->client.scripts.Running(), Scripts::kMaxRunning);
  s->client.scripts.cursors.pop_back();
  StartScript(s->client.commands, "other");
  s->Passes(50, [] { return false; });
  Strings texts = s->Texts();
  EXPECT_EQ(texts.back(), "[other.kbs] 2");
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "[box.kbs] after"), 0);
  release.set_value();
  // The boxes' threads wake in their own time (slowly under wine): wait by the clock, at most ten seconds.
  for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
       s->client.scripts.Running() > 0 && std::chrono::steady_clock::now() < end;)
    s->Passes(1, [] { return false; });
  texts = s->Texts();
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "[box.kbs] after"), Scripts::kMaxRunning - 1);
}

}  // namespace
}  // namespace kb
