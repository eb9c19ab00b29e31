#include "client/console/script_runner.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <condition_variable>

#include "tests/client/console_test_client.h"

namespace kb {
namespace {

using Strings = std::vector<std::string>;

constexpr int kWaitMs = 20000;

struct ScriptClient : ConsoleTestClient {
  // Starts the script and waits until every runner has ended.
  void RunToEnd(const std::string& name) {
    StartScript(client, name);
    ASSERT_TRUE(client.scripts.WaitIdle(kWaitMs));
  }
  TempWorkDir dir;
};

TEST(ScriptRunner, ExtensionRule) {
  EXPECT_EQ(ScriptFileName("demo"), "demo.kbs");
  EXPECT_EQ(ScriptFileName("demo.txt"), "demo.txt");
  EXPECT_EQ(ScriptFileName("demo."), "demo..kbs");
  EXPECT_EQ(ScriptFileName("my.dir/demo"), "my.dir/demo.kbs");
  EXPECT_EQ(ScriptFileName("my.dir\\demo"), "my.dir\\demo.kbs");
  EXPECT_EQ(ScriptFileName("a/b.c"), "a/b.c");
  EXPECT_EQ(ScriptFileName("\"demo\""), "\"demo\".kbs");
  EXPECT_EQ(ScriptFileName(""), ".kbs");
}

TEST(ScriptRunner, RunsLinesUntilEnd) {
  ScriptClient s;
  TempWorkDir::Write("demo.kbs", "echo one\r\n  echo two\r\nend\r\necho four\r\n");
  s.RunToEnd("demo");
  EXPECT_EQ(s.Texts(), (Strings{"Starte \"demo.kbs\"...", "[demo.kbs] one", "[demo.kbs] two"}));
}

TEST(ScriptRunner, LineEndsCommentsAndBlanks) {
  ScriptClient s;
  s.client.console.isOpen = 1;
  TempWorkDir::Write("f.txt", std::string("echo a\recho b\necho c\0echo d\r\n\r\n   // comment\n//x\n"
                                          "\t// tab\necho x // y\nif open end\necho e\n  \necho last",
                                          100));
  s.RunToEnd("f.txt");
  EXPECT_EQ(s.Texts(), (Strings{"Starte \"f.txt\"...", "[f.txt] a", "[f.txt] b", "[f.txt] c", "[f.txt] d",
                                "[f.txt] x // y", "[f.txt] e", "[f.txt] last"}));
}

TEST(ScriptRunner, DevModeReportsUnknownLines) {
  ScriptClient s;
  s.client.frame.devMode = 1;
  TempWorkDir::Write("d.kbs", "\t// tab\n\nnope\n");
  s.RunToEnd("d");
  EXPECT_EQ(s.Texts(), (Strings{"Starte \"d.kbs\"...", "Den Befehl \"\t//\" gibt es nicht.",
                                "Den Befehl \"\" gibt es nicht.", "Den Befehl \"nope\" gibt es nicht."}));
}

TEST(ScriptRunner, FilesThatCannotBeRun) {
  ScriptClient s;
  std::filesystem::create_directory("folder.kbs");
  TempWorkDir::Write("demo.kbs", "echo hi\n");
  s.RunToEnd("missing");
  s.RunToEnd("folder");
  s.RunToEnd("\"demo\"");
  s.RunToEnd("/nonexistent/dir/x.kbs");
  EXPECT_EQ(s.Texts(), (Strings{"\"missing.kbs\" konnte nicht ge\xF6"
                                "ffnet werden.",
                                "\"folder.kbs\" konnte nicht ge\xF6"
                                "ffnet werden.",
                                "\"\"demo\".kbs\" konnte nicht ge\xF6"
                                "ffnet werden.",
                                "\"/nonexistent/dir/x.kbs\" konnte nicht ge\xF6"
                                "ffnet werden."}));
  for (Colour colour : s.Colours()) EXPECT_EQ(colour, kConsoleRed);
}

TEST(ScriptRunner, ExecTyped) {
  ScriptClient s;
  TempWorkDir::Write("demo.kbs", "echo kbs\n");
  TempWorkDir::Write("demo.txt", "echo txt\n");
  s.Run("exec");
  s.Run("exec demo");
  ASSERT_TRUE(s.client.scripts.WaitIdle(kWaitMs));
  s.Run("exec demo.txt");
  ASSERT_TRUE(s.client.scripts.WaitIdle(kWaitMs));
  EXPECT_EQ(s.Texts(), (Strings{"Starte \"demo.kbs\"...", "[demo.kbs] kbs", "Starte \"demo.txt\"...",
                                "[demo.txt] txt"}));
}

TEST(ScriptRunner, EachExecRunsItsOwnFile) {
  ScriptClient s;
  Strings names = {"a", "b", "c", "d", "e", "f"};
  std::string starter;
  for (const auto& name : names) {
    TempWorkDir::Write(name + ".kbs", "echo " + name + "\n");
    starter += "exec " + name + "\n";
  }
  TempWorkDir::Write("start.kbs", starter);
  s.RunToEnd("start");
  auto texts = s.Texts();
  for (const auto& name : names) {
    std::string echoed = "[" + name + ".kbs] " + name;
    EXPECT_EQ(std::count(texts.begin(), texts.end(), echoed), 1) << name;
  }
}

TEST(ScriptRunner, BadContentDoesNotStopTheScript) {
  ScriptClient s;
  std::string garbage;
  uint32_t x = 12345;
  for (int i = 0; i < 200000; ++i) {
    x = x * 1103515245u + 12345u;
    char c = static_cast<char>(x >> 24);
    // Keep the garbage from naming real commands with side effects on the machine.
    garbage += c == 'e' || c == 'E' || c == 'd' || c == 'D' ? 'q' : c;
  }
  std::string longLine = "echo " + std::string(3 * 1024 * 1024, 'x');
  TempWorkDir::Write("bad.kbs", garbage + "\n" + longLine + "\n" + std::string(1000, '\0') + "echo end\n");
  s.RunToEnd("bad");
  auto texts = s.Texts();
  ASSERT_GE(texts.size(), 3u);
  EXPECT_EQ(texts.front(), "Starte \"bad.kbs\"...");
  EXPECT_EQ(texts.back(), "[bad.kbs] end");
  EXPECT_EQ(texts[texts.size() - 2], "[bad.kbs] " + std::string(3 * 1024 * 1024, 'x'));
}

TEST(ScriptRunner, ExitStopsEveryLaterLine) {
  ScriptClient s;
  TempWorkDir::Write("quit.kbs", "echo before\nexit\necho after\n");
  s.RunToEnd("quit");
  EXPECT_TRUE(s.client.frame.quit);
  EXPECT_EQ(s.Texts(), (Strings{"Starte \"quit.kbs\"...", "[quit.kbs] before"}));
}

TEST(ScriptRunner, MessageBoxWaitsOutsideTheStateLock) {
  ScriptClient s;
  std::mutex mutex;
  std::condition_variable changed;
  bool showing = false, closed = false;
  s.client.console.hooks.messageBox = [&](const std::string&, const std::string&, bool) {
    std::unique_lock lock(mutex);
    showing = true;
    changed.notify_all();
    changed.wait_for(lock, std::chrono::milliseconds(kWaitMs), [&] { return closed; });
  };
  TempWorkDir::Write("box.kbs", "alert hi\necho after\n");
  StartScript(s.client, "box");
  {
    std::unique_lock lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, std::chrono::milliseconds(kWaitMs), [&] { return showing; }));
  }
  // The frame loop could run now: the script does not hold the state lock.
  {
    std::unique_lock state(s.client.stateLock, std::try_to_lock);
    EXPECT_TRUE(state.owns_lock());
    s.client.console.input = "frame loop";
  }
  {
    std::lock_guard lock(mutex);
    closed = true;
    changed.notify_all();
  }
  ASSERT_TRUE(s.client.scripts.WaitIdle(kWaitMs));
  EXPECT_EQ(s.LastText(), "[box.kbs] after");
}

TEST(ScriptRunner, StateLockHeldForEachLine) {
  ScriptClient s;
  std::string script;
  for (int i = 0; i < 200; ++i) script += "bots " + std::to_string(i) + "\n";
  TempWorkDir::Write("count.kbs", script);
  StartScript(s.client, "count");
  // A frame's worth of reads sees one consistent value while it holds the lock.
  for (int frame = 0; frame < 50; ++frame) {
    std::lock_guard lock(s.client.stateLock);
    int seen = s.client.round.botCount;
    for (int i = 0; i < 100; ++i) ASSERT_EQ(s.client.round.botCount, seen);
  }
  ASSERT_TRUE(s.client.scripts.WaitIdle(kWaitMs));
  EXPECT_EQ(s.client.round.botCount, 199);
}

TEST(ScriptRunner, ClientEndsWhileScriptsWait) {
  auto s = std::make_unique<ScriptClient>();
  TempWorkDir::Write("long.kbs", "delay 100000000\necho never\n");
  StartScript(s->client, "long");
  StartScript(s->client, "long");
  s.reset();
}

TEST(ScriptRunner, Autoexec) {
  ScriptClient s;
  TempWorkDir::Write("autoexec.kbs", "");
  StartAutoexec(s.client);
  ASSERT_TRUE(s.client.scripts.WaitIdle(kWaitMs));
  EXPECT_TRUE(s.Texts().empty());
  TempWorkDir::Write("autoexec.kbs", "echo auto\n");
  StartAutoexec(s.client);
  ASSERT_TRUE(s.client.scripts.WaitIdle(kWaitMs));
  EXPECT_EQ(s.Texts(), (Strings{"Starte \"autoexec.kbs\"...", "[autoexec.kbs] auto"}));
}

TEST(ScriptRunner, TwoScriptsRunSideBySide) {
  ScriptClient s;
  TempWorkDir::Write("one.kbs", "echo 1a\necho 1b\necho 1c\n");
  TempWorkDir::Write("two.kbs", "echo 2a\necho 2b\necho 2c\n");
  StartScript(s.client, "one");
  StartScript(s.client, "two");
  ASSERT_TRUE(s.client.scripts.WaitIdle(kWaitMs));
  auto texts = s.Texts();
  ASSERT_EQ(texts.size(), 8u);
  // Each script keeps its own order.
  auto at = [&](const std::string& t) { return std::find(texts.begin(), texts.end(), t) - texts.begin(); };
  EXPECT_LT(at("[one.kbs] 1a"), at("[one.kbs] 1b"));
  EXPECT_LT(at("[one.kbs] 1b"), at("[one.kbs] 1c"));
  EXPECT_LT(at("[two.kbs] 2a"), at("[two.kbs] 2b"));
  EXPECT_LT(at("[two.kbs] 2b"), at("[two.kbs] 2c"));
}

}  // namespace
}  // namespace kb
