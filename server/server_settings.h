#pragma once

#include <string>

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
  // Records and open connections; a connection over a cap is closed at once.
  int maxClients = 256;
  int maxConnectionsPerAddress = 16;

  // A checked box with an empty password protects nothing.
  bool PasswordProtected() const { return passwordBox && !password.empty(); }
};

}  // namespace kb
