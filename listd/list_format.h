#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/net/web_list.h"

namespace kb {

constexpr std::string_view kListPath = "/kringel_server.php";
// The client's table holds 52 servers.
constexpr size_t kMaxListed = 52;
constexpr size_t kMaxQueryBytes = 1024;
constexpr std::string_view kListOk = "[data]OK[/data]";
constexpr std::string_view kListFailed = "[data]ERROR[/data]";

// One registered server. The name is held as the game sends it (Latin-1)
// with plain spaces.
struct ListEntry {
  std::string address;  // plain: dotted IPv4 or RFC 5952 IPv6
  int port = 0;
  std::string name;
  int pass = 0;
  int64_t confirmed = 0;  // time of the last registration
  int64_t checked = 0;    // time of the last reachability check
  int failures = 0;       // failed checks in a row
  int64_t listed = 0;     // time it entered the list (kept by a refresh)
  // The id the server sent with its registrations (kServerIdHeader), empty
  // without one; never shown.
  std::string serverId = {};
  // Of an IPv4 entry: the IPv6 address the same server (same id and port)
  // registered from, which the list shows in the same row.
  std::string ipv6 = {};
};

// "[data]" + entries separated by 0x03, each address 0x02 port 0x02 name
// 0x02 password flag, + "[/data]". A server registered over both families
// is one row: its IPv4 address first, as every client reads it, and its IPv6
// address as a fifth field after the flag, which older clients never look at.
std::string FormatList(const std::vector<ListEntry>& entries);

// The keys of a query. A piece without a known key belongs to the value
// before it: the game sends the name unencoded apart from its spaces, so a
// name may carry '&'. nullopt for a query that cannot be read (a known key
// twice, no key first).
using QueryFields = std::map<std::string, std::string, std::less<>>;
std::optional<QueryFields> ParseQuery(std::string_view query);

struct Registration {
  std::string name;  // "%20" decoded
  int port = 0;
  int pass = 0;
};

// The "reg" keys checked: port 1..65535, pass 0 or 1, a name the list takes
// (ListNameProblem) after decoding. nullopt with the reason in problem, and
// the word the answer gives for it (a refusal:: word) in refusal.
std::optional<Registration> ParseRegistration(const QueryFields& fields, std::string& problem,
                                              std::string_view& refusal);

// The answer to a registration from peer: the address it came from, then
// "OK" or "ERROR" with the reason's word and its details.
std::string RegistrationAnswer(std::string_view peer, std::string_view result);

// A server id as the list keeps it: 16 to 64 hex digits; anything else is none.
bool ServerIdValid(std::string_view id);

}  // namespace kb
