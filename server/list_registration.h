#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/net/web_list.h"
#include "common/platform/core/socket.h"
#include "server/server_game.h"
#include "server/server_settings.h"

namespace kb {

// The texts of the window's list buttons (3: register, 6: delete); kept here
// so any front shows the same state.
struct EntryButtons {
  std::string registerCaption = "Server eintragen";
  std::string deleteCaption = "Eintrag l\xF6schen";
  static bool RegisterEnabled(int entryState) { return entryState != -1; }
  static bool DeleteEnabled(int entryState) { return entryState == 1; }
};

// A message box for the operator; headless it is a line on standard output.
struct OperatorMessage {
  bool warning = false;
  std::string title;
  std::string text;
};

// RegisterEntry and DeleteEntry. A task takes what it needs from the
// settings when it starts, waits for the list host on its own thread, and
// hands its result back through a locked queue; Drain, on the loop's
// thread, then sets EntryState and the captions, tells the administrators
// and shows the message. A task never touches the game or the settings.
// Why the list host refused a registration, for the operator: the German
// sentence for the reason its answer's data gives after "ERROR", or empty
// when it gives none this server knows.
std::string RefusalReason(std::string_view payload);

class ListRegistration {
 public:
  static constexpr int kAnswerTime = 10000;
  static constexpr int kExitWait = 1000;
  // More tasks at once than an operator could mean are refused as failures.
  static constexpr int kMaxTasks = 4;

  // Sends the request to the host and returns its answer. Runs on the task's
  // thread.
  using Exchange = std::function<ListAnswer(const ListHostAddress& host, const std::string& request)>;
  using Show = std::function<void(const OperatorMessage& message)>;
  // A host's addresses (plain); runs on the task's thread.
  using Resolve = std::function<std::vector<std::string>(const std::string& host)>;

  ListRegistration(ServerGame& game, const ServerSettings& settings);
  ~ListRegistration();

  ListHostAddress listHost;
  ListHostAddress deleteHost;
  // Random, chosen at start: lets the list host show the registrations over
  // IPv4 and IPv6 as one server. Never shown to players; the default
  // exchange holds its own copy.
  std::string serverId;
  Exchange exchange;  // ExchangeOverEveryFamily with the 10 s limit unless replaced
  Show show;          // a line on standard output unless a window replaces it
  Resolve resolve;    // ResolveHost unless replaced
  // The port players reach from outside when the router forwards another
  // one to ours, 0 when it is the game port. The list checks and lists the
  // address with the port a registration names, so the router's port goes
  // there, and old lists and servers need nothing new; the LAN answer keeps
  // the game port, which players on the LAN reach directly.
  int outsidePort = 0;
  // After each registration the list confirmed, on the loop's thread.
  std::function<void()> registered;

  void StartRegister();
  void StartDelete();
  // Applies the results of finished tasks.
  void Drain();
  int Running() const;
  const EntryButtons& Buttons() const { return buttons_; }
  // Whether the peer is the list host the server is registered with: its
  // relay speaks for browser players, whose address it forwards. Learnt at
  // each registration, forgotten at a deletion; a server that registers
  // nowhere trusts nobody here.
  bool TrustsListHost(const std::string& peer) const;
  // The address the list host saw the last successful registration come
  // from (an IPv4 one when it saw one); empty when it did not say.
  const std::string& SeenAddress() const { return seenAddress_; }

  // The shutdown's deletion: when an entry exists (or is being made or
  // deleted) sends the short request over each family of the host that
  // connects within kExitWait and returns those connections, which the
  // caller closes kExitWait ms later without reading.
  std::vector<std::unique_ptr<TcpConnection>> SendExitDeletion();

  // The requests exactly as the list host gets them.
  std::string RegisterRequest() const;
  std::string DeleteRequest() const;
  std::string ExitDeleteRequest() const;

 private:
  struct Shared;
  enum class Kind { kRegister, kDelete };
  void Start(Kind kind, std::string request, const ListHostAddress& host);
  int ListedPort() const { return outsidePort > 0 ? outsidePort : settings_.port; }

  ServerGame& game_;
  const ServerSettings& settings_;
  EntryButtons buttons_;
  std::vector<std::string> listHostAddresses_;
  std::string seenAddress_;
  std::shared_ptr<Shared> shared_;
};

}  // namespace kb
