#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "common/platform/core/clock.h"
#include "listd/list_store.h"
#include "listd/reachability.h"

namespace kb {

struct ListServiceLimits {
  ListStore::Limits entries;
  // A network's places in the list: one host or provider cannot fill it.
  int shownPerNetwork = 4;
  // Registrations waiting for their check: each holds a request worker for
  // up to the probe's time limit, so one address gets one at a time, and its
  // network (as entries count it) a few.
  int checksPerAddress = 1;
  int checksPerNetwork = 4;
  int checksTotal = 64;
  int64_t checkIntervalMs = 5 * 60 * 1000;
  int failuresToRemove = 3;
};

// The list's rules without HTTP: answers one query of a peer address, and
// prunes entries whose game port stopped answering. The probe tells of each
// endpoint whether a TCP connection to it opens (the program gives each 2 s,
// many at once: see ProbeAll); a probe that was stopped gives fewer answers.
class ListService {
 public:
  using Probe = std::function<std::vector<bool>(const std::vector<Endpoint>& endpoints)>;
  using Log = std::function<void(const std::string& line)>;

  ListService(ListStore& store, Clock& clock, Probe probe, ListServiceLimits limits = {}, Log log = {});

  // The response body for "/kringel_server.php?<query>" from peer (plain
  // address); serverId: the id the request carried, if any (kServerIdHeader).
  std::string Answer(const std::string& peer, std::string_view query, std::string_view serverId = {});

  // Whether the relay may join a player to address (plain) and port: an
  // entry of either family whose last check passed.
  bool Relayable(const std::string& address, int port) { return store_.Reachable(address, port); }

  // Checks every entry not checked for the interval; the number removed.
  int PruneDue();

 private:
  std::string Register(const std::string& peer, const QueryFields& fields, std::string_view serverId);
  // Takes a slot for one reachability check of the peer; false when full.
  bool TakeCheckSlot(const std::string& peer);
  void ReturnCheckSlot(const std::string& peer);
  void Write(const std::string& line);

  ListStore& store_;
  Clock& clock_;
  Probe probe_;
  ListServiceLimits limits_;
  Log log_;
  std::mutex checksMutex_;
  std::map<std::string, int> checksHeld_;  // by AddressGroup and by NetworkOf (which ends in a prefix length)
  int checks_ = 0;
};

}  // namespace kb
