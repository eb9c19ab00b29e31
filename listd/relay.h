#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "listd/wake_pipe.h"

namespace kb {

// What one relayed player may cost the others. Worst case in memory: every
// relay with both queues full, 1024 x 2 x 128 KiB = 256 MiB, as much as the
// gate lets waiting responses hold.
struct RelayLimits {
  // A household behind one address runs a few browsers; the game server caps
  // each address at 16 anyway.
  int perGroup = 8;
  // Two descriptors each, and both queues may fill: see the sum above.
  int total = 1024;
  // Bytes waiting for a side that does not read: past this the relay is
  // closed. A game server queues 256 KiB for a slow client; the browser's
  // socket buffer (the gate's 128 KiB) comes on top of this.
  size_t queueBytes = 128 << 10;
  // From the browser's whole request to the game server's 101: the connect
  // and its answer, as long as the game server gives a browser.
  int openingMs = 5000;
  // A game server's rounds with 256 players are a few KiB a tick; more than
  // this is a flood, and it waits in the game server's socket, not here.
  size_t serverBytesPerSecond = 1 << 20;
  // A player sends keys and chat; the game server throttles messages anyway.
  size_t browserBytesPerSecond = 64 << 10;
  // Bytes read from one side per poll round: a flood takes its turn.
  size_t readChunk = 16 << 10;
};

// Joins browsers' WebSockets to game servers on one poll thread of its own,
// so long-lived players hold no HTTP worker. After both openings the frames
// pass unchanged: the browser's are masked client frames, which is what a
// game server reads, and the game server's unmasked ones are what a browser
// reads; the game server applies its own frame rules to the player.
class Relay {
 public:
  explicit Relay(RelayLimits limits = {});
  ~Relay();
  Relay(const Relay&) = delete;
  Relay& operator=(const Relay&) = delete;

  // Takes a place for a player (plain address); false when its group or the
  // relay is full. Any thread. A place taken is given to Adopt or Release.
  bool Reserve(const std::string& player);
  void Release(const std::string& player);
  // Takes the browser's connection (its opening read and checked): connects
  // to the game server at address:port, opens a WebSocket there for the
  // player, and then answers the browser with browserAnswer (the 101) and
  // what the game server sent, or with 502 when the game server refuses or
  // does not answer in time. early: the browser's bytes after its opening.
  void Adopt(int browserFd, const std::string& player, const std::string& address, int port,
             std::string browserAnswer, std::string early);

  // Relays open or opening, for tests and benches.
  int Count() const { return count_; }

 private:
  using Clock = std::chrono::steady_clock;
  enum class Stage { kConnecting, kOpening, kOpen };
  struct Side {
    int fd = -1;
    std::string queue;  // bytes for this side
    size_t sent = 0;
    double tokens = 0;  // bytes it may still send us
  };
  struct Link {
    std::string group;
    Stage stage = Stage::kConnecting;
    Side browser, server;
    std::string key;
    std::string answer;         // the game server's so far
    std::string browserAnswer;  // sent once the game server accepted
    std::string held;           // the browser's early bytes, sent after the opening
    Clock::time_point deadline, refilled;
  };
  struct Arrival {
    int fd;
    std::string player, address;
    int port;
    std::string browserAnswer, early;
  };

  void Poll();
  void Start(Arrival& arrival, Clock::time_point now);
  // False when the link is to be closed.
  bool Step(Link& link, short browserEvents, short serverEvents, Clock::time_point now);
  bool ReadServerAnswer(Link& link, Clock::time_point now);
  bool Move(Side& from, Side& to);
  bool Flush(Side& side);
  void Refuse(Link& link);
  void Close(Link& link);
  void Wake();

  RelayLimits limits_;
  WakePipe wake_;
  std::mutex mutex_;  // guards the places and the hand-over
  std::unordered_map<std::string, int> places_;
  int placesTotal_ = 0;
  std::vector<Arrival> arrivals_;
  bool stopping_ = false;
  std::atomic<int> count_{0};
  std::vector<Link> links_;  // the poll thread's own
  std::thread poller_;
};

// The target of "/play?address=A&port=P": A in its plain form (percent
// escapes decoded) and P; false for any other form, another key, a key twice.
bool ParsePlayTarget(std::string_view target, std::string* address, int* port);
constexpr std::string_view kPlayPath = "/play";

}  // namespace kb
