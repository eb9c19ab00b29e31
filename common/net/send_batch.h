#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace kb {

// The messages one peer gets between two flushes. They leave in sends of at
// most kMaxSend bytes that hold whole messages only, so a peer reading one
// segment at a time never sees half a message and a busy tick costs one
// system call per peer instead of one per message. A batch longer than
// kLargeBatch (a tick with many players) leaves in one send of whole
// messages: a few 1200-byte sends per peer would cost more system calls than
// the rest of the tick together.
class SendBatch {
 public:
  static constexpr size_t kMaxSend = 1200;
  static constexpr size_t kLargeBatch = 4 * kMaxSend;
  // Room kept after a flush; a burst above it is given back.
  static constexpr size_t kKeptCapacity = 64 * 1024;

  // message must be one or more whole messages, each ended by 0x04.
  void Add(std::string_view message) { data_.append(message); }
  bool Empty() const { return data_.empty(); }
  size_t Size() const { return data_.size(); }

  // Calls send once per piece, in order, and empties the batch. A single
  // message longer than kMaxSend goes alone; a batch longer than kLargeBatch
  // goes in one piece. Stops early when send fails.
  bool Flush(const std::function<bool(std::string_view)>& send);

 private:
  std::string data_;
};

}  // namespace kb
