#include "common/net/receive_buffer.h"

#include "common/net/protocol.h"

namespace kb {

size_t ReceiveBuffer::Pending() const { return data_.size() - completeEnd_ + discarded_; }

void ReceiveBuffer::Append(std::string_view bytes) {
  size_t last = bytes.rfind(kMessageTerminator);
  data_.append(bytes);
  if (last != std::string_view::npos) completeEnd_ = data_.size() - bytes.size() + last + 1;
}

void ReceiveBuffer::DropUnfinished() { data_.resize(completeEnd_); }

bool ReceiveBuffer::Add(std::string_view bytes) {
  if (broken_) return false;
  // Messages handed out are dropped only now, so their views lived until here.
  if (readPos_ > 0) {
    data_.erase(0, readPos_);
    completeEnd_ -= readPos_;
    readPos_ = 0;
  }
  while (!bytes.empty()) {
    if (discarding_) {
      size_t end = bytes.find(kMessageTerminator);
      if (end == std::string_view::npos) {
        discarded_ += bytes.size();
        break;
      }
      discarding_ = false;
      discarded_ = 0;
      bytes.remove_prefix(end + 1);
      continue;
    }
    size_t zero = bytes.find('\0');
    if (zero == std::string_view::npos) {
      Append(bytes);
      break;
    }
    Append(bytes.substr(0, zero));
    discarded_ = data_.size() - completeEnd_;
    DropUnfinished();
    discarding_ = true;
    bytes.remove_prefix(zero + 1);
  }
  if (Pending() > kPendingLimit) {
    broken_ = true;
    data_.clear();
    readPos_ = completeEnd_ = discarded_ = 0;
    return false;
  }
  return true;
}

bool ReceiveBuffer::Next(std::string_view& message) {
  if (readPos_ >= completeEnd_) return false;
  size_t end = data_.find(kMessageTerminator, readPos_);
  message = std::string_view(data_).substr(readPos_, end - readPos_);
  readPos_ = end + 1;
  return true;
}

bool ReceiveBuffer::Next(std::string& message) {
  std::string_view view;
  if (!Next(view)) return false;
  message.assign(view);
  return true;
}

}  // namespace kb
