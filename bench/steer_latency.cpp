// kb-bench-libs: kb_client
// Steering latency: from a key press to the first frame that shows the turn,
// with a round trip added on the player's side by a delaying proxy on
// loopback. Run by bench/steer_latency.sh, which starts the game server and
// the list service and prints the table.
//   desktop SERVER_PORT ADDED_RTT_MS [SAMPLES]
//     The desktop client (its model and frame loop with real sockets and the
//     system clock, presenting at 60 Hz to a fake display) joins the server
//     through the proxy. Each sample: a steering key goes down; the time
//     until the first frame presented after the first LINE of the client's
//     head whose step differs from the one before the press.
//   relay LIST_PORT SERVER_PORT ADDED_RTT_MS
//     For the browser (bench/steer_latency.mjs): the proxy in front of the
//     list service, which serves the page and relays it to the server.
//     Prints "proxy port N" and runs until it is killed.
// Both run a second player, straight to the server, so that rounds run.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/loopback_client.h"
#include "bench/menu_client.h"
#include "client/app/frame_loop.h"
#include "client/core/network_hooks.h"
#include "common/net/protocol.h"
#include "common/platform/core/keys.h"

namespace {

using Steady = std::chrono::steady_clock;

double MsSince(Steady::time_point start) {
  return std::chrono::duration<double, std::milli>(Steady::now() - start).count();
}

// Forwards every connection to 127.0.0.1:targetPort, each chunk in either
// direction held back for oneWayMs: a round trip longer by twice that.
class DelayProxy {
 public:
  DelayProxy(int targetPort, int oneWayMs) : targetPort_(targetPort), delay_(oneWayMs) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t size = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 16) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
      std::perror("proxy");
      std::exit(1);
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Run(); });
  }
  ~DelayProxy() {
    stop_ = true;
    thread_.join();
    for (Pair& pair : pairs_) Close(pair);
    close(listener_);
  }
  int Port() const { return port_; }

 private:
  struct Direction {
    int from = -1, to = -1;
    // Chunks with the time they are due; an empty chunk is the end of the stream.
    std::deque<std::pair<Steady::time_point, std::string>> queue;
    bool ended = false, delivered = false;
  };
  struct Pair {
    Direction up, down;
    bool broken = false;
  };

  static sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
  }
  static void Close(Pair& pair) {
    close(pair.up.from);
    close(pair.up.to);
  }

  void Accept() {
    int player = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (player < 0) return;
    int target = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(targetPort_);
    if (connect(target, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      close(player);
      close(target);
      return;
    }
    Pair& pair = pairs_.emplace_back();
    pair.up.from = pair.down.to = player;
    pair.up.to = pair.down.from = target;
  }

  void Read(Direction& direction, Pair& pair) {
    char buffer[65536];
    long n = recv(direction.from, buffer, sizeof buffer, 0);
    if (n < 0) {
      pair.broken = true;
      return;
    }
    direction.queue.emplace_back(Steady::now() + std::chrono::milliseconds(delay_), std::string(buffer, n));
    direction.ended = n == 0;
  }

  void Deliver(Direction& direction, Pair& pair) {
    while (!direction.queue.empty() && direction.queue.front().first <= Steady::now()) {
      const std::string& chunk = direction.queue.front().second;
      if (chunk.empty()) {
        shutdown(direction.to, SHUT_WR);
        direction.delivered = true;
      }
      for (size_t sent = 0; sent < chunk.size();) {
        long n = send(direction.to, chunk.data() + sent, chunk.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
          pair.broken = true;
          return;
        }
        sent += static_cast<size_t>(n);
      }
      direction.queue.pop_front();
    }
  }

  void Run() {
    while (!stop_) {
      std::vector<pollfd> fds{{listener_, POLLIN, 0}};
      std::vector<std::pair<Direction*, Pair*>> readers;
      int timeout = 5;
      for (Pair& pair : pairs_) {
        for (Direction* direction : {&pair.up, &pair.down}) {
          if (!direction->ended) {
            fds.push_back({direction->from, POLLIN, 0});
            readers.emplace_back(direction, &pair);
          }
          if (!direction->queue.empty()) {
            auto wait =
                std::chrono::ceil<std::chrono::milliseconds>(direction->queue.front().first - Steady::now());
            timeout = std::clamp(static_cast<int>(wait.count()), 0, timeout);
          }
        }
      }
      poll(fds.data(), fds.size(), timeout);
      if (fds[0].revents & POLLIN) Accept();
      for (size_t i = 0; i < readers.size(); ++i) {
        if (fds[i + 1].revents & (POLLIN | POLLHUP | POLLERR)) Read(*readers[i].first, *readers[i].second);
      }
      for (Pair& pair : pairs_) {
        Deliver(pair.up, pair);
        Deliver(pair.down, pair);
      }
      std::erase_if(pairs_, [](Pair& pair) {
        bool over = pair.broken || (pair.up.delivered && pair.down.delivered);
        if (over) Close(pair);
        return over;
      });
    }
  }

  int targetPort_, delay_, listener_ = -1, port_ = 0;
  std::deque<Pair> pairs_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// One player's view of the messages it receives: its colour (COLOR), the
// server's MODE, and the LINE its own head drew last.
struct HeadTrack {
  // Takes arrived bytes; onLine(continuous) runs for each LINE of the own
  // head, continuous when it starts where the last one ended (no gap, no new
  // round in between).
  template <class OnLine>
  void Feed(std::string_view bytes, OnLine onLine) {
    pending.append(bytes);
    for (size_t end; (end = pending.find(kb::kMessageTerminator)) != std::string::npos;
         pending.erase(0, end + 1)) {
      std::string_view m(pending.data(), end);
      kb::Keyword keyword = kb::ParseKeyword(kb::MessageField(m, 1));
      if (keyword == kb::Keyword::kColor) colour = kb::MessageField(m, 2);
      if (keyword == kb::Keyword::kMode) mode = kb::ParseNumberText(kb::MessageField(m, 2));
      if (keyword != kb::Keyword::kLine || colour.empty() || kb::MessageField(m, 6) != colour) continue;
      int from[2] = {kb::ParseNumberText(kb::MessageField(m, 2)),
                     kb::ParseNumberText(kb::MessageField(m, 3))};
      bool continuous = lines > 0 && from[0] == x && from[1] == y;
      x = kb::ParseNumberText(kb::MessageField(m, 4));
      y = kb::ParseNumberText(kb::MessageField(m, 5));
      dx = x - from[0], dy = y - from[1];
      ++lines;
      onLine(continuous);
    }
  }
  // Whether going on straight for `steps` more LINEs leaves the field's inner part.
  bool HeadingOut(int steps) const {
    int aheadX = x + steps * dx, aheadY = y + steps * dy;
    return aheadX < 60 || aheadX > 740 || aheadY < 60 || aheadY > 515;
  }
  // "ANGLE UP" (the heading grows: clockwise on the screen) turns towards the middle.
  bool MiddleIsUp() const { return dx * (287 - y) - dy * (400 - x) > 0; }

  std::string pending, colour;
  int mode = 0, lines = 0, x = 0, y = 0, dx = 0, dy = 0;
};

// The second player: joins from its own loopback address, says GO every
// quarter second and turns away from the border it is heading for.
class SecondPlayer {
 public:
  explicit SecondPlayer(int serverPort) : thread_([this, serverPort] { Run(serverPort); }) {}
  ~SecondPlayer() {
    stop_ = true;
    thread_.join();
  }

 private:
  void Run(int serverPort) {
    std::unique_ptr<kb::TcpConnection> connection = kb::bench::OpenFrom(0, serverPort);
    if (!connection) return;
    connection->Send(kb::BuildMessage(kb::Keyword::kJoin));
    HeadTrack head;
    Steady::time_point lastGo{}, lastTurn{};
    char buffer[8192];
    while (!stop_) {
      for (long n; (n = connection->Receive(buffer, sizeof buffer)) > 0;)
        head.Feed({buffer, size_t(n)}, [](bool) {});
      if (MsSince(lastGo) > 250) {
        connection->Send(kb::BuildMessage(kb::Keyword::kGo));
        lastGo = Steady::now();
      }
      if (head.lines > 0 && head.HeadingOut(12) && MsSince(lastTurn) > 11) {
        connection->Send(kb::BuildMessage(kb::Keyword::kAngle, {kb::kAngleUp}));
        lastTurn = Steady::now();
      }
      connection->FlushQueue();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }

  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// The client's link with everything it receives shown to a HeadTrack first.
class WatchedLink final : public kb::ServerLink {
 public:
  WatchedLink(std::unique_ptr<kb::ServerLink> link, std::function<void(std::string_view)> watch)
      : link_(std::move(link)), watch_(std::move(watch)) {}
  long Receive(char* buffer, size_t n) override {
    long got = link_->Receive(buffer, n);
    if (got > 0) watch_({buffer, static_cast<size_t>(got)});
    return got;
  }
  bool Send(std::string_view message) override { return link_->Send(message); }
  bool Flush() override { return link_->Flush(); }
  void Drain(int timeoutMs) override { link_->Drain(timeoutMs); }

 private:
  std::unique_ptr<kb::ServerLink> link_;
  std::function<void(std::string_view)> watch_;
};

class WatchedAttempt final : public kb::LinkAttempt {
 public:
  WatchedAttempt(std::unique_ptr<kb::LinkAttempt> attempt, std::function<void(std::string_view)> watch)
      : attempt_(std::move(attempt)), watch_(std::move(watch)) {}
  bool Poll(std::unique_ptr<kb::ServerLink>& link) override {
    if (!attempt_->Poll(link)) return false;
    if (link) link = std::make_unique<WatchedLink>(std::move(link), watch_);
    return true;
  }

 private:
  std::unique_ptr<kb::LinkAttempt> attempt_;
  std::function<void(std::string_view)> watch_;
};

// One press being measured.
struct Probe {
  bool armed = false, turned = false, gap = false;
  int key = 0, dx = 0, dy = 0, presentedAtTurn = 0;
  Steady::time_point pressedAt;
};

void Report(std::vector<double> samples, int discarded, int rttMs) {
  std::sort(samples.begin(), samples.end());
  auto at = [&](double q) {
    return samples.empty() ? 0.0 : samples[static_cast<size_t>(q * (samples.size() - 1))];
  };
  std::printf(
      "desktop, direct, +%d ms RTT: median %.1f ms, p10 %.1f, p90 %.1f, max %.1f (%zu samples, %d "
      "discarded)\n",
      rttMs, at(0.5), at(0.1), at(0.9), at(1.0), samples.size(), discarded);
}

int Desktop(int serverPort, int rttMs, size_t wanted) {
  DelayProxy proxy(serverPort, rttMs / 2);
  SecondPlayer second(serverPort);
  kb::BenchClient<kb::SystemClock> bench;
  kb::Client& client = bench.client;
  HeadTrack head;
  Probe probe;
  client.net.openLink = [&](const std::string& host, int port) {
    return std::make_unique<WatchedAttempt>(kb::OpenServerLink(host, port), [&](std::string_view bytes) {
      head.Feed(bytes, [&](bool continuous) {
        if (!probe.armed || probe.turned) return;
        probe.gap |= !continuous;
        if (continuous && (head.dx != probe.dx || head.dy != probe.dy)) {
          probe.turned = true;
          probe.presentedAtTurn = bench.display.presented;
        }
      });
    });
  };
  client.serverAddress = "127.0.0.1";
  client.serverPort = proxy.Port();
  client.serverLabel = "Bench";
  kb::ConnectFromScreen(client);

  const kb::PlayerRecord& slot = client.round.players[1];
  std::vector<double> samples;
  int discarded = 0;
  Steady::time_point start = Steady::now(), next = start, lastSpace = start;
  auto release = [&](Steady::time_point at) {
    bench.input.SetKey(probe.key, false);
    probe = Probe{};
    next = at + std::chrono::milliseconds(250 + std::rand() % 200);
  };
  while (samples.size() < wanted && MsSince(start) < 180000) {
    if (!kb::RunFramePass(client)) break;
    bool running = client.frame.gameState == kb::kStateNet && client.net.session.netMode == kb::kModeRunning;
    if (probe.armed && probe.turned && bench.display.presented > probe.presentedAtTurn) {
      samples.push_back(MsSince(probe.pressedAt));
      release(Steady::now());
    } else if (probe.armed && (probe.gap || !running || MsSince(probe.pressedAt) > 2000)) {
      ++discarded;
      release(Steady::now());
    }
    // Space once every 200 ms while a round waits for its players.
    bool space = client.frame.gameState == kb::kStateNet && !running && MsSince(lastSpace) > 200;
    bench.input.SetKey(kb::scan::kSpace, space);
    if (space) lastSpace = Steady::now();
    if (running && !probe.armed && head.lines > 0 && Steady::now() >= next) {
      probe.armed = true;
      probe.key = head.MiddleIsUp() ? slot.rightKey : slot.leftKey;
      probe.dx = head.dx, probe.dy = head.dy;
      bench.input.SetKey(probe.key, true);
      probe.pressedAt = Steady::now();
    }
    client.clock.Sleep(1);
  }
  kb::LeaveServer(client);
  Report(samples, discarded, rttMs);
  return samples.size() == wanted ? 0 : 1;
}

int Relay(int listPort, int serverPort, int rttMs) {
  DelayProxy proxy(listPort, rttMs / 2);
  SecondPlayer second(serverPort);
  std::printf("proxy port %d\n", proxy.Port());
  std::fflush(stdout);
  for (;;) pause();
}

}  // namespace

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "desktop" && argc >= 4)
    return Desktop(std::atoi(argv[2]), std::atoi(argv[3]), argc > 4 ? std::atoi(argv[4]) : 30);
  if (mode == "relay" && argc == 5) return Relay(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
  std::fprintf(
      stderr,
      "usage: %s desktop SERVER_PORT ADDED_RTT_MS [SAMPLES] | relay LIST_PORT SERVER_PORT ADDED_RTT_MS\n",
      argv[0]);
  return 2;
}
