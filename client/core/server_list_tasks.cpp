#include "client/core/server_list_tasks.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace kb {

struct ServerListTasks::Shared {
  std::mutex mutex;
  std::condition_variable changed;
  std::optional<std::pair<Job, uint64_t>> pending;
  bool running = false;
  bool quit = false;
  bool exited = false;
  std::thread thread;
};

namespace {

// The thread holds the table and the shared block itself, so it may outlive
// the client when it has to be left behind.
void RunTasks(std::shared_ptr<ServerList> list, std::shared_ptr<ServerListTasks::Shared> shared) {
  std::unique_lock lock(shared->mutex);
  for (;;) {
    shared->changed.wait(lock, [&] { return shared->quit || shared->pending; });
    if (shared->quit) break;
    auto [job, token] = std::move(*shared->pending);
    shared->pending.reset();
    shared->running = true;
    lock.unlock();
    auto keepGoing = [&, token = token] {
      std::lock_guard quitLock(shared->mutex);
      return !shared->quit && list->Current(token);
    };
    job(*list, token, keepGoing);
    list->Finish(token);
    lock.lock();
    shared->running = false;
    shared->changed.notify_all();
  }
  shared->exited = true;
  shared->changed.notify_all();
}

}  // namespace

ServerListTasks::ServerListTasks()
    : list_(std::make_shared<ServerList>()), shared_(std::make_shared<Shared>()) {}

ServerListTasks::~ServerListTasks() {
  std::unique_lock lock(shared_->mutex);
  if (!shared_->thread.joinable()) return;
  shared_->quit = true;
  shared_->pending.reset();
  shared_->changed.notify_all();
  bool ended = shared_->changed.wait_for(lock, std::chrono::seconds(1), [&] { return shared_->exited; });
  std::thread thread = std::move(shared_->thread);
  lock.unlock();
  if (ended)
    thread.join();
  else
    thread.detach();
}

void ServerListTasks::Start(Job job) {
  uint64_t token = list_->Begin();
  std::lock_guard lock(shared_->mutex);
  shared_->pending.emplace(std::move(job), token);
  if (!shared_->thread.joinable()) shared_->thread = std::thread(RunTasks, list_, shared_);
  shared_->changed.notify_all();
}

bool ServerListTasks::WaitIdle(int timeoutMs) {
  std::unique_lock lock(shared_->mutex);
  return shared_->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                   [&] { return !shared_->pending && !shared_->running; });
}

}  // namespace kb
