#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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
  void Add(std::string_view message);
  // The same, without a copy: bytes must stay unchanged until the next Flush.
  // Many peers can so send one buffer.
  void AddShared(std::string_view messages);
  bool Empty() const { return size_ == 0; }
  size_t Size() const { return size_; }

  // One send: the concatenation of the parts. Returns false when it failed.
  using SendParts = std::function<bool(std::span<const std::string_view>)>;
  // Calls send once per piece, in order, and empties the batch. A single
  // message longer than kMaxSend goes alone; a batch longer than kLargeBatch
  // goes in one piece. Stops early when send fails.
  bool Flush(const SendParts& send);
  // The same for a sender of contiguous bytes.
  bool Flush(const std::function<bool(std::string_view)>& send);

 private:
  struct Part {
    std::string_view shared;  // empty: own_[offset, offset + length)
    size_t offset = 0;
    size_t length = 0;
  };
  void Clear();

  std::string own_;
  std::vector<Part> parts_;
  std::vector<std::string_view> views_;
  std::string gathered_;
  size_t size_ = 0;
};

}  // namespace kb
