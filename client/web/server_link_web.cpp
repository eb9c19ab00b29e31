#include <emscripten/emscripten.h>
#include <emscripten/websocket.h>

#include <chrono>

#include "client/core/browser_route.h"
#include "client/core/server_link.h"
#include "common/platform/core/socket.h"

namespace kb {

namespace {

// A page may not open TCP connections: the game's byte stream travels in the
// binary frames of a WebSocket to the server's game port, which tells the
// handshake from a game connection by its first bytes. The page's one thread
// runs the callbacks below between two passes of the frame loop: no locks.
class WebSocketServerLink final : public ServerLink {
 public:
  // Starts opening the socket: null when the browser refuses at once.
  static std::unique_ptr<WebSocketServerLink> Start(const std::string& url) {
    EmscriptenWebSocketCreateAttributes attributes;
    emscripten_websocket_init_create_attributes(&attributes);
    attributes.url = url.c_str();
    attributes.protocols = "binary";
    EMSCRIPTEN_WEBSOCKET_T socket = emscripten_websocket_new(&attributes);
    if (socket <= 0) return nullptr;
    return std::unique_ptr<WebSocketServerLink>(new WebSocketServerLink(socket));
  }

  bool Opening() const { return state_ == kOpening; }
  bool Broken() const { return state_ != kOpen; }

  ~WebSocketServerLink() override {
    emscripten_websocket_close(socket_, 1000, "");
    // Takes the callbacks off the socket: none runs after this.
    emscripten_websocket_delete(socket_);
  }

  long Receive(char* buffer, size_t n) override {
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
    emscripten_websocket_set_onopen_callback(socket, this, OnOpen);
    emscripten_websocket_set_onmessage_callback(socket, this, OnMessage);
    emscripten_websocket_set_onerror_callback(socket, this, OnError);
    emscripten_websocket_set_onclose_callback(socket, this, OnClose);
  }

  void SetState(State state) {
    if (state_ != kClosed) state_ = state;
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
    // Text frames are no part of the game's stream.
    if (event->isText || link->received_.size() + event->numBytes > kReceiveLimit) {
      link->state_ = kClosed;
      return EM_TRUE;
    }
    link->received_.append(reinterpret_cast<const char*>(event->data), event->numBytes);
    return EM_TRUE;
  }

  EMSCRIPTEN_WEBSOCKET_T socket_;
  State state_ = kOpening;
  std::string received_;
  size_t read_ = 0;
  std::string unsent_;
};

// The frame loop asks here whether the opening has ended.
class WebSocketAttempt final : public LinkAttempt {
 public:
  explicit WebSocketAttempt(const std::string& url)
      : link_(WebSocketServerLink::Start(url)),
        deadline_(std::chrono::steady_clock::now() + std::chrono::milliseconds(kConnectTimeoutMs)) {}
  bool Poll(std::unique_ptr<ServerLink>& link) override {
    if (link_ && link_->Opening() && std::chrono::steady_clock::now() < deadline_) return false;
    if (link_ && !link_->Broken()) link = std::move(link_);
    link_.reset();
    return true;
  }

 private:
  std::unique_ptr<WebSocketServerLink> link_;
  std::chrono::steady_clock::time_point deadline_;
};

ListedServers& Listed() {
  static ListedServers listed;
  return listed;
}

PageOrigin CurrentPage() {
  PageOrigin page;
  page.secure = EM_ASM_INT({ return location.protocol == 'https:' ? 1 : 0; }) != 0;
  page.host = emscripten_run_script_string("location.hostname.replace(/^\\[|\\]$/g, '')");
  page.port = EM_ASM_INT({ return Number(location.port) || 0; });
  if (page.port == 0) page.port = page.secure ? 443 : 80;
  return page;
}

}  // namespace

void NoteListedServers(const std::vector<ServerListEntry>& entries) { Listed().Note(entries); }

std::unique_ptr<LinkAttempt> OpenServerLink(const std::string& host, int port) {
  PageOrigin page = CurrentPage();
  std::string scheme = page.secure ? "wss://" : "ws://";
  switch (ChooseBrowserRoute(host, port, Listed(), page)) {
    case BrowserRoute::kRelay:
      return std::make_unique<WebSocketAttempt>(scheme + HostForUrl(page.host) + ":" +
                                                std::to_string(page.port) + RelayPath(host, port));
    case BrowserRoute::kDirect: {
      // The browser picks the family of a host name itself; of a list row's
      // two addresses the first (IPv4) is taken.
      std::vector<std::string> hosts = ServerHosts(host);
      std::string first(WithoutBrackets(hosts.empty() ? host : hosts.front()));
      return std::make_unique<WebSocketAttempt>(scheme + HostForUrl(first) + ":" + std::to_string(port));
    }
    case BrowserRoute::kUnreachable:
      break;
  }
  return DecidedAttempt(nullptr, kUnlistedOnSecurePage);
}

}  // namespace kb
