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

// The toolkit's half of the server window: gadgets, boxes and the main
// loop. The session calls these on the window's thread and decides when.
class WindowToolkit {
 public:
  // The name as typed, UTF-8.
  virtual std::string TypedName() = 0;
  // The name gadgets give way to the serving ones.
  virtual void BuildServingWindow() = 0;
  // settingsToo is false while the window's own edits are still on their
  // way to the loop: the view is older than the gadgets and must not undo them.
  virtual void ShowView(const WindowView& view, bool settingsToo) = 0;
  virtual void ShowMessage(const WindowMessage& m) = 0;
  // Asks whether to stop the server; a yes calls CloseConfirmed.
  virtual void AskClose() = 0;
  // The window goes, and with it a close question still open.
  virtual void Hide() = 0;
  // Tells the operator no server could be opened; the main loop ends once
  // the box is answered.
  virtual void ReportNoServer() = 0;
  // Ends the window's main loop.
  virtual void Quit() = 0;

 protected:
  ~WindowToolkit() = default;
};

// The server window apart from its gadgets, alike under every toolkit: its
// phases, opening the server, running its loop on a thread of its own and
// handing what the loop and the list tasks have for the window over to the
// window's thread. Only the message hook and the wake call belong to other
// threads.
class WindowSession {
 public:
  // Asking for the name, then serving until the loop ends (closing); failed
  // when the server could not be opened.
  enum class Phase { kNaming, kServing, kFailed, kClosing };

  // wake: any thread, once something waits and nothing did before; the
  // window answers on its own thread with Deliver. It is called under a lock
  // and must not block.
  WindowSession(WindowToolkit& toolkit, const ServerSettings& initial, int fixedPort, ServerStartHook onStart,
                std::function<void()> wake);
  // Ends the loop, telling the clients, and waits for it.
  ~WindowSession();

  // The rest is the window's thread. What a phase has no use for does nothing.
  Phase phase() const { return phase_; }
  int ExitCode() const { return exitCode_; }

  // The start button or Return in the name field: opens the server under
  // the typed name; a name that cannot be used leaves the window asking.
  void Start();
  // The start button stays and registers with the Internet list once serving.
  void PressStartOrRegister();
  void PressDelete();
  // Whether a gadget's change is the operator's: not while naming or
  // closing, nor the window's own echo of a view it is showing.
  bool TakesEdits() const { return phase_ == Phase::kServing && !showing_; }
  // Each gadget posts only its own value, so an administrator's change to
  // another one that crosses it is kept. Texts are Latin-1.
  enum class Gadget { kPasswordBox, kHiddenBox, kPassword, kAdminPassword };
  void SwitchEdited(Gadget gadget, bool on);
  void TextEdited(Gadget gadget, std::string text);
  // Shows what waited since the last wake, in order; the loop's end quits.
  void Deliver();
  // The window's close button: asks while serving, quits while naming.
  void Close();
  void CloseConfirmed();
  // The operator confirmed, or the system asked: the window goes, the loop
  // tells every client and ends, then the main loop quits. Why (a few
  // words) goes into the line that says so.
  void Stop(const std::string& why);
  void Join();

 private:
  // What waited for the window since the last Take, in the order to apply.
  struct Delivery {
    std::optional<WindowView> view;  // the newest only
    std::deque<WindowMessage> messages;
    bool quit = false;  // the loop has ended: the window goes
  };
  enum class OpenResult { kBadName, kFailed, kOpen };

  OpenResult Open(const std::string& utf8Name);
  void Run();
  void EndLoop(const std::string& why);
  MessageBoxHook MessageHook();
  Delivery Take();
  void LoopThread();
  void WakeLocked();

  WindowToolkit& toolkit_;
  int fixedPort_;
  ServerStartHook onStart_;
  std::function<void()> wake_;
  std::string testMessage_;
  bool reportTicks_ = false;
  Phase phase_ = Phase::kNaming;
  int exitCode_ = 0;
  bool showing_ = false;

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
