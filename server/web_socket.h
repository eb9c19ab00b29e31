#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/net/receive_buffer.h"
#include "common/net/web_socket_opening.h"

struct wslay_event_context;
struct wslay_frame_context;

namespace kb {

// WebSocket frames over one connection's bytes (wslay). Binary frames carry
// the game's byte stream in either direction; frame bounds mean nothing to
// it. Pings are answered, a close frame is answered and ends the connection.
// A server accepts only masked frames; text frames are refused (1003), as
// the game's bytes are not UTF-8.
class WebSocketFraming {
 public:
  enum class Side { kServer, kClient };

  // frameLimit bounds one frame's payload; fragments of a message are not
  // gathered here, so the game's bound for an unfinished message holds.
  explicit WebSocketFraming(Side side, size_t frameLimit = ReceiveBuffer::kPendingLimit);
  ~WebSocketFraming();
  WebSocketFraming(const WebSocketFraming&) = delete;
  WebSocketFraming& operator=(const WebSocketFraming&) = delete;

  // The bytes of one receive: binary payload is appended to data, and the
  // control frames among them are counted into *controlFrames (each costs
  // an answer, as a message does). false once the connection is over (a
  // close frame, or a frame against the rules); the closing frame due is in
  // Output() then.
  bool Decode(std::string_view bytes, std::string& data, int* controlFrames = nullptr);
  // One binary frame for each part, into Output(); with frames given, the
  // frames' bytes in order go there instead, a server's payload as the
  // parts themselves (not copied): valid until the next call.
  void Encode(std::span<const std::string_view> parts, std::vector<std::string_view>* frames = nullptr);
  // A close frame with the code, into Output().
  void Close(uint16_t code);
  // Frames to send, in order; the caller sends and clears it.
  std::string& Output() { return output_; }
  // The code of the peer's close frame; 0 before one came.
  uint16_t CloseCode() const;

 private:
  struct Callbacks;

  // Reading and control frames; data frames are written by a frame context
  // of their own, which hands a payload through instead of queueing a copy.
  wslay_event_context* context_ = nullptr;
  wslay_frame_context* writer_ = nullptr;
  struct Piece {
    const char* outside;  // nullptr: written_[offset, offset + length)
    size_t offset, length;
  };
  std::vector<Piece>* pieces_ = nullptr;
  std::vector<Piece> pieceList_;
  std::string_view payload_;
  std::string written_;
  std::string_view input_;
  std::string* data_ = nullptr;
  int controlFrames_ = 0;
  std::string output_;
  uint8_t frameOpcode_ = 0;    // of the frame being read
  uint8_t messageOpcode_ = 0;  // of the data message it belongs to
  bool refused_ = false;
  bool masked_ = false;
  uint32_t maskState_;
};

}  // namespace kb
