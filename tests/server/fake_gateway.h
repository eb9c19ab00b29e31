#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kb::testing {

// A home router on loopback: a UPnP IGD over HTTP and a NAT-PMP responder on UDP 5351. Each request is logged
// as a line: "Add 4711>4711 127.0.0.1 3600", "AddAny 4711>4711", "Delete 4711", "External", "PMP address",
// "PMP map 4711>4711 3600", "Search" (GetSpecificPortMappingEntry is not).
class FakeGateway {
 public:
  struct Behaviour {
    const char* externalAddress = "203.0.113.7";
    int addError = 0;      // AddPortMapping's UPnP error, 0: it maps
    int anyPort = 0;       // AddAnyPortMapping's port; 0: not known (401)
    bool garbage = false;  // control answers that are no SOAP
    int delayMs = 0;       // before every UPnP control answer
    int pmpPort = 0;       // the public port NAT-PMP gives, 0: the one asked for
    int pmpLifetime = -1;  // -1: the one asked for
    int pmpResult = 0;
    bool pmpWrongOpcode = false;
    bool pmpSilent = false;
    bool ssdp = false;  // answers searches on 239.255.255.250:1900; own network namespace only
  };

  // UPnP on an ephemeral port of 127.0.0.1; NAT-PMP on pmpAddress, none when empty.
  explicit FakeGateway(Behaviour behaviour, std::string pmpAddress = "");
  ~FakeGateway();

  std::string DescriptionUrl() const;
  const std::string& PmpAddress() const { return pmpAddress_; }
  std::vector<std::string> Log();
  // Waits up to ms for count logged lines starting with prefix.
  bool WaitFor(const std::string& prefix, int ms, size_t count = 1);
  // A 127/8 address no other test process is likely to take.
  static std::string RandomLoopbackAddress();

 private:
  void Serve();
  std::string Answer(const std::string& request);
  void AnswerPmp();
  void AnswerSearch();
  void Note(std::string line);

  Behaviour behaviour_;
  std::string pmpAddress_;
  int http_ = -1, httpPort_ = 0, pmp_ = -1, ssdp_ = -1;
  std::mutex mutex_;
  std::vector<std::string> log_;
  std::map<std::string, std::string> table_;  // external port: "<client><port>" answer fields
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace kb::testing
