#pragma once

#include <functional>
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
#include "server/web_socket.h"

namespace kb {

// The game's connections over TCP. Messages wait in one batch per peer until
// Flush, so the messages of one tick share a few sends. Peers are kept in
// accept order: the loop reads them in that order, so joins read in one round
// enter the table in the order the connections came. A connection whose first
// bytes are "GET " is a browser's: after the WebSocket handshake its frames
// carry the same bytes, unwrapped on the way in and wrapped at the flush, and
// from there on it is a peer like any other.
class SocketTransport final : public Transport {
 public:
  // The real client sends about a hundred messages a second at most; a
  // connection far beyond that is dropped before it costs the others.
  static constexpr int64_t kMessageInterval = 4;  // ms: 250 a second
  static constexpr int64_t kMessageBurst = 500;
  // Room kept for the shared runs of a round: a few, shared by all peers, so
  // a busy tick's size stays instead of being given back and taken again.
  static constexpr size_t kKeptRunCapacity = 1024 * 1024;

  enum class Kind { kUndecided, kGame, kHandshake, kWebSocket };

  struct Peer {
    std::unique_ptr<TcpConnection> connection;
    ReceiveBuffer received;
    SendBatch outgoing;
    int64_t lastReceive = 0;
    int64_t accepted = 0;
    std::string address;
    std::string group;  // what per-address rules count: AddressGroup(address)
    RateLimit messages{kMessageInterval, kMessageBurst};
    Kind kind = Kind::kUndecided;
    // Not yet counted for its address: a trusted proxy's connection, whose
    // handshake may name the player behind it.
    bool addressPending = false;
    std::string opening;  // first bytes until the kind is known; the handshake
    std::unique_ptr<WebSocketFraming> framing;
  };

  // What the bytes of one receive did.
  enum class Intake {
    kWaiting,  // nothing for the game yet (an unfinished opening)
    kData,     // game bytes, if any, are in received
    kClosed,   // the connection is over; its goodbye, if one is due, is sent
  };

  // fromProxy: a trusted proxy's connection (see Peer::addressPending).
  ConnectionId Add(std::unique_ptr<TcpConnection> connection, int64_t now, bool fromProxy = false);
  // The bytes of one receive from the peer, into its receive buffer. A
  // WebSocket's control frames count against its message rate.
  Intake Take(ConnectionId id, std::string_view bytes, int64_t now);
  // Asked once a proxy's connection has its real address; false turns it away.
  std::function<bool(const std::string& address)> admit;
  void Close(ConnectionId id);
  void CloseAll();
  Peer* Find(ConnectionId id);

  void Send(ConnectionId connection, std::string_view message) override;
  // One copy of the messages for this loop round, which every receiver's
  // batch points to; the flush hands it to the system once per receiver.
  void SendToEach(std::span<const ConnectionId> receivers, std::string_view messages) override;
  std::string Address(ConnectionId connection) const override;
  // Open connections from the address's group (an IPv6 peer's /64).
  int CountFrom(const std::string& address) const;
  // Sends every batch; returns the connections that broke on the way.
  std::vector<ConnectionId> Flush();
  // Flushes and waits (bounded) until every queue is empty; WebSocket peers
  // get a close frame after their last messages.
  void Drain(int timeoutMs);

  size_t Size() const { return peers_.size(); }
  std::map<ConnectionId, Peer>& Peers() { return peers_; }

 private:
  Intake Open(ConnectionId id, Peer& peer, int64_t now);
  bool Settle(Peer& peer, const std::string& address);

  ConnectionId nextId_ = 1;
  std::map<ConnectionId, Peer> peers_;  // ids grow, so this is accept order
  std::vector<ConnectionId> pending_;   // peers with a batch to flush, once each
  // Runs shared by several batches until the next Flush; kept for reuse.
  std::vector<std::unique_ptr<std::string>> runs_;
  size_t runsUsed_ = 0;
  std::unordered_map<std::string, int> perAddress_;
  std::string unwrapped_;                 // one receive's game bytes out of its frames
  std::vector<std::string_view> frames_;  // one send's frames: headers and parts
};

}  // namespace kb
