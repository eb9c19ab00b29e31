#pragma once

namespace kb {

struct Client;

// The per-frame steps of the screens the frame loop itself runs; the local
// round and network play have their own.
void MenuStep(Client& client);
void NetChooseStep(Client& client);
// net_fail and the lost-connection screen: any of Space, Escape, Enter.
void NetFailStep(Client& client);
// wtf, empty and 666: Escape.
void PictureScreenStep(Client& client);

// Starting a local game needs two participants, counting bots only when at
// least one slot is active.
bool StartAllowed(const Client& client);

// The title banner's glow and the clicks on the banner and the site link.
void BannerStep(Client& client);

}  // namespace kb
