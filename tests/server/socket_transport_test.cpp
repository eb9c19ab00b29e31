#include "server/socket_transport.h"

#include <gtest/gtest.h>

#include "common/net/protocol.h"
#include "common/platform/core/poller.h"
#include "tests/support/socket_options.h"

namespace kb {
namespace {

// Three real loopback connections whose server ends the transport owns,
// plain or already past a WebSocket handshake.
struct Peers {
  explicit Peers(bool webSocket) {
    InitNetwork();
    EXPECT_TRUE(listener.Open(0));
    for (int i = 0; i < 3; ++i) {
      clients.push_back(TcpConnection::Open("127.0.0.1", listener.Port()));
      Poller poller;
      poller.Add(listener.Fd(), true, false);
      std::unique_ptr<TcpConnection> accepted;
      if (poller.Wait(2000) > 0) listener.Accept(&accepted);
      EXPECT_TRUE(clients.back() && accepted);
      if (accepted) ids.push_back(transport.Add(std::move(accepted), 0));
      if (!webSocket || !accepted) continue;
      SocketTransport::Peer& peer = *transport.Find(ids.back());
      peer.kind = SocketTransport::Kind::kWebSocket;
      peer.framing = std::make_unique<WebSocketFraming>(WebSocketFraming::Side::kServer);
      unwrap[i] = std::make_unique<WebSocketFraming>(WebSocketFraming::Side::kClient);
    }
  }
  // What client i got, read until want bytes arrived (bounded).
  std::string Read(size_t i, size_t want) {
    std::string got;
    char buffer[8192];
    for (int round = 0; round < 2000 && got.size() < want; ++round) {
      for (auto& [id, peer] : transport.Peers()) peer.connection->FlushQueue();
      Poller poller;
      poller.Add(clients[i]->Fd(), true, false);
      if (poller.Wait(10) <= 0) continue;
      long n = clients[i]->Receive(buffer, sizeof buffer);
      if (n < 0) break;
      std::string_view bytes(buffer, static_cast<size_t>(n));
      if (!unwrap[i]) {
        got.append(bytes);
      } else if (!unwrap[i]->Decode(bytes, got)) {
        break;
      }
    }
    return got;
  }
  TcpListener listener;
  std::unique_ptr<WebSocketFraming> unwrap[3];
  std::vector<std::unique_ptr<TcpConnection>> clients;
  std::vector<ConnectionId> ids;
  SocketTransport transport;
};

std::string Lines(int count, int seed) {
  std::string out;
  for (int i = 0; i < count; ++i) out += BuildMessage(Keyword::kLine, {seed, i, seed + i, i * 7, 65280});
  return out;
}

TEST(SocketTransport, SharedRunsAndOwnMessagesReachEachPeerInOrderOverManyRounds) {
  for (bool webSocket : {false, true}) {
    SCOPED_TRACE(webSocket ? "websocket" : "tcp");
    Peers p(webSocket);
    ASSERT_EQ(p.ids.size(), 3u);
    // One peer reads slowly: its part of a large run waits in its queue.
    testing::SetSocketBuffer(p.transport.Find(p.ids[2])->connection->Fd(), true, 4096);
    std::string expected[3];
    for (int round = 0; round < 6; ++round) {
      // Rounds alternate a large tick run with small ones: the kept runs are
      // reused and must not mix the rounds' bytes.
      std::string big = Lines(round % 2 ? 30 : 3000, round), small1 = Lines(3, 100 + round);
      std::string own = BuildMessage(Keyword::kPong), mode = BuildMessage(Keyword::kMode, {8});
      ConnectionId all[] = {p.ids[0], p.ids[1], p.ids[2]}, some[] = {p.ids[0], p.ids[2]};
      p.transport.Send(p.ids[0], own);
      p.transport.SendToEach(all, big);
      p.transport.Send(p.ids[1], mode);
      p.transport.SendToEach(some, small1);
      p.transport.SendToEach(std::span<const ConnectionId>(all, 1), mode);
      expected[0] += own + big + small1 + mode;
      expected[1] += big + mode;
      expected[2] += big + small1;
      // Own and shared parts taking turns: more frames than one system call takes.
      for (int k = 0; k < (round % 2 ? 0 : 30); ++k) {
        p.transport.Send(p.ids[1], own);
        p.transport.SendToEach(some, small1);
        expected[0] += small1;
        expected[1] += own;
        expected[2] += small1;
      }
      EXPECT_TRUE(p.transport.Flush().empty());
      // The flush must not leave the transport pointing into this round's runs.
      big.assign(big.size(), 'X');
    }
    for (size_t i = 0; i < 3; ++i) {
      std::string got = p.Read(i, expected[i].size());
      EXPECT_TRUE(got == expected[i]) << "peer " << i << ": " << got.size() << " of " << expected[i].size();
    }
  }
}

}  // namespace
}  // namespace kb
