#pragma once

#include <atomic>
#include <string>
#include <vector>

namespace kb {

struct Endpoint {
  std::string address;  // plain IPv4 or IPv6
  int port = 0;
};

// Whether a TCP connection to each endpoint opens within timeLimitMs. The
// connects run side by side (up to `parallel` at once) and one poll watches
// them, so a port that never answers costs a descriptor for the time limit,
// not a thread. Once stop is set it returns within about 100 ms with fewer
// results than endpoints: the rest were not checked.
std::vector<bool> ProbeAll(const std::vector<Endpoint>& endpoints, int timeLimitMs,
                           const std::atomic<bool>& stop, size_t parallel = 1024);

}  // namespace kb
