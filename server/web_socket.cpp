#include "server/web_socket.h"

#include <wslay/wslay.h>

#include <algorithm>
#include <chrono>
#include <cstring>


namespace kb {

struct WebSocketFraming::Callbacks {
  static WebSocketFraming& Self(void* user) { return *static_cast<WebSocketFraming*>(user); }

  static ssize_t Receive(wslay_event_context_ptr context, uint8_t* buffer, size_t length, int, void* user) {
    std::string_view& input = Self(user).input_;
    if (input.empty()) {
      wslay_event_set_error(context, WSLAY_ERR_WOULDBLOCK);
      return -1;
    }
    size_t n = std::min(length, input.size());
    std::memcpy(buffer, input.data(), n);
    input.remove_prefix(n);
    return static_cast<ssize_t>(n);
  }
  static ssize_t Send(wslay_event_context_ptr, const uint8_t* data, size_t length, int, void* user) {
    Self(user).output_.append(reinterpret_cast<const char*>(data), length);
    return static_cast<ssize_t>(length);
  }
  // Masks hide a client's bytes from proxies in between, not from anyone
  // who reads them; only the tests' and the benchmark's clients mask.
  static int Mask(wslay_event_context_ptr, uint8_t* buffer, size_t length, void* user) {
    uint32_t& state = Self(user).maskState_;
    for (size_t i = 0; i < length; ++i) {
      state = state * 1664525u + 1013904223u;
      buffer[i] = static_cast<uint8_t>(state >> 24);
    }
    return 0;
  }
  static ssize_t Write(const uint8_t* data, size_t length, int, void* user) {
    WebSocketFraming& self = Self(user);
    const char* bytes = reinterpret_cast<const char*>(data);
    if (!self.pieces_) {
      self.output_.append(bytes, length);
    } else if (bytes >= self.payload_.data() &&
               bytes + length <= self.payload_.data() + self.payload_.size()) {
      self.pieces_->push_back({bytes, 0, length});
    } else {
      self.pieces_->push_back({nullptr, self.written_.size(), length});
      self.written_.append(bytes, length);
    }
    return static_cast<ssize_t>(length);
  }
  static ssize_t NoRead(uint8_t*, size_t, int, void*) { return -1; }
  static int WriteMask(uint8_t* buffer, size_t length, void* user) {
    return Mask(nullptr, buffer, length, user);
  }
  static void FrameStart(wslay_event_context_ptr context, const wslay_event_on_frame_recv_start_arg* arg,
                         void* user) {
    WebSocketFraming& self = Self(user);
    self.frameOpcode_ = arg->opcode;
    if (arg->opcode & 8) ++self.controlFrames_;
    if (arg->opcode == WSLAY_TEXT_FRAME || arg->opcode == WSLAY_BINARY_FRAME)
      self.messageOpcode_ = arg->opcode;
    if (arg->opcode == WSLAY_TEXT_FRAME) {
      self.refused_ = true;
      wslay_event_shutdown_read(context);
    }
  }
  static void FrameChunk(wslay_event_context_ptr, const wslay_event_on_frame_recv_chunk_arg* arg,
                         void* user) {
    WebSocketFraming& self = Self(user);
    bool binary = self.frameOpcode_ == WSLAY_BINARY_FRAME || (self.frameOpcode_ == WSLAY_CONTINUATION_FRAME &&
                                                              self.messageOpcode_ == WSLAY_BINARY_FRAME);
    if (binary && !self.refused_ && self.data_)
      self.data_->append(reinterpret_cast<const char*>(arg->data), arg->data_length);
  }
};

WebSocketFraming::WebSocketFraming(Side side, size_t frameLimit)
    : maskState_(static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count())) {
  wslay_event_callbacks callbacks{};
  callbacks.recv_callback = &Callbacks::Receive;
  callbacks.send_callback = &Callbacks::Send;
  callbacks.genmask_callback = &Callbacks::Mask;
  callbacks.on_frame_recv_start_callback = &Callbacks::FrameStart;
  callbacks.on_frame_recv_chunk_callback = &Callbacks::FrameChunk;
  if (side == Side::kServer) {
    wslay_event_context_server_init(&context_, &callbacks, this);
  } else {
    wslay_event_context_client_init(&context_, &callbacks, this);
  }
  // Payload streams on as it comes instead of being gathered per message.
  wslay_event_config_set_no_buffering(context_, 1);
  wslay_event_config_set_max_recv_msg_length(context_, frameLimit);
  wslay_frame_callbacks writer{&Callbacks::Write, &Callbacks::NoRead, &Callbacks::WriteMask};
  wslay_frame_context_init(&writer_, &writer, this);
  masked_ = side == Side::kClient;
}

WebSocketFraming::~WebSocketFraming() {
  wslay_event_context_free(context_);
  wslay_frame_context_free(writer_);
}

bool WebSocketFraming::Decode(std::string_view bytes, std::string& data, int* controlFrames) {
  if (!context_) return false;
  input_ = bytes;
  data_ = &data;
  controlFrames_ = 0;
  int result = wslay_event_recv(context_);
  data_ = nullptr;
  input_ = {};
  if (controlFrames) *controlFrames = controlFrames_;
  if (refused_) wslay_event_queue_close(context_, WSLAY_CODE_UNSUPPORTED_DATA, nullptr, 0);
  wslay_event_send(context_);
  return result == 0 && !refused_ && wslay_event_get_read_enabled(context_);
}

void WebSocketFraming::Encode(std::span<const std::string_view> parts,
                              std::vector<std::string_view>* frames) {
  if (!writer_) return;
  written_.clear();
  pieceList_.clear();
  pieces_ = frames ? &pieceList_ : nullptr;
  for (std::string_view part : parts) {
    if (part.empty()) continue;
    payload_ = part;
    wslay_frame_iocb frame{1,           0,       WSLAY_BINARY_FRAME,
                           part.size(), masked_, reinterpret_cast<const uint8_t*>(part.data()),
                           part.size()};
    wslay_frame_send(writer_, &frame);
  }
  payload_ = {};
  pieces_ = nullptr;
  if (!frames) return;
  frames->clear();
  for (const Piece& p : pieceList_)
    frames->push_back(p.outside ? std::string_view(p.outside, p.length)
                                : std::string_view(written_).substr(p.offset, p.length));
}

void WebSocketFraming::Close(uint16_t code) {
  if (!context_) return;
  wslay_event_queue_close(context_, code, nullptr, 0);
  wslay_event_send(context_);
}

uint16_t WebSocketFraming::CloseCode() const {
  return context_ && wslay_event_get_close_received(context_) ? wslay_event_get_status_code_received(context_)
                                                              : 0;
}

}  // namespace kb
