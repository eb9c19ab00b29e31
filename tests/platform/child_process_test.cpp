#include "tests/support/child_process.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

namespace kb {
namespace {

using testing::ChildProcess;

std::vector<std::string> Shell(const std::string& script) { return {"sh", "-c", script}; }

TEST(ChildProcess, ExitCodesSignalsAndStartFailures) {
  struct Case {
    std::vector<std::string> argv;
    int signal, code;
  };
  for (const Case& c : std::initializer_list<Case>{
           {Shell("exit 3"), 0, 3},
           {Shell("kill -9 $$"), 0, -1},
           {Shell("exec sleep 30"), SIGTERM, -1},
           {{"/nonexistent/kb-program"}, 0, 127},
       }) {
    ChildProcess child(c.argv);
    EXPECT_EQ(child.Finish(c.signal), c.code) << c.argv.back();
    // Asked again, the child is gone and the answer stays.
    EXPECT_EQ(child.Finish(SIGKILL), c.code) << c.argv.back();
  }
}

TEST(ChildProcess, ReadsLinesUntilTheEndOrTheTimeLimit) {
  ChildProcess lines(Shell("printf 'eins\\n\\nzwei'"));
  EXPECT_EQ(lines.ReadLine(), "eins");
  EXPECT_EQ(lines.ReadLine(), "");
  EXPECT_EQ(lines.ReadLine(), "zwei");  // the last line needs no newline
  EXPECT_EQ(lines.ReadLine(), "");      // end of output
  ChildProcess silent(Shell("exec sleep 30"));
  EXPECT_EQ(silent.ReadLine(50), "");
  // A child that handles the signal gives its own code; what it wrote on
  // the way out is still there to read.
  ChildProcess late(Shell("trap 'echo bye; exit 7' TERM; echo ready; while :; do sleep 0.05; done"));
  ASSERT_EQ(late.ReadLine(), "ready");
  EXPECT_EQ(late.Finish(SIGTERM), 7);
  EXPECT_EQ(late.ReadLine(1000), "bye");
}

TEST(ChildProcess, UntilGivesTheGroupsOfTheFirstMatchWithinItsLines) {
  ChildProcess child(Shell("printf 'start\\nPort: 42 up\\nPort: 43 up\\na\\nb\\nc\\nPort: 44\\n'"));
  EXPECT_EQ(child.Until("Port: (\\d+) (\\w+)"), (std::vector<std::string>{"Port: 42 up", "42", "up"}));
  EXPECT_EQ(child.Until("Port: (\\d+)"), (std::vector<std::string>{"Port: 43", "43"}));
  // Three lines read, none matches: the fourth is left for the next read.
  EXPECT_TRUE(child.Until("Port", 3).empty());
  EXPECT_EQ(child.ReadLine(), "Port: 44");
  // The end of the output ends the search.
  EXPECT_TRUE(child.Until("Port").empty());
}

TEST(ChildProcess, EnvironmentIsTheChildsOnly) {
  ASSERT_EQ(getenv("KB_CHILD_TEST"), nullptr);
  ChildProcess child(Shell("echo \"$KB_CHILD_TEST\""), {"KB_CHILD_TEST=eins zwei"});
  EXPECT_EQ(child.ReadLine(), "eins zwei");
  EXPECT_EQ(getenv("KB_CHILD_TEST"), nullptr);
}

}  // namespace
}  // namespace kb
