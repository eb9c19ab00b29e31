#include <chrono>
#include <thread>
#include <vector>

#include "common/net/web_list.h"
#include "common/platform/core/socket.h"

namespace kb {

struct ListExchange::State {
  State(const ListHostAddress& host, std::string request, int timeoutMs)
      : attempt(host.host, host.port, false, timeoutMs, host.family),
        request(std::move(request)),
        end(std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs)) {}
  TcpConnectAttempt attempt;
  std::unique_ptr<TcpConnection> connection;
  std::string request;
  ListResponse response;
  std::chrono::steady_clock::time_point end;
};

ListExchange::ListExchange(const ListHostAddress& host, std::string request, int timeoutMs)
    : state_(std::make_unique<State>(host, std::move(request), timeoutMs)) {}

ListExchange::~ListExchange() = default;

bool ListExchange::Poll() {
  if (!state_) return true;
  State& s = *state_;
  bool over = std::chrono::steady_clock::now() >= s.end;
  if (!over && !s.connection) {
    s.connection = s.attempt.Poll();
    if (!s.connection) {
      if (!s.attempt.Failed()) return false;
      over = true;
    } else if (!s.connection->Send(s.request)) {
      over = true;
    }
  }
  char buffer[8192];
  // A bounded number of receives: a fast host must not hold the caller.
  for (int i = 0; i < 16 && !over; ++i) {
    s.connection->FlushQueue();
    long got = s.connection->Receive(buffer, sizeof buffer);
    if (got == 0) return false;
    over = got < 0 || s.response.Add(std::string_view(buffer, static_cast<size_t>(got)));
    if (over && got > 0) answer_ = {s.response.Payload(), s.response.SeenAddress(), s.response.Complete()};
  }
  if (!over) return false;
  state_.reset();
  return true;
}

std::string WithServerId(std::string_view request, std::string_view serverId) {
  std::string out(request);
  size_t end = out.rfind("\r\n\r\n");
  if (end == std::string::npos || serverId.empty()) return out;
  out.insert(end + 2, std::string(kServerIdHeader) + ": " + std::string(serverId) + "\r\n");
  return out;
}

namespace {

ListAnswer Exchange(const ListHostAddress& host, std::string request, int timeoutMs) {
  ListExchange exchange(host, std::move(request), timeoutMs);
  while (!exchange.Poll()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return exchange.Answer();
}

}  // namespace

ListAnswer ExchangeOverEveryFamily(const ListHostAddress& host, std::string_view request, int timeoutMs,
                                   std::string_view serverId) {
  if (ParseIpAddress(host.host)) return Exchange(host, std::string(request), timeoutMs);
  std::string tagged = WithServerId(request, serverId);
  std::vector<std::unique_ptr<ListExchange>> exchanges;
  for (AddressFamily family : {AddressFamily::kIpv6, AddressFamily::kIpv4}) {
    ListHostAddress one = host;
    one.family = family;
    exchanges.push_back(std::make_unique<ListExchange>(one, tagged, timeoutMs));
  }
  ListAnswer first;
  bool ok = false;
  std::string seen;
  while (!exchanges.empty()) {
    for (size_t i = 0; i < exchanges.size();) {
      if (!exchanges[i]->Poll()) {
        ++i;
        continue;
      }
      const ListAnswer& answer = exchanges[i]->Answer();
      ok = ok || answer.payload == "OK";
      // A family the host lacks fails at once; its ERROR is no answer.
      if (!first.answered) first = answer;
      if (seen.empty() || (!IsIpv6Text(answer.seenAddress) && !answer.seenAddress.empty()))
        seen = answer.seenAddress;
      exchanges.erase(exchanges.begin() + static_cast<long>(i));
    }
    if (!exchanges.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return {ok ? "OK" : first.payload, seen, first.answered || ok};
}

std::string ExchangeWithListHost(const ListHostAddress& host, std::string_view request, int timeoutMs) {
  return Exchange(host, std::string(request), timeoutMs).payload;
}

}  // namespace kb
