#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/net/protocol.h"
#include "common/net/web_list.h"
#include "common/platform/core/clock.h"
#include "common/platform/core/command_line.h"
#include "common/platform/core/latin1.h"
#include "common/platform/core/process.h"
#include "common/platform/core/random.h"
#include "common/platform/core/socket.h"
#include "server/server_loop.h"
#include "server/server_settings.h"
#include "server/window/server_window.h"

namespace {

const char kUsage[] =
    "Kringelbahn Server\n"
    "\n"
    "  kringelbahn-server [--port N] [--bind ADDRESS]... [--max-clients N]\n"
    "                     [--list-host HOST[:PORT]] [--list-delete-host HOST[:PORT]] [--register]\n"
    "                     [--trust-forwarded-for ADDR[,ADDR...]] [--open-port | --no-open-port]\n"
    "  kringelbahn-server --headless --name NAME [--password PW] [--admin-password PW]\n"
    "                     [--visible] [--port N] [--bind ADDRESS]... [--max-clients N]\n"
    "                     [--list-host HOST[:PORT]] [--list-delete-host HOST[:PORT]] [--register]\n"
    "                     [--trust-forwarded-for ADDR[,ADDR...]] [--open-port | --no-open-port]\n"
    "\n"
    "Without --headless the server opens its window and asks for the name.\n"
    "The game port also takes browser players: WebSocket connections (binary frames).\n"
    "\n"
    "  --headless            run without a window; the status line goes to standard output\n"
    "  --name NAME           the server's name (required)\n"
    "  --password PW         clients must give this password to play\n"
    "  --admin-password PW   lets clients log in for administrator commands; without it\n"
    "                        remote administration is off\n"
    "  --visible             answer LAN discovery requests (hidden by default)\n"
    "  --port N              listen on port N only; 0 takes any free port. Without it the\n"
    "                        server takes port 666, else a random free port\n"
    "  --bind ADDRESS        listen for players on this IPv4 or IPv6 address only (0.0.0.0:\n"
    "                        every IPv4 interface, ::: every IPv6 one); repeatable, all on\n"
    "                        the one port. Without it the server listens on both families\n"
    "  --max-clients N       at most N players and open connections (default 256); more\n"
    "                        are closed at once\n"
    "  --list-host H[:P]     the Internet list host that registers the server (default\n"
    "                        $KRINGELBAHN_LIST_HOST, else list.kb.example.org, port 80); an\n"
    "                        IPv6 address in brackets, [::1]:8080. A host with IPv4 and IPv6\n"
    "                        addresses gets the registration over each\n"
    "  --list-delete-host H[:P]  the list host that deletes the entry (default\n"
    "                        $KRINGELBAHN_LIST_DELETE_HOST, else list.kb.example.org)\n"
    "  --register            register with the list host once at start; administrators\n"
    "                        renew or delete the entry with REGISTER and DEREGISTER\n"
    "  --open-port           have the router forward the game port (UPnP IGD or NAT-PMP),\n"
    "                        renewed while the server runs and removed at its end; on by\n"
    "                        default with --register. A router that gives another outside\n"
    "                        port has that one registered\n"
    "  --no-open-port        never ask the router, not even for a registration\n"
    "  --trust-forwarded-for ADDR[,ADDR...]  reverse proxies (IPv4 or IPv6 addresses) that carry\n"
    "                        browser players: a WebSocket handshake from one of them is\n"
    "                        counted for the address it appended to X-Forwarded-For\n"
    "  --help                this text\n"
    "\n"
    "SIGINT and SIGTERM (Ctrl+C or closing the console on Windows) shut the server\n"
    "down and tell every client.\n";

struct Options {
  bool headless = false;
  bool help = false;
  std::string name;
  std::string password;
  std::string adminPassword;
  bool visible = false;
  int port = -1;
  std::string listHost;
  std::string listDeleteHost;
  bool registerAtStart = false;
  int openPort = -1;  // -1: with a registration, 0: never, 1: at start
  int maxClients = 256;
  std::vector<std::string> trustedProxies;
  std::vector<std::string> bindAddresses;
  std::string error;
};

Options ParseOptions(const std::vector<std::string>& argv) {
  Options o;
  int argc = static_cast<int>(argv.size());
  for (int i = 1; i < argc && o.error.empty(); ++i) {
    std::string arg = argv[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= argc) {
        o.error = arg + " needs a value";
        return;
      }
      *out = argv[++i];
    };
    if (arg == "--headless") {
      o.headless = true;
    } else if (arg == "--help" || arg == "-h") {
      o.help = true;
    } else if (arg == "--name") {
      value(&o.name);
    } else if (arg == "--password") {
      value(&o.password);
    } else if (arg == "--admin-password") {
      value(&o.adminPassword);
    } else if (arg == "--visible") {
      o.visible = true;
    } else if (arg == "--list-host" || arg == "--list-delete-host") {
      std::string text;
      value(&text);
      // A bad port falls back to the default host, which would only fail later.
      std::string host;
      int port = 0;
      if (o.error.empty() && !kb::SplitHostPort(text, &host, &port)) {
        o.error = arg + " needs HOST or HOST:PORT";
      } else {
        (arg == "--list-host" ? o.listHost : o.listDeleteHost) = text;
      }
    } else if (arg == "--trust-forwarded-for") {
      std::string text;
      value(&text);
      for (size_t from = 0; o.error.empty() && from <= text.size();) {
        size_t comma = std::min(text.find(',', from), text.size());
        std::string address = kb::PlainAddress(std::string_view(text).substr(from, comma - from));
        if (address.empty()) {
          o.error = "--trust-forwarded-for needs IPv4 or IPv6 addresses separated by commas";
        } else {
          o.trustedProxies.push_back(address);
        }
        from = comma + 1;
      }
    } else if (arg == "--bind") {
      std::string text;
      value(&text);
      std::string address = kb::PlainAddress(text);
      if (o.error.empty() && address.empty()) {
        o.error = "--bind needs an IPv4 or IPv6 address";
      } else if (o.error.empty()) {
        o.bindAddresses.push_back(address);
      }
    } else if (arg == "--open-port" || arg == "--no-open-port") {
      o.openPort = arg == "--open-port";
    } else if (arg == "--register") {
      o.registerAtStart = true;
    } else if (arg == "--port") {
      std::string text;
      value(&text);
      long port = 0;
      if (!kb::ParseNumber(text, 0, 65535, &port)) {
        o.error = "--port needs a number from 0 to 65535";
      } else {
        o.port = static_cast<int>(port);
      }
    } else if (arg == "--max-clients") {
      std::string text;
      value(&text);
      long n = 0;
      if (!kb::ParseNumber(text, 1, 100000, &n)) {
        o.error = "--max-clients needs a number from 1 to 100000";
      } else {
        o.maxClients = static_cast<int>(n);
      }
    } else {
      o.error = "unknown option " + arg;
    }
  }
  return o;
}

void ConfigureRegistration(const Options& options, kb::ServerLoop& loop) {
  kb::ListRegistration& registration = loop.Registration();
  if (!options.listHost.empty()) registration.listHost = kb::ParseListHost(options.listHost);
  if (!options.listDeleteHost.empty()) registration.deleteHost = kb::ParseListHost(options.listDeleteHost);
  loop.openPortToRegister = options.openPort != 0;
  if (options.openPort == 1) loop.OpenPort();
  if (options.registerAtStart) loop.Game().startRegisterEntry();
}

}  // namespace

int main(int argc, char** argv) {
  kb::UseBinaryStandardOutput();
  Options options = ParseOptions(kb::CommandLineArguments(argc, argv));
  if (options.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (!options.error.empty()) {
    std::fprintf(stderr, "%s\n\n%s", options.error.c_str(), kUsage);
    return 2;
  }
  if (!options.headless) {
    kb::ReleaseOwnConsole();
    kb::ServerSettings initial;
    initial.maxClients = options.maxClients;
    initial.trustedProxies = options.trustedProxies;
    initial.bindAddresses = options.bindAddresses;
    return kb::RunServerWindow(initial, options.port, [&](kb::ServerLoop& loop, const kb::MessageBoxHook&) {
      ConfigureRegistration(options, loop);
    });
  }
  if (options.name.empty()) {
    std::fprintf(stderr, "--name is required\n\n%s", kUsage);
    return 2;
  }
  if (std::string problem = kb::ServerNameProblem(options.name); !problem.empty()) {
    std::fprintf(stderr, "--name: %s\n", problem.c_str());
    return 2;
  }

  kb::ServerSettings settings;
  settings.name = kb::EncodeServerName(kb::Utf8ToLatin1(options.name));
  settings.passwordBox = !options.password.empty();
  settings.password = kb::Utf8ToLatin1(options.password);
  settings.adminPassword = kb::Utf8ToLatin1(options.adminPassword);
  settings.hidden = !options.visible;
  settings.maxClients = options.maxClients;
  settings.trustedProxies = options.trustedProxies;
  settings.bindAddresses = options.bindAddresses;

  kb::SystemClock clock;
  kb::Random random = kb::Random::FromEntropy();
  kb::ServerLoop loop(settings, clock, random);
  if (!loop.Open(options.port)) {
    std::fprintf(stderr, "Fehler: %s\n%s\n",
                 kb::Latin1ToUtf8("Es konnte kein Server erstellt werden.").c_str(),
                 loop.OpenError().c_str());
    return 1;
  }

  // Without a window there is no button: the operator asks for it at start.
  ConfigureRegistration(options, loop);

  std::atomic<bool> stopRequested{false};
  kb::StopRequests stopRequests(stopRequested);
  loop.Run(stopRequested, [](const std::string& status) {
    std::printf("%s\n", kb::Latin1ToUtf8(status).c_str());
    std::fflush(stdout);
  });
  std::printf("%s\n", kb::ShutdownNotice(stopRequested ? stopRequests.Reason() : "").c_str());
  return 0;
}
