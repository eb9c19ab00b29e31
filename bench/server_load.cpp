// kb-bench-libs: kb_server
// Load on the real server loop over loopback: N protocol-level clients join,
// say "GO" and steer with one "ANGLE" about every 11 ms each, like the game
// client. The server runs on a thread of its own, the clients on the main
// thread. Reports the server's work per tick, the CPU per tick of the server
// thread and of the client thread apart, how late the latest tick started,
// the bytes the clients read per second and the process's resident memory
// (the clients' share of it is their connections, a few KiB each).
// The flood case: two such players and one connection that joins and sends
// COLOR, CHAT and ANGLE as fast as the socket takes them, joining again
// whenever it is dropped.
// The chat storm: 256 members, 240 of them sending a line of the longest
// length 4 times a second (what each one may); chat bytes each game client
// reads, counted at its messages; ticks started more than 5 ms late. Once
// with the members playing, once idle, where one reads at most 90 KB/s.
// --websocket-share P makes P percent of the players browsers: they join
// over a WebSocket and send their messages in binary frames.
// Arguments: [--websocket-share P] [--chat-storm: only that] [measure ms,
// 5000] [one client count instead of the table].
#include <pthread.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <thread>
#include <vector>

#include "bench/loopback_client.h"
#include "common/net/protocol.h"
#include "common/net/receive_buffer.h"
#include "common/platform/core/poller.h"
#include "common/platform/core/socket.h"
#include "server/server_loop.h"
#include "server/web_socket.h"

namespace {

using Steady = std::chrono::steady_clock;

double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

// VmRSS or VmHWM of this process in KiB.
long MemoryKb(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::strlen(key) + 1);
  }
  return 0;
}

struct Load {
  int clients = 2;
  int warmUpMs = 1500;
  int measureMs = 5000;
  int websocketShare = 0;
  bool flood = false;
  int chatters = 0;  // from the measurement's start
  bool play = true;  // "GO" and "ANGLE"; otherwise "PING": after one round the members wait
  // The first client reads at most this many bytes a second (0: all).
  int slowReader = 0;
  bool countChat = false;  // splits what the game clients read into messages
};

struct Result {
  uint64_t ticks = 0;
  double workMsAvg = 0, workMsMax = 0, cpuMsPerTick = 0;
  int64_t lateMsMax = 0;
  uint64_t lateTicks = 0;
  double chatPerReceiver = 0, chatMaxReceiver = 0;  // bytes a second, game clients
  long rssStartKb = 0;
  double bytesPerSecond = 0;
  double clientCpuMsPerTick = 0;
  double roundsPerTick = 0;
  long rssKb = 0;
  int joined = 0;
  int playersLost = 0;   // players whose connection the server closed
  int flooderDrops = 0;  // times the flooding connection was dropped
  int recordsAtEnd = 0;
};

// A browser's opening, then each message in a frame of its own.
const char kHandshake[] =
    "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
    "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n"
    "Sec-WebSocket-Protocol: binary\r\n\r\n";

std::string Framed(const std::string& message) {
  kb::WebSocketFraming framing(kb::WebSocketFraming::Side::kClient);
  std::string_view parts[] = {message};
  framing.Encode(parts);
  return framing.Output();
}

Result RunLoad(const Load& load) {
  const int clients = load.clients, measureMs = load.measureMs;
  kb::ServerSettings settings;
  settings.name = "Last";
  settings.maxConnectionsPerAddress = 1000;  // every load client comes from loopback
  settings.maxClients = 1000;
  kb::SystemClock clock;
  kb::Random random(1);
  kb::ServerLoop loop(settings, clock, random);
  Result result;
  if (!loop.Open(0, -1)) return result;

  std::atomic<bool> stop{false}, measuring{false};
  double cpuAtStart = 0, cpuAtEnd = 0, clientCpuAtStart = 0;
  std::thread server([&] {
    bool started = false;
    while (!stop) {
      if (!started && measuring) {
        loop.ResetStats();
        cpuAtStart = ThreadCpuMs();
        started = true;
      }
      loop.RunOnce(20);
    }
    cpuAtEnd = ThreadCpuMs();
  });

  // Each message as a game client and as a browser sends it.
  struct Wire {
    std::string join, up, down, go, chat, ping;
  };
  std::string line(kb::ServerGame::kMaxChatLength, ' ');
  for (size_t i = 0; i < line.size(); ++i) line[i] = static_cast<char>('a' + i % 26);
  const Wire tcp{kb::BuildMessage(kb::Keyword::kJoin),
                 kb::BuildMessage(kb::Keyword::kAngle, {"UP"}),
                 kb::BuildMessage(kb::Keyword::kAngle, {"DOWN"}),
                 kb::BuildMessage(kb::Keyword::kGo),
                 kb::BuildMessage(kb::Keyword::kChat, {line}),
                 kb::BuildMessage(kb::Keyword::kPing)};
  const Wire web{kHandshake + Framed(tcp.join),
                 Framed(tcp.up),
                 Framed(tcp.down),
                 Framed(tcp.go),
                 Framed(tcp.chat),
                 Framed(tcp.ping)};
  std::vector<std::unique_ptr<kb::TcpConnection>> peers;
  std::vector<const Wire*> wires;
  for (int i = 0; i < clients; ++i) {
    auto c = kb::bench::OpenFrom(i, settings.port);
    if (!c) break;
    // The share spread evenly: 50 is every second player.
    wires.push_back((i + 1) * load.websocketShare / 100 != i * load.websocketShare / 100 ? &web : &tcp);
    c->Send(wires.back()->join);
    peers.push_back(std::move(c));
  }
  result.joined = static_cast<int>(peers.size());
  kb::Random steer(2);
  std::vector<Steady::time_point> nextAngle(peers.size(), Steady::now());
  std::vector<int> turn(peers.size(), 0);
  for (size_t i = 0; i < peers.size(); ++i)
    nextAngle[i] += std::chrono::microseconds(i * 11000 / peers.size());
  auto start = Steady::now();
  auto measureStart = start + std::chrono::milliseconds(load.warmUpMs);
  // Each chatter once every 250 ms, spread over that time.
  std::vector<Steady::time_point> nextChat(peers.size(), measureStart);
  for (int i = 0; i < load.chatters && i < static_cast<int>(peers.size()); ++i)
    nextChat[peers.size() - 1 - i] += std::chrono::microseconds(i * 250000 / load.chatters);
  std::vector<kb::ReceiveBuffer> received(load.countChat ? peers.size() : 0);
  std::vector<uint64_t> chatBytes(peers.size(), 0);
  uint64_t slowRead = 0;
  auto end = measureStart + std::chrono::milliseconds(measureMs);
  auto nextGo = start;
  uint64_t bytes = 0;
  char buffer[kb::kReceiveBufferSize];
  kb::Poller poller;
  std::vector<bool> lost(peers.size(), false);
  std::unique_ptr<kb::TcpConnection> flooder;
  std::string burst;
  while (burst.size() < 8192)
    burst += kb::BuildMessage(kb::Keyword::kColor) + kb::BuildMessage(kb::Keyword::kChat, {"spam"}) + tcp.up;
  while (Steady::now() < end) {
    if (load.flood && measuring) {
      if (flooder) {
        long n = flooder->Receive(buffer, sizeof buffer);
        if (n < 0) {
          ++result.flooderDrops;
          flooder.reset();
        }
      }
      if (!flooder) {
        flooder = kb::TcpConnection::Open("127.0.0.1", settings.port);
        if (flooder) flooder->Send(kb::BuildMessage(kb::Keyword::kJoin));
      }
      if (flooder && flooder->Queued() < 65536) flooder->Send(burst);
      if (flooder) flooder->FlushQueue();
    }
    auto now = Steady::now();
    if (!measuring && now >= measureStart) {
      measuring = true;
      bytes = 0;
      clientCpuAtStart = ThreadCpuMs();
      result.rssStartKb = MemoryKb("VmRSS:");
    }
    bool sendGo = now >= nextGo;
    if (sendGo) nextGo = now + std::chrono::milliseconds(500);
    for (size_t i = 0; i < peers.size(); ++i) {
      // Idle members say only that they are there, or they are dropped for silence.
      if (sendGo) peers[i]->Send(load.play ? wires[i]->go : wires[i]->ping);
      if (measuring && i + load.chatters >= peers.size() && now >= nextChat[i]) {
        peers[i]->Send(wires[i]->chat);
        nextChat[i] += std::chrono::milliseconds(250);
      }
      if (load.play && now >= nextAngle[i]) {
        // Hold one key for a while, as a player does.
        if (steer.Next(20) == 0) turn[i] = steer.Next(2);
        if (turn[i]) peers[i]->Send(turn[i] == 1 ? wires[i]->up : wires[i]->down);
        nextAngle[i] += std::chrono::milliseconds(11);
      }
      peers[i]->FlushQueue();
    }
    poller.Clear();
    for (auto& p : peers) poller.Add(p->Fd(), true, false);
    if (poller.Wait(1) <= 0) continue;
    for (size_t i = 0; i < peers.size(); ++i) {
      if (!poller.Readable(i) || lost[i]) continue;
      // Everything that is there: a client that falls behind would be
      // dropped by the server's queue bound and distort the figure.
      for (int reads = 0; reads < 64; ++reads) {
        size_t room = sizeof buffer;
        if (i == 0 && load.slowReader) {
          auto allowed = std::chrono::duration_cast<std::chrono::milliseconds>(now - start).count() *
                         load.slowReader / 1000;
          room = std::min<size_t>(room, static_cast<size_t>(std::max<int64_t>(0, allowed - slowRead)));
          if (room == 0) break;
        }
        long n = peers[i]->Receive(buffer, room);
        if (n > 0) bytes += static_cast<uint64_t>(n);
        if (n > 0 && i == 0) slowRead += static_cast<uint64_t>(n);
        if (n < 0) lost[i] = true;
        if (n <= 0) break;
        if (received.empty() || wires[i] != &tcp) continue;
        received[i].Add(std::string_view(buffer, static_cast<size_t>(n)));
        for (std::string_view m; received[i].Next(m);)
          if (measuring && kb::ParseKeyword(kb::MessageField(m, 1)) == kb::Keyword::kChat)
            chatBytes[i] += m.size() + 1;
      }
    }
  }
  double clientCpu = ThreadCpuMs() - clientCpuAtStart;
  result.rssKb = MemoryKb("VmRSS:");
  stop = true;
  server.join();
  for (bool l : lost) result.playersLost += l ? 1 : 0;
  result.recordsAtEnd = static_cast<int>(loop.Game().Clients().Size());
  // A slow reader may not have read as far as its closing yet.
  if (!load.flood) result.playersLost = std::max(result.playersLost, result.joined - result.recordsAtEnd);
  const kb::TickStats& stats = loop.Stats();
  result.ticks = stats.ticks;
  result.workMsAvg = stats.ticks ? stats.workMsTotal / stats.ticks : 0;
  result.workMsMax = stats.workMsMax;
  result.lateMsMax = stats.lateMsMax;
  result.lateTicks = stats.lateTicks;
  int receivers = 0;
  for (size_t i = 0; i < peers.size(); ++i) {
    if (wires[i] != &tcp) continue;
    ++receivers;
    result.chatPerReceiver += chatBytes[i] * 1000.0 / measureMs;
    result.chatMaxReceiver = std::max(result.chatMaxReceiver, chatBytes[i] * 1000.0 / measureMs);
  }
  if (receivers) result.chatPerReceiver /= receivers;
  result.cpuMsPerTick = stats.ticks ? (cpuAtEnd - cpuAtStart) / stats.ticks : 0;
  result.clientCpuMsPerTick = stats.ticks ? clientCpu / stats.ticks : 0;
  result.roundsPerTick = stats.ticks ? static_cast<double>(stats.rounds) / stats.ticks : 0;
  result.bytesPerSecond = bytes * 1000.0 / measureMs;
  loop.Shutdown();
  return result;
}

void ReportLoads(const std::vector<int>& counts, int measureMs, int websocketShare) {
  std::printf("%7s %6s %5s %10s %10s %11s %11s %9s %5s %12s %8s %7s\n", "clients", "joined", "ticks",
              "work avg", "work max", "server cpu", "client cpu", "late max", "lost", "bytes/s", "RSS KiB",
              "rounds");
  std::printf("%7s %6s %5s %10s %10s %11s %11s %9s %5s %12s %8s %7s\n", "", "", "", "ms/tick", "ms",
              "ms/tick", "ms/tick", "ms", "", "", "", "/tick");
  for (int clients : counts) {
    if (clients < 2 || clients > 1000) continue;
    Result r = RunLoad({.clients = clients, .measureMs = measureMs, .websocketShare = websocketShare});
    std::printf("%7d %6d %5llu %10.3f %10.3f %11.3f %11.3f %9lld %5d %12.0f %8ld %7.1f\n", clients, r.joined,
                static_cast<unsigned long long>(r.ticks), r.workMsAvg, r.workMsMax, r.cpuMsPerTick,
                r.clientCpuMsPerTick, static_cast<long long>(r.lateMsMax), r.playersLost, r.bytesPerSecond,
                r.rssKb, r.roundsPerTick);
    std::fflush(stdout);
  }
}

// Two players and a flooder, over the whole time the acceptance asks for.
void ReportFlood(int websocketShare) {
  Result f = RunLoad({.measureMs = 10000, .websocketShare = websocketShare, .flood = true});
  std::printf("\nflood: 2 players + 1 flooding connection, 10 s\n");
  std::printf("%6s %12s %12s %12s %13s %14s %12s\n", "ticks", "work ms/tick", "work ms max", "late ms max",
              "players lost", "flooder drops", "records end");
  std::printf("%6llu %12.3f %12.3f %12lld %13d %14d %12d\n", static_cast<unsigned long long>(f.ticks),
              f.workMsAvg, f.workMsMax, static_cast<long long>(f.lateMsMax), f.playersLost, f.flooderDrops,
              f.recordsAtEnd);
}

// The same players without chat tell the machine's own lateness apart; the
// slow reader gets the time it took to drop one before chat was bounded.
void ReportChatStorm(int websocketShare) {
  struct Storm {
    const char* name;
    int chatters, measureMs;
    bool play;
  };
  const Storm storms[] = {{"playing, 240 chatting", 240, 10000, true},
                          {"playing, nobody chats", 0, 10000, true},
                          {"idle, 240 chatting", 240, 30000, false}};
  std::printf(
      "\nchat storm: 256 members, 240 sending a %zu-character line 4 times a second;\n"
      "idle, the first member reads at most 90 KB/s\n",
      kb::ServerGame::kMaxChatLength);
  std::printf("%-22s %3s %9s %9s %6s %10s %11s %11s %7s %6s %9s %9s\n", "members", "s", "chat B/s",
              "chat B/s", "ticks", "late >5ms", "late ms max", "server cpu", "rounds", "lost", "RSS KiB",
              "RSS KiB");
  std::printf("%-22s %3s %9s %9s %6s %10s %11s %11s %7s %6s %9s %9s\n", "", "", "/receiver", "max", "", "",
              "", "ms/tick", "/tick", "", "start", "end");
  for (const Storm& storm : storms) {
    Result c = RunLoad({.clients = 256,
                        .measureMs = storm.measureMs,
                        .websocketShare = websocketShare,
                        .chatters = storm.chatters,
                        .play = storm.play,
                        .slowReader = storm.play ? 0 : 90 * 1024,
                        .countChat = true});
    std::printf("%-22s %3d %9.0f %9.0f %6llu %10llu %11lld %11.3f %7.1f %6d %9ld %9ld\n", storm.name,
                storm.measureMs / 1000, c.chatPerReceiver, c.chatMaxReceiver,
                static_cast<unsigned long long>(c.ticks), static_cast<unsigned long long>(c.lateTicks),
                static_cast<long long>(c.lateMsMax), c.cpuMsPerTick, c.roundsPerTick, c.playersLost,
                c.rssStartKb, c.rssKb);
    std::fflush(stdout);
  }
}

}  // namespace

int main(int argc, char** argv) {
  int websocketShare = 0;
  bool stormOnly = false;
  std::vector<const char*> args;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--websocket-share") == 0 && i + 1 < argc) {
      websocketShare = std::clamp(std::atoi(argv[++i]), 0, 100);
    } else if (std::strcmp(argv[i], "--chat-storm") == 0) {
      stormOnly = true;
    } else {
      args.push_back(argv[i]);
    }
  }
  int measureMs = args.size() > 0 ? std::atoi(args[0]) : 5000;
  if (measureMs < 500 || measureMs > 60000) measureMs = 5000;
  kb::InitNetwork();
  std::printf("WebSocket players: %d%%\n", websocketShare);
  if (!stormOnly) {
    std::vector<int> counts = {8, 32, 64, 128, 256};
    if (args.size() > 1) counts = {std::atoi(args[1])};
    ReportLoads(counts, measureMs, websocketShare);
    if (args.size() > 1) return 0;
    ReportFlood(websocketShare);
  }
  ReportChatStorm(websocketShare);
  return 0;
}
