#pragma once

#include <string>
#include <string_view>

namespace kb {

struct Client;
struct NetState;

// Starts ConnectTask on its own thread for serverAddress/serverPort. A
// connection that exists is closed first; only the newest attempt may change
// the client when it ends.
void StartConnectTask(Client& client);

// The body of ConnectTask: opens the link (without the state lock), then
// reports on the console and enters net or net_fail.
void RunConnectTask(Client& client, const std::string& address, int port, int attempt);

// Queues one message for the server; false when there is no connection.
bool SendToServer(Client& client, std::string_view message);

// Hands the queued messages to the network; false when the link is broken.
bool FlushServerLink(NetState& net);

// Drops the connection (no message), so no descriptor is left behind.
void CloseServerLink(NetState& net);

// LEAVE, a short wait for it to go out, and the connection closed.
void SayGoodbye(NetState& net);

}  // namespace kb
