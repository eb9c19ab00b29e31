// kb-fuzz-libs: kb_client
// A server's byte stream reaches a joined client, cut into receives, with a step of the game (receive,
// dispatch, keys, sending) after each, and the network screen drawn at the end. Input: one byte choosing the
// receive size, then the stream. What the server can make the client keep stays bounded (it cuts a server's
// texts at 256 bytes and its score lists at kMaxScoreEntries).
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "client/core/game_state.h"
#include "client/ui/net_view.h"
#include "common/net/score_list.h"
#include "tests/client/harness.h"

namespace {

// One client for every input: a new one costs far more than a run. It draws on a small screen: every Image
// operation clips (text_draw fuzzes that), so the drawing code meets the same data at a fraction of the
// pixels; at full size the twelve fade frames of a change of state and the end state's picture took most of a
// run.
kb::NetClient& Fixture() {
  static kb::NetClient* client = [] {
    auto* c = new kb::NetClient;
    c->client.screen = kb::Image(160, 120);
    return c;
  }();
  return *client;
}

// Back to a fresh join, with nothing half-received, said or shown. Done at the end of each input, so what an
// input allocates is freed within it: the fuzzer scans the whole heap for leaks after any input that frees
// less than it allocates.
void Rejoin(kb::NetClient& c) {
  kb::Client& client = c.client;
  client.net.session.received = kb::ReceiveBuffer();
  client.net.session.chatHistory = {};
  client.consoleLines.Clear();
  if (c.State() != kb::kStateNet || !client.net.session.link) {
    c.Join();
    c.Frame();
    if (!client.net.session.link) std::abort();
  }
  c.peer->flushed.clear();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  kb::NetClient& c = Fixture();
  kb::Client& client = c.client;
  if (!c.peer) Rejoin(c);

  size_t step = 1 + data[0];
  std::string_view stream(reinterpret_cast<const char*>(data) + 1, size - 1);
  while (!stream.empty() && c.peer && !c.peer->destroyed) {
    c.peer->chunks.emplace_back(stream.substr(0, step));
    stream.remove_prefix(std::min(step, stream.size()));
    kb::UpdateFrame(client);
    c.clock.Advance(1);
    if (client.round.scoreList.size() > kb::kMaxScoreEntries) std::abort();
    if (client.serverLabel.size() > 256) std::abort();
    for (const kb::ChatLine& line : client.net.session.chatHistory)
      if (line.text.size() > 256) std::abort();
  }
  if (c.State() == kb::kStateNet) kb::DrawNetGame(client.screen, client.resources, client);
  Rejoin(c);
  return 0;
}
