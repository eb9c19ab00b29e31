// kb-fuzz-libs: kb_listd
// Requests to the list service without sockets: the requesting address taken from the connection and
// X-Forwarded-For, then the query answered by the service over a real SQLite file and a probe that answers as
// told. Every answer keeps the list's format. Input: a byte (peer, probe result, prune), the X-Forwarded-For
// value up to a newline, then the query.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/platform/core/address.h"
#include "fuzz/list_answer_format.h"
#include "listd/http_front.h"
#include "listd/list_service.h"

namespace {

const std::vector<std::string> kProxies = {"10.0.0.2"};
bool probeAnswers = true;

struct World {
  std::string dir;
  kb::ManualClock clock{1000};
  kb::ListStore store;
  std::optional<kb::ListService> service;

  World() {
    char pattern[] = "/tmp/kb_listd_fuzz_XXXXXX";
    if (mkdtemp(pattern) == nullptr) std::abort();
    dir = pattern;
    if (!store.Open(dir + "/list.db")) std::abort();
    kb::ListServiceLimits limits;
    limits.entries = {.perAddress = 3, .perNetwork = 5, .total = 40};
    auto probe = [](const std::vector<kb::Endpoint>& endpoints) {
      return std::vector<bool>(endpoints.size(), probeAnswers);
    };
    service.emplace(store, clock, probe, limits);
  }
};

World& TheWorld() {
  static World* world = [] {
    auto* w = new World;
    std::atexit([] {
      for (const char* file : {"/list.db", "/list.db-wal", "/list.db-shm"})
        unlink((TheWorld().dir + file).c_str());
      rmdir(TheWorld().dir.c_str());
    });
    return w;
  }();
  return *world;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  World& world = TheWorld();
  std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  size_t cut = std::min(input.find('\n'), input.size());
  std::string forwarded(input.substr(0, cut));
  std::string_view query = input.substr(std::min(cut + 1, input.size()));
  std::string remote = data[0] & 1 ? "10.0.0.2" : "198.51.100." + std::to_string(data[0] >> 5);
  std::string peer = kb::RequestingAddress(remote, forwarded, kProxies);
  if (!(data[0] & 1) && peer != remote) std::abort();  // only a trusted proxy names another
  probeAnswers = data[0] & 2;
  world.clock.Advance(1000);
  if (peer.empty()) return 0;

  // An answer in format; the address it names is the one that asked.
  std::string seen = ListAnswerSeen(world.service->Answer(peer, query));
  if (seen == "\n" || (!seen.empty() && seen != kb::PlainAddress(peer))) std::abort();
  if (data[0] & 4) {
    world.clock.Advance(10 * 60 * 1000);
    world.service->PruneDue();
  }
  return 0;
}
