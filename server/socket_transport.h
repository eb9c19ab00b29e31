#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "common/net/receive_buffer.h"
#include "common/net/send_batch.h"
#include "common/platform/core/socket.h"
#include "server/transport.h"

namespace kb {

// The game's connections over TCP. Messages wait in one batch per peer until
// Flush, so the messages of one tick share a few sends.
class SocketTransport final : public Transport {
 public:
  struct Peer {
    std::unique_ptr<TcpConnection> connection;
    ReceiveBuffer received;
    SendBatch outgoing;
    int64_t lastReceive = 0;
  };

  ConnectionId Add(std::unique_ptr<TcpConnection> connection, int64_t now);
  void Close(ConnectionId id);
  void CloseAll();
  Peer* Find(ConnectionId id);

  void Send(ConnectionId connection, std::string_view message) override;
  // Sends every batch; returns the connections that broke on the way.
  std::vector<ConnectionId> Flush();
  // Flushes and waits (bounded) until every queue is empty.
  void Drain(int timeoutMs);

  size_t Size() const { return peers_.size(); }
  std::unordered_map<ConnectionId, Peer>& Peers() { return peers_; }

 private:
  ConnectionId nextId_ = 1;
  std::unordered_map<ConnectionId, Peer> peers_;
};

}  // namespace kb
