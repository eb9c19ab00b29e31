#include "server/gateway.h"

namespace kb {

// Builds without libnatpmp (the Windows one: Debian's mirror holds no source
// for it to cross-build) ask UPnP routers only.
std::unique_ptr<Gateway> FindNatPmpGateway(const GatewayPlaces&, int) { return nullptr; }

}  // namespace kb
