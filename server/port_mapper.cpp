#include "server/port_mapper.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <utility>

namespace kb {

struct PortMapper::Shared {
  std::mutex mutex;
  std::condition_variable changed;
  bool stop = false;
  bool settled = false;
  bool done = false;
  std::optional<PortMapping> news;

  void Publish(const PortMapping& m) {
    std::lock_guard lock(mutex);
    news = m, settled = true;
  }
  // Whether the wait ended by Stop.
  bool WaitStop(int seconds) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(seconds), [&] { return stop; });
  }
  bool Stopped() {
    std::lock_guard lock(mutex);
    return stop;
  }
};

// Every call to a gateway blocks up to its own time limit.
void PortMapper::Work(std::shared_ptr<Shared> shared, std::vector<Find> finds, int localPort,
                      int leaseSeconds) {
  std::unique_ptr<Gateway> gateway;
  std::optional<GatewayGrant> grant;
  for (const PortMapper::Find& find : finds) {
    if (shared->Stopped()) break;
    gateway = find();
    if (gateway) grant = gateway->Map(localPort, localPort, leaseSeconds);
    if (grant) break;
    gateway.reset();
  }
  PortMapping m;
  if (grant) m = {true, grant->externalPort, gateway->ExternalAddress(), gateway->Kind()};
  shared->Publish(m);
  // Half the lease: a renewal that fails once still has time for another.
  auto renewal = [](const GatewayGrant& g) {
    return g.leaseSeconds > 0 ? std::max(1, g.leaseSeconds / 2) : 0;
  };
  int wait = grant ? renewal(*grant) : 0;
  while (grant && !shared->WaitStop(wait > 0 ? wait : 24 * 3600)) {
    if (wait == 0) continue;  // permanent: nothing to renew
    std::optional<GatewayGrant> renewed = gateway->Map(localPort, m.externalPort, leaseSeconds);
    PortMapping now = m;
    now.mapped = renewed.has_value();
    if (renewed) now.externalPort = renewed->externalPort;
    if (now.mapped != m.mapped || now.externalPort != m.externalPort) shared->Publish(now);
    m = now;
    wait = renewed ? renewal(*renewed) : std::min(PortMapper::kRetrySeconds, std::max(1, leaseSeconds / 4));
  }
  if (grant) gateway->Unmap(localPort, m.externalPort);
  std::lock_guard lock(shared->mutex);
  shared->done = true;
  shared->changed.notify_all();
}

PortMapper::PortMapper() : shared_(std::make_shared<Shared>()) {
  GatewayPlaces places = GatewayPlaces::FromEnvironment();
  gateways = {[places] { return FindUpnpGateway(places, kSearchMs); },
              [places] { return FindNatPmpGateway(places, kAnswerMs); }};
}

PortMapper::~PortMapper() {
  std::lock_guard lock(shared_->mutex);
  shared_->stop = true;
  shared_->changed.notify_all();
}

void PortMapper::Start(int localPort) {
  if (started_) return;
  started_ = true;
  std::thread(Work, shared_, gateways, localPort, leaseSeconds).detach();
}

bool PortMapper::Settled() const {
  std::lock_guard lock(shared_->mutex);
  return shared_->settled;
}

std::optional<PortMapping> PortMapper::Poll() {
  std::lock_guard lock(shared_->mutex);
  return std::exchange(shared_->news, std::nullopt);
}

void PortMapper::Stop(int waitMs) {
  if (!started_) return;
  std::unique_lock lock(shared_->mutex);
  shared_->stop = true;
  shared_->changed.notify_all();
  shared_->changed.wait_for(lock, std::chrono::milliseconds(waitMs), [&] { return shared_->done; });
}

GatewayPlaces GatewayPlaces::FromEnvironment() {
  GatewayPlaces places;
  if (const char* url = std::getenv("KRINGELBAHN_UPNP_DESCRIPTION")) places.upnpDescription = url;
  if (const char* address = std::getenv("KRINGELBAHN_NATPMP_GATEWAY")) places.natpmpGateway = address;
  return places;
}

}  // namespace kb
