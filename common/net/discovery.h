#pragma once

#include <string>
#include <string_view>

namespace kb {

// LAN discovery datagrams: plain text, no terminator.
constexpr std::string_view kDiscoveryRequest = "KRINGELBAHN CLIENT";
constexpr std::string_view kDiscoveryAnswerTag = "KRINGELBAHN SERVER";

// tag 0x02 name 0x02 port 0x02 players 0x02 password flag 0x02 id; the name is
// passed already encoded (spaces as "%20"). The id, random for each server
// start, lets a client that asked over both families list a server that
// answered over both once; clients that read five fields never look at it.
std::string BuildDiscoveryAnswer(std::string_view encodedName, int port, int players, bool password,
                                 std::string_view id);

}  // namespace kb
