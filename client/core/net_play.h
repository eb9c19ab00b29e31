#pragma once

namespace kb {

struct Client;

// State net_lan_manual: typing, focus, Enter or "Verbinden", Escape.
void ManualScreenStep(Client& client);

// State net_connect: only Escape; the connection task moves on by itself.
void NetConnectStep(Client& client);

// State net, once per frame: ping, silence, receive, then the player's keys
// by NetMode, and what was queued leaves.
void NetGameStep(Client& client);

// The connection is gone (closed, broken or silent): state 22.
void LoseConnection(Client& client);

}  // namespace kb
