#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "client/core/net_connection.h"
#include "client/core/server_link.h"
#include "common/net/protocol.h"
#include "tests/client/spine_harness.h"

namespace kb {

// The server's end of a scripted link: what the test lets arrive, what the
// client sent, and whether the link is still open.
struct ScriptedPeer {
  std::mutex mutex;
  std::deque<std::string> chunks;  // one Receive each
  bool closed = false;             // Receive reports -1 once chunks are used up
  bool failFlush = false;          // a server that stopped reading
  std::vector<std::string> sent;   // flushed messages, in order
  std::string unflushed;
  int drains = 0;
  bool destroyed = false;

  void Arrive(const std::string& chunk) {
    std::lock_guard lock(mutex);
    chunks.push_back(chunk);
  }
  // Flushed messages made readable: "ANGLE DOWN".
  std::vector<std::string> Sent() {
    std::lock_guard lock(mutex);
    std::vector<std::string> out;
    for (std::string m : sent) {
      for (char& c : m) c = c == kFieldSeparator ? ' ' : c;
      out.push_back(m);
    }
    return out;
  }
  void ClearSent() {
    std::lock_guard lock(mutex);
    sent.clear();
  }
};

class ScriptedLink final : public ServerLink {
 public:
  explicit ScriptedLink(std::shared_ptr<ScriptedPeer> peer) : peer_(std::move(peer)) {}
  ~ScriptedLink() override {
    std::lock_guard lock(peer_->mutex);
    peer_->destroyed = true;
  }
  long Receive(char* buffer, size_t n) override {
    std::lock_guard lock(peer_->mutex);
    if (peer_->chunks.empty()) return peer_->closed ? -1 : 0;
    std::string& chunk = peer_->chunks.front();
    size_t take = std::min(n, chunk.size());
    chunk.copy(buffer, take);
    chunk.erase(0, take);
    if (chunk.empty()) peer_->chunks.pop_front();
    return static_cast<long>(take);
  }
  bool Send(std::string_view message) override {
    std::lock_guard lock(peer_->mutex);
    peer_->unflushed.append(message);
    return true;
  }
  bool Flush() override {
    std::lock_guard lock(peer_->mutex);
    if (peer_->failFlush) return false;
    std::string_view rest = peer_->unflushed;
    for (size_t end; (end = rest.find(kMessageTerminator)) != std::string_view::npos;
         rest.remove_prefix(end + 1))
      peer_->sent.emplace_back(rest.substr(0, end));
    peer_->unflushed.clear();
    return true;
  }
  void Drain(int) override {
    Flush();
    std::lock_guard lock(peer_->mutex);
    ++peer_->drains;
  }

 private:
  std::shared_ptr<ScriptedPeer> peer_;
};

// A client already in a network game over a scripted link, driven frame by
// frame with the state lock held as the frame loop holds it.
struct NetClient : SpineClient {
  NetClient() {
    client.net.openLink = [this](const std::string& host, int port) -> std::unique_ptr<ServerLink> {
      std::lock_guard lock(openMutex);
      opened.push_back(host + ":" + std::to_string(port));
      if (refuse) return nullptr;
      peer = std::make_shared<ScriptedPeer>();
      return std::make_unique<ScriptedLink>(peer);
    };
  }
  // Joined as ConnectTask leaves it: state net, NetMode 10, JOIN sent.
  void Join() {
    client.serverAddress = "10.0.0.1";
    client.serverPort = 666;
    StartConnectTask(client);
    client.net.tasks.JoinAll(false);
  }
  void LockedFrame() {
    std::lock_guard lock(client.stateLock);
    Frame();
  }
  // Arrives as one chunk; taken by the next frame.
  void Receive(const std::string& keyword, std::initializer_list<Field> fields = {}) {
    peer->Arrive(BuildMessage(keyword, fields));
  }
  int Mode() const { return client.net.netMode; }

  std::mutex openMutex;
  std::vector<std::string> opened;
  bool refuse = false;
  std::shared_ptr<ScriptedPeer> peer;
};

}  // namespace kb
