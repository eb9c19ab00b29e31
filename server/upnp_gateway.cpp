#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>
#include <miniupnpc/upnperrors.h>

#include <cstdlib>
#include <string>

#include "common/platform/core/socket.h"
#include "server/gateway.h"

namespace kb {
namespace {

constexpr const char* kDescription = "Kringelbahn";
// UPnP's error codes that change what we ask next.
constexpr int kConflict = 718;
constexpr int kOnlyPermanentLeases = 725;

// A port number from the gateway's text, 0 unless it is one.
int PortFrom(const char* text) {
  char* end = nullptr;
  long port = std::strtol(text, &end, 10);
  return end != text && *end == '\0' && port > 0 && port <= 65535 ? static_cast<int>(port) : 0;
}

// An Internet Gateway Device's WAN connection service. miniupnpc parses its
// description and answers; its sockets give up after a few seconds each.
class UpnpGateway : public Gateway {
 public:
  UpnpGateway(const UPNPUrls& urls, const IGDdatas& data, std::string lanAddress)
      : urls_(urls), data_(data), lanAddress_(std::move(lanAddress)) {}
  ~UpnpGateway() override { FreeUPNPUrls(&urls_); }

  std::string Kind() const override { return "UPnP"; }

  std::optional<GatewayGrant> Map(int localPort, int wanted, int leaseSeconds) override {
    int lease = leaseSeconds;
    int r = Add(wanted, localPort, lease);
    if (r == kOnlyPermanentLeases) {
      // The mapping then stays until we delete it, or the router restarts.
      lease = 0;
      r = Add(wanted, localPort, lease);
    }
    if (r == UPNPCOMMAND_SUCCESS)
      return Holds(wanted, localPort) ? std::optional(GatewayGrant{wanted, lease}) : std::nullopt;
    if (r != kConflict) return std::nullopt;
    // Someone else holds the port: an IGD of version 2 picks a free one.
    char reserved[16] = "";
    r = UPNP_AddAnyPortMapping(urls_.controlURL, data_.first.servicetype, std::to_string(wanted).c_str(),
                               std::to_string(localPort).c_str(), lanAddress_.c_str(), kDescription, "TCP",
                               nullptr, std::to_string(lease).c_str(), reserved);
    int port = PortFrom(reserved);
    if (r == UPNPCOMMAND_SUCCESS && port && Holds(port, localPort)) return GatewayGrant{port, lease};
    return std::nullopt;
  }

  std::string ExternalAddress() override {
    char address[40] = "";
    if (UPNP_GetExternalIPAddress(urls_.controlURL, data_.first.servicetype, address) != UPNPCOMMAND_SUCCESS)
      return "";
    return DottedIpv4(address);
  }

  void Unmap(int, int externalPort) override {
    UPNP_DeletePortMapping(urls_.controlURL, data_.first.servicetype, std::to_string(externalPort).c_str(),
                           "TCP", nullptr);
  }

 private:
  // Whether the router's table forwards the port to us: an answer to the
  // request that is no refusal is not yet a mapping.
  bool Holds(int external, int localPort) {
    char client[16] = "", port[6] = "", description[80] = "", enabled[4] = "", lease[16] = "";
    return UPNP_GetSpecificPortMappingEntry(urls_.controlURL, data_.first.servicetype,
                                            std::to_string(external).c_str(), "TCP", nullptr, client, port,
                                            description, enabled, lease) == UPNPCOMMAND_SUCCESS &&
           client == lanAddress_ && PortFrom(port) == localPort;
  }

  int Add(int external, int local, int lease) {
    return UPNP_AddPortMapping(urls_.controlURL, data_.first.servicetype, std::to_string(external).c_str(),
                               std::to_string(local).c_str(), lanAddress_.c_str(), kDescription, "TCP",
                               nullptr, std::to_string(lease).c_str());
  }

  UPNPUrls urls_;
  IGDdatas data_;
  std::string lanAddress_;
};

}  // namespace

std::unique_ptr<Gateway> FindUpnpGateway(const GatewayPlaces& places, int searchMs) {
  UPNPUrls urls{};
  IGDdatas data{};
  char lan[64] = "";
  int found = 0;
  if (!places.upnpDescription.empty()) {
    found = UPNP_GetIGDFromUrl(places.upnpDescription.c_str(), &urls, &data, lan, sizeof lan);
  } else {
    // One search for the gateway device: miniupnpc waits the whole time for
    // each type it searches, and routers of version 2 answer for version 1.
    const char* const types[] = {"urn:schemas-upnp-org:device:InternetGatewayDevice:1", nullptr};
    int error = 0;
    UPNPDev* devices =
        upnpDiscoverDevices(types, searchMs, nullptr, nullptr, UPNP_LOCAL_PORT_ANY, 0, 2, &error, 0);
    if (!devices) return nullptr;
    found = UPNP_GetValidIGD(devices, &urls, &data, lan, sizeof lan);
    freeUPNPDevlist(devices);
    // 1: connected; 2: an IGD that says it is not connected, which some
    // answer wrongly: the mapping request itself decides. 3: no IGD at all.
    if (found == 3) {
      FreeUPNPUrls(&urls);
      found = 0;
    }
  }
  // Without a control URL or our own LAN address there is nothing to ask.
  if (!found || !urls.controlURL || !*urls.controlURL || DottedIpv4(lan).empty()) {
    if (found) FreeUPNPUrls(&urls);
    return nullptr;
  }
  return std::make_unique<UpnpGateway>(urls, data, lan);
}

}  // namespace kb
