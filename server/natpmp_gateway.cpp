#include <natpmp.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "common/platform/core/address.h"
#include "common/platform/core/poller.h"
#include "server/gateway.h"

namespace kb {
namespace {

using Steady = std::chrono::steady_clock;

// A NAT-PMP gateway; PCP gateways answer its requests too. libnatpmp builds
// and reads the datagrams and resends on its own schedule; each request here
// has a time limit of its own over all its resends.
class NatPmpGateway : public Gateway {
 public:
  NatPmpGateway(const natpmp_t& natpmp, int answerMs) : natpmp_(natpmp), answerMs_(answerMs) {}
  ~NatPmpGateway() override { closenatpmp(&natpmp_); }

  std::string Kind() const override { return "NAT-PMP"; }

  // Asks for the external address: whether a gateway answers at all.
  bool Probe() {
    std::optional<natpmpresp_t> answer;
    if (sendpublicaddressrequest(&natpmp_) >= 0) answer = Await(NATPMP_RESPTYPE_PUBLICADDRESS);
    if (!answer) return false;
    IpAddress outside;
    std::memcpy(outside.bytes.data(), &answer->pnu.publicaddress.addr, 4);
    externalAddress_ = FormatIpAddress(outside);
    return true;
  }

  std::optional<GatewayGrant> Map(int localPort, int wanted, int leaseSeconds) override {
    // A lease of 0 would delete the mapping.
    uint32_t lease = leaseSeconds > 0 ? static_cast<uint32_t>(leaseSeconds) : 7 * 24 * 3600;
    if (sendnewportmappingrequest(&natpmp_, NATPMP_PROTOCOL_TCP, static_cast<uint16_t>(localPort),
                                  static_cast<uint16_t>(wanted), lease) < 0)
      return std::nullopt;
    std::optional<natpmpresp_t> answer = Await(NATPMP_RESPTYPE_TCPPORTMAPPING);
    if (!answer) return std::nullopt;
    const auto& m = answer->pnu.newportmapping;
    // An answer for another port, no port or no time is no mapping.
    if (m.privateport != localPort || m.mappedpublicport == 0 || m.lifetime == 0) return std::nullopt;
    // A gateway's longer lease is renewed as if it were ours.
    return GatewayGrant{m.mappedpublicport, static_cast<int>(std::min<uint32_t>(m.lifetime, lease))};
  }

  std::string ExternalAddress() override { return externalAddress_; }

  void Unmap(int localPort, int) override {
    if (sendnewportmappingrequest(&natpmp_, NATPMP_PROTOCOL_TCP, static_cast<uint16_t>(localPort), 0, 0) >= 0)
      Await(NATPMP_RESPTYPE_TCPPORTMAPPING);
  }

 private:
  // The answer of the given type, or nothing after an error or answerMs_.
  std::optional<natpmpresp_t> Await(int type) {
    auto deadline = Steady::now() + std::chrono::milliseconds(answerMs_);
    for (;;) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now()).count();
      if (left <= 0) return std::nullopt;
      timeval retry{};
      getnatpmprequesttimeout(&natpmp_, &retry);
      long wait = std::min<long>(left, retry.tv_sec * 1000 + retry.tv_usec / 1000 + 1);
      Poller poller;
      poller.Add(static_cast<int>(natpmp_.s), true, false);
      poller.Wait(static_cast<int>(std::max(wait, 0L)));
      natpmpresp_t answer{};
      int r = readnatpmpresponseorretry(&natpmp_, &answer);
      if (r == NATPMP_TRYAGAIN) continue;
      if (r < 0) return std::nullopt;
      if (answer.type == type) return answer;
    }
  }

  natpmp_t natpmp_;
  int answerMs_;
  std::string externalAddress_;
};

}  // namespace

std::unique_ptr<Gateway> FindNatPmpGateway(const GatewayPlaces& places, int answerMs) {
  natpmp_t natpmp{};
  in_addr_t forced = 0;
  bool force = !places.natpmpGateway.empty();
  if (force) {
    std::optional<IpAddress> address = ParseIpAddress(places.natpmpGateway);
    if (!address || address->v6) return nullptr;
    std::memcpy(&forced, address->bytes.data(), 4);
  }
  if (initnatpmp(&natpmp, force, forced) < 0) return nullptr;
  auto gateway = std::make_unique<NatPmpGateway>(natpmp, answerMs);
  if (!gateway->Probe()) return nullptr;
  return gateway;
}

}  // namespace kb
