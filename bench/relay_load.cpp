// kb-bench-libs: kb_server
// The list service's relay under load: the real kringelbahn-listd on
// loopback, a game server made of sockets registered with it, and N browsers
// relayed to it exchanging game-sized messages for S seconds. Prints listd's
// CPU time per second and its RSS growth, in all and per relayed player.
//   bench_relay_load LISTD [players] [seconds]
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/net/web_list.h"
#include "common/net/web_socket_opening.h"
#include "common/platform/core/socket.h"
#include "server/web_socket.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double CpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), {});
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string skip;
  for (int i = 0; i < 11; ++i) fields >> skip;
  double user = 0, system = 0;
  fields >> user >> system;
  return (user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

long RssKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.starts_with("VmRSS:")) return std::stol(line.substr(6));
  return 0;
}

// A connection from a local address of our choosing: each is another player to the relay.
std::unique_ptr<kb::TcpConnection> ConnectFrom(const std::string& from, int port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in local{}, remote{};
  local.sin_family = remote.sin_family = AF_INET;
  inet_pton(AF_INET, from.c_str(), &local.sin_addr);
  inet_pton(AF_INET, "127.0.0.1", &remote.sin_addr);
  remote.sin_port = htons(static_cast<uint16_t>(port));
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      connect(fd, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0) {
    if (fd >= 0) close(fd);
    return nullptr;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  return std::make_unique<kb::TcpConnection>(fd);
}

std::string Frame(kb::WebSocketFraming& framing, const std::string& payload) {
  std::string_view parts[] = {payload};
  framing.Encode(parts);
  std::string out = std::move(framing.Output());
  framing.Output().clear();
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s LISTD [players] [seconds]\n", argv[0]);
    return 2;
  }
  int players = argc > 2 ? std::atoi(argv[2]) : 256;
  int seconds = argc > 3 ? std::atoi(argv[3]) : 10;
  kb::InitNetwork();
  kb::TcpListener game, probe;
  if (!game.Open(0) || !probe.Open(0)) return 1;
  int listPort = probe.Port();
  probe.Close();
  std::string db = "/tmp/bench_relay_" + std::to_string(getpid()) + ".sqlite";
  std::string port = std::to_string(listPort);
  std::vector<const char*> args = {argv[1],     "--port", port.c_str(), "--bind",
                                   "127.0.0.1", "--db",   db.c_str(),   nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[1], &actions, nullptr, const_cast<char**>(args.data()), environ) != 0) return 1;
  kb::ListHostAddress host = kb::ParseListHost("127.0.0.1:" + port);
  std::string answer;
  for (int i = 0; i < 100 && answer != "OK"; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    answer = kb::ExchangeWithListHost(
        host,
        kb::ListRequest("/kringel_server.php?m=reg&name=Bench&pass=0&port=" + std::to_string(game.Port()),
                        host),
        3000);
  }
  if (answer != "OK") return std::fprintf(stderr, "no registration: %s\n", answer.c_str()), 1;
  std::unique_ptr<kb::TcpConnection> checked;
  game.Accept(&checked);
  checked.reset();

  long rss0 = RssKiB(pid);
  std::vector<std::unique_ptr<kb::TcpConnection>> browsers, servers;
  std::vector<std::unique_ptr<kb::WebSocketFraming>> framings;
  std::string target = "/play?address=127.0.0.1&port=" + std::to_string(game.Port());
  kb::WebSocketFraming serverFraming(kb::WebSocketFraming::Side::kServer);
  // Eight players from each local address, the relay's place per address.
  for (int i = 0; i < players; ++i) {
    std::string from = "127.0." + std::to_string(1 + i / 8 / 250) + "." + std::to_string(2 + i / 8 % 250);
    auto b = ConnectFrom(from, listPort);
    if (!b) return std::fprintf(stderr, "connect %d failed\n", i), 1;
    b->Send(kb::ClientOpening("127.0.0.1", target, kb::NewWebSocketKey(), ""));
    std::unique_ptr<kb::TcpConnection> s;
    for (int k = 0; k < 300 && !s; ++k) {
      if (game.Accept(&s) != kb::AcceptResult::kConnection)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (!s) return std::fprintf(stderr, "relay %d did not connect\n", i), 1;
    std::string head;
    char buffer[4096];
    for (int k = 0; k < 300 && head.find("\r\n\r\n") == std::string::npos; ++k) {
      long n = s->Receive(buffer, sizeof buffer);
      if (n > 0)
        head.append(buffer, static_cast<size_t>(n));
      else
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    s->Send(kb::ReadHandshake(head).answer);
    browsers.push_back(std::move(b));
    servers.push_back(std::move(s));
    framings.push_back(std::make_unique<kb::WebSocketFraming>(kb::WebSocketFraming::Side::kClient));
  }
  long rss1 = RssKiB(pid);
  double cpu0 = CpuSeconds(pid);
  auto start = Clock::now();
  // Per 20 ms tick: every player gets 200 bytes of lines, and one in four sends a 16-byte key.
  std::string tick = Frame(serverFraming, std::string(200, 'L'));
  long received = 0;
  char buffer[65536];
  for (int t = 0; t < seconds * 50 && Clock::now() - start < std::chrono::seconds(seconds + 5); ++t) {
    auto due = start + std::chrono::milliseconds(20 * (t + 1));
    for (int i = 0; i < players; ++i) {
      servers[i]->Send(tick);
      if ((i + t) % 4 == 0) browsers[i]->Send(Frame(*framings[i], std::string(16, 'K')));
    }
    for (int i = 0; i < players; ++i) {
      for (long n; (n = browsers[i]->Receive(buffer, sizeof buffer)) > 0;) received += n;
      for (long n; (n = servers[i]->Receive(buffer, sizeof buffer)) > 0;) received += n;
    }
    std::this_thread::sleep_until(due);
  }
  double wall = std::chrono::duration<double>(Clock::now() - start).count();
  double cpu = CpuSeconds(pid) - cpu0;
  long rss2 = RssKiB(pid);
  std::printf("relayed players %d, %.1f s, %.1f MB relayed\n", players, wall, received / 1e6);
  std::printf("listd CPU: %.1f ms/s in all, %.3f ms/s per player\n", cpu / wall * 1000,
              cpu / wall * 1000 / players);
  std::printf("listd RSS: %ld KiB before, %ld KiB opened (+%.1f KiB per player), %ld KiB after the run\n",
              rss0, rss1, static_cast<double>(rss1 - rss0) / players, rss2);
  browsers.clear();
  servers.clear();
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  unlink(db.c_str());
  for (const char* suffix : {"-wal", "-shm"}) unlink((db + suffix).c_str());
  return 0;
}
