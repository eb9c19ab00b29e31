#include <chrono>
#include <thread>

#include "common/net/web_list.h"
#include "common/platform/core/socket.h"

namespace kb {

std::string ExchangeWithListHost(const ListHostAddress& host, std::string_view request, int timeoutMs) {
  auto connection = TcpConnection::Open(host.host, host.port, false, timeoutMs);
  if (!connection || !connection->Send(request)) return std::string(kListError);
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::string response;
  char buffer[8192];
  while (std::chrono::steady_clock::now() < end) {
    connection->FlushQueue();
    long got = connection->Receive(buffer, sizeof buffer);
    if (got > 0) {
      // The text of one receive ends at its first zero byte.
      std::string_view piece(buffer, static_cast<size_t>(got));
      response.append(piece.substr(0, piece.find('\0')));
      size_t start = response.find(kListDataStart);
      if (start != std::string::npos &&
          response.find(kListDataEnd, start + kListDataStart.size()) != std::string::npos)
        return ExtractBetween(response, kListDataStart, kListDataEnd);
      if (response.size() > kListResponseLimit) break;
      continue;
    }
    if (got < 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return std::string(kListError);
}

}  // namespace kb
