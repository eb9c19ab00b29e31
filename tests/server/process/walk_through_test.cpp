#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <regex>
#include <string>
#include <thread>

#include "tests/server/wire_client.h"

namespace kb {
namespace {

const char* serverBinary = nullptr;

// The server program, headless on a free port; ended by SIGTERM.
class ServerProcess {
 public:
  bool Start(std::vector<std::string> args) {
    int out[2];
    if (pipe(out) != 0) return false;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], STDOUT_FILENO);
      close(out[0]);
      close(out[1]);
      std::vector<char*> argv{const_cast<char*>(serverBinary)};
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(serverBinary, argv.data());
      _exit(127);
    }
    close(out[1]);
    output_ = out[0];
    return pid_ > 0;
  }
  // The next status line, within timeoutMs.
  std::string ReadLine(int timeoutMs = 10000) {
    std::string line;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
      Poller poller;
      poller.Add(output_, true, false);
      if (poller.Wait(100) <= 0) continue;
      char c;
      if (read(output_, &c, 1) != 1) break;
      if (c == '\n') return line;
      line.push_back(c);
    }
    return line;
  }
  // The exit status of a program that ends by itself (bounded).
  int Wait(int timeoutMs = 10000) {
    for (int i = 0; i < timeoutMs / 50; ++i) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return Stop() == 0 ? -2 : -1;
  }
  // SIGTERM, then the exit status (bounded; -1 when it had to be killed).
  int Stop() {
    if (pid_ <= 0) return -1;
    kill(pid_, SIGTERM);
    for (int i = 0; i < 200; ++i) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = 0;
    return -1;
  }
  ~ServerProcess() {
    if (pid_ > 0) Stop();
    if (output_ >= 0) close(output_);
  }

 private:
  pid_t pid_ = 0;
  int output_ = -1;
};

using testing::WireClient;

int PointsOf(const std::string& scores, const std::string& colour) {
  // "SCORES p/c/w|p/c/w"
  std::regex entry("(-?\\d+)/(\\d+)/(\\d+)");
  for (std::sregex_iterator it(scores.begin(), scores.end(), entry), end; it != end; ++it) {
    if ((*it)[2] == colour) return std::stoi((*it)[1]);
  }
  return -1;
}

TEST(ServerProcess, TwoClientsPlayTheWalkThrough) {
  ASSERT_NE(serverBinary, nullptr);
  ServerProcess server;
  ASSERT_TRUE(server.Start({"--headless", "--name", "Test Server", "--port", "0"}));
  std::string status = server.ReadLine();
  std::smatch match;
  ASSERT_TRUE(std::regex_match(status, match, std::regex("Name: Test Server Port: (\\d+) Spieler: 0")))
      << status;
  int port = std::stoi(match[1]);

  WireClient a, b;
  ASSERT_TRUE(a.Connect(port));
  ASSERT_TRUE(a.Send("JOIN"));
  EXPECT_EQ(a.Next(), "MODE 10");
  auto colourA = a.Next();
  ASSERT_TRUE(colourA && colourA->rfind("COLOR ", 0) == 0);
  std::string cA = colourA->substr(6);
  EXPECT_EQ(a.Next(), "SERVER Test%20Server");
  EXPECT_EQ(server.ReadLine(), "Name: Test Server Port: " + std::to_string(port) + " Spieler: 1");
  // A alone is no player yet: nothing arrives until a second client joins.
  EXPECT_EQ(a.Next(300), std::nullopt);

  ASSERT_TRUE(b.Connect(port));
  ASSERT_TRUE(b.Send("JOIN"));
  EXPECT_EQ(b.Next(), "MODE 10");
  auto colourB = b.Next();
  ASSERT_TRUE(colourB && colourB->rfind("COLOR ", 0) == 0);
  std::string cB = colourB->substr(6);
  EXPECT_EQ(b.Next(), "SERVER Test%20Server");
  EXPECT_EQ(server.ReadLine(), "Name: Test Server Port: " + std::to_string(port) + " Spieler: 2");

  // The next tick starts the game.
  std::string zero = "SCORES 0/" + cA + "/0|0/" + cB + "/0";
  for (WireClient* c : {&a, &b}) {
    ASSERT_TRUE(c->WaitFor("CLEAR"));
    EXPECT_EQ(c->Next(), zero);
    EXPECT_EQ(c->Next(), "MODE 7");
    EXPECT_EQ(c->Next(), "PAUSE 0");
  }
  // Countdown ticks: TIME, a POINT per player, MODE, PAUSE.
  int lastTime = 5001;
  for (int tick = 0; tick < 3; ++tick) {
    for (WireClient* c : {&a, &b}) {
      auto time = c->Next();
      ASSERT_TRUE(time && time->rfind("TIME ", 0) == 0) << (time ? *time : "nothing");
      if (c == &a) {
        int t = std::stoi(time->substr(5));
        EXPECT_LT(t, lastTime);
        EXPECT_GT(t, 4000);
        lastTime = t;
      }
      auto p1 = c->Next(), p2 = c->Next();
      ASSERT_TRUE(p1 && p2);
      EXPECT_TRUE(std::regex_match(*p1, std::regex("POINT \\d+ \\d+ " + cA))) << *p1;
      EXPECT_TRUE(std::regex_match(*p2, std::regex("POINT \\d+ \\d+ " + cB))) << *p2;
      EXPECT_EQ(c->Next(), "MODE 7");
      EXPECT_EQ(c->Next(), "PAUSE 0");
    }
  }
  ASSERT_TRUE(a.Send("GO"));
  ASSERT_TRUE(b.Send("GO"));
  for (WireClient* c : {&a, &b}) {
    std::vector<std::string> before;
    ASSERT_TRUE(c->WaitFor([](auto& m) { return m.rfind("SCORES", 0) == 0; }, 5000, &before));
    EXPECT_EQ(c->Next(), "MODE 8");
    EXPECT_EQ(c->Next(), "PAUSE 0");
  }

  // The round: A circles tightly until it meets a trail. Both see the lines.
  bool sawLineA = false, sawLineB = false;
  std::string lastScores;
  bool over = false;
  for (int i = 0; i < 400 && !over; ++i) {
    for (int k = 0; k < 4; ++k) a.Send("ANGLE", {"UP"});
    while (auto m = b.Next(20)) {
      if (m->rfind("LINE", 0) == 0) {
        sawLineA |= m->ends_with(" " + cA);
        sawLineB |= m->ends_with(" " + cB);
      }
      if (m->rfind("SCORES", 0) == 0) lastScores = *m;
      if (*m == "MODE 9") {
        over = true;
        break;
      }
    }
  }
  ASSERT_TRUE(over);
  EXPECT_TRUE(sawLineA);
  EXPECT_TRUE(sawLineB);
  int pointsA = PointsOf(lastScores, cA), pointsB = PointsOf(lastScores, cB);
  ASSERT_GE(pointsA, 0);
  ASSERT_GE(pointsB, 0);
  EXPECT_LE(pointsA + pointsB, 1);
  std::string winner = pointsA ? cA : pointsB ? cB : "0";
  EXPECT_EQ(b.Next(), "PAUSE 0");
  EXPECT_EQ(b.Next(), "WINNER " + winner);
  EXPECT_EQ(b.Next(), "MODE 9");
  ASSERT_TRUE(a.WaitFor("WINNER " + winner));

  // Both ready: the next round begins.
  ASSERT_TRUE(a.Send("GO"));
  ASSERT_TRUE(b.Send("GO"));
  for (WireClient* c : {&a, &b}) {
    ASSERT_TRUE(c->WaitFor("CLEAR"));
    auto scores = c->Next();
    ASSERT_TRUE(scores);
    EXPECT_EQ(PointsOf(*scores, winner), winner == "0" ? -1 : 1);
    EXPECT_EQ(c->Next(), "MODE 7");
  }

  // A leaves: B waits alone.
  ASSERT_TRUE(a.Send("LEAVE"));
  a.Disconnect();
  EXPECT_TRUE(b.WaitFor("MODE 10"));
  EXPECT_EQ(server.ReadLine(), "Name: Test Server Port: " + std::to_string(port) + " Spieler: 1");
  ASSERT_TRUE(b.Send("PING"));
  EXPECT_TRUE(b.WaitFor("PONG"));

  // SIGTERM: B is told and the connection closes.
  EXPECT_EQ(server.Stop(), 0);
  EXPECT_TRUE(b.WaitFor("MODE 21", 5000));
  EXPECT_TRUE(b.WaitClosed(5000));
}

TEST(ServerProcess, PortInUseIsReportedAndBadOptionsRefused) {
  TcpListener taken;
  ASSERT_TRUE(taken.Open(0));
  ServerProcess server;
  ASSERT_TRUE(server.Start({"--headless", "--name", "x", "--port", std::to_string(taken.Port())}));
  EXPECT_EQ(server.Wait(), 1);
  ServerProcess bad;
  ASSERT_TRUE(bad.Start({"--headless", "--port", "70000", "--name", "x"}));
  EXPECT_EQ(bad.Wait(), 2);
}

}  // namespace
}  // namespace kb

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc > 1) kb::serverBinary = argv[1];
  return RUN_ALL_TESTS();
}
