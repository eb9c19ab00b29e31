#include <emscripten/fetch.h>

#include <cstring>

#include "common/net/web_list.h"

namespace kb {

// The fetch's callbacks run on the page's main thread, between two passes of
// the frame loop that polls here.
struct ListExchange::State {
  emscripten_fetch_t* fetch = nullptr;
  bool done = false;
  std::string payload{kListError};

  static void Finished(emscripten_fetch_t* fetch) {
    auto* state = static_cast<State*>(fetch->userData);
    if (!state) return;
    if (fetch->status == 200 && fetch->numBytes <= kListResponseLimit) {
      std::string_view body(fetch->data, static_cast<size_t>(fetch->numBytes));
      body = body.substr(0, body.find('\0'));
      size_t start = body.find(kListDataStart);
      if (start != std::string_view::npos && body.find(kListDataEnd, start) != std::string_view::npos)
        state->payload = ExtractBetween(body, kListDataStart, kListDataEnd);
    }
    state->done = true;
  }
};

ListExchange::ListExchange(const ListHostAddress&, std::string request, int timeoutMs)
    : state_(std::make_unique<State>()) {
  // "GET <path> HTTP/1.0": a fetch of the path from the page's own origin.
  size_t from = request.find(' ') + 1;
  std::string path = request.substr(from, request.find(' ', from) - from);
  emscripten_fetch_attr_t attr;
  emscripten_fetch_attr_init(&attr);
  std::strcpy(attr.requestMethod, "GET");
  attr.attributes = EMSCRIPTEN_FETCH_LOAD_TO_MEMORY;
  attr.timeoutMSecs = static_cast<unsigned long>(timeoutMs);
  attr.userData = state_.get();
  attr.onsuccess = State::Finished;
  attr.onerror = State::Finished;
  state_->fetch = emscripten_fetch(&attr, path.c_str());
  if (!state_->fetch) state_->done = true;
}

ListExchange::~ListExchange() {
  if (state_ && state_->fetch) {
    // A fetch still under way is aborted and calls back no more.
    state_->fetch->userData = nullptr;
    emscripten_fetch_close(state_->fetch);
  }
}

bool ListExchange::Poll() {
  if (!state_ || !state_->done) return !state_;
  answer_.payload = state_->payload;
  if (state_->fetch) emscripten_fetch_close(state_->fetch);
  state_.reset();
  return true;
}

}  // namespace kb
