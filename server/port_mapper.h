#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "server/gateway.h"

namespace kb {

// What the gateway made of the game port, as the loop learns it.
struct PortMapping {
  bool mapped = false;
  int externalPort = 0;
  std::string externalAddress;  // the gateway's, empty when unknown
  std::string kind;             // the gateway's protocol
};

// Asks the gateway to forward the game port, keeps the mapping alive and
// removes it at the end, all on a thread of its own: the routers' answers
// may take seconds and the game loop never waits for them. The loop polls
// for what changed.
class PortMapper {
 public:
  using Find = std::function<std::unique_ptr<Gateway>()>;
  static constexpr int kLeaseSeconds = 3600;
  // Before a renewal that failed is tried again, at most.
  static constexpr int kRetrySeconds = 60;
  static constexpr int kSearchMs = 2000;
  static constexpr int kAnswerMs = 2000;

  PortMapper();
  // The worker, if still at work, ends on its own; the shared state outlives us.
  ~PortMapper();

  // Tried in order; the first that grants a mapping keeps it. The defaults:
  // UPnP, then NAT-PMP, at GatewayPlaces::FromEnvironment().
  std::vector<Find> gateways;
  int leaseSeconds = kLeaseSeconds;

  // Once; later calls do nothing.
  void Start(int localPort);
  bool Started() const { return started_; }
  // Whether the first attempt has ended (mapped or not).
  bool Settled() const;
  // The state when it changed since the last call: the first attempt's
  // outcome, then a renewal that got another port or lost the mapping.
  std::optional<PortMapping> Poll();
  // Removes the mapping; waits at most waitMs for the gateway.
  void Stop(int waitMs);

 private:
  struct Shared;
  static void Work(std::shared_ptr<Shared> shared, std::vector<Find> finds, int localPort, int leaseSeconds);
  std::shared_ptr<Shared> shared_;
  bool started_ = false;
};

}  // namespace kb
