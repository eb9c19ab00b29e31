#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "client/core/server_list.h"
#include "common/net/web_list.h"

namespace kb {

constexpr int kListFetchMs = 30000;
constexpr std::string_view kListGetPath = "/kringel_server.php?m=get";
constexpr const char* kListHostVariable = "KRINGELBAHN_LIST_HOST";

// The servers of a list payload: entries apart by 0x03, each address 0x02
// port 0x02 name 0x02 password flag. "ERROR" and an empty payload hold none;
// never more than the table holds.
std::vector<ServerListEntry> ParseListPayload(std::string_view payload);

// Fetches the list from the host and fills the table with it.
class InternetListFetch final : public ServerListSearch {
 public:
  explicit InternetListFetch(const ListHostAddress& host, int timeoutMs = kListFetchMs)
      : exchange_(host, ListRequest(kListGetPath, host), timeoutMs) {}
  bool Step(ServerList& list, uint64_t token) override;

 private:
  ListExchange exchange_;
};

}  // namespace kb
