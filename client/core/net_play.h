#pragma once

namespace kb {

struct Model;

// State net_lan_manual: typing, focus, Enter or "Verbinden", Escape.
void ManualScreenStep(Model& model);

// State net_connect: only Escape; the connection task moves on by itself.
void NetConnectStep(Model& model);

// State net, once per frame: ping, silence, receive, then the player's keys
// by NetMode, and what was queued leaves.
void NetGameStep(Model& model);

// The connection is gone (closed, broken or silent): state 22.
void LoseConnection(Model& model);

}  // namespace kb
