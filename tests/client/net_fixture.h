#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "client/core/net_connection.h"
#include "common/net/protocol.h"
#include "tests/client/spine_harness.h"

namespace kb {

using Strings = std::vector<std::string>;

// The server's end of a scripted link. Only one thread at a time touches it:
// the connection task before it hands the link over, then the frame thread.
struct ScriptedPeer {
  std::deque<std::string> chunks;  // one Receive each
  bool closed = false;             // Receive reports -1 once the chunks are used up
  bool failFlush = false;          // a server that stopped reading
  std::string queued, flushed;
  int drains = 0;
  bool destroyed = false;

  // Flushed messages with the separators as blanks, PING left out.
  Strings Said() const {
    Strings out;
    for (const std::string_view m : SplitMessages(flushed)) {
      std::string text(m);
      for (char& c : text) c = c == kFieldSeparator ? ' ' : c;
      if (text != "PING") out.push_back(text);
    }
    return out;
  }
};

class ScriptedLink final : public ServerLink {
 public:
  explicit ScriptedLink(std::shared_ptr<ScriptedPeer> peer) : peer_(std::move(peer)) {}
  ~ScriptedLink() override { peer_->destroyed = true; }
  long Receive(char* buffer, size_t n) override {
    if (peer_->chunks.empty()) return peer_->closed ? -1 : 0;
    std::string& chunk = peer_->chunks.front();
    size_t take = chunk.copy(buffer, n);
    chunk.erase(0, take);
    if (chunk.empty()) peer_->chunks.pop_front();
    return static_cast<long>(take);
  }
  bool Send(std::string_view message) override { return peer_->queued.append(message), true; }
  bool Flush() override {
    peer_->flushed += peer_->queued;
    peer_->queued.clear();
    return !peer_->failFlush;
  }
  void Drain(int) override { Flush(), ++peer_->drains; }

 private:
  std::shared_ptr<ScriptedPeer> peer_;
};

// A client whose connections reach a scripted peer, driven frame by frame with
// the state lock held as the frame loop holds it.
struct NetClient : SpineClient {
  NetClient() {
    client.net.openLink = [this](const std::string& host, int port) -> std::unique_ptr<ServerLink> {
      opened.push_back(host + ":" + std::to_string(port));
      if (refuse) return nullptr;
      peer = std::make_shared<ScriptedPeer>();
      return std::make_unique<ScriptedLink>(peer);
    };
  }
  // Connects as the console does and waits for the connection task.
  void Join(const std::string& address = "10.0.0.1") {
    client.serverAddress = address;
    client.serverPort = 666;
    StartConnectTask(client);
    client.net.tasks.JoinAll(false);
  }
  void LockedFrame(int n = 1) {
    std::lock_guard lock(client.stateLock);
    Frames(n);
  }
  // One message arriving as its own receive, then one frame.
  void Arrive(const std::string& keyword, std::initializer_list<Field> fields = {}) {
    peer->chunks.push_back(BuildMessage(keyword, fields));
    LockedFrame();
  }
  int Mode() const { return client.net.netMode; }
  Colour Trail(int x, int y) const { return client.round.trailImage.Pixel(x, y); }

  Strings opened;
  bool refuse = false;
  std::shared_ptr<ScriptedPeer> peer;
};

}  // namespace kb
