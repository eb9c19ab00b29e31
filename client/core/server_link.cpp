#include "client/core/server_link.h"

#include <algorithm>

#include "common/net/send_batch.h"
#include "common/platform/core/socket.h"

namespace kb {

namespace {

class TcpServerLink final : public ServerLink {
 public:
  explicit TcpServerLink(std::unique_ptr<TcpConnection> connection) : connection_(std::move(connection)) {}

  long Receive(char* buffer, size_t n) override { return connection_->Receive(buffer, n); }

  bool Send(std::string_view message) override {
    if (connection_->Broken()) return false;
    batch_.Add(message);
    // A frame that queues more than the connection may hold is as broken as
    // a server that stopped reading.
    return batch_.Size() + connection_->Queued() <= TcpConnection::kDefaultQueueLimit;
  }

  bool Flush() override {
    bool ok = batch_.Flush([this](std::string_view piece) { return connection_->Send(piece); });
    return connection_->FlushQueue() && ok;
  }

  void Drain(int timeoutMs) override {
    Flush();
    connection_->Drain(timeoutMs);
  }

 private:
  std::unique_ptr<TcpConnection> connection_;
  SendBatch batch_;
};

TcpConnectAttempt ConnectAttempt(const std::string& serverAddress, int port) {
  std::vector<std::string> hosts = ServerHosts(serverAddress);
  if (hosts.size() < 2) return TcpConnectAttempt(serverAddress, port, true, kConnectTimeoutMs);
  std::vector<IpAddress> addresses;
  for (const std::string& host : hosts)
    if (std::optional<IpAddress> address = ParseIpAddress(host)) addresses.push_back(*address);
  return TcpConnectAttempt(addresses, port, true, kConnectTimeoutMs);
}

class TcpLinkAttempt final : public LinkAttempt {
 public:
  TcpLinkAttempt(const std::string& host, int port) : attempt_(ConnectAttempt(host, port)) {}
  bool Poll(std::unique_ptr<ServerLink>& link) override {
    if (auto connection = attempt_.Poll()) {
      link = std::make_unique<TcpServerLink>(std::move(connection));
      return true;
    }
    return attempt_.Failed();
  }

 private:
  TcpConnectAttempt attempt_;
};

}  // namespace

void NoteListedServers(const std::vector<ServerListEntry>&) {}

std::unique_ptr<LinkAttempt> OpenServerLink(const std::string& host, int port) {
  return std::make_unique<TcpLinkAttempt>(host, port);
}

}  // namespace kb
