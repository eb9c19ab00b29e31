#include "listd/list_format.h"

#include <array>
#include <charconv>

#include "common/net/web_list.h"

namespace kb {
namespace {

constexpr std::array<std::string_view, 4> kKeys = {"m", "name", "port", "pass"};

bool KnownKey(std::string_view key) {
  for (std::string_view k : kKeys)
    if (k == key) return true;
  return false;
}

}  // namespace

namespace {

std::string DecodeSpaces(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.substr(i, 3) == "%20") {
      out += ' ';
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

std::string FormatList(const std::vector<ListEntry>& entries) {
  std::string out = "[data]";
  for (size_t i = 0; i < entries.size() && i < kMaxListed; ++i) {
    const ListEntry& e = entries[i];
    if (i > 0) out += '\x03';
    out += e.address + '\x02' + std::to_string(e.port) + '\x02' + e.name + '\x02' + std::to_string(e.pass);
    if (!e.ipv6.empty()) out += '\x02' + e.ipv6;
  }
  return out + "[/data]";
}

std::optional<QueryFields> ParseQuery(std::string_view query) {
  QueryFields fields;
  std::string* last = nullptr;
  while (!query.empty()) {
    size_t amp = query.find('&');
    std::string_view piece = query.substr(0, amp);
    query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
    size_t eq = piece.find('=');
    std::string_view key = piece.substr(0, eq);
    if (eq != std::string_view::npos && KnownKey(key)) {
      auto [it, fresh] = fields.emplace(std::string(key), std::string(piece.substr(eq + 1)));
      if (!fresh) return std::nullopt;
      last = &it->second;
    } else if (last) {
      *last += '&';
      *last += piece;
    } else {
      return std::nullopt;
    }
  }
  return fields;
}

std::optional<Registration> ParseRegistration(const QueryFields& fields, std::string& problem,
                                              std::string_view& refusal) {
  auto name = fields.find("name"), port = fields.find("port"), pass = fields.find("pass");
  refusal = refusal::kBadRequest;
  if (name == fields.end() || port == fields.end() || pass == fields.end()) {
    problem = "name, port or pass missing";
    return std::nullopt;
  }
  Registration r;
  std::optional<int> portNumber = PortNumber(port->second);
  if (!portNumber) {
    problem = "no port number";
    refusal = refusal::kBadPort;
    return std::nullopt;
  }
  if (pass->second != "0" && pass->second != "1") {
    problem = "pass is neither 0 nor 1";
    return std::nullopt;
  }
  r.port = *portNumber;
  r.pass = pass->second[0] - '0';
  r.name = DecodeSpaces(name->second);
  problem = ListNameProblem(r.name);
  refusal = refusal::kBadName;
  if (!problem.empty()) return std::nullopt;
  return r;
}

std::string RegistrationAnswer(std::string_view peer, std::string_view result) {
  return std::string(kListSeenStart) + std::string(peer) + std::string(kListSeenEnd) +
         std::string(kListDataStart) + std::string(result) + std::string(kListDataEnd);
}

bool ServerIdValid(std::string_view id) {
  if (id.size() < 16 || id.size() > 64) return false;
  for (char c : id)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
  return true;
}

}  // namespace kb
