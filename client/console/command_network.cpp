#include "client/console/command_context.h"
#include "client/console/command_text.h"
#include "client/console/commands.h"
#include "client/console/console.h"
#include "client/core/net_connection.h"
#include "common/net/protocol.h"

namespace kb {

int ConnectCommand(CommandContext& ctx, const std::string& args, int, const std::string&) {
  Model& model = ctx.model;
  model.serverAddress = TextField(args, 1);
  int port = ParseNumber(TextField(args, 2));
  model.serverPort = port < 1 ? kDefaultGamePort : port;
  model.serverLabel = model.serverAddress + " @ " + std::to_string(model.serverPort);
  // The attempt reports its end and sets the state itself.
  if (ctx.console.hooks.startConnection)
    ctx.console.hooks.startConnection(model);
  else
    StartConnecting(model);
  return 1;
}

int AdminCommand(CommandContext& ctx, const std::string& args, int, const std::string&) {
  auto& hook = ctx.console.hooks.sendToServer;
  auto send = [&](const std::string& message) {
    return hook ? hook(ctx.model, message) : SendToServer(ctx.model.net.session, message);
  };
  // Quoted blanks go out as byte 2, the protocol's field separator.
  bool sent = ctx.model.frame.gameState == kStateNet && send(BuildMessage(Keyword::kAdmin, {args}));
  if (!sent) ctx.Print("Fehler: Es besteht keine Verbindung zu einem Server.", kConsoleRed);
  return 1;
}

}  // namespace kb
