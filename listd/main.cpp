#include <httplib.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>

#include "common/platform/core/command_line.h"
#include "common/platform/core/socket.h"
#include "listd/reachability.h"
#include "listd/http_front.h"
#include "listd/http_gate.h"
#include "listd/list_service.h"
#include "listd/relay.h"

namespace {

const char kUsage[] =
    "kringelbahn-listd: the Internet server list of Kringelbahn\n"
    "\n"
    "  kringelbahn-listd [--port N] [--bind ADDRESS] [--db PATH] [--check-interval S]\n"
    "                    [--trusted-proxy ADDRESS]... [--web-root DIR]\n"
    "\n"
    "  --port N              HTTP port (default 80; 0 takes a free one, named in the log)\n"
    "  --bind ADDRESS        the one IPv4 or IPv6 address to listen on (0.0.0.0: every IPv4\n"
    "                        interface, ::: every IPv6 one); without it both families\n"
    "  --db PATH             the SQLite file of the entries (default\n"
    "                        $XDG_DATA_HOME/kringelbahn/list.sqlite, else\n"
    "                        ~/.local/share/kringelbahn/list.sqlite)\n"
    "  --check-interval S    seconds between reachability checks of an entry (default 300);\n"
    "                        an entry is removed after 3 failed checks in a row\n"
    "  --trusted-proxy ADDRESS  a reverse proxy (IPv4 or IPv6) whose requests are taken as from\n"
    "                        the last address it appended to X-Forwarded-For; repeatable.\n"
    "                        Everyone else's X-Forwarded-For is ignored\n"
    "  --web-root DIR        also serve the browser build of the game from DIR, \"/\" leading\n"
    "                        to kringelbahn.html\n"
    "  --help                this text\n"
    "\n"
    "Serves GET /kringel_server.php with m=get, m=reg (name, port, pass) and m=del, and\n"
    "relays WebSockets on /play?address=A&port=P to listed servers that answered their last check.\n"
    "SIGINT and SIGTERM stop it; entries stay in the database.\n";

// Wall time, so the order of entries survives a restart.
class WallClock final : public kb::Clock {
 public:
  int64_t Now() const override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
  }
  void Sleep(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

struct Options {
  int port = 80;
  std::string bind;  // empty: both families
  std::string db;
  long checkInterval = 300;
  std::vector<std::string> trustedProxies;
  std::string webRoot;
  bool help = false;
  std::string error;
};

Options ParseOptions(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc && o.error.empty(); ++i) {
    std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 < argc) return argv[++i];
      o.error = arg + " needs a value";
      return {};
    };
    long number = 0;
    if (arg == "--help" || arg == "-h") {
      o.help = true;
    } else if (arg == "--port") {
      if (kb::ParseNumber(value(), 0, 65535, &number))
        o.port = static_cast<int>(number);
      else if (o.error.empty())
        o.error = "--port needs a number from 0 to 65535";
    } else if (arg == "--bind") {
      o.bind = kb::PlainAddress(value());
      if (o.bind.empty() && o.error.empty()) o.error = "--bind needs an IPv4 or IPv6 address";
    } else if (arg == "--db") {
      o.db = value();
    } else if (arg == "--check-interval") {
      if (kb::ParseNumber(value(), 1, 86400, &number))
        o.checkInterval = number;
      else if (o.error.empty())
        o.error = "--check-interval needs seconds from 1 to 86400";
    } else if (arg == "--trusted-proxy") {
      std::string address = kb::PlainAddress(value());
      if (address.empty() && o.error.empty()) o.error = "--trusted-proxy needs an IPv4 or IPv6 address";
      if (!address.empty()) o.trustedProxies.push_back(address);
    } else if (arg == "--trust-forwarded-for") {
      // Trusting the header from anyone let anyone name a third party.
      o.error = "--trust-forwarded-for is gone: name each reverse proxy with --trusted-proxy ADDRESS";
    } else if (arg == "--web-root") {
      o.webRoot = value();
    } else {
      o.error = "unknown option " + arg;
    }
  }
  return o;
}

std::string DefaultDatabase() {
  std::string folder;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) {
    folder = data;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    folder = std::string(home) + "/.local/share";
  } else {
    folder = ".";
  }
  folder += "/kringelbahn";
  // A failure here shows up as the database that cannot be opened.
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  return folder + "/list.sqlite";
}

std::mutex logMutex;

void LogLine(const std::string& line) {
  // The time zone is read on first use, and not safely from two threads.
  std::lock_guard lock(logMutex);
  std::time_t now = std::time(nullptr);
  std::tm local{};
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", localtime_r(&now, &local));
  std::printf("%s %s\n", stamp, line.c_str());
  std::fflush(stdout);
}

std::atomic<bool> stopRequested{false};

void RequestStop(int) { stopRequested = true; }

}  // namespace

int main(int argc, char** argv) {
  Options options = ParseOptions(argc, argv);
  if (options.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (!options.error.empty()) {
    std::fprintf(stderr, "%s\n\n%s", options.error.c_str(), kUsage);
    return 2;
  }
  if (options.db.empty()) options.db = DefaultDatabase();
  kb::InitNetwork();
  // Every connection and every check holds a descriptor.
  rlimit files{};
  if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
  }
  // A quarter of them for checks that run side by side.
  size_t parallelChecks = std::clamp<size_t>(files.rlim_cur / 4, 64, 4096);
  kb::GateLimits gate;
  gate.unlimited = options.trustedProxies;
  // Outlives the server, whose poll thread hands it connections.
  kb::Relay relay;
  kb::GatedHttpServer server(gate);
  if (!options.webRoot.empty() && !kb::MountWebRoot(server, options.webRoot)) {
    std::fprintf(stderr, "cannot serve %s: no readable directory\n", options.webRoot.c_str());
    return 1;
  }

  kb::ListStore store;
  if (!store.Open(options.db)) {
    std::fprintf(stderr, "cannot open the database %s: %s\n", options.db.c_str(), store.Error().c_str());
    return 1;
  }
  WallClock clock;
  kb::ListServiceLimits limits;
  limits.checkIntervalMs = options.checkInterval * 1000;
  kb::ListService service(
      store, clock,
      [parallelChecks](const std::vector<kb::Endpoint>& endpoints) {
        return kb::ProbeAll(endpoints, 2000, stopRequested, parallelChecks);
      },
      limits, LogLine);

  kb::MountListService(server, service, {.trustedProxies = options.trustedProxies});
  kb::MountRelay(server, service, relay, {.trustedProxies = options.trustedProxies});
  // Both families on one socket, or IPv4 alone where the system has no IPv6.
  std::string where = options.bind.empty() ? "every interface" : options.bind;
  int port = server.Bind(options.bind.empty() ? "::" : options.bind, options.port, options.bind.empty());
  if (port <= 0 && options.bind.empty()) {
    port = server.Bind("0.0.0.0", options.port);
    where = "every IPv4 interface";
  }
  if (port <= 0) {
    std::fprintf(stderr, "cannot listen on %s port %d\n", where.c_str(), options.port);
    return 1;
  }

  struct sigaction action {};
  action.sa_handler = RequestStop;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  // The checks and the stop request are watched off the request threads.
  std::mutex waitMutex;
  std::condition_variable wake;
  int exitCode = 0;
  std::thread watcher([&] {
    int64_t lastPrune = 0;
    std::unique_lock lock(waitMutex);
    while (!stopRequested) {
      wake.wait_for(lock, std::chrono::milliseconds(200));
      if (clock.Now() - lastPrune >= 1000) {
        lock.unlock();
        // Entries written to a file nobody will open again are lost.
        if (std::string lost = store.Lost(); !lost.empty()) {
          LogLine("the database " + options.db + " " + lost + ": nothing can be stored, stopping");
          exitCode = 1;
          break;
        }
        service.PruneDue();
        lastPrune = clock.Now();
        lock.lock();
      }
    }
    server.stop();
  });
  int count = store.Count();
  LogLine("listening on " + where + " port " + std::to_string(port) + ", database " + options.db +
          ", " + std::to_string(count) + (count == 1 ? " entry" : " entries") +
          (options.webRoot.empty() ? "" : ", web root " + options.webRoot));
  server.listen_after_bind();
  stopRequested = true;
  wake.notify_all();
  watcher.join();
  LogLine("stopped");
  return exitCode;
}
