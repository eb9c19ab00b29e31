#include "server/socket_transport.h"

#include <chrono>

#include "common/net/forwarded_for.h"

namespace kb {
namespace {

constexpr std::string_view kGet = "GET ";
constexpr uint16_t kGoingAway = 1001;
// Parts one system call takes (TcpConnection::Send).
constexpr size_t kMaxFrameParts = 64;

// Hands what the framing has for the peer (frames, answers) to its connection.
void SendFrames(TcpConnection& connection, WebSocketFraming& framing) {
  if (framing.Output().empty()) return;
  connection.Send(framing.Output());
  framing.Output().clear();
}

}  // namespace

ConnectionId SocketTransport::Add(std::unique_ptr<TcpConnection> connection, int64_t now, bool fromProxy) {
  ConnectionId id = nextId_++;
  Peer& peer = peers_[id];
  peer.address = connection->PeerAddress();
  peer.group = AddressGroup(peer.address);
  peer.connection = std::move(connection);
  peer.lastReceive = peer.accepted = now;
  peer.addressPending = fromProxy;
  if (!fromProxy) ++perAddress_[peer.group];
  return id;
}

void SocketTransport::Close(ConnectionId id) {
  auto it = peers_.find(id);
  if (it == peers_.end()) return;
  auto count = perAddress_.find(it->second.group);
  if (!it->second.addressPending && count != perAddress_.end() && --count->second <= 0)
    perAddress_.erase(count);
  peers_.erase(it);
}

bool SocketTransport::Settle(Peer& peer, const std::string& address) {
  if (!peer.addressPending) return true;
  if (admit && !admit(address)) return false;
  peer.address = address;
  peer.group = AddressGroup(address);
  peer.addressPending = false;
  ++perAddress_[peer.group];
  return true;
}

SocketTransport::Intake SocketTransport::Take(ConnectionId id, std::string_view bytes, int64_t now) {
  Peer* peer = Find(id);
  if (!peer) return Intake::kClosed;
  switch (peer->kind) {
    case Kind::kGame:
      return peer->received.Add(bytes) ? Intake::kData : Intake::kClosed;
    case Kind::kWebSocket: {
      unwrapped_.clear();
      int controlFrames = 0;
      bool open = peer->framing->Decode(bytes, unwrapped_, &controlFrames);
      SendFrames(*peer->connection, *peer->framing);
      while (open && controlFrames-- > 0) open = peer->messages.Allow(now);
      return open && peer->received.Add(unwrapped_) ? Intake::kData : Intake::kClosed;
    }
    default:
      peer->opening.append(bytes);
      return Open(id, *peer, now);
  }
}

SocketTransport::Intake SocketTransport::Open(ConnectionId id, Peer& peer, int64_t now) {
  std::string_view opening = peer.opening;
  if (peer.kind == Kind::kUndecided) {
    size_t n = std::min(opening.size(), kGet.size());
    if (opening.substr(0, n) != kGet.substr(0, n)) {
      // A game client: these are its first messages.
      if (!Settle(peer, peer.address)) return Intake::kClosed;
      peer.kind = Kind::kGame;
      std::string first = std::move(peer.opening);
      return Take(id, first, now);
    }
    if (opening.size() < kGet.size()) return Intake::kWaiting;
    peer.kind = Kind::kHandshake;
  }
  WebSocketHandshake handshake = ReadHandshake(opening);
  if (handshake.state == WebSocketHandshake::State::kIncomplete) return Intake::kWaiting;
  if (handshake.state == WebSocketHandshake::State::kUpgrade && peer.addressPending) {
    // Behind a trusted proxy the player is the address it forwards.
    std::string address =
        handshake.forwardedFor.empty() ? peer.address : ForwardedAddress(handshake.forwardedFor);
    if (address.empty()) {
      handshake.state = WebSocketHandshake::State::kRefused;
      handshake.answer = HttpRefusal(400, "Bad Request");
    } else if (!Settle(peer, address)) {
      handshake.state = WebSocketHandshake::State::kRefused;
      handshake.answer = HttpRefusal(503, "Service Unavailable");
    }
  }
  peer.connection->Send(handshake.answer);
  if (handshake.state != WebSocketHandshake::State::kUpgrade) return Intake::kClosed;
  peer.kind = Kind::kWebSocket;
  peer.framing = std::make_unique<WebSocketFraming>(WebSocketFraming::Side::kServer);
  // Frames a client sent before the answer came.
  std::string rest = peer.opening.substr(handshake.length);
  std::string().swap(peer.opening);
  return Take(id, rest, now);
}

void SocketTransport::CloseAll() {
  peers_.clear();
  perAddress_.clear();
}

SocketTransport::Peer* SocketTransport::Find(ConnectionId id) {
  auto it = peers_.find(id);
  return it == peers_.end() ? nullptr : &it->second;
}

std::string SocketTransport::Address(ConnectionId connection) const {
  auto it = peers_.find(connection);
  return it == peers_.end() ? std::string() : it->second.address;
}

int SocketTransport::CountFrom(const std::string& address) const {
  auto it = perAddress_.find(AddressGroup(address));
  return it == perAddress_.end() ? 0 : it->second;
}

void SocketTransport::Send(ConnectionId connection, std::string_view message) {
  Peer* peer = Find(connection);
  if (!peer) return;
  if (peer->outgoing.Empty()) pending_.push_back(connection);
  peer->outgoing.Add(message);
}

void SocketTransport::SendToEach(std::span<const ConnectionId> receivers, std::string_view messages) {
  // A short run costs less copied than tracked.
  if (receivers.size() < 2 || messages.size() < 64) {
    Transport::SendToEach(receivers, messages);
    return;
  }
  if (runsUsed_ == runs_.size()) runs_.push_back(std::make_unique<std::string>());
  std::string& run = *runs_[runsUsed_++];
  run.assign(messages);
  for (ConnectionId id : receivers) {
    Peer* peer = Find(id);
    if (!peer) continue;
    if (peer->outgoing.Empty()) pending_.push_back(id);
    peer->outgoing.AddShared(run);
  }
}

std::vector<ConnectionId> SocketTransport::Flush() {
  // Only peers that got something: a loop round with one answer costs one
  // send, not a walk over every connection.
  std::vector<ConnectionId> broken;
  for (ConnectionId id : pending_) {
    Peer* peer = Find(id);
    if (!peer) continue;
    TcpConnection& c = *peer->connection;
    if (WebSocketFraming* framing = peer->framing.get()) {
      // Each send's parts framed in place: a shared run is not copied per browser.
      peer->outgoing.Flush(SendBatch::SendParts([&](std::span<const std::string_view> parts) {
        framing->Encode(parts, &frames_);
        bool sent = true;
        for (size_t i = 0; sent && i < frames_.size(); i += kMaxFrameParts)
          sent = c.Send(std::span(frames_).subspan(i, std::min(kMaxFrameParts, frames_.size() - i)));
        return sent;
      }));
    } else {
      peer->outgoing.Flush(
          SendBatch::SendParts([&](std::span<const std::string_view> parts) { return c.Send(parts); }));
    }
    if (c.Broken()) broken.push_back(id);
  }
  pending_.clear();
  // No batch points into the runs any more.
  for (size_t i = 0; i < runsUsed_; ++i) {
    std::string& run = *runs_[i];
    if (run.capacity() > kKeptRunCapacity && run.size() < run.capacity() / 4) {
      std::string().swap(run);
    } else {
      run.clear();
    }
  }
  runsUsed_ = 0;
  return broken;
}

void SocketTransport::Drain(int timeoutMs) {
  Flush();
  for (auto& [id, peer] : peers_) {
    if (!peer.framing) continue;
    peer.framing->Close(kGoingAway);
    SendFrames(*peer.connection, *peer.framing);
  }
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (auto& [id, peer] : peers_) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    peer.connection->Drain(static_cast<int>(left.count()));
  }
}

}  // namespace kb
