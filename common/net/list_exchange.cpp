#include <chrono>
#include <thread>

#include "common/net/web_list.h"
#include "common/platform/core/socket.h"

namespace kb {

std::string ExchangeWithListHost(const ListHostAddress& host, std::string_view request, int timeoutMs) {
  auto connection = TcpConnection::Open(host.host, host.port, false, timeoutMs);
  if (!connection || !connection->Send(request)) return std::string(kListError);
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  ListResponse response;
  char buffer[8192];
  while (std::chrono::steady_clock::now() < end) {
    connection->FlushQueue();
    long got = connection->Receive(buffer, sizeof buffer);
    if (got > 0) {
      if (response.Add(std::string_view(buffer, static_cast<size_t>(got)))) return response.Payload();
      continue;
    }
    if (got < 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return std::string(kListError);
}

}  // namespace kb
