// kb-fuzz-libs: kb_server
// Arbitrary bytes, cut into receives of arbitrary sizes on three
// connections, go through the receive buffer into the game, with ticks in
// between. Every message the game sends must be framed soundly.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/net/protocol.h"
#include "common/net/receive_buffer.h"
#include "server/server_game.h"

namespace {

class CheckingTransport final : public kb::Transport {
 public:
  void Send(kb::ConnectionId, std::string_view message) override {
    if (message.empty() || message.back() != kb::kMessageTerminator) std::abort();
    if (message.find('\0') != std::string_view::npos) std::abort();
    if (message.find(kb::kMessageTerminator) != message.size() - 1) std::abort();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kb::ServerSettings settings;
  settings.name = "Fuzz";
  settings.adminPassword = "a";
  kb::ManualClock clock(1000);
  kb::Random random(size);
  CheckingTransport transport;
  kb::ServerGame game(settings, clock, random, transport);
  kb::ReceiveBuffer buffers[3];

  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string message;
  while (input.size() >= 2) {
    // Two control bytes: which connection, how long the receive, how much time passes.
    uint8_t a = static_cast<uint8_t>(input[0]);
    uint8_t b = static_cast<uint8_t>(input[1]);
    input.remove_prefix(2);
    int connection = a % 3;
    size_t length = std::min<size_t>(input.size(), 1 + (b & 0x3F) * 4);
    std::string_view chunk = input.substr(0, length);
    input.remove_prefix(length);
    if (buffers[connection].Add(chunk)) {
      while (buffers[connection].Next(message)) game.HandleMessage(connection + 1, message);
    } else {
      game.HandleClosed(connection + 1);
      buffers[connection] = kb::ReceiveBuffer();
    }
    clock.Advance((a >> 2) * 40 + (b >> 6) * 1000);
    while (game.TickDue()) game.RunTick();
    if (game.ShutdownRequested()) break;
  }
  return 0;
}
