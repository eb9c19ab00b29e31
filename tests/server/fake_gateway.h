#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kb::testing {

// A home router on loopback for the port mapper: a UPnP IGD (the root
// description and the SOAP control of its WAN IP connection over HTTP) and a
// NAT-PMP responder on UDP 5351. Every request it gets is logged as a line,
// "Add 4711>4711 127.0.0.1 3600", "AddAny 4711>4711", "Delete 4711",
// "External", "PMP address", "PMP map 4711>4711 3600" (the check of the
// table, GetSpecificPortMappingEntry, is answered but not logged).
class FakeGateway {
 public:
  struct Behaviour {
    const char* externalAddress = "203.0.113.7";
    int addError = 0;      // AddPortMapping's UPnP error, 0: it maps
    int anyPort = 0;       // AddAnyPortMapping's port; 0: not known (401)
    bool garbage = false;  // control answers that are no SOAP
    int delayMs = 0;       // before every UPnP answer
    int pmpPort = 0;       // the public port NAT-PMP gives, 0: the one asked for
    int pmpLifetime = -1;  // -1: the one asked for
    int pmpResult = 0;     // NAT-PMP result code
    bool pmpWrongOpcode = false;
    bool pmpSilent = false;
    // Answers SSDP searches on 239.255.255.250:1900 over loopback; only in
    // a network namespace of the test's own.
    bool ssdp = false;
  };

  // UPnP on an ephemeral port of 127.0.0.1; NAT-PMP on port 5351 of
  // pmpAddress (a 127/8 address of the test's own), none when empty.
  explicit FakeGateway(Behaviour behaviour, std::string pmpAddress = "");
  ~FakeGateway();

  std::string DescriptionUrl() const;
  const std::string& PmpAddress() const { return pmpAddress_; }
  std::vector<std::string> Log();
  // Waits up to ms for a logged line starting with prefix (and count of them).
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
  int http_ = -1;
  int httpPort_ = 0;
  int pmp_ = -1;
  int ssdp_ = -1;
  std::mutex mutex_;
  std::vector<std::string> log_;
  std::map<std::string, std::pair<std::string, std::string>> table_;  // external port: client, port
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace kb::testing
