#pragma once

#include <string>
#include <string_view>

namespace kb {

// LAN discovery datagrams: plain text, no terminator.
constexpr std::string_view kDiscoveryRequest = "KRINGELBAHN CLIENT";
constexpr std::string_view kDiscoveryAnswerTag = "KRINGELBAHN SERVER";

// tag 0x02 name 0x02 port 0x02 players 0x02 password flag; the name is passed
// already encoded (spaces as "%20").
std::string BuildDiscoveryAnswer(std::string_view encodedName, int port, int players, bool password);

}  // namespace kb
