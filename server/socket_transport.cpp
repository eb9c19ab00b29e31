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
  if (Peer* peer = Find(connection)) peer->outgoing.Add(message);
}

std::vector<ConnectionId> SocketTransport::Flush() {
  std::vector<ConnectionId> broken;
  for (auto& [id, peer] : peers_) {
    TcpConnection& c = *peer.connection;
    if (!peer.outgoing.Empty()) peer.outgoing.Flush([&](std::string_view bytes) { return c.Send(bytes); });
    if (c.Broken()) broken.push_back(id);
  }
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
