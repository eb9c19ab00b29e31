#include "client/core/net_connection.h"

#include <mutex>

#include "client/console/console.h"
#include "client/core/client.h"
#include "common/net/protocol.h"

namespace kb {

namespace {

// LEAVE should reach the server before the socket closes, but leaving must
// not hang on a server that stopped reading.
constexpr int kGoodbyeWaitMs = 500;

}  // namespace

ConnectTasks::~ConnectTasks() { JoinAll(true); }

void ConnectTasks::Start(std::function<void()> body) {
  std::lock_guard lock(mutex_);
  // Finished attempts are joined here, so repeated connects keep no threads.
  std::erase_if(tasks_, [](Task& task) {
    if (!task.done->load()) return false;
    task.thread.join();
    return true;
  });
  auto done = std::make_shared<std::atomic<bool>>(false);
  tasks_.push_back({std::thread([body = std::move(body), done] {
                      body();
                      done->store(true);
                    }),
                    done});
}

void ConnectTasks::JoinAll(bool stop) {
  stopping_ = stop;
  std::vector<Task> tasks;
  {
    std::lock_guard lock(mutex_);
    tasks.swap(tasks_);
  }
  for (Task& task : tasks) task.thread.join();
  stopping_ = false;
}

void CloseServerLink(NetState& net) {
  net.link.reset();
  net.received = ReceiveBuffer{};
}

void SayGoodbye(NetState& net) {
  if (!net.link) return;
  net.link->Send(BuildMessage(Keyword::kLeave));
  net.link->Drain(kGoodbyeWaitMs);
  CloseServerLink(net);
}

bool SendToServer(Client& client, std::string_view message) {
  NetState& net = client.net;
  if (!net.link) return false;
  if (!net.link->Send(message)) net.sendFailed = true;
  return true;
}

bool FlushServerLink(NetState& net) {
  if (!net.link) return true;
  bool ok = net.link->Flush() && !net.sendFailed;
  net.sendFailed = false;
  return ok;
}

void StartConnectTask(Client& client) {
  NetState& net = client.net;
  std::lock_guard lock(client.stateLock);
  if (client.frame.gameState == kStateNet)
    SayGoodbye(net);
  else
    CloseServerLink(net);
  int attempt = ++net.attempt;
  net.tasks.Start([&client, address = client.serverAddress, port = client.serverPort, attempt] {
    RunConnectTask(client, address, port, attempt);
  });
}

void RunConnectTask(Client& client, const std::string& address, int port, int attempt) {
  NetState& net = client.net;
  std::unique_ptr<ServerLink> link = net.openLink(address, port);
  std::lock_guard lock(client.stateLock);
  // A newer attempt replaced this one, or the program is ending.
  if (attempt != net.attempt || net.tasks.Stopping()) return;
  std::string where = address + " auf port " + std::to_string(port);
  if (!link) {
    ConsolePrint(client, "Konnte nicht mit Server " + where + " verbinden.", kConsoleRed);
    net.failLatch = 1;
    client.frame.gameState = kStateNetFail;
    return;
  }
  ConsolePrint(client, "Erfolgreich mit Server " + where + " verbunden.", kConsoleGreen);
  CloseServerLink(net);
  net.link = std::move(link);
  net.sendFailed = false;
  SendToServer(client, BuildMessage(Keyword::kJoin));
  FlushServerLink(net);
  net.lastReceive = client.clock.Now();
  // Nothing of an earlier server's field shows behind this one's first screen
  // (a password prompt, say).
  client.round.trailImage.Clear(0);
  client.frame.gameState = kStateNet;
  net.netMode = kModeWaiting;
}

}  // namespace kb
