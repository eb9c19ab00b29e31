#include "common/net/send_batch.h"

#include "common/net/protocol.h"

namespace kb {
namespace {

// More parts than this in one batch are copied together first; the system
// takes at most 1024 in one call.
constexpr size_t kMaxParts = 64;

// Gives a string's room back when a burst made it far larger than it is used.
void Release(std::string& s) {
  if (s.capacity() > SendBatch::kKeptCapacity && s.size() < s.capacity() / 4) {
    std::string().swap(s);
  } else {
    s.clear();
  }
}

}  // namespace

void SendBatch::Add(std::string_view message) {
  if (parts_.empty() || !parts_.back().shared.empty()) parts_.push_back({{}, own_.size(), 0});
  own_.append(message);
  parts_.back().length += message.size();
  size_ += message.size();
}

void SendBatch::AddShared(std::string_view messages) {
  if (messages.empty()) return;
  parts_.push_back({messages, 0, messages.size()});
  size_ += messages.size();
}

void SendBatch::Clear() {
  parts_.clear();
  views_.clear();
  size_ = 0;
  Release(own_);
  Release(gathered_);
}

bool SendBatch::Flush(const SendParts& send) {
  views_.clear();
  for (const Part& p : parts_)
    views_.push_back(p.shared.empty() ? std::string_view(own_).substr(p.offset, p.length) : p.shared);
  bool ok = true;
  if (size_ > kLargeBatch && views_.size() <= kMaxParts) {
    ok = send(views_);
    Clear();
    return ok;
  }
  // Small batches: cut at message ends into sends of at most kMaxSend.
  std::string_view rest;
  if (views_.size() == 1) {
    rest = views_[0];
  } else {
    gathered_.clear();
    for (std::string_view v : views_) gathered_.append(v);
    rest = gathered_;
  }
  bool whole = size_ > kLargeBatch;
  while (!rest.empty() && ok) {
    size_t length;
    if (rest.size() <= kMaxSend || whole) {
      length = rest.size();
    } else {
      size_t cut = rest.rfind(kMessageTerminator, kMaxSend - 1);
      if (cut == std::string_view::npos) cut = rest.find(kMessageTerminator, kMaxSend);
      length = cut == std::string_view::npos ? rest.size() : cut + 1;
    }
    std::string_view piece = rest.substr(0, length);
    ok = send(std::span<const std::string_view>(&piece, 1));
    rest.remove_prefix(length);
  }
  Clear();
  return ok;
}

bool SendBatch::Flush(const std::function<bool(std::string_view)>& send) {
  std::string joined;
  return Flush(SendParts([&](std::span<const std::string_view> parts) {
    if (parts.size() == 1) return send(parts[0]);
    joined.clear();
    for (std::string_view p : parts) joined.append(p);
    return send(joined);
  }));
}

}  // namespace kb
