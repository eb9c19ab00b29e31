// kb-fuzz-libs: kb_client
// A server's byte stream reaches a joined client, cut into receives, with a
// step of the game (receive, dispatch, keys, sending) after each, and the
// network screen drawn at the end (a whole frame per step would cost twenty
// times the rest). Input: one byte choosing the receive size, then the stream. What the
// server can make the client keep stays bounded.
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string_view>

#include "client/core/game_state.h"
#include "client/ui/net_view.h"
#include "common/net/score_list.h"
#include "tests/client/harness.h"

namespace {

// One client for every input: a new one costs far more than a run.
kb::NetClient& Joined() {
  static kb::NetClient* client = new kb::NetClient;
  kb::NetClient& c = *client;
  if (c.State() != kb::kStateNet || !c.client.net.link) {
    c.Join();
    c.LockedFrame();
    if (!c.client.net.link) std::abort();
  }
  return c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  kb::NetClient& c = Joined();
  kb::Client& client = c.client;
  // What an earlier input left half-received or said is not this one's.
  client.net.received = kb::ReceiveBuffer();
  c.peer->flushed.clear();
  if (client.console.lines.Size() > 1000) client.console.lines.Clear();

  size_t step = 1 + data[0];
  std::string_view stream(reinterpret_cast<const char*>(data) + 1, size - 1);
  while (!stream.empty() && c.peer && !c.peer->destroyed) {
    c.peer->chunks.emplace_back(stream.substr(0, step));
    stream.remove_prefix(std::min(step, stream.size()));
    std::lock_guard lock(client.stateLock);
    kb::UpdateFrame(client);
    c.clock.Advance(1);
    if (client.round.scoreList.size() > kb::kMaxScoreEntries) std::abort();
    if (client.serverLabel.size() > 256) std::abort();
    for (const kb::ChatLine& line : client.net.chatHistory)
      if (line.text.size() > 256) std::abort();
  }
  std::lock_guard lock(client.stateLock);
  if (c.State() == kb::kStateNet) kb::DrawNetGame(client);
  return 0;
}
