#include <chrono>
#include <thread>

#include "common/net/web_list.h"
#include "common/platform/core/socket.h"

namespace kb {

struct ListExchange::State {
  State(const ListHostAddress& host, std::string request, int timeoutMs)
      : attempt(host.host, host.port, false, timeoutMs),
        request(std::move(request)),
        end(std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs)) {}
  TcpConnectAttempt attempt;
  std::unique_ptr<TcpConnection> connection;
  std::string request;
  ListResponse response;
  std::chrono::steady_clock::time_point end;
};

ListExchange::ListExchange(const ListHostAddress& host, std::string request, int timeoutMs)
    : state_(std::make_unique<State>(host, std::move(request), timeoutMs)), payload_(kListError) {}

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
    if (over && got > 0) payload_ = s.response.Payload();
  }
  if (!over) return false;
  state_.reset();
  return true;
}

std::string ExchangeWithListHost(const ListHostAddress& host, std::string_view request, int timeoutMs) {
  ListExchange exchange(host, std::string(request), timeoutMs);
  while (!exchange.Poll()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return exchange.Payload();
}

}  // namespace kb
