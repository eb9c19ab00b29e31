#include "server/nat_verdict.h"

#include <array>
#include <cstdint>
#include <optional>

#include "common/platform/core/address.h"

namespace kb {
namespace {

std::optional<uint32_t> Ipv4(const std::string& text) {
  std::optional<IpAddress> a = ParseIpAddress(text);
  if (!a || a->v6) return std::nullopt;
  return uint32_t{a->bytes[0]} << 24 | uint32_t{a->bytes[1]} << 16 | uint32_t{a->bytes[2]} << 8 | a->bytes[3];
}

// Addresses no one outside can connect to: private, shared (carrier-grade
// NAT), loopback, link-local, "this network", and 0.0.0.0 that some routers
// report before they are online.
bool Unreachable(uint32_t a) {
  struct Net {
    uint32_t base;
    int bits;
  };
  constexpr std::array<Net, 7> kNets = {{{0x00000000, 8},
                                         {0x0A000000, 8},
                                         {0x64400000, 10},
                                         {0x7F000000, 8},
                                         {0xA9FE0000, 16},
                                         {0xAC100000, 12},
                                         {0xC0A80000, 16}}};
  for (const Net& n : kNets)
    if ((a ^ n.base) >> (32 - n.bits) == 0) return true;
  return false;
}

}  // namespace

NatVerdict JudgeNat(const std::string& gatewayExternal, const std::string& seen) {
  std::optional<uint32_t> outside = Ipv4(gatewayExternal);
  if (!outside) return NatVerdict::kFine;
  if (Unreachable(*outside)) return NatVerdict::kPrivateOutside;
  std::optional<uint32_t> listed = Ipv4(seen);
  if (listed && *listed != *outside) return NatVerdict::kOtherAddress;
  return NatVerdict::kFine;
}

std::string NatVerdictText(NatVerdict verdict, const std::string& gatewayExternal, const std::string& seen) {
  std::string why = verdict == NatVerdict::kPrivateOutside
                        ? "Der Router hat selbst nur die interne Adresse " + gatewayExternal +
                              " (ein zweiter Router oder Carrier-Grade-NAT des Anbieters)"
                        : "Der Router hat die Adresse " + gatewayExternal + ", die Serverliste sieht aber " +
                              seen + " (ein zweiter Router dazwischen)";
  return why +
         ": Der Server ist \xFC"
         "ber IPv4 aus dem Internet nicht erreichbar, auch mit ge\xF6"
         "ffnetem Port. "
         "Abhilfe: IPv6, ein Anschluss mit \xF6"
         "ffentlicher IPv4-Adresse oder ein Server mit \xF6"
         "ffentlicher Adresse.";
}

}  // namespace kb
