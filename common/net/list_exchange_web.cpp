#include <emscripten/fetch.h>

#include <cstring>

#include "common/net/web_list.h"

namespace kb {

std::string ExchangeWithListHost(const ListHostAddress&, std::string_view request, int timeoutMs) {
  // "GET <path> HTTP/1.0": a fetch of the path from the page's own origin.
  size_t from = request.find(' ') + 1;
  std::string path(request.substr(from, request.find(' ', from) - from));
  emscripten_fetch_attr_t attr;
  emscripten_fetch_attr_init(&attr);
  std::strcpy(attr.requestMethod, "GET");
  // Synchronous: the list task runs on its own thread, never the page's.
  attr.attributes = EMSCRIPTEN_FETCH_LOAD_TO_MEMORY | EMSCRIPTEN_FETCH_SYNCHRONOUS;
  attr.timeoutMSecs = static_cast<unsigned long>(timeoutMs);
  emscripten_fetch_t* fetch = emscripten_fetch(&attr, path.c_str());
  std::string result(kListError);
  if (fetch && fetch->status == 200 && fetch->numBytes <= kListResponseLimit) {
    std::string_view body(fetch->data, static_cast<size_t>(fetch->numBytes));
    body = body.substr(0, body.find('\0'));
    size_t start = body.find(kListDataStart);
    if (start != std::string_view::npos && body.find(kListDataEnd, start) != std::string_view::npos)
      result = ExtractBetween(body, kListDataStart, kListDataEnd);
  }
  if (fetch) emscripten_fetch_close(fetch);
  return result;
}

}  // namespace kb
