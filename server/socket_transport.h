#pragma once

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/net/receive_buffer.h"
#include "common/net/send_batch.h"
#include "common/platform/core/socket.h"
#include "server/rate_limit.h"
#include "server/transport.h"

namespace kb {

// The game's connections over TCP. Messages wait in one batch per peer until
// Flush, so the messages of one tick share a few sends. Peers are kept in
// accept order: the loop reads them in that order, so joins read in one round
// enter the table in the order the connections came.
class SocketTransport final : public Transport {
 public:
  // The real client sends about a hundred messages a second at most; a
  // connection far beyond that is dropped before it costs the others.
  static constexpr int64_t kMessageInterval = 4;  // ms: 250 a second
  static constexpr int64_t kMessageBurst = 500;

  struct Peer {
    std::unique_ptr<TcpConnection> connection;
    ReceiveBuffer received;
    SendBatch outgoing;
    int64_t lastReceive = 0;
    std::string address;
    RateLimit messages{kMessageInterval, kMessageBurst};
  };

  ConnectionId Add(std::unique_ptr<TcpConnection> connection, int64_t now);
  void Close(ConnectionId id);
  void CloseAll();
  Peer* Find(ConnectionId id);

  void Send(ConnectionId connection, std::string_view message) override;
  std::string Address(ConnectionId connection) const override;
  // Open connections from one remote address.
  int CountFrom(const std::string& address) const;
  // Sends every batch; returns the connections that broke on the way.
  std::vector<ConnectionId> Flush();
  // Flushes and waits (bounded) until every queue is empty.
  void Drain(int timeoutMs);

  size_t Size() const { return peers_.size(); }
  std::map<ConnectionId, Peer>& Peers() { return peers_; }

 private:
  ConnectionId nextId_ = 1;
  std::map<ConnectionId, Peer> peers_;  // ids grow, so this is accept order
  std::unordered_map<std::string, int> perAddress_;
};

}  // namespace kb
