#include "common/net/send_batch.h"

#include "common/net/protocol.h"

namespace kb {

bool SendBatch::Flush(const std::function<bool(std::string_view)>& send) {
  std::string_view rest = data_;
  bool ok = true;
  while (!rest.empty() && ok) {
    size_t length;
    if (rest.size() <= kMaxSend || data_.size() > kLargeBatch) {
      length = rest.size();
    } else {
      size_t cut = rest.rfind(kMessageTerminator, kMaxSend - 1);
      if (cut == std::string_view::npos) cut = rest.find(kMessageTerminator, kMaxSend);
      length = cut == std::string_view::npos ? rest.size() : cut + 1;
    }
    ok = send(rest.substr(0, length));
    rest.remove_prefix(length);
  }
  // The room stays for the next tick unless a burst made it far larger.
  if (data_.capacity() > kKeptCapacity && data_.size() < data_.capacity() / 4) {
    std::string().swap(data_);
  } else {
    data_.clear();
  }
  return ok;
}

}  // namespace kb
