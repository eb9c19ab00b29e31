#include "listd/http_gate.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/platform/core/socket.h"
#include "listd/list_format.h"

namespace kb {
namespace {

// A refusal the game reads as a failed answer.
std::string Refusal(std::string_view status) {
  return "HTTP/1.1 " + std::string(status) +
         "\r\nContent-Type: text/plain; charset=ISO-8859-1\r\nContent-Length: " +
         std::to_string(kListFailed.size()) + "\r\nConnection: close\r\n\r\n" + std::string(kListFailed);
}

// What has arrived is read first: closing over unread bytes (a body, a second
// request) resets the connection, and the peer loses what is still on its way
// to it, the end of a file say.
void DrainInput(int fd) {
  char drain[4096];
  for (int i = 0; i < 64 && recv(fd, drain, sizeof drain, 0) > 0; ++i) {
  }
}

// Runs each connection's task on the accept thread; it only hands the socket on.
class InlineQueue final : public httplib::TaskQueue {
 public:
  void enqueue(std::function<void()> task) override { task(); }
  void shutdown() override {}
};

// A whole request in memory; the response is gathered for the poll thread.
class BufferedStream final : public httplib::Stream {
 public:
  BufferedStream(int fd, const std::string& request, const std::string& address, int port)
      : fd_(fd), request_(request), address_(address), port_(port) {}
  bool is_readable() const override { return read_ < request_.size(); }
  bool is_writable() const override { return true; }
  ssize_t read(char* ptr, size_t size) override {
    size_t n = std::min(size, request_.size() - read_);
    std::memcpy(ptr, request_.data() + read_, n);
    read_ += n;
    return static_cast<ssize_t>(n);
  }
  ssize_t write(const char* ptr, size_t size) override {
    response.append(ptr, size);
    return static_cast<ssize_t>(size);
  }
  void get_remote_ip_and_port(std::string& ip, int& port) const override { ip = address_, port = port_; }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    port = 0;
    ip = LocalAddressOf(fd_, &port);
  }
  socket_t socket() const override { return fd_; }

  std::string response;

 private:
  int fd_;
  const std::string& request_;
  size_t read_ = 0;
  std::string address_;
  int port_;
};

}  // namespace

GatedHttpServer::GatedHttpServer(GateLimits limits) : limits_(std::move(limits)) {
  new_task_queue = [] { return new InlineQueue; };
  poller_ = std::thread([this] { Poll(); });
  for (int i = 0; i < std::max(1, limits_.workers); ++i) workers_.emplace_back([this] { Work(); });
}

GatedHttpServer::~GatedHttpServer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  jobsWaiting_.notify_all();
  Wake();
  poller_.join();
  for (std::thread& worker : workers_) worker.join();
  for (const Job& job : jobs_) close(job.fd);
  for (auto& [fd, response] : answered_) close(fd);
  for (int fd : arrivals_) close(fd);
  for (auto& [fd, adopt] : adopted_) close(fd);
}

int GatedHttpServer::Bind(const std::string& host, int port, bool dualStack) {
  set_socket_options([dualStack](socket_t sock) {
    int one = 1, v6Only = dualStack ? 0 : 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    // Fails harmlessly on an IPv4 socket.
    setsockopt(sock, IPPROTO_IPV6, IPV6_V6ONLY, &v6Only, sizeof v6Only);
  });
  if (port == 0) {
    port = bind_to_any_port(host);
  } else if (!bind_to_port(host, port)) {
    port = -1;
  }
  // The library listens with a queue of five: a burst would drop connects for a second.
  if (port > 0 && ::listen(svr_sock_, SOMAXCONN) != 0) port = -1;
  return port;
}

bool GatedHttpServer::process_and_close_socket(socket_t sock) {
  {
    std::lock_guard lock(mutex_);
    arrivals_.push_back(sock);
  }
  Wake();
  return true;
}

void GatedHttpServer::Wake() { wake_.Wake(); }

void GatedHttpServer::Work() {
  for (;;) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      jobsWaiting_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
      if (stopping_) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    std::optional<SharedResponse> answer;
    if (upgrade_) {
      if (std::optional<Takeover> takeover = upgrade_(job.request, job.address)) {
        if (takeover->adopt) {
          {
            std::lock_guard lock(mutex_);
            adopted_.emplace_back(job.fd, std::move(takeover->adopt));
          }
          Wake();
          continue;
        }
        answer = std::move(takeover->answer);
      }
    }
    if (!answer && shortcut_) answer = shortcut_(job.request);
    if (!answer) {
      BufferedStream stream(job.fd, job.request, job.address, job.port);
      bool closed = false;
      process_request(stream, true, closed, nullptr);
      answer = SharedResponse{std::move(stream.response)};
    }
    {
      std::lock_guard lock(mutex_);
      answered_.emplace_back(job.fd, std::move(*answer));
    }
    Wake();
  }
}

void GatedHttpServer::Admit(int fd, Clock::time_point now) {
  int port = 0;
  std::string address = PeerAddressOf(fd, &port);
  if (address.empty()) {
    close(fd);
    return;
  }
  bool unlimited =
      std::find(limits_.unlimited.begin(), limits_.unlimited.end(), address) != limits_.unlimited.end();
  auto [it, fresh] = budgets_.try_emplace(AddressGroup(address));
  Budget& budget = it->second;
  if (fresh) budget.tokens = limits_.requestBurst, budget.refilled = now;
  budget.tokens = std::min<double>(
      limits_.requestBurst, budget.tokens + std::chrono::duration<double>(now - budget.refilled).count() *
                                                limits_.requestsPerSecond);
  budget.refilled = now;
  bool allowed = static_cast<int>(connections_.size()) < limits_.connectionsTotal &&
                 (unlimited || (budget.connections < limits_.connectionsPerAddress && budget.tokens >= 1));
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  if (!allowed) {
    static const std::string busy = Refusal("503 Service Unavailable");
    DrainInput(fd);
    [[maybe_unused]] ssize_t ignored = send(fd, busy.data(), busy.size(), MSG_NOSIGNAL);
    shutdown(fd, SHUT_WR);
    close(fd);
    return;
  }
  setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &limits_.sendBufferBytes, sizeof limits_.sendBufferBytes);
  budget.tokens -= unlimited ? 0 : 1;
  ++budget.connections;
  Connection& c = connections_[fd];
  c.group = it->first;
  c.address = std::move(address);
  c.port = port;
  c.deadline = now + std::chrono::milliseconds(limits_.requestTimeMs);
}

void GatedHttpServer::Read(int fd, Connection& c, Clock::time_point now) {
  char buffer[4096];
  ssize_t n = recv(fd, buffer, std::min(sizeof buffer, limits_.requestBytes - c.bytes.size()), 0);
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
  if (n <= 0) return Close(fd);
  // The head ends in an empty line; the list and the files take no body.
  size_t from = c.bytes.size() < 3 ? 0 : c.bytes.size() - 3;
  c.bytes.append(buffer, static_cast<size_t>(n));
  if (c.bytes.find("\r\n\r\n", from) == std::string::npos) {
    if (c.bytes.size() < limits_.requestBytes) return;
    bool longLine = c.bytes.find("\r\n") == std::string::npos;
    c.bytes = Refusal(longLine ? "414 URI Too Long" : "431 Request Header Fields Too Large");
    c.phase = Phase::kResponse;
    responseBytes_ += c.bytes.size();
    c.deadline = now + std::chrono::milliseconds(limits_.responseStallMs);
    return;
  }
  c.phase = Phase::kHandler;
  {
    std::lock_guard lock(mutex_);
    jobs_.push_back({fd, std::move(c.bytes), c.address, c.port});
  }
  c.bytes.clear();
  c.deadline = now;
  jobsWaiting_.notify_one();
}

void GatedHttpServer::Write(int fd, Connection& c, Clock::time_point now) {
  size_t total = c.bytes.size() + (c.body ? c.body->size() : 0);
  std::string_view rest = c.sent < c.bytes.size() ? std::string_view(c.bytes).substr(c.sent)
                                                  : std::string_view(*c.body).substr(c.sent - c.bytes.size());
  ssize_t n = send(fd, rest.data(), rest.size(), MSG_NOSIGNAL);
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
  if (n < 0) return Close(fd);
  c.sent += static_cast<size_t>(n);
  c.deadline = now + std::chrono::milliseconds(limits_.responseStallMs);
  if (c.sent == total) {
    shutdown(fd, SHUT_WR);
    DrainInput(fd);
    Close(fd);
  }
}

void GatedHttpServer::Close(int fd) {
  auto it = connections_.find(fd);
  if (it != connections_.end()) {
    --budgets_[it->second.group].connections;
    if (it->second.phase == Phase::kResponse) responseBytes_ -= it->second.bytes.size();
    connections_.erase(it);
  }
  close(fd);
}

void GatedHttpServer::Poll() {
  std::vector<pollfd> fds;
  std::vector<int> arrivals;
  std::vector<std::pair<int, SharedResponse>> answered;
  std::vector<std::pair<int, std::function<void(int)>>> adopted;
  for (;;) {
    {
      std::lock_guard lock(mutex_);
      if (stopping_) break;
      arrivals.swap(arrivals_);
      answered.swap(answered_);
      adopted.swap(adopted_);
    }
    Clock::time_point now = Clock::now();
    // Forgotten before it is handed on: once closed there, its number may
    // come back to Admit.
    for (auto& [fd, adopt] : adopted) {
      if (auto it = connections_.find(fd); it != connections_.end()) {
        --budgets_[it->second.group].connections;
        connections_.erase(it);
      }
      adopt(fd);
    }
    adopted.clear();
    for (int fd : arrivals) Admit(fd, now);
    for (auto& [fd, response] : answered) {
      // Responses wait in memory for slow readers: their sum is bounded.
      if (responseBytes_ + response.head.size() > limits_.responseBytesTotal) {
        Close(fd);
        continue;
      }
      Connection& c = connections_[fd];
      c.phase = Phase::kResponse;
      c.bytes = std::move(response.head);
      c.body = std::move(response.body);
      responseBytes_ += c.bytes.size();
      c.deadline = now + std::chrono::milliseconds(limits_.responseStallMs);
    }
    arrivals.clear();
    answered.clear();
    // Budgets of addresses gone quiet are full again: forget them.
    if (now - lastSweep_ > std::chrono::seconds(10)) {
      lastSweep_ = now;
      double refill = static_cast<double>(limits_.requestBurst) / std::max(1, limits_.requestsPerSecond);
      std::erase_if(budgets_, [&](const auto& entry) {
        return entry.second.connections == 0 &&
               std::chrono::duration<double>(now - entry.second.refilled).count() > refill;
      });
    }

    fds.assign(1, wake_.Entry());
    Clock::time_point soonest = now + std::chrono::seconds(1);
    for (auto& [fd, c] : connections_) {
      if (c.phase == Phase::kHandler) continue;
      fds.push_back({fd, static_cast<short>(c.phase == Phase::kRequest ? POLLIN : POLLOUT), 0});
      soonest = std::min(soonest, c.deadline);
    }
    wake_.Wait(fds, soonest);
    now = Clock::now();
    for (size_t i = 1; i < fds.size(); ++i) {
      auto it = connections_.find(fds[i].fd);
      if (it == connections_.end()) continue;
      Connection& c = it->second;
      if (fds[i].revents)
        c.phase == Phase::kRequest ? Read(fds[i].fd, c, now) : Write(fds[i].fd, c, now);
      else if (now >= c.deadline)
        Close(fds[i].fd);
    }
  }
  // A worker may still hold its connection: the destructor closes those.
  for (auto& [fd, c] : connections_)
    if (c.phase != Phase::kHandler) close(fd);
}

}  // namespace kb
