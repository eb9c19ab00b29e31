#include "client/core/internet_list_fetch.h"

#include "client/core/server_link.h"
#include "common/net/protocol.h"
#include "common/platform/core/address.h"

namespace kb {

namespace {

std::string_view FieldAt(std::string_view text, char separator, int index) {
  for (int i = 0; i < index; ++i) {
    size_t next = text.find(separator);
    if (next == std::string_view::npos) return {};
    text.remove_prefix(next + 1);
  }
  return text.substr(0, text.find(separator));
}

}  // namespace

std::vector<ServerListEntry> ParseListPayload(std::string_view payload) {
  std::vector<ServerListEntry> entries;
  if (payload.empty() || payload == kListError) return entries;
  for (size_t from = 0; entries.size() < kServerListSize;) {
    size_t to = payload.find(kEntrySeparator, from);
    std::string_view piece = payload.substr(from, to == std::string_view::npos ? to : to - from);
    ServerListEntry entry;
    entry.address = std::string(FieldAt(piece, kFieldSeparator, 0));
    entry.port = ParseNumberText(FieldAt(piece, kFieldSeparator, 1));
    // Names arrive with plain spaces and are shown as they come.
    entry.name = std::string(FieldAt(piece, kFieldSeparator, 2));
    entry.hasPassword = ParseNumberText(FieldAt(piece, kFieldSeparator, 3));
    // A server registered over both families: its IPv6 address after the
    // four fields that older clients read. Connections try both.
    std::string v6 = PlainAddress(FieldAt(piece, kFieldSeparator, 4));
    if (IsIpv6Text(v6) && !IsIpv6Text(entry.address)) entry.address += " " + v6;
    entries.push_back(std::move(entry));
    if (to == std::string_view::npos) break;
    from = to + 1;
  }
  return entries;
}

bool InternetListFetch::Step(ServerList& list, uint64_t token) {
  if (!exchange_.Poll()) return false;
  std::vector<ServerListEntry> entries = ParseListPayload(exchange_.Payload());
  NoteListedServers(entries);
  for (ServerListEntry& entry : entries)
    if (list.Add(token, std::move(entry), false) != ServerList::AddResult::kAdded) break;
  return true;
}

}  // namespace kb
