#pragma once

namespace kb {

struct Model;

// The per-frame steps of the screens the frame loop itself runs; the local
// round and network play have their own.
void MenuStep(Model& model);
void NetChooseStep(Model& model);
// net_fail and the lost-connection screen: any of Space, Escape, Enter.
void NetFailStep(Model& model);
// wtf, empty and 666: Escape.
void PictureScreenStep(Model& model);

// Starting a local game needs two participants, counting bots only when at
// least one slot is active.
bool StartAllowed(const Model& model);

// The title banner's glow and the clicks on the banner and the site link.
void BannerStep(Model& model);

}  // namespace kb
