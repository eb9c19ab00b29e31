#pragma once

#include <memory>
#include <optional>
#include <string>

namespace kb {

// What a gateway granted: the port players use from outside and for how long.
struct GatewayGrant {
  int externalPort = 0;
  int leaseSeconds = 0;  // 0: until removed
};

// One router protocol asking for a TCP port forwarding. Every call blocks
// for at most its time limit; they run on the port mapper's thread only.
class Gateway {
 public:
  virtual ~Gateway() = default;
  // For the operator: "UPnP" or "NAT-PMP".
  virtual std::string Kind() const = 0;
  // Forwards an external port to localPort, `wanted` if the gateway allows;
  // nothing when it refuses or answers nonsense.
  virtual std::optional<GatewayGrant> Map(int localPort, int wanted, int leaseSeconds) = 0;
  // The gateway's own address on its outer side (dotted IPv4), empty when unknown.
  virtual std::string ExternalAddress() = 0;
  virtual void Unmap(int localPort, int externalPort) = 0;
};

// Where the gateways are. Empty fields are searched for: the UPnP device by
// SSDP on the LAN, the NAT-PMP gateway as the default route's. Tests and
// unusual networks name them with KRINGELBAHN_UPNP_DESCRIPTION (the root
// description's URL) and KRINGELBAHN_NATPMP_GATEWAY (an IPv4 address).
struct GatewayPlaces {
  std::string upnpDescription;
  std::string natpmpGateway;
  static GatewayPlaces FromEnvironment();
};

// Nothing when no gateway of the kind answers within the time limit.
std::unique_ptr<Gateway> FindUpnpGateway(const GatewayPlaces& places, int searchMs);
std::unique_ptr<Gateway> FindNatPmpGateway(const GatewayPlaces& places, int answerMs);

}  // namespace kb
