#include <emscripten/emscripten.h>
#include <emscripten/websocket.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "client/core/server_link.h"
#include "common/platform/core/socket.h"

namespace kb {

namespace {

// A page may not open TCP connections: the game's byte stream travels in the
// binary frames of a WebSocket to the server's game port, which tells the
// handshake from a game connection by its first bytes. The browser's socket
// lives on the page's main thread, which also runs the callbacks below.
class WebSocketServerLink final : public ServerLink {
 public:
  // Blocks the calling thread (never the page's) until the socket is open.
  static std::unique_ptr<ServerLink> Open(const std::string& host, int port, int timeoutMs) {
    bool secure = EM_ASM_INT({ return location.protocol == 'https:' ? 1 : 0; });
    std::string url = (secure ? "wss://" : "ws://") + host + ":" + std::to_string(port);
    EmscriptenWebSocketCreateAttributes attributes;
    emscripten_websocket_init_create_attributes(&attributes);
    attributes.url = url.c_str();
    attributes.protocols = "binary";
    EMSCRIPTEN_WEBSOCKET_T socket = emscripten_websocket_new(&attributes);
    if (socket <= 0) return nullptr;
    auto link = std::unique_ptr<WebSocketServerLink>(new WebSocketServerLink(socket));
    std::unique_lock lock(link->mutex_);
    link->changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                            [&] { return link->state_ != kOpening; });
    if (link->state_ != kOpen) return nullptr;
    return link;
  }

  ~WebSocketServerLink() override {
    emscripten_websocket_close(socket_, 1000, "");
    // Takes the callbacks off the socket: none runs after this.
    emscripten_websocket_delete(socket_);
  }

  long Receive(char* buffer, size_t n) override {
    std::lock_guard lock(mutex_);
    size_t count = std::min(n, received_.size() - read_);
    if (count == 0) return state_ == kOpen ? 0 : -1;
    received_.copy(buffer, count, read_);
    read_ += count;
    if (read_ == received_.size()) received_.clear(), read_ = 0;
    return static_cast<long>(count);
  }

  bool Send(std::string_view message) override {
    if (Broken()) return false;
    unsent_.append(message);
    return unsent_.size() <= TcpConnection::kDefaultQueueLimit;
  }

  bool Flush() override {
    if (Broken()) return false;
    if (unsent_.empty()) return true;
    bool sent = emscripten_websocket_send_binary(socket_, unsent_.data(), unsent_.size()) ==
                EMSCRIPTEN_RESULT_SUCCESS;
    unsent_.clear();
    unsigned long long waiting = 0;
    emscripten_websocket_get_buffered_amount(socket_, &waiting);
    // The browser queues without bound; a server that stopped reading is
    // as gone as over TCP.
    return sent && waiting <= TcpConnection::kDefaultQueueLimit;
  }

  // The browser sends what is queued before the closing handshake.
  void Drain(int) override { Flush(); }

 private:
  enum State { kOpening, kOpen, kClosed };
  // What may wait unread: a server cannot flood the page's memory.
  static constexpr size_t kReceiveLimit = 1024 * 1024;

  explicit WebSocketServerLink(EMSCRIPTEN_WEBSOCKET_T socket) : socket_(socket) {
    auto thread = EM_CALLBACK_THREAD_CONTEXT_MAIN_BROWSER_THREAD;
    emscripten_websocket_set_onopen_callback_on_thread(socket, this, OnOpen, thread);
    emscripten_websocket_set_onmessage_callback_on_thread(socket, this, OnMessage, thread);
    emscripten_websocket_set_onerror_callback_on_thread(socket, this, OnError, thread);
    emscripten_websocket_set_onclose_callback_on_thread(socket, this, OnClose, thread);
  }

  bool Broken() {
    std::lock_guard lock(mutex_);
    return state_ != kOpen;
  }

  void SetState(State state) {
    std::lock_guard lock(mutex_);
    if (state_ != kClosed) state_ = state;
    changed_.notify_all();
  }

  static EM_BOOL OnOpen(int, const EmscriptenWebSocketOpenEvent*, void* link) {
    static_cast<WebSocketServerLink*>(link)->SetState(kOpen);
    return EM_TRUE;
  }
  static EM_BOOL OnError(int, const EmscriptenWebSocketErrorEvent*, void* link) {
    static_cast<WebSocketServerLink*>(link)->SetState(kClosed);
    return EM_TRUE;
  }
  static EM_BOOL OnClose(int, const EmscriptenWebSocketCloseEvent*, void* link) {
    static_cast<WebSocketServerLink*>(link)->SetState(kClosed);
    return EM_TRUE;
  }
  static EM_BOOL OnMessage(int, const EmscriptenWebSocketMessageEvent* event, void* userData) {
    auto* link = static_cast<WebSocketServerLink*>(userData);
    std::lock_guard lock(link->mutex_);
    // Text frames are no part of the game's stream.
    if (event->isText || link->received_.size() + event->numBytes > kReceiveLimit) {
      link->state_ = kClosed;
      return EM_TRUE;
    }
    link->received_.append(reinterpret_cast<const char*>(event->data), event->numBytes);
    return EM_TRUE;
  }

  EMSCRIPTEN_WEBSOCKET_T socket_;
  std::mutex mutex_;
  std::condition_variable changed_;
  State state_ = kOpening;
  std::string received_;
  size_t read_ = 0;
  // Used under the client's state lock.
  std::string unsent_;
};

}  // namespace

std::unique_ptr<ServerLink> OpenServerLink(const std::string& host, int port) {
  return WebSocketServerLink::Open(host, port, kConnectTimeoutMs);
}

}  // namespace kb
