#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/platform/core/socket.h"

namespace kb {

// The Internet server list: a web host answers "/kringel_server.php" with its
// result between these markers.
constexpr std::string_view kListDataStart = "[data]";
constexpr std::string_view kListDataEnd = "[/data]";
constexpr std::string_view kListError = "ERROR";
constexpr std::string_view kDefaultListHost = "list.kb.example.org";
constexpr int kDefaultListPort = 80;
// A hostile host must not grow a response without bound.
constexpr size_t kListResponseLimit = 1024 * 1024;
// Before its data a list host may say which address a registration came
// from: "[address]203.0.113.5[/address][data]OK[/data]". Servers that know
// nothing of it read only the data.
constexpr std::string_view kListSeenStart = "[address]";
constexpr std::string_view kListSeenEnd = "[/address]";

// Why a list host refused a registration: the word after "ERROR" in its data,
// with what follows it. A server that knows no reasons still reads a failure,
// as it reads any answer but "OK".
namespace refusal {
constexpr std::string_view kUnreachable = "unreachable";  // then " ADDRESS PORT": where the host tried
constexpr std::string_view kAddressFull = "address-full";
constexpr std::string_view kNetworkFull = "network-full";
constexpr std::string_view kListFull = "list-full";
constexpr std::string_view kBadName = "bad-name";
constexpr std::string_view kBadPort = "bad-port";
constexpr std::string_view kBadRequest = "bad-request";
constexpr std::string_view kStorage = "storage";
constexpr std::string_view kBusy = "busy";  // too many checks at once
}  // namespace refusal

// A list host's answer: the text between the data markers ("ERROR" when there
// was none) and the plain address it saw the request come from (empty when it
// did not say, or said something that is no address).
struct ListAnswer {
  std::string payload = std::string(kListError);
  std::string seenAddress;
  bool answered = false;  // the host's data came, within the time
};

// What a list host takes as a server's name (Latin-1, spaces as sent):
// 1..64 bytes, no control bytes, nothing that would end the list early. Why
// not, or empty when it does.
constexpr size_t kListNameBytes = 64;
std::string ListNameProblem(std::string_view latin1Name);

// A port number 1..65535 in strict decimal (no sign, blanks or leading text).
std::optional<int> PortNumber(std::string_view text);

// The text between the first start marker and the first end marker after it;
// empty when either is missing.
std::string ExtractBetween(std::string_view text, std::string_view start, std::string_view end);

// A list host as configured: "host", "host:port", "[v6]" or "[v6]:port"
// (port 80 when absent).
struct ListHostAddress {
  std::string host;  // without brackets
  int port = kDefaultListPort;
  // What goes into the request's "Host: " line: the configured text (an IPv6
  // literal in brackets).
  std::string header;
  // Only addresses of this family are tried: a server registers over each.
  AddressFamily family = AddressFamily::kAny;
};

// Parses "host[:port]" (SplitHostPort); an empty text or a bad port gives the
// default host.
ListHostAddress ParseListHost(std::string_view text);
// The value of the environment variable when set and not empty, else
// fallback (itself "host[:port]").
ListHostAddress ListHostFromEnvironment(const char* variable, std::string_view fallback = kDefaultListHost);

// "GET <path> HTTP/1.0", the Host line, "Connection: close", blank line.
std::string ListRequest(std::string_view pathAndQuery, const ListHostAddress& host);

// A list host's response as it arrives, receive by receive.
class ListResponse {
 public:
  // Adds one receive (its text ends at its first zero byte); true once the
  // end marker came after the start marker, or the response grew too long.
  bool Add(std::string_view receive);
  // The text between the markers, or "ERROR" while the end marker is missing.
  std::string Payload() const;
  // The address named before the data, plain; empty when none or no address.
  std::string SeenAddress() const;
  bool Complete() const { return complete_; }

 private:
  std::string text_;
  bool complete_ = false;
};

// One exchange with a list host that the caller asks now and then, so a
// frame loop can run it: the connection, the request and the response, all
// within timeoutMs. In the browser the page may only ask the host that served
// it, so the request's path is fetched from there.
class ListExchange {
 public:
  ListExchange(const ListHostAddress& host, std::string request, int timeoutMs);
  ~ListExchange();
  ListExchange(const ListExchange&) = delete;
  ListExchange& operator=(const ListExchange&) = delete;
  // True once over; Payload() then holds the text between the markers, or
  // "ERROR" when the host could not be reached or the end marker never came.
  bool Poll();
  const std::string& Payload() const { return answer_.payload; }
  const ListAnswer& Answer() const { return answer_; }

  struct State;

 private:
  std::unique_ptr<State> state_;
  ListAnswer answer_;
};

// The header that tells a list host which registrations over IPv4 and over
// IPv6 come from one server: the server's own random id.
constexpr std::string_view kServerIdHeader = "X-Kringelbahn-Id";

// The exchange of ExchangeWithListHost over each address family the host
// has, side by side, so a server reachable over both is listed with both
// addresses (a literal host has one family: one plain exchange). Each
// request carries serverId in kServerIdHeader. "OK" when any family's
// answer was "OK", else the first answer that came; the address seen is an
// IPv4 one when the host saw one (a NAT's concern), else the IPv6 one.
ListAnswer ExchangeOverEveryFamily(const ListHostAddress& host, std::string_view request, int timeoutMs,
                                   std::string_view serverId);
// The request with the id header added (before its blank line).
std::string WithServerId(std::string_view request, std::string_view serverId);

// Opens a connection to the host (waiting at most timeoutMs for it), sends
// the request and collects the response until it holds the end marker or
// timeoutMs have passed since sending. Returns the text between the markers,
// or "ERROR" when the host cannot be reached or the end marker never comes.
// Blocks the calling thread: for background tasks and tools; not in the
// browser.
std::string ExchangeWithListHost(const ListHostAddress& host, std::string_view request, int timeoutMs);

}  // namespace kb
