#include "client/console/command_text.h"
#include "client/console/commands.h"
#include "client/console/console.h"
#include "client/core/client.h"
#include "client/core/net_connection.h"
#include "common/net/protocol.h"

namespace kb {

int ConnectCommand(Client& client, const std::string& args, int, const std::string&) {
  client.serverAddress = TextField(args, 1);
  int port = ParseNumber(TextField(args, 2));
  client.serverPort = port < 1 ? kDefaultGamePort : port;
  client.serverLabel = client.serverAddress + " @ " + std::to_string(client.serverPort);
  // The attempt reports its end and sets the state itself.
  if (client.console.hooks.startConnection)
    client.console.hooks.startConnection(client);
  else
    StartConnecting(client);
  return 1;
}

int AdminCommand(Client& client, const std::string& args, int, const std::string&) {
  auto& hook = client.console.hooks.sendToServer;
  auto send = [&](const std::string& message) {
    return hook ? hook(client, message) : SendToServer(client, message);
  };
  // Quoted blanks go out as byte 2, the protocol's field separator.
  bool sent = client.frame.gameState == kStateNet && send(BuildMessage(Keyword::kAdmin, {args}));
  if (!sent) ConsolePrint(client, "Fehler: Es besteht keine Verbindung zu einem Server.", kConsoleRed);
  return 1;
}

}  // namespace kb
