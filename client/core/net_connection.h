#pragma once

#include <string>
#include <string_view>

namespace kb {

struct Model;
struct NetSession;

// Starts connecting to serverAddress/serverPort. A connection that exists is
// closed first, an attempt under way is given up.
void StartConnecting(Model& model);

// Once a pass: when the attempt has ended, reports it on the console and
// enters net or net_fail.
void PollConnecting(Model& model);

// Queues one message for the server; false when there is no connection.
bool SendToServer(NetSession& session, std::string_view message);

// Hands the queued messages to the network; false when the link is broken.
bool FlushServerLink(NetSession& session);

// Drops the connection (no message), so no descriptor is left behind.
void CloseServerLink(NetSession& session);

// LEAVE, a short wait for it to go out, and the connection closed.
void SayGoodbye(NetSession& session);

}  // namespace kb
