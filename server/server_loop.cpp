#include "server/server_loop.h"

#include <algorithm>
#include <chrono>
#include <unordered_map>

#include "common/net/protocol.h"

namespace kb {

ServerLoop::ServerLoop(ServerSettings& settings, Clock& clock, Random& random)
    : settings_(settings),
      clock_(clock),
      random_(random),
      game_(settings, clock, random, transport_),
      registration_(game_, settings) {
  game_.startRegisterEntry = [this] { RequestRegister(); };
  registration_.registered = [this] { JudgeNatFor(registration_.SeenAddress()); };
  game_.startDeleteEntry = [this] { registration_.StartDelete(); };
  transport_.admit = [this](const std::string& address) { return Admit(address); };
}

// Every per-address rule counts an IPv6 peer by its /64: a home holds a
// whole one, and rotating through it must gain nothing.
bool ServerLoop::Admit(const std::string& address) {
  std::string group = AddressGroup(address);
  return transport_.CountFrom(address) < settings_.maxConnectionsPerAddress &&
         StrangersFrom(group) < kStrangersPerAddress && connectGuard_.Allow(group, clock_.Now());
}

int ServerLoop::StrangersFrom(const std::string& group) {
  int count = 0;
  for (auto& [id, peer] : transport_.Peers())
    count += !game_.Clients().Find(id) && (group.empty() || (!peer.addressPending && peer.group == group));
  return count;
}

// The stranger a newcomer takes the place of: the oldest of the address that
// holds the most, among those accepted up to `heard` (their bytes were read
// this round, so a client that sends JOIN with its connection has joined)
// and past their grace. 0 if there is none.
ConnectionId ServerLoop::StrangerToPushOut(ConnectionId heard) {
  struct Holder {
    ConnectionId oldest;
    int count;
  };
  std::unordered_map<std::string, Holder> holders;
  int64_t now = clock_.Now();
  for (auto& [id, peer] : transport_.Peers())
    if (id <= heard && now - peer.accepted >= kStrangerGraceMs && !game_.Clients().Find(id))
      ++holders.try_emplace(peer.group, Holder{id, 0}).first->second.count;
  const Holder* most = nullptr;
  for (auto& [address, h] : holders)
    if (!most || h.count > most->count || (h.count == most->count && h.oldest < most->oldest)) most = &h;
  return most ? most->oldest : 0;
}

std::string ShutdownNotice(const std::string& stopReason) {
  return "shutting down: " +
         (stopReason.empty() ? std::string("an administrator sent SHUTDOWN") : stopReason);
}

bool ServerLoop::OpenListeners(int port) {
  listeners_.clear();
  std::vector<std::string> addresses = settings_.bindAddresses;
  if (addresses.empty()) addresses.push_back("");
  for (const std::string& address : addresses) {
    auto listener = std::make_unique<TcpListener>();
    // Port 0: the first takes any free port, the others the same one.
    bool open = listener->Open(address, listeners_.empty() ? port : listeners_[0]->Port());
    openError_ = listener->OpenError();
    if (!open) {
      if (!address.empty()) openError_ = address + ": " + openError_;
      listeners_.clear();
      return false;
    }
    listeners_.push_back(std::move(listener));
  }
  return true;
}

bool ServerLoop::Open(int fixedPort, int discoveryPort) {
  InitNetwork();
  bool open;
  if (fixedPort >= 0) {
    open = OpenListeners(fixedPort);
  } else {
    int64_t start = clock_.Now();
    open = OpenListeners(kDefaultGamePort);
    while (!open && clock_.Now() - start <= kPortSearchTime) {
      open = OpenListeners(300 + random_.Next(65235));
      clock_.Sleep(1);
    }
  }
  if (!open) {
    openError_ = fixedPort >= 0 ? "port " + std::to_string(fixedPort) + ": " + openError_
                                : "no free port found, the last one tried: " + openError_;
    return false;
  }
  settings_.port = Port();
  // Not being found on the LAN is no reason to stop.
  if (discoveryPort >= 0) discovery_.Open(discoveryPort);
  return true;
}

// Runs after the round's reads. When every stranger's place is taken, a
// newcomer pushes one out rather than being refused: refusing would let a
// handful of addresses keep everyone out by reconnecting as fast as their
// connections are closed, while a pushed-out holder only loses a connection
// that was not going to join. A newcomer keeps its place for a grace time,
// so churn cannot push out a slow player before its JOIN arrives.
void ServerLoop::AcceptAll(TcpListener& listener) {
  ConnectionId heard = transport_.Peers().empty() ? 0 : transport_.Peers().rbegin()->first;
  for (int i = 0; i < kMaxAcceptsPerRound; ++i) {
    bool full = StrangersFrom({}) >= kMaxStrangers;
    ConnectionId pushOut = full ? StrangerToPushOut(heard) : 0;
    // Every place held by a stranger not yet read or in its grace: the rest
    // wait in the listen queue until the next tick looks again.
    if (full && !pushOut) {
      acceptPaused_ = true;
      break;
    }
    std::unique_ptr<TcpConnection> connection;
    AcceptResult result = listener.Accept(&connection);
    if (result == AcceptResult::kConnection) {
      // Over a cap the connection is taken and closed at once, so it holds
      // neither a descriptor nor a place in the accept queue. A trusted
      // proxy's players (and the list host's relayed ones) are counted by
      // their own address once it is known.
      std::string address = connection->PeerAddress();
      bool proxy = settings_.TrustsProxy(address) || registration_.TrustsListHost(address);
      if (static_cast<int>(game_.Clients().Size()) >= settings_.maxClients || (!proxy && !Admit(address)))
        continue;
      if (pushOut) Drop(pushOut);
      transport_.Add(std::move(connection), clock_.Now(), proxy);
      continue;
    }
    // Out of descriptors: the listener would stay readable and spin the
    // loop; try again after the next tick.
    if (result == AcceptResult::kOutOfResources) acceptPaused_ = true;
    break;
  }
}

void ServerLoop::AnswerDatagrams() {
  char buffer[kReceiveBufferSize];
  std::string sender;
  for (int i = 0; i < 16; ++i) {
    long n = discovery_.Receive(buffer, sizeof buffer, &sender);
    if (n < 0) break;
    // A search over IPv6 comes to ff02::1 from a link-local address; it is
    // answered by multicast on that link alone, so a request from afar never
    // makes the server speak to every link it is on.
    bool v6 = IsIpv6Text(sender);
    if (v6 && (!sender.starts_with("fe8") || !discovery_.SenderInterface())) continue;
    if (auto answer = game_.AnswerDiscovery(std::string_view(buffer, static_cast<size_t>(n)))) {
      if (v6) {
        SendLinkMulticast(kDiscoveryAnswerPort, *answer, discovery_.SenderInterface());
      } else {
        Broadcast(kDiscoveryAnswerPort, *answer);
      }
    }
  }
}

void ServerLoop::Drop(ConnectionId id) {
  transport_.Close(id);
  game_.HandleClosed(id);
}

void ServerLoop::ReceiveFrom(ConnectionId id) {
  SocketTransport::Peer* peer = transport_.Find(id);
  if (!peer) return;
  char buffer[kReceiveBufferSize];
  long n = peer->connection->Receive(buffer, sizeof buffer);
  if (n == 0) return;
  int64_t now = clock_.Now();
  SocketTransport::Intake intake =
      n < 0 ? SocketTransport::Intake::kClosed
            : transport_.Take(id, std::string_view(buffer, static_cast<size_t>(n)), now);
  if (intake == SocketTransport::Intake::kClosed) {
    Drop(id);
    return;
  }
  if (intake == SocketTransport::Intake::kWaiting) return;
  std::string_view message;  // in place: nothing is copied per message
  // A message may remove the record but never the peer, so peer stays valid.
  while (!game_.ShutdownRequested() && peer->received.Next(message)) {
    if (!peer->messages.Allow(now)) {
      Drop(id);
      return;
    }
    // Only whole messages count against silence: a trickle of bytes that
    // never completes one keeps nobody's place.
    peer->lastReceive = now;
    game_.HandleMessage(id, message);
  }
}

void ServerLoop::CloseIdleStrangers(int64_t now) {
  // Connections without a record (never joined, left, or dropped for
  // silence) would otherwise hold a slot forever: a client joins at once, so
  // one that has not after kJoinTime goes. An opening (a handshake) has a few
  // seconds to arrive whole.
  std::vector<ConnectionId> idle;
  for (auto& [id, peer] : transport_.Peers()) {
    bool opening = peer.kind == SocketTransport::Kind::kHandshake ||
                   (peer.kind == SocketTransport::Kind::kUndecided && !peer.opening.empty());
    bool stranger = !game_.Clients().Find(id);
    if ((opening && now - peer.accepted > kHandshakeTime) ||
        (stranger && (now - peer.accepted > kJoinTime || now - peer.lastReceive > kSilenceTimeout)))
      idle.push_back(id);
  }
  for (ConnectionId id : idle) Drop(id);
}

void ServerLoop::RunOnce(int maxWaitMs) {
  ++stats_.rounds;
  poller_.Clear();
  slots_.clear();
  size_t udpSlot = SIZE_MAX;
  size_t listenSlots = acceptPaused_ ? 0 : listeners_.size();
  for (size_t i = 0; i < listenSlots; ++i) poller_.Add(listeners_[i]->Fd(), true, false);
  if (discovery_.IsOpen()) udpSlot = poller_.Add(discovery_.Fd(), true, false);
  size_t firstPeer = poller_.Size();
  for (auto& [id, peer] : transport_.Peers()) {
    poller_.Add(peer.connection->Fd(), true, peer.connection->Queued() > 0);
    slots_.push_back(id);
  }
  int64_t wait = std::clamp<int64_t>(game_.NextTickAt() - clock_.Now(), 0, maxWaitMs);
  int ready = poller_.Wait(static_cast<int>(wait));
  if (ready > 0) {
    if (udpSlot != SIZE_MAX && poller_.Readable(udpSlot)) AnswerDatagrams();
    for (size_t i = 0; i < slots_.size(); ++i) {
      size_t slot = firstPeer + i;
      if (poller_.Writable(slot)) {
        if (SocketTransport::Peer* peer = transport_.Find(slots_[i]);
            peer && !peer->connection->FlushQueue()) {
          Drop(slots_[i]);
          continue;
        }
      }
      if (poller_.Readable(slot)) ReceiveFrom(slots_[i]);
      // After "MODE" 21 nothing else may reach anyone; Shutdown closes.
      if (game_.ShutdownRequested()) return;
    }
    for (size_t i = 0; i < listenSlots; ++i)
      if (poller_.Readable(i)) AcceptAll(*listeners_[i]);
  }
  if (game_.TickDue()) {
    auto start = std::chrono::steady_clock::now();
    int64_t now = clock_.Now();
    stats_.lateMsMax = std::max(stats_.lateMsMax, now - game_.NextTickAt());
    stats_.lateTicks += now - game_.NextTickAt() > TickStats::kLateMs;
    CloseIdleStrangers(now);
    acceptPaused_ = false;
    game_.RunTick();
    for (ConnectionId id : transport_.Flush()) Drop(id);
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    ++stats_.ticks;
    stats_.workMsTotal += ms;
    stats_.workMsMax = std::max(stats_.workMsMax, ms);
  }
  if (std::optional<PortMapping> mapping = mapper_.Poll()) ApplyMapping(*mapping);
  // Results of the list tasks: their answers to administrators go out now.
  registration_.Drain();
  for (ConnectionId id : transport_.Flush()) Drop(id);
}

void ServerLoop::Shutdown() {
  if (!game_.ShutdownRequested()) game_.Shutdown();
  // The router removes the forwarding while the list host gets its deletion.
  mapper_.Stop(0);
  int64_t sent = clock_.Now();
  std::vector<std::unique_ptr<TcpConnection>> deletions = registration_.SendExitDeletion();
  transport_.Drain(1000);
  // The list host gets its second to read the deletion; its answer is not awaited.
  while (!deletions.empty() && clock_.Now() - sent < ListRegistration::kExitWait) clock_.Sleep(10);
  deletions.clear();
  mapper_.Stop(kUnmapWait);
  transport_.CloseAll();
  listeners_.clear();
  discovery_.Close();
}

void ServerLoop::RequestRegister() {
  if (openPortToRegister) OpenPort();
  if (mapper_.Started() && !mappingSettled_) {
    registerWhenMapped_ = true;
    game_.entryState = -1;
    return;
  }
  registration_.StartRegister();
}

void ServerLoop::ApplyMapping(const PortMapping& mapping) {
  bool first = !mappingSettled_;
  mappingSettled_ = true;
  int before = registration_.outsidePort;
  registration_.outsidePort = mapping.mapped ? mapping.externalPort : 0;
  mapping_ = mapping;
  std::string port = std::to_string(settings_.port);
  std::string text;
  if (mapping.mapped && first) {
    text = "Der Router leitet Port " + port + " an den Server weiter (" + mapping.kind + ")";
    if (mapping.externalPort != settings_.port)
      text +=
          "; Spieler aus dem Internet erreichen ihn \xFC"
          "ber Port " +
          std::to_string(mapping.externalPort);
    text += ".";
  } else if (mapping.mapped) {
    text = "Der Router leitet jetzt Port " + std::to_string(mapping.externalPort) + " an den Server weiter.";
  } else if (!first || !registerWhenMapped_) {
    // A registration that follows tells the outcome that matters itself.
    text = first ? "Kein Router hat Port " + port +
                       " ge\xF6"
                       "ffnet."
                 : "Der Router leitet Port " + port + " nicht mehr weiter.";
  }
  if (!text.empty()) {
    game_.NotifyAdmins(text, mapping.mapped ? kAdminGreen : kAdminRed);
    registration_.show({!mapping.mapped, "Kringelbahn Server", text});
  }
  if (mapping.mapped) JudgeNatFor("");
  if (registerWhenMapped_) {
    registerWhenMapped_ = false;
    registration_.StartRegister();
  } else if (game_.entryState == 1 && registration_.outsidePort != before) {
    // The list must learn the port players now reach.
    registration_.StartRegister();
  }
}

void ServerLoop::JudgeNatFor(const std::string& seen) {
  NatVerdict verdict = JudgeNat(mapping_.externalAddress, seen);
  if (verdict == NatVerdict::kFine || verdict == told_) return;
  told_ = verdict;
  std::string text = NatVerdictText(verdict, mapping_.externalAddress, seen);
  game_.NotifyAdmins(text, kAdminRed);
  registration_.show({true, "Kringelbahn Server", text});
}

void ServerLoop::Run(const std::atomic<bool>& stop, const std::function<void(const std::string&)>& onStatus) {
  std::string shown;
  while (!game_.ShutdownRequested() && !stop) {
    RunOnce();
    shared_.Sync();
    if (eachRound) eachRound();
    std::string status = game_.StatusLine();
    if (status != shown && onStatus) onStatus(status);
    shown = status;
  }
  Shutdown();
}

}  // namespace kb
