#pragma once

#include <string>

namespace kb {

// Whether players outside can reach a port the gateway forwards, judged by
// the gateway's external IPv4 address and the one the list service saw.
enum class NatVerdict {
  kFine,            // public, and what the list saw (or the list is not asked)
  kPrivateOutside,  // the gateway's outer side is itself private or shared (100.64.0.0/10)
  kOtherAddress,    // the list saw another address: a second NAT between
};

// Either address may be empty (unknown); an IPv6 seen address says nothing
// about IPv4.
NatVerdict JudgeNat(const std::string& gatewayExternal, const std::string& seen);

// The operator's explanation, in German, for a verdict other than kFine.
std::string NatVerdictText(NatVerdict verdict, const std::string& gatewayExternal, const std::string& seen);

}  // namespace kb
