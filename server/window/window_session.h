#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "common/platform/core/clock.h"
#include "common/platform/core/random.h"
#include "server/server_loop.h"
#include "server/window/server_window.h"
#include "server/window_link.h"

namespace kb {

// A message box for the window's thread to show; Latin-1.
struct WindowMessage {
  std::string title, text;
  bool warning = false;
};

// The server window apart from its gadgets, alike under every toolkit: opens
// the server, runs its loop on a thread of its own and hands what the loop
// and the list tasks have for the window over to the window's thread. Only
// MessageHook and the wake call belong to other threads.
class WindowSession {
 public:
  // What waited for the window since the last Take, in the order to apply.
  struct Delivery {
    std::optional<WindowView> view;  // the newest only
    std::deque<WindowMessage> messages;
    bool quit = false;  // the loop has ended: the window goes
  };
  enum class OpenResult { kBadName, kFailed, kOpen };

  // wake: any thread, once something waits and nothing did before; the
  // window answers on its own thread with Take. It is called under a lock
  // and must not block.
  WindowSession(const ServerSettings& initial, int fixedPort, ServerStartHook onStart,
                std::function<void()> wake);
  // Ends the loop, telling the clients, and waits for it.
  ~WindowSession();

  // The name as typed, UTF-8. kBadName leaves everything as it was.
  OpenResult Open(const std::string& utf8Name);
  // Once the serving gadgets exist: the start hook, then the loop's thread.
  void Run();
  // The loop tells every client and ends; Take then reports quit.
  // Ends the game; why (a few words) goes into the line that says so.
  void Stop(const std::string& why);
  void Join();

  MessageBoxHook MessageHook();
  Delivery Take();

  // A gadget's edit. Each gadget posts only its own value, so an
  // administrator's change to another one that crosses it is kept.
  void PostEdit(std::function<void(ServerSettings&)> change);
  // False while edits are still on their way to the loop: the view is older
  // than the gadgets and must not undo them.
  bool HasAllEdits(const WindowView& view) const { return view.applied == posted_; }
  void PressRegister();
  void PressDelete();

 private:
  void LoopThread();
  void WakeLocked();

  int fixedPort_;
  ServerStartHook onStart_;
  std::function<void()> wake_;
  std::string testMessage_;
  bool reportTicks_ = false;

  // Handed from other threads to the window's; outlives the loop, whose
  // list tasks report here.
  std::mutex mutex_;
  Delivery waiting_;
  bool woken_ = false;

  ServerSettings settings_;
  SystemClock clock_;
  Random random_ = Random::FromEntropy();
  std::unique_ptr<ServerLoop> loop_;
  WindowLink link_;
  std::atomic<bool> stop_{false};
  std::string stopReason_;  // under mutex_
  std::thread thread_;
  uint64_t posted_ = 0;
};

}  // namespace kb
