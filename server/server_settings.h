#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "common/net/protocol.h"

namespace kb {

// What the operator sets, in the window or on the command line. Both fronts
// write this one struct; the game reads it whenever it needs a value.
struct ServerSettings {
  std::string name;  // as stored and announced: spaces as "%20"
  int port = kDefaultGamePort;
  bool passwordBox = false;  // the "Passwort:" check box
  std::string password;
  std::string adminPassword;
  bool hidden = true;
  // Records (connections that have not joined are capped apart, see
  // ServerLoop) and connections per address; a connection over a cap is
  // closed at once.
  int maxClients = 256;
  int maxConnectionsPerAddress = 16;
  // Reverse proxies whose X-Forwarded-For in a WebSocket handshake names the
  // player; caps and throttles then count that address.
  std::vector<std::string> trustedProxies;
  // Where players are listened for: literal addresses, each of one family;
  // empty for every interface of both families.
  std::vector<std::string> bindAddresses;

  // A checked box with an empty password protects nothing.
  bool PasswordProtected() const { return passwordBox && !password.empty(); }
  bool TrustsProxy(const std::string& address) const {
    return std::find(trustedProxies.begin(), trustedProxies.end(), address) != trustedProxies.end();
  }
  bool operator==(const ServerSettings&) const = default;
};

// Why a server name typed in UTF-8 cannot be used, or empty when it can. A
// byte below 0x20 could carry framing bytes into "SERVER" and the LAN answer.
std::string ServerNameProblem(std::string_view utf8);

// The server loop's thread owns the ServerSettings and reads them unguarded.
// Every other thread (the window, list tasks) posts its changes here, and the
// loop's thread applies them between rounds, and reads the copy the loop
// published last.
class SharedSettings {
 public:
  explicit SharedSettings(ServerSettings& owned) : owned_(owned), published_(owned) {}

  // Any thread. Returns the change's number; changes apply in that order.
  uint64_t Post(std::function<void(ServerSettings&)> change);
  // Loop thread: applies the posted changes and publishes the result.
  void Sync();
  // Any thread: the settings as of the last Sync; applied gets the number of
  // the last change they include.
  ServerSettings Snapshot(uint64_t* applied = nullptr) const;

 private:
  ServerSettings& owned_;
  mutable std::mutex mutex_;
  std::vector<std::function<void(ServerSettings&)>> posted_;
  uint64_t postedCount_ = 0;
  uint64_t appliedCount_ = 0;
  ServerSettings published_;
};

}  // namespace kb
