#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kb {

// Collects the bytes of one connection's receives and hands out complete
// messages. A message that TCP split over two receives is completed by the
// next receive instead of being lost. A message holding a zero byte cannot be
// valid and is dropped whole; the messages around it are kept.
class ReceiveBuffer {
 public:
  // An unfinished message longer than this means the peer is broken.
  static constexpr size_t kPendingLimit = 64 * 1024;

  // Adds the bytes of one receive; false once the connection is broken.
  bool Add(std::string_view bytes);
  // Takes the next complete message without its 0x04; false when none. The
  // view points into the buffer and stays valid until the next Add.
  bool Next(std::string_view& message);
  bool Next(std::string& message);

  bool Broken() const { return broken_; }
  // Bytes of the unfinished message at the end.
  size_t Pending() const;

 private:
  void Append(std::string_view bytes);
  void DropUnfinished();

  std::string data_;
  size_t readPos_ = 0;       // start of the next message to hand out
  size_t completeEnd_ = 0;   // just past the last 0x04 in data_
  bool discarding_ = false;  // inside a message that held a zero byte
  size_t discarded_ = 0;
  bool broken_ = false;
};

}  // namespace kb
