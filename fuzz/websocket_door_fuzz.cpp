// kb-fuzz-libs: kb_server
// A connection to the game port as the server's transport takes it: the first bytes decide between a game
// client and a browser, a browser's opening (the HTTP request head) is answered, and its frames carry the
// game's bytes into the game. The other end is a socket pair, read as the peer would. Whatever arrives, the
// peer hears an HTTP answer first if it began with "GET", then only valid frames of whole messages with known
// keywords; a waiting opening stays under the limit. Input: a byte (receive size, from a trusted proxy), then
// the connection's bytes.
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "common/net/protocol.h"
#include "server/server_game.h"
#include "server/socket_transport.h"
#include "server/web_socket.h"

namespace {

struct World {
  kb::ServerSettings settings;
  kb::ManualClock clock{1000};
  kb::Random random{1};
  kb::SocketTransport transport;
  kb::ServerGame game{settings, clock, random, transport};
  World() {
    settings.name = "Fuzz";
    transport.admit = [](const std::string&) { return true; };
  }
};

// Everything the server has written so far, read from the peer's end.
void ReadAll(int fd, std::string& heard) {
  char buffer[65536];
  for (long n; (n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0;) heard.append(buffer, n);
}

void CheckMessages(std::string_view bytes) {
  if (!bytes.empty() && bytes.back() != kb::kMessageTerminator) std::abort();
  for (std::string_view m : kb::SplitMessages(bytes))
    if (kb::ParseKeyword(kb::MessageField(m, 1)) == kb::Keyword::kUnknown) std::abort();
}

// What a browser would make of the server's side of the connection.
void CheckHeard(std::string_view heard, bool browser) {
  if (!browser) return CheckMessages(heard);
  if (heard.empty()) return;
  if (!heard.starts_with("HTTP/1.1 ")) std::abort();
  size_t head = heard.find("\r\n\r\n");
  if (head == std::string_view::npos) std::abort();
  if (!heard.starts_with("HTTP/1.1 101 ")) return;  // a refusal, and nothing after it counts
  kb::WebSocketFraming framing(kb::WebSocketFraming::Side::kClient, SIZE_MAX);
  std::string data;
  framing.Decode(heard.substr(head + 4), data);  // up to the server's close frame, if it sent one
  CheckMessages(data);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static World* world = new World;
  int ends[2];
  if (socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0) std::abort();
  kb::SocketTransport& transport = world->transport;
  kb::ConnectionId id =
      transport.Add(std::make_unique<kb::TcpConnection>(ends[0]), world->clock.Now(), data[0] & 0x80);
  size_t step = 1 + (data[0] & 0x7F) * 8;
  std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  bool browser = input.starts_with("GET ");
  std::string heard, message;
  while (!input.empty()) {
    std::string_view receive = input.substr(0, step);
    input.remove_prefix(receive.size());
    kb::SocketTransport::Intake intake = transport.Take(id, receive, world->clock.Now());
    kb::SocketTransport::Peer* peer = transport.Find(id);
    if (intake == kb::SocketTransport::Intake::kWaiting && peer->opening.size() >= kb::kHandshakeLimit)
      std::abort();
    if (intake == kb::SocketTransport::Intake::kData)
      while (peer->received.Next(message)) world->game.HandleMessage(id, message);
    transport.Flush();
    ReadAll(ends[1], heard);
    if (intake == kb::SocketTransport::Intake::kClosed) break;
    world->clock.Advance(10);
  }
  world->game.HandleClosed(id);
  transport.Close(id);
  ReadAll(ends[1], heard);
  close(ends[1]);
  CheckHeard(heard, browser);
  return 0;
}
