#include "listd/list_service.h"

#include <vector>

#include "common/platform/core/address.h"

namespace kb {

ListService::ListService(ListStore& store, Clock& clock, Probe probe, ListServiceLimits limits, Log log)
    : store_(store), clock_(clock), probe_(std::move(probe)), limits_(limits), log_(std::move(log)) {}

void ListService::Write(const std::string& line) {
  if (log_) log_(line);
}

std::string ListService::Answer(const std::string& from, std::string_view query, std::string_view serverId) {
  // One text per address: entries, limits and deletions compare it.
  std::string plain = PlainAddress(from);
  const std::string& peer = plain.empty() ? from : plain;
  if (query.size() > kMaxQueryBytes) return std::string(kListFailed);
  std::optional<QueryFields> fields = ParseQuery(query);
  if (!fields) return std::string(kListFailed);
  auto mode = fields->find("m");
  if (mode == fields->end()) return std::string(kListFailed);
  if (mode->second == "get") return FormatList(store_.Shown(kMaxListed, limits_.shownPerNetwork));
  if (mode->second == "reg") return Register(peer, *fields, serverId);
  if (mode->second == "del") {
    // A server names its port, so its neighbours on the same host stay;
    // without one (older servers) everything the address registered goes.
    int port = 0;
    if (auto given = fields->find("port"); given != fields->end()) {
      std::optional<int> number = PortNumber(given->second);
      if (!number) return std::string(kListFailed);
      port = *number;
    }
    int removed = store_.Delete(peer, port);
    std::string whose = port ? peer + ":" + std::to_string(port) : peer;
    if (removed < 0) {
      Write("cannot delete the entries of " + whose + ": " + store_.Error());
      return std::string(kListFailed);
    }
    if (removed > 0)
      Write("deleted " + std::to_string(removed) + (removed == 1 ? " entry of " : " entries of ") + whose);
    return std::string(kListOk);
  }
  return std::string(kListFailed);
}

bool ListService::TakeCheckSlot(const std::string& address) {
  std::lock_guard lock(checksMutex_);
  std::string peer = AddressGroup(address), network = NetworkOf(address);
  if (checks_ >= limits_.checksTotal || checksHeld_[peer] >= limits_.checksPerAddress ||
      checksHeld_[network] >= limits_.checksPerNetwork) {
    for (const std::string& key : {peer, network})
      if (checksHeld_[key] == 0) checksHeld_.erase(key);
    return false;
  }
  ++checksHeld_[peer], ++checksHeld_[network], ++checks_;
  return true;
}

void ListService::ReturnCheckSlot(const std::string& address) {
  std::lock_guard lock(checksMutex_);
  for (const std::string& key : {AddressGroup(address), NetworkOf(address)})
    if (--checksHeld_[key] == 0) checksHeld_.erase(key);
  --checks_;
}

std::string ListService::Register(const std::string& peer, const QueryFields& fields,
                                  std::string_view serverId) {
  // Each refusal says why, so the operator learns it; the log keeps the same.
  auto refuse = [&](std::string_view refusal, const std::string& detail = {}) {
    return RegistrationAnswer(peer, std::string(kListError) + " " + std::string(refusal) + detail);
  };
  std::string problem;
  std::string_view refusal;
  std::optional<Registration> r = ParseRegistration(fields, problem, refusal);
  if (!r) {
    Write("refused " + peer + ": " + problem);
    return refuse(refusal);
  }
  std::string where = peer + ":" + std::to_string(r->port);
  if (!TakeCheckSlot(peer)) {
    Write("refused " + where + ": too many checks running");
    return refuse(refusal::kBusy);
  }
  // Only a server that players can reach belongs on the list.
  std::vector<bool> reachable = probe_({{peer, r->port}});
  ReturnCheckSlot(peer);
  if (reachable.empty() || !reachable[0]) {
    Write("refused " + where + ": game port unreachable");
    return refuse(refusal::kUnreachable, " " + peer + " " + std::to_string(r->port));
  }
  int64_t now = clock_.Now();
  ListEntry entry{
      .address = peer, .port = r->port, .name = r->name, .pass = r->pass, .confirmed = now, .checked = now};
  if (ServerIdValid(serverId)) entry.serverId = std::string(serverId);
  switch (store_.Put(entry, limits_.entries)) {
    case ListStore::Stored::kNew:
      Write("registered " + where);
      return RegistrationAnswer(peer, "OK");
    case ListStore::Stored::kRefreshed:
      Write("refreshed " + where);
      return RegistrationAnswer(peer, "OK");
    case ListStore::Stored::kAddressFull:
      Write("refused " + where + ": address holds enough entries");
      return refuse(refusal::kAddressFull);
    case ListStore::Stored::kNetworkFull:
      Write("refused " + where + ": its network holds enough entries");
      return refuse(refusal::kNetworkFull);
    case ListStore::Stored::kListFull:
      Write("refused " + where + ": list full");
      return refuse(refusal::kListFull);
    case ListStore::Stored::kFailed:
      break;
  }
  Write("refused " + where + ": storage failed: " + store_.Error());
  return refuse(refusal::kStorage);
}

int ListService::PruneDue() {
  std::vector<ListEntry> due = store_.CheckedBefore(clock_.Now() - limits_.checkIntervalMs);
  std::vector<Endpoint> endpoints;
  for (const ListEntry& e : due) endpoints.push_back({e.address, e.port});
  std::vector<bool> reachable = probe_(endpoints);
  // A stopped probe answers for the first entries only; the rest wait.
  std::vector<ListEntry> removed = store_.NoteChecks(due, reachable, clock_.Now(), limits_.failuresToRemove);
  for (const ListEntry& e : removed)
    Write("pruned " + e.address + ":" + std::to_string(e.port) + " after " +
          std::to_string(limits_.failuresToRemove) + " failed checks");
  return static_cast<int>(removed.size());
}

}  // namespace kb
