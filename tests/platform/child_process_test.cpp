#include "tests/support/child_process.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <thread>

#include "common/platform/core/process.h"

namespace kb {
namespace {

using testing::ChildProcess;

// The children are this program itself, doing what KB_CHILD names before any
// test runs, so no shell is needed: "print" writes KB_CHILD_TEXT; "crash"
// ends the way a crash does; "wait" asks to be told to stop, says "ready",
// and on the request says "bye" and ends with 7; anything else ends with 3.
[[maybe_unused]] const bool isChild = [] {
  const char* what = std::getenv("KB_CHILD");
  if (!what) return false;
  UseBinaryStandardOutput();
  std::string_view w = what;
  if (w == "print") {
    std::fputs(std::getenv("KB_CHILD_TEXT"), stdout);
    std::exit(0);
  }
  if (w == "crash") {
#ifdef _WIN32
    std::_Exit(static_cast<int>(0xC0000005));  // an access violation's code
#else
    std::raise(SIGKILL);
#endif
  }
  if (w == "wait") {
    std::atomic<bool> stop{false};
    {
      StopRequests requests(stop);
      std::puts("ready");
      std::fflush(stdout);
      for (int i = 0; i < 600 && !stop; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::puts("bye");
    std::exit(7);
  }
  std::exit(3);
}();

ChildProcess Child(const char* what, const std::string& text = "") {
  return ChildProcess({ChildProcess::OwnProgram()},
                      {std::string("KB_CHILD=") + what, "KB_CHILD_TEXT=" + text});
}

TEST(ChildProcess, ExitCodesSignalsAndStartFailures) {
  struct Case {
    const char* what;
    int signal, code;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"exit", 0, 3},
           {"crash", 0, -1},
           {"wait", testing::kKill, -1},
           {"", 0, 127},
       }) {
    ChildProcess child = *c.what ? Child(c.what) : ChildProcess({"/nonexistent/kb-program"});
    EXPECT_EQ(child.Finish(c.signal), c.code) << c.what;
    // Asked again, the child is gone and the answer stays.
    EXPECT_EQ(child.Finish(testing::kKill), c.code) << c.what;
  }
}

TEST(ChildProcess, ReadsLinesUntilTheEndOrTheTimeLimit) {
  ChildProcess lines = Child("print", "eins\n\nzwei");
  EXPECT_EQ(lines.ReadLine(), "eins");
  EXPECT_EQ(lines.ReadLine(), "");
  EXPECT_EQ(lines.ReadLine(), "zwei");  // the last line needs no newline
  EXPECT_EQ(lines.ReadLine(), "");      // end of output
  // A child asked to stop gives its own code; what it wrote on the way out
  // is still there to read.
  ChildProcess late = Child("wait");
  ASSERT_EQ(late.ReadLine(), "ready");
  EXPECT_EQ(late.ReadLine(50), "");  // silent: the time limit ends the read
  EXPECT_EQ(late.Finish(SIGTERM), 7);
  EXPECT_EQ(late.ReadLine(1000), "bye");
}

TEST(ChildProcess, UntilGivesTheGroupsOfTheFirstMatchWithinItsLines) {
  ChildProcess child = Child("print", "start\nPort: 42 up\nPort: 43 up\na\nb\nc\nPort: 44\n");
  EXPECT_EQ(child.Until("Port: (\\d+) (\\w+)"), (std::vector<std::string>{"Port: 42 up", "42", "up"}));
  EXPECT_EQ(child.Until("Port: (\\d+)"), (std::vector<std::string>{"Port: 43", "43"}));
  // Three lines read, none matches: the fourth is left for the next read.
  EXPECT_TRUE(child.Until("Port", 3).empty());
  EXPECT_EQ(child.ReadLine(), "Port: 44");
  // The end of the output ends the search.
  EXPECT_TRUE(child.Until("Port").empty());
}

TEST(ChildProcess, EnvironmentIsTheChildsOnly) {
  ASSERT_EQ(std::getenv("KB_CHILD_TEXT"), nullptr);
  ChildProcess child = Child("print", "eins zwei");
  EXPECT_EQ(child.ReadLine(), "eins zwei");
  EXPECT_EQ(std::getenv("KB_CHILD_TEXT"), nullptr);
}

}  // namespace
}  // namespace kb
