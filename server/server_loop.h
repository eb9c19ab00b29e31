#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "common/platform/core/clock.h"
#include "common/platform/core/poller.h"
#include "common/platform/core/random.h"
#include "common/platform/core/socket.h"
#include "server/list_registration.h"
#include "server/nat_verdict.h"
#include "server/port_mapper.h"
#include "server/rate_limit.h"
#include "server/server_game.h"
#include "server/socket_transport.h"

namespace kb {

// Measured by the loop for operators and the load benchmark.
struct TickStats {
  static constexpr int64_t kLateMs = 5;  // the most a tick may start past its due time
  uint64_t ticks = 0;
  double workMsTotal = 0;  // RunTick and the flush after it
  double workMsMax = 0;
  int64_t lateMsMax = 0;   // tick start past its due time
  uint64_t lateTicks = 0;  // started more than kLateMs past it
  uint64_t rounds = 0;     // loop rounds, ticks included
};

// The server's network side: one poll round handles every ready event, runs
// the tick when it is due and flushes the batches. It sleeps in poll until
// the next event or tick, so an idle server uses no CPU.
// The line an operator reads when the server ends. stopReason: what asked it
// to stop (a signal, the window); empty when the game ended itself, which only
// an administrator's SHUTDOWN does.
std::string ShutdownNotice(const std::string& stopReason);

class ServerLoop {
 public:
  static constexpr int kPortSearchTime = 5000;
  static constexpr int kMaxAcceptsPerRound = 64;
  // Connections that have not joined: a few per address and a few dozen in
  // all, apart from the players' places (ServerSettings::maxClients).
  static constexpr int kStrangersPerAddress = 4;
  static constexpr int kMaxStrangers = 32;
  // How long a newcomer keeps its place before another may push it out: a
  // browser's WebSocket opening and then its JOIN take two round trips.
  static constexpr int64_t kStrangerGraceMs = 2000;

  ServerLoop(ServerSettings& settings, Clock& clock, Random& random);

  // Listens on settings.bindAddresses (empty: both families everywhere).
  // fixedPort < 0: port 666, else random ports 300..65535 for up to 5000 ms;
  // fixedPort >= 0: only that port (0: any free one). Fills settings.port.
  bool Open(int fixedPort, int discoveryPort = kDiscoveryRequestPort);
  // Why Open failed, for the operator: the port and the system's reason.
  const std::string& OpenError() const { return openError_; }

  // One round, waiting at most maxWaitMs for something to do.
  void RunOnce(int maxWaitMs = 1000);
  // Rounds until the game shuts down; stop makes it shut down first.
  // onStatus gets the status line whenever it changes.
  void Run(const std::atomic<bool>& stop, const std::function<void(const std::string&)>& onStatus);
  // "MODE" 21 to everyone, sends what is queued (bounded) and closes.
  void Shutdown();

  // Called on the loop's thread after every round of Run, once the settings
  // other threads posted are applied (the window's view of the server).
  std::function<void()> eachRound;

  ServerGame& Game() { return game_; }
  SharedSettings& Shared() { return shared_; }
  SocketTransport& Transport() { return transport_; }
  ListRegistration& Registration() { return registration_; }
  PortMapper& Mapper() { return mapper_; }

  // The most the exit waits for the router to remove the forwarding.
  static constexpr int kUnmapWait = 2000;
  // Whether a registration first has the router forward the game port
  // (--no-open-port clears it).
  bool openPortToRegister = true;
  // Has the router forward the game port, once (--open-port; registering
  // asks for it itself).
  void OpenPort() { mapper_.Start(settings_.port); }
  const TickStats& Stats() const { return stats_; }
  void ResetStats() { stats_ = TickStats(); }
  int Port() const { return listeners_.empty() ? 0 : listeners_[0]->Port(); }

 private:
  // Whether a connection from the address is let in (per-address caps).
  bool Admit(const std::string& address);
  // Connections without a record from the address group, or from anywhere if empty.
  int StrangersFrom(const std::string& group);
  ConnectionId StrangerToPushOut(ConnectionId heard);
  // Every listener on the port (each bound address, both families by default).
  bool OpenListeners(int port);
  void AcceptAll(TcpListener& listener);
  void AnswerDatagrams();
  void ReceiveFrom(ConnectionId id);
  void Drop(ConnectionId id);
  void CloseIdleStrangers(int64_t now);
  // Every way to register comes here: the request names the port players
  // reach, so it waits for the router's answer.
  void RequestRegister();
  void ApplyMapping(const PortMapping& mapping);
  // Tells the operator once when the router's forwarding cannot help.
  void JudgeNatFor(const std::string& seen);

  ServerSettings& settings_;
  SharedSettings shared_{settings_};
  Clock& clock_;
  Random& random_;
  SocketTransport transport_;
  ServerGame game_;
  ListRegistration registration_;
  PortMapper mapper_;
  PortMapping mapping_;
  bool mappingSettled_ = false;
  bool registerWhenMapped_ = false;
  NatVerdict told_ = NatVerdict::kFine;
  // One for both families, or one per bound address.
  std::vector<std::unique_ptr<TcpListener>> listeners_;
  std::string openError_;
  UdpSocket discovery_;
  Poller poller_;
  std::vector<ConnectionId> slots_;
  bool acceptPaused_ = false;
  ConnectGuard connectGuard_;
  TickStats stats_;
};

}  // namespace kb
