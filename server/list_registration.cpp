#include "server/list_registration.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <thread>

#include "common/platform/core/address.h"
#include "common/platform/core/latin1.h"
#include "common/platform/core/random.h"

namespace kb {
namespace {

constexpr const char* kErrorTitle = "Fehler";
constexpr const char* kInfoTitle = "Kringelbahn Server";

}  // namespace

std::string RefusalReason(std::string_view payload) {
  if (!payload.starts_with(std::string(kListError) + " ")) return {};
  std::string_view rest = payload.substr(kListError.size() + 1);
  std::string_view word = rest.substr(0, rest.find(' '));
  if (word == refusal::kUnreachable) {
    // "ADDRESS PORT": where the list tried; shown only when both are what they say.
    std::string_view details = word.size() < rest.size() ? rest.substr(word.size() + 1) : std::string_view();
    size_t blank = details.find(' ');
    std::string address = PlainAddress(details.substr(0, blank));
    std::optional<int> port =
        blank == std::string_view::npos ? std::nullopt : PortNumber(details.substr(blank + 1));
    if (address.empty() || !port) return "Der Spielport ist aus dem Internet nicht erreichbar.";
    return "Port " + std::to_string(*port) + " ist unter " + address + " aus dem Internet nicht erreichbar.";
  }
  static constexpr std::pair<std::string_view, const char*> kReasons[] = {
      {refusal::kAddressFull, "Von dieser Adresse sind schon genug Server eingetragen."},
      {refusal::kNetworkFull, "Aus diesem Netz sind schon genug Server eingetragen."},
      {refusal::kListFull, "Die Liste ist voll."},
      {refusal::kBadName, "Die Liste nimmt diesen Servernamen nicht an."},
      {refusal::kBadPort, "Die Liste nimmt diesen Port nicht an."},
      {refusal::kBadRequest, "Die Liste konnte die Anfrage nicht lesen."},
      {refusal::kStorage, "Die Liste konnte den Eintrag nicht speichern."},
      {refusal::kBusy,
       "Die Liste pr\xFC"
       "ft gerade zu viele Server; bitte sp\xE4ter noch einmal versuchen."},
  };
  for (const auto& [known, text] : kReasons)
    if (word == known) return text;
  return {};
}

struct ListRegistration::Shared {
  struct Result {
    Kind kind;
    bool ok;
    std::vector<std::string> addresses;  // of the list host, when registered
    std::string reason = {};             // why not, when the host said or never answered
    std::string seenAddress = {};
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
    ListAnswer answer = exchange(host, request);
    bool ok = answer.payload == "OK";
    // Where the list's relay connects from: the host's own addresses.
    std::vector<std::string> addresses = ok && find ? find(host.host) : std::vector<std::string>();
    std::string reason = answer.answered ? RefusalReason(answer.payload) : host.header + " antwortet nicht.";
    std::lock_guard lock(shared->mutex);
    shared->results.push_back(
        {kind, ok, std::move(addresses), std::move(reason), std::move(answer.seenAddress)});
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
      seenAddress_ = r.seenAddress;
      game_.entryState = 1;
      buttons_.registerCaption = "Eintrag erneuern";
      game_.NotifyAdmins("Der Server wurde erfolgreich eingetragen.", kAdminGreen);
      show({false, kInfoTitle, "Server erfolgreich eingetragen."});
      if (registered) registered();
    } else if (r.kind == Kind::kRegister) {
      game_.entryState = 0;
      buttons_.registerCaption = "Server eintragen";
      std::string why = r.reason.empty() ? "." : ": " + r.reason;
      game_.NotifyAdmins("Der Server konnte nicht eingetragen werden" + why, kAdminRed);
      show({true, kErrorTitle, "Server konnte nicht eingetragen werden" + why});
    } else if (r.ok) {
      listHostAddresses_.clear();
      game_.entryState = 0;
      buttons_.deleteCaption = "Eintrag l\xF6schen";
      buttons_.registerCaption = "Server eintragen";
      game_.NotifyAdmins("Der Eintrag wurde gel\xF6scht.", kAdminGreen);
      show({false, kInfoTitle, "Der Eintrag wurde gel\xF6scht."});
    } else {
      // EntryState stays as it is (2 after this deletion started).
      buttons_.registerCaption = "Server eintragen";
      game_.NotifyAdmins("Der Eintrag konnte nicht gel\xF6scht werden.", kAdminRed);
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
