#include "server/list_registration.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <thread>

#include "common/platform/core/latin1.h"
#include "common/platform/core/random.h"

namespace kb {
namespace {

constexpr Colour kGreen = 65280;
constexpr Colour kRed = 255;
constexpr const char* kErrorTitle = "Fehler";
constexpr const char* kInfoTitle = "Kringelbahn Server";

}  // namespace

struct ListRegistration::Shared {
  struct Result {
    Kind kind;
    bool ok;
    std::vector<std::string> addresses;  // of the list host, when registered
  };
  std::mutex mutex;
  std::deque<Result> results;
  int running = 0;
};

ListRegistration::ListRegistration(ServerGame& game, const ServerSettings& settings)
    : listHost(ListHostFromEnvironment("KRINGELBAHN_LIST_HOST")),
      deleteHost(ListHostFromEnvironment("KRINGELBAHN_LIST_DELETE_HOST")),
      serverId(EntropyId(4)),
      exchange([id = serverId](const ListHostAddress& host, const std::string& request) {
        return ExchangeOverEveryFamily(host, request, kAnswerTime, id);
      }),
      show([](const OperatorMessage& m) {
        std::printf("%s: %s\n", Latin1ToUtf8(m.title).c_str(), Latin1ToUtf8(m.text).c_str());
        std::fflush(stdout);
      }),
      resolve(ResolveHost),
      game_(game),
      settings_(settings),
      shared_(std::make_shared<Shared>()) {}

// Tasks still waiting for their host keep the shared queue alive and end on
// their own; the program's exit does not wait for them.
ListRegistration::~ListRegistration() = default;

std::string ListRegistration::RegisterRequest() const {
  return ListRequest("/kringel_server.php?m=reg&name=" + settings_.name +
                         "&port=" + std::to_string(ListedPort()) +
                         "&pass=" + (settings_.PasswordProtected() ? "1" : "0"),
                     listHost);
}

std::string ListRegistration::DeleteRequest() const {
  return ListRequest("/kringel_server.php?m=del&port=" + std::to_string(ListedPort()), deleteHost);
}

std::string ListRegistration::ExitDeleteRequest() const {
  return "GET /kringel_server.php?m=del&port=" + std::to_string(ListedPort()) +
         " HTTP/1.1\r\nHost: " + deleteHost.header + "\r\n\r\n";
}

int ListRegistration::Running() const {
  std::lock_guard lock(shared_->mutex);
  return shared_->running;
}

void ListRegistration::Start(Kind kind, std::string request, const ListHostAddress& host) {
  std::shared_ptr<Shared> shared = shared_;
  {
    std::lock_guard lock(shared->mutex);
    if (shared->running >= kMaxTasks) {
      shared->results.push_back({kind, false, {}});
      return;
    }
    ++shared->running;
  }
  Resolve find = kind == Kind::kRegister ? resolve : Resolve();
  std::thread([shared, kind, request = std::move(request), host, exchange = exchange, find] {
    bool ok = exchange(host, request) == "OK";
    // Where the list's relay connects from: the host's own addresses.
    std::vector<std::string> addresses = ok && find ? find(host.host) : std::vector<std::string>();
    std::lock_guard lock(shared->mutex);
    shared->results.push_back({kind, ok, std::move(addresses)});
    --shared->running;
  }).detach();
}

void ListRegistration::StartRegister() {
  buttons_.registerCaption = "Server wird eingetragen...";
  game_.entryState = -1;
  Start(Kind::kRegister, RegisterRequest(), listHost);
}

void ListRegistration::StartDelete() {
  buttons_.deleteCaption = "Eintrag wird gel\xF6scht...";
  game_.entryState = 2;
  Start(Kind::kDelete, DeleteRequest(), deleteHost);
}

void ListRegistration::Drain() {
  std::unique_lock lock(shared_->mutex);
  // Called every loop round: with nothing to do nothing is allocated (an
  // empty deque already allocates).
  if (shared_->results.empty()) return;
  std::deque<Shared::Result> results;
  results.swap(shared_->results);
  lock.unlock();
  // In finishing order: the last task to finish decides.
  for (const Shared::Result& r : results) {
    if (r.kind == Kind::kRegister && r.ok) {
      listHostAddresses_ = r.addresses;
      game_.entryState = 1;
      buttons_.registerCaption = "Eintrag erneuern";
      game_.NotifyAdmins("Der Server wurde erfolgreich eingetragen.", kGreen);
      show({false, kInfoTitle, "Server erfolgreich eingetragen."});
      if (registered) registered();
    } else if (r.kind == Kind::kRegister) {
      game_.entryState = 0;
      buttons_.registerCaption = "Server eintragen";
      game_.NotifyAdmins("Der Server konnte nicht eingetragen werden.", kRed);
      show({true, kErrorTitle, "Server konnte nicht eingetragen werden."});
    } else if (r.ok) {
      listHostAddresses_.clear();
      game_.entryState = 0;
      buttons_.deleteCaption = "Eintrag l\xF6schen";
      buttons_.registerCaption = "Server eintragen";
      game_.NotifyAdmins("Der Eintrag wurde gel\xF6scht.", kGreen);
      show({false, kInfoTitle, "Der Eintrag wurde gel\xF6scht."});
    } else {
      // EntryState stays as it is (2 after this deletion started).
      buttons_.registerCaption = "Server eintragen";
      game_.NotifyAdmins("Der Eintrag konnte nicht gel\xF6scht werden.", kRed);
      show({true, kErrorTitle, "Der Eintrag konnte nicht gel\xF6scht werden."});
    }
  }
}

bool ListRegistration::TrustsListHost(const std::string& peer) const {
  return std::find(listHostAddresses_.begin(), listHostAddresses_.end(), peer) != listHostAddresses_.end();
}

std::vector<std::unique_ptr<TcpConnection>> ListRegistration::SendExitDeletion() {
  std::vector<std::unique_ptr<TcpConnection>> sent;
  if (game_.entryState == 0) return sent;
  // An unreachable host must not hold the exit longer than the wait itself.
  std::vector<std::unique_ptr<TcpConnectAttempt>> attempts;
  for (AddressFamily family : {AddressFamily::kIpv6, AddressFamily::kIpv4})
    attempts.push_back(
        std::make_unique<TcpConnectAttempt>(deleteHost.host, deleteHost.port, false, kExitWait, family));
  while (!attempts.empty()) {
    for (size_t i = 0; i < attempts.size();) {
      std::unique_ptr<TcpConnection> connection = attempts[i]->Poll();
      bool over = connection || attempts[i]->Failed();
      if (connection && connection->Send(ExitDeleteRequest())) sent.push_back(std::move(connection));
      if (over) {
        attempts.erase(attempts.begin() + static_cast<long>(i));
      } else {
        ++i;
      }
    }
    if (!attempts.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return sent;
}

}  // namespace kb
