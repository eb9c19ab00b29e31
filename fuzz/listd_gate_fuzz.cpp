// kb-fuzz-libs: kb_listd
// Raw bytes to the list service's HTTP gate over a loopback TCP connection, with the list and a web root
// mounted over a real SQLite store. The peer sends the input and reads until the gate closes. A request whose
// head ends within the size limit gets exactly one HTTP/1.1 response; a head that outgrows the limit gets 414
// or 431, and one cut short by the peer at most a 4xx. Bodies match their Content-Length, list answers keep
// the list's format, a file's answer is that file, and nothing outside the web root is served. Input: the
// connection's bytes.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "fuzz/list_answer_format.h"
#include "listd/http_front.h"
#include "listd/http_gate.h"
#include "listd/list_format.h"
#include "listd/list_service.h"

namespace {

constexpr size_t kRequestBytes = 8192;
constexpr std::string_view kSecret = "KB-SECRET-OUTSIDE-THE-ROOT";
const std::vector<std::pair<std::string, std::string>> kFiles = {
    {"kringelbahn.html", "<html>page</html>"},
    {"kringelbahn.wasm", std::string("\0asm\1\0\0\0", 8)},
    {"parts/kringelbahn.data", "data"},
};

struct World {
  std::filesystem::path dir;
  kb::ManualClock clock{1000};
  kb::ListStore store;
  std::optional<kb::ListService> service;
  std::optional<kb::GatedHttpServer> http;
  int port = -1;

  World() {
    char pattern[] = "/tmp/kb_listd_gate_fuzz_XXXXXX";
    if (mkdtemp(pattern) == nullptr) std::abort();
    dir = pattern;
    std::filesystem::create_directories(dir / "web/parts");
    for (const auto& [name, bytes] : kFiles) std::ofstream(dir / "web" / name, std::ios::binary) << bytes;
    std::ofstream(dir / "secret.txt") << kSecret;
    std::filesystem::create_symlink(dir / "secret.txt", dir / "web/link.txt");
    if (!store.Open((dir / "list.db").string())) std::abort();
    kb::ListServiceLimits limits;
    limits.entries = {.perAddress = 3, .perNetwork = 5, .total = 40};
    auto probe = [](const std::vector<kb::Endpoint>& endpoints) {
      return std::vector<bool>(endpoints.size(), true);
    };
    service.emplace(store, clock, probe, limits);
    // Every run comes from loopback: its budget must not refuse the fuzzer.
    http.emplace(kb::GateLimits{.requestTimeMs = 1000,
                                .requestBytes = kRequestBytes,
                                .responseStallMs = 1000,
                                .workers = 2,
                                .unlimited = {"127.0.0.1"}});
    kb::MountListService(*http, *service, {});
    if (!kb::MountWebRoot(*http, (dir / "web").string())) std::abort();
    port = http->Bind("127.0.0.1", 0);
    if (port <= 0) std::abort();
    std::thread([this] { http->listen_after_bind(); }).detach();
  }
};

World& TheWorld() {
  static World* world = [] {
    // httplib's accept loop ends on any failed accept, an interrupted one too:
    // the server's threads leave libFuzzer's timer signal to this one.
    sigset_t alarm, mask;
    sigemptyset(&alarm);
    sigaddset(&alarm, SIGALRM);
    pthread_sigmask(SIG_BLOCK, &alarm, &mask);
    auto* w = new World;
    pthread_sigmask(SIG_SETMASK, &mask, nullptr);
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(TheWorld().dir, ignored);
    });
    return w;
  }();
  return *world;
}

[[noreturn]] void Broken(const char* what, std::string_view heard) {
  std::fprintf(stderr, "listd_gate_fuzz: %s; heard %zu bytes:\n%.*s\n", what, heard.size(),
               static_cast<int>(std::min<size_t>(heard.size(), 2000)), heard.data());
  std::abort();
}

// Sends the request and reads until the gate closes. Only a peer that stops mid-head ends its side first: the
// gate waits for more otherwise, and the side that ends first keeps the port in TIME_WAIT, which thousands of
// runs a second would fill.
std::string Exchange(int port, std::string_view request, bool endFirst) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(port));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  // libFuzzer's timer signal interrupts the calls below; an interrupted connect goes on without us.
  int failed = fd < 0 ? errno : connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0 ? errno : 0;
  if (failed == EINTR) {
    pollfd connecting{.fd = fd, .events = POLLOUT, .revents = 0};
    while (poll(&connecting, 1, 5000) < 0 && errno == EINTR) {
    }
    socklen_t size = sizeof failed;
    getsockopt(fd, SOL_SOCKET, SO_ERROR, &failed, &size);
  }
  if (failed != 0) {
    std::fprintf(stderr, "listd_gate_fuzz: connect: %s\n", std::strerror(failed));
    std::abort();
  }
  timeval wait{.tv_sec = 5, .tv_usec = 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  // The gate may answer and close before it has read everything (414, 431).
  for (size_t sent = 0; sent < request.size();) {
    ssize_t n = send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    sent += static_cast<size_t>(n);
  }
  if (endFirst) shutdown(fd, SHUT_WR);
  std::string heard;
  char buffer[65536];
  for (;;) {
    ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n > 0) {
      heard.append(buffer, static_cast<size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      if (n < 0 && errno != ECONNRESET) Broken("the gate kept the connection open", heard);
      break;
    }
  }
  // A reset leaves neither side in TIME_WAIT.
  linger reset{.l_onoff = 1, .l_linger = 0};
  setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
  close(fd);
  return heard;
}

std::string_view Header(std::string_view head, std::string_view name) {
  size_t at = head.find("\r\n" + std::string(name) + ": ");
  if (at == std::string_view::npos) return {};
  std::string_view value = head.substr(at + name.size() + 4);
  return value.substr(0, value.find("\r\n"));
}

// A HEAD is answered without a body, even a refusal of a request line that
// only starts like one: the method is its first space-separated word.
bool AskedForHead(std::string_view request) {
  std::string_view line = request.substr(0, request.find('\n'));
  if (line.ends_with('\r')) line.remove_suffix(1);
  line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
  std::string_view method = line.substr(0, line.find(' '));
  return method.substr(0, method.find_last_not_of('\t') + 1) == "HEAD";
}

// One whole response and nothing after it; the status, or -1 for silence.
int CheckHeard(std::string_view heard, std::string_view request) {
  if (heard.empty()) return -1;
  if (heard.find(kSecret) != std::string_view::npos && request.find(kSecret) == std::string_view::npos)
    Broken("a file outside the web root was served", heard);
  std::string_view response = heard;
  // An interim answer to "Expect: 100-continue" may come first.
  if (response.starts_with("HTTP/1.1 100 Continue\r\n\r\n")) response.remove_prefix(25);
  if (!response.starts_with("HTTP/1.1 ") || response.size() < 13 || response[12] != ' ')
    Broken("no HTTP/1.1 status line", heard);
  int status = 0;
  for (char c : response.substr(9, 3)) {
    if (c < '0' || c > '9') Broken("the status is no 3-digit number", heard);
    status = status * 10 + (c - '0');
  }
  size_t headEnd = response.find("\r\n\r\n");
  if (headEnd == std::string_view::npos) Broken("the response head never ends", heard);
  std::string_view head = response.substr(0, headEnd + 2), body = response.substr(headEnd + 4);
  std::string_view length = Header(head, "Content-Length");
  if (length.empty()) Broken("no Content-Length", heard);
  bool headOnly = body.empty() && AskedForHead(request);
  if (!headOnly && std::to_string(body.size()) != length)
    Broken("the body does not match its Content-Length", heard);
  if (status != 200 || headOnly) return status;
  if (Header(head, "Content-Type") == "text/plain; charset=ISO-8859-1") {
    if (ListAnswerSeen(body) == "\n") Broken("a list answer out of format", heard);
    return status;
  }
  for (const auto& [name, bytes] : kFiles)
    if (body == bytes) return status;
  Broken("a 200 that is neither the list nor a file", heard);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  World& world = TheWorld();
  std::string_view request(reinterpret_cast<const char*>(data), size);
  size_t headEnd = request.find("\r\n\r\n");
  bool whole = headEnd != std::string_view::npos && headEnd + 4 <= kRequestBytes;
  std::string heard = Exchange(world.port, request, !whole && size < kRequestBytes);
  int status = CheckHeard(heard, request);
  if (whole) {
    if (status < 0) Broken("a whole request went unanswered", heard);
  } else if (size >= kRequestBytes) {
    bool longLine = request.substr(0, kRequestBytes).find("\r\n") == std::string_view::npos;
    if (status != (longLine ? 414 : 431)) Broken("an oversized head was not refused with 414 or 431", heard);
  } else if (status >= 0 && (status < 400 || status > 499)) {
    Broken("a head cut short got more than a 4xx", heard);
  }
  world.clock.Advance(1000);
  return 0;
}
