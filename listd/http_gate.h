#pragma once

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "listd/wake_pipe.h"

namespace kb {

struct GateLimits {
  // A browser fetches the page over up to six connections at once.
  int connectionsPerAddress = 8;
  int connectionsTotal = 4096;
  int requestsPerSecond = 10;
  int requestBurst = 40;
  int requestTimeMs = 3000;  // the whole request must be there by then
  size_t requestBytes = 8192;
  int responseStallMs = 10000;            // a response that does not move on this long is dropped
  size_t responseBytesTotal = 256 << 20;  // responses waiting for their readers
  // The kernel's share of a response that waits for its reader: without a cap
  // a whole 1.6 MB file sits in each socket, past the stall rule, and a few
  // thousand slow readers push the host's TCP memory into pressure, where it
  // drops everyone's connects. Still 2.5 MB/s to a reader 100 ms away.
  int sendBufferBytes = 128 << 10;
  // Enough that the list's reachability checks (see ListServiceLimits), which
  // hold a worker each, leave plenty for everyone else.
  int workers = 96;
  // Reverse proxies speak for many clients: no per-address limits for them.
  // Everyone else is counted by AddressGroup (an IPv6 peer by its /64).
  std::vector<std::string> unlimited = {};
};

// cpp-httplib's routing and handlers behind one poll thread that holds every
// connection: it reads each request whole within the time limit and sends
// each response, and hands only whole requests to the workers that run the
// handlers. So a slow or silent peer costs a descriptor, never a worker, and
// each address has its own few connections and requests per second; over
// them it gets 503 at once. One request per connection.
// A response as it is sent: its head (or all of it) and a body that other
// responses may share.
struct SharedResponse {
  std::string head;
  std::shared_ptr<const std::string> body = {};
};

class GatedHttpServer final : public httplib::Server {
 public:
  explicit GatedHttpServer(GateLimits limits = {});
  ~GatedHttpServer() override;
  // Binds to the address and port (0: a free one) with a backlog that a
  // burst of connects does not overflow; the port, or -1. dualStack: "::"
  // takes IPv4 too; else an IPv6 address takes IPv6 alone.
  int Bind(const std::string& host, int port, bool dualStack = false);
  // Asked for each request before the handlers; set before listening.
  using Shortcut = std::function<std::optional<SharedResponse>(std::string_view request)>;
  void AnswerFirst(Shortcut shortcut) { shortcut_ = std::move(shortcut); }
  // A request that takes its connection over (a WebSocket opening): an
  // answer sent as any other, or else adopt, which is given the descriptor
  // (on the poll thread) once the gate has forgotten it. nullopt leaves the
  // request to the handlers. Asked first, on a worker; set before listening.
  struct Takeover {
    std::optional<SharedResponse> answer;
    std::function<void(int fd)> adopt;
  };
  using Upgrade = std::function<std::optional<Takeover>(std::string_view request, const std::string& peer)>;
  void TakeUpgrades(Upgrade upgrade) { upgrade_ = std::move(upgrade); }

 private:
  using Clock = std::chrono::steady_clock;
  enum class Phase { kRequest, kHandler, kResponse };
  struct Connection {
    std::string address;
    std::string group;  // its budget's key
    int port = 0;
    Phase phase = Phase::kRequest;
    std::string bytes;                        // the request so far, then the response's own bytes
    std::shared_ptr<const std::string> body;  // sent after them
    size_t sent = 0;
    Clock::time_point deadline;
  };
  struct Budget {
    int connections = 0;
    double tokens = 0;
    Clock::time_point refilled;
  };
  struct Job {
    int fd;
    std::string request, address;
    int port;
  };

  // Runs on httplib's accept thread: hands the socket to the poll thread.
  bool process_and_close_socket(socket_t sock) override;
  void Poll();
  void Work();
  void Wake();
  void Admit(int fd, Clock::time_point now);
  void Read(int fd, Connection& c, Clock::time_point now);
  void Write(int fd, Connection& c, Clock::time_point now);
  void Close(int fd);

  GateLimits limits_;
  Shortcut shortcut_;
  Upgrade upgrade_;
  WakePipe wake_;
  std::mutex mutex_;  // guards the hand-overs below
  std::condition_variable jobsWaiting_;
  std::vector<int> arrivals_;
  std::deque<Job> jobs_;
  std::vector<std::pair<int, SharedResponse>> answered_;
  std::vector<std::pair<int, std::function<void(int)>>> adopted_;
  bool stopping_ = false;
  // The poll thread's own.
  std::unordered_map<int, Connection> connections_;
  std::unordered_map<std::string, Budget> budgets_;
  size_t responseBytes_ = 0;  // of the responses' own bytes; shared bodies are counted where they are held
  Clock::time_point lastSweep_;
  std::thread poller_;
  std::vector<std::thread> workers_;
};

}  // namespace kb
