#include "server/socket_transport.h"

#include <chrono>

namespace kb {

ConnectionId SocketTransport::Add(std::unique_ptr<TcpConnection> connection, int64_t now) {
  ConnectionId id = nextId_++;
  Peer& peer = peers_[id];
  peer.address = connection->PeerAddress();
  peer.connection = std::move(connection);
  peer.lastReceive = now;
  ++perAddress_[peer.address];
  return id;
}

void SocketTransport::Close(ConnectionId id) {
  auto it = peers_.find(id);
  if (it == peers_.end()) return;
  auto count = perAddress_.find(it->second.address);
  if (count != perAddress_.end() && --count->second <= 0) perAddress_.erase(count);
  peers_.erase(it);
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
  auto it = perAddress_.find(address);
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
    peer->outgoing.Flush(
        SendBatch::SendParts([&](std::span<const std::string_view> parts) { return c.Send(parts); }));
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
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (auto& [id, peer] : peers_) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    peer.connection->Drain(static_cast<int>(left.count()));
  }
}

}  // namespace kb
