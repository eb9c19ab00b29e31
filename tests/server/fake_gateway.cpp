#include "tests/server/fake_gateway.h"

#include <chrono>
#include <random>
#include <tuple>

#include "common/net/web_list.h"
#include "common/platform/core/socket.h"
#include "common/platform/core/socket_system.h"

namespace kb::testing {
namespace {

constexpr const char* kService = "urn:schemas-upnp-org:service:WANIPConnection:1";

std::string Http(const std::string& status, const std::string& body, bool soap = true) {
  std::string xml =
      soap ? "<?xml version=\"1.0\"?>\r\n<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/"
             "envelope/\" s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\"><s:Body>" +
                 body + "</s:Body></s:Envelope>"
           : body;
  return "HTTP/1.1 " + status + "\r\nContent-Type: text/xml; charset=\"utf-8\"\r\nConnection: close\r\n" +
         "Content-Length: " + std::to_string(xml.size()) + "\r\n\r\n" + xml;
}

std::string Fault(int code) {
  return Http(
      "500 Internal Server Error",
      "<s:Fault><faultcode>s:Client</faultcode><faultstring>UPnPError</faultstring><detail><UPnPError "
      "xmlns=\"urn:schemas-upnp-org:control-1-0\"><errorCode>" +
          std::to_string(code) + "</errorCode></UPnPError></detail></s:Fault>");
}

const std::string kDescription =
    "<?xml version=\"1.0\"?><root xmlns=\"urn:schemas-upnp-org:device-1-0\"><device>"
    "<deviceType>urn:schemas-upnp-org:device:InternetGatewayDevice:1</deviceType><deviceList><device>"
    "<deviceType>urn:schemas-upnp-org:device:WANDevice:1</deviceType><serviceList><service>"
    "<serviceType>urn:schemas-upnp-org:service:WANCommonInterfaceConfig:1</serviceType>"
    "<controlURL>/ctl/CmnIfCfg</controlURL><eventSubURL>/evt/CmnIfCfg</eventSubURL>"
    "<SCPDURL>/WANCfg.xml</SCPDURL></service></serviceList><deviceList><device>"
    "<deviceType>urn:schemas-upnp-org:device:WANConnectionDevice:1</deviceType><serviceList><service>"
    "<serviceType>" +
    std::string(kService) +
    "</serviceType><controlURL>/ctl/IPConn</controlURL><eventSubURL>/evt/IPConn</eventSubURL>"
    "<SCPDURL>/WANIPCn.xml</SCPDURL></service></serviceList></device></deviceList></device>"
    "</deviceList></device></root>";

// A descriptor as a poll entry holds it; a negative one is skipped.
auto Fd(int fd) { return static_cast<decltype(sockets::PollEntry::fd)>(fd); }

// A reusable socket bound to address:port, or -1.
int Bound(int type, const std::string& address, int port) {
  int fd = sockets::Open(AF_INET, type);
  sockets::ReserveListeningPort(fd);
  sockaddr_in a{};
  a.sin_family = AF_INET, a.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, address.c_str(), &a.sin_addr);
  if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return fd;
  sockets::Close(fd);
  return -1;
}

}  // namespace

FakeGateway::FakeGateway(Behaviour behaviour, std::string pmpAddress)
    : behaviour_(std::move(behaviour)), pmpAddress_(std::move(pmpAddress)) {
  InitNetwork();
  http_ = Bound(SOCK_STREAM, "127.0.0.1", 0);
  sockaddr_in a{};
  socklen_t size = sizeof a;
  if (listen(http_, 16) == 0 && getsockname(http_, reinterpret_cast<sockaddr*>(&a), &size) == 0)
    httpPort_ = ntohs(a.sin_port);
  if (!pmpAddress_.empty()) pmp_ = Bound(SOCK_DGRAM, pmpAddress_, 5351);
  if (behaviour_.ssdp) {
    ssdp_ = Bound(SOCK_DGRAM, "0.0.0.0", 1900);
    ip_mreq group{};
    inet_pton(AF_INET, "239.255.255.250", &group.imr_multiaddr);
    group.imr_interface.s_addr = htonl(INADDR_LOOPBACK);
    setsockopt(ssdp_, IPPROTO_IP, IP_ADD_MEMBERSHIP, reinterpret_cast<const char*>(&group), sizeof group);
  }
  thread_ = std::thread([this] { Serve(); });
}

FakeGateway::~FakeGateway() {
  stop_ = true;
  thread_.join();
  for (int fd : {http_, pmp_, ssdp_})
    if (fd >= 0) sockets::Close(fd);
}

std::string FakeGateway::DescriptionUrl() const {
  return "http://127.0.0.1:" + std::to_string(httpPort_) + "/rootDesc.xml";
}

std::string FakeGateway::RandomLoopbackAddress() {
  std::random_device entropy;
  std::uniform_int_distribution<int> byte(1, 254);
  return "127." + std::to_string(byte(entropy)) + "." + std::to_string(byte(entropy)) + "." +
         std::to_string(byte(entropy));
}

std::vector<std::string> FakeGateway::Log() {
  std::lock_guard lock(mutex_);
  return log_;
}

bool FakeGateway::WaitFor(const std::string& prefix, int ms, size_t count) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  do {
    size_t n = 0;
    for (const std::string& line : Log()) n += line.starts_with(prefix);
    if (n >= count) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  } while (std::chrono::steady_clock::now() < end);
  return false;
}

void FakeGateway::Note(std::string line) {
  std::lock_guard lock(mutex_);
  log_.push_back(std::move(line));
}

// One connection at a time, each bounded to 64 KiB and 2 s of reading.
void FakeGateway::Serve() {
  while (!stop_) {
    sockets::PollEntry fds[3] = {{Fd(http_), POLLIN, 0}, {Fd(pmp_), POLLIN, 0}, {Fd(ssdp_), POLLIN, 0}};
    if (sockets::Poll(fds, 3, 20) <= 0) continue;
    if (fds[1].revents & POLLIN) AnswerPmp();
    if (fds[2].revents & POLLIN) AnswerSearch();
    int c = fds[0].revents & POLLIN ? sockets::Accept(http_) : -1;
    if (c < 0) continue;
    std::string request;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (char buffer[4096]; request.size() < 65536 && std::chrono::steady_clock::now() < end;) {
      size_t head = request.find("\r\n\r\n");
      size_t length = std::strtoul(ExtractBetween(request, "Content-Length: ", "\r\n").c_str(), nullptr, 10);
      if (head != std::string::npos && request.size() >= head + 4 + length) break;
      sockets::PollEntry p{Fd(c), POLLIN, 0};
      if (sockets::Poll(&p, 1, 50) <= 0) continue;
      long n = recv(c, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      request.append(buffer, static_cast<size_t>(n));
    }
    std::string answer = Answer(request);
    int delay = request.starts_with("GET ") ? 0 : behaviour_.delayMs;
    // Held until the delay ends or the client gives up.
    for (int waited = 0; waited < delay && !stop_; waited += 10) {
      sockets::PollEntry p{Fd(c), POLLIN, 0};
      if (sockets::Poll(&p, 1, 10) > 0) break;
    }
    send(c, answer.data(), static_cast<int>(answer.size()), sockets::kNoSignal);
    sockets::Close(c);
  }
}

std::string FakeGateway::Answer(const std::string& request) {
  if (request.starts_with("GET /rootDesc.xml")) return Http("200 OK", kDescription, false);
  std::string action = ExtractBetween(request, "#", "\"");
  auto arg = [&](const char* name) { return ExtractBetween(request, std::string("<") + name + ">", "</"); };
  std::string port = arg("NewExternalPort"), ports = port + ">" + arg("NewInternalPort");
  std::string lease = arg("NewLeaseDuration"), any = std::to_string(behaviour_.anyPort);
  std::string entry = "<NewInternalPort>" + arg("NewInternalPort") + "</NewInternalPort><NewInternalClient>" +
                      arg("NewInternalClient") + "</NewInternalClient>";
  // Per action: the log line, the UPnP error (0: none) and the answer's values.
  const std::map<std::string, std::tuple<std::string, int, std::string>> actions = {
      // 725: only permanent mappings.
      {"AddPortMapping",
       {"Add " + ports + " " + arg("NewInternalClient") + " " + lease,
        behaviour_.addError == 725 && lease == "0" ? 0 : behaviour_.addError, ""}},
      {"AddAnyPortMapping",
       {"AddAny " + ports, behaviour_.anyPort ? 0 : 401, "<NewReservedPort>" + any + "</NewReservedPort>"}},
      {"GetSpecificPortMappingEntry",
       {"", table_.contains(port) ? 0 : 714,
        (table_.contains(port) ? table_.at(port) : "") + "<NewEnabled>1</NewEnabled>"}},
      {"DeletePortMapping", {"Delete " + port, 0, ""}},
      {"GetExternalIPAddress",
       {"External", 0,
        "<NewExternalIPAddress>" + std::string(behaviour_.externalAddress) + "</NewExternalIPAddress>"}},
      {"GetStatusInfo",
       {"", 0,
        "<NewConnectionStatus>Connected</NewConnectionStatus><NewLastConnectionError>ERROR_NONE"
        "</NewLastConnectionError><NewUptime>100</NewUptime>"}},
  };
  auto found = actions.find(action);
  if (found != actions.end() && !std::get<0>(found->second).empty()) Note(std::get<0>(found->second));
  if (behaviour_.garbage) return "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\n<<<>>>\x01\xff!";
  if (found == actions.end()) return Fault(401);
  auto [note, error, values] = found->second;
  if (error) return Fault(error);
  if (action == "AddPortMapping") table_[port] = entry;
  if (action == "AddAnyPortMapping") table_[any] = entry;
  if (action == "DeletePortMapping") table_.erase(port);
  std::string tag = "u:" + action + "Response";
  return Http("200 OK", "<" + tag + " xmlns:u=\"" + kService + "\">" + values + "</" + tag + ">");
}

void FakeGateway::AnswerSearch() {
  char in[1500];
  sockaddr_in from{};
  socklen_t size = sizeof from;
  long n = recvfrom(ssdp_, in, sizeof in, 0, reinterpret_cast<sockaddr*>(&from), &size);
  if (n <= 0 || !std::string(in, static_cast<size_t>(n)).starts_with("M-SEARCH")) return;
  Note("Search");
  std::string type = "urn:schemas-upnp-org:device:InternetGatewayDevice:1";
  std::string answer = "HTTP/1.1 200 OK\r\nCACHE-CONTROL: max-age=120\r\nST: " + type +
                       "\r\nUSN: uuid:fake::" + type + "\r\nLOCATION: " + DescriptionUrl() + "\r\n\r\n";
  sendto(ssdp_, answer.data(), static_cast<int>(answer.size()), 0, reinterpret_cast<sockaddr*>(&from), size);
}

void FakeGateway::AnswerPmp() {
  unsigned char in[64];
  sockaddr_in from{};
  socklen_t size = sizeof from;
  long n =
      recvfrom(pmp_, reinterpret_cast<char*>(in), sizeof in, 0, reinterpret_cast<sockaddr*>(&from), &size);
  if (n < 2 || in[0] != 0 || (in[1] != 0 && n < 12)) return;
  // Version, opcode + 128, result, epoch 1, then the address or the mapping.
  unsigned char out[16] = {0, static_cast<unsigned char>(128 + in[1]),
                           0, static_cast<unsigned char>(behaviour_.pmpResult),
                           0, 0,
                           0, 1};
  auto put = [&](size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<unsigned char>(value >> (8 * (bytes - 1 - i)));
  };
  if (in[1] == 0) {
    Note("PMP address");
    inet_pton(AF_INET, behaviour_.externalAddress, out + 8);
  } else {
    int local = in[4] << 8 | in[5], wanted = in[6] << 8 | in[7];
    uint32_t lease = static_cast<uint32_t>(in[8]) << 24 | in[9] << 16 | in[10] << 8 | in[11];
    Note("PMP map " + std::to_string(local) + ">" + std::to_string(wanted) + " " + std::to_string(lease));
    put(8, static_cast<uint32_t>(local), 2);
    put(10, lease == 0 ? 0 : behaviour_.pmpPort ? behaviour_.pmpPort : wanted, 2);
    put(12, behaviour_.pmpLifetime >= 0 ? static_cast<uint32_t>(behaviour_.pmpLifetime) : lease, 4);
  }
  if (behaviour_.pmpSilent) return;
  if (behaviour_.pmpWrongOpcode) out[1] = 200;
  sendto(pmp_, reinterpret_cast<const char*>(out), in[1] == 0 ? 12 : 16, 0,
         reinterpret_cast<sockaddr*>(&from), size);
}

}  // namespace kb::testing
