#include "server/window/window_session.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "common/net/protocol.h"
#include "common/platform/core/latin1.h"
#include "server/window/window_layout.h"

namespace kb {

WindowSession::WindowSession(WindowToolkit& toolkit, const ServerSettings& initial, int fixedPort,
                             ServerStartHook onStart, std::function<void()> wake)
    : toolkit_(toolkit),
      fixedPort_(fixedPort),
      onStart_(std::move(onStart)),
      wake_(std::move(wake)),
      settings_(initial) {
  // The gadgets start as the operator expects them, whatever came in.
  settings_.passwordBox = false;
  settings_.password.clear();
  settings_.adminPassword.clear();
  settings_.hidden = true;
  if (const char* text = std::getenv("KRINGELBAHN_TEST_MESSAGE_BOX")) testMessage_ = text;
  reportTicks_ = std::getenv("KRINGELBAHN_TICK_STATS") != nullptr;
}

WindowSession::~WindowSession() {
  stop_ = true;
  Join();
}

void WindowSession::Start() {
  if (phase_ != Phase::kNaming) return;
  OpenResult opened = Open(toolkit_.TypedName());
  if (opened == OpenResult::kBadName) return;
  if (opened == OpenResult::kFailed) {
    toolkit_.Hide();
    phase_ = Phase::kFailed;
    exitCode_ = 1;
    toolkit_.ReportNoServer();
    return;
  }
  phase_ = Phase::kServing;
  toolkit_.BuildServingWindow();
  Run();
}

void WindowSession::PressStartOrRegister() {
  if (phase_ == Phase::kNaming) return Start();
  if (phase_ != Phase::kServing) return;
  link_.Post([](ServerGame& game) {
    if (game.startRegisterEntry) game.startRegisterEntry();
  });
}

void WindowSession::PressDelete() {
  if (phase_ != Phase::kServing) return;
  link_.Post([](ServerGame& game) {
    if (game.startDeleteEntry) game.startDeleteEntry();
  });
}

void WindowSession::SwitchEdited(Gadget gadget, bool on) {
  if (!TakesEdits()) return;
  posted_ = loop_->Shared().Post(
      [gadget, on](ServerSettings& s) { (gadget == Gadget::kPasswordBox ? s.passwordBox : s.hidden) = on; });
}

void WindowSession::TextEdited(Gadget gadget, std::string text) {
  if (!TakesEdits()) return;
  posted_ = loop_->Shared().Post([gadget, text = std::move(text)](ServerSettings& s) {
    (gadget == Gadget::kPassword ? s.password : s.adminPassword) = text;
  });
}

void WindowSession::Deliver() {
  Delivery delivery = Take();
  if (delivery.view && phase_ == Phase::kServing) {
    showing_ = true;
    toolkit_.ShowView(*delivery.view, delivery.view->applied == posted_);
    showing_ = false;
  }
  for (const WindowMessage& m : delivery.messages) toolkit_.ShowMessage(m);
  if (delivery.quit) {
    if (phase_ == Phase::kServing) toolkit_.Hide();
    phase_ = Phase::kClosing;
    toolkit_.Quit();
  }
}

void WindowSession::Close() {
  if (phase_ == Phase::kServing) {
    toolkit_.AskClose();
  } else if (phase_ == Phase::kNaming) {
    toolkit_.Quit();
  }
}

void WindowSession::CloseConfirmed() { Stop("window closed"); }

void WindowSession::Stop(const std::string& why) {
  if (phase_ != Phase::kServing) {
    if (phase_ != Phase::kClosing) toolkit_.Quit();
    return;
  }
  phase_ = Phase::kClosing;
  toolkit_.Hide();
  EndLoop(why);
}

WindowSession::OpenResult WindowSession::Open(const std::string& utf8Name) {
  if (!ServerNameProblem(utf8Name).empty() || loop_) return OpenResult::kBadName;
  settings_.name = EncodeServerName(Utf8ToLatin1(utf8Name));
  loop_ = std::make_unique<ServerLoop>(settings_, clock_, random_);
  if (!loop_->Open(fixedPort_)) {
    // The dialog keeps its own words; the operator's terminal gets the reason.
    std::fprintf(stderr, "%s\n", loop_->OpenError().c_str());
    return OpenResult::kFailed;
  }
  loop_->Registration().show = [box = MessageHook()](const OperatorMessage& m) {
    box(m.title, m.text, m.warning);
  };
  return OpenResult::kOpen;
}

void WindowSession::EndLoop(const std::string& why) {
  {
    std::lock_guard lock(mutex_);
    stopReason_ = why;
  }
  stop_ = true;
}

void WindowSession::Run() {
  if (onStart_) onStart_(*loop_, MessageHook());
  thread_ = std::thread([this] { LoopThread(); });
}

void WindowSession::Join() {
  if (thread_.joinable()) thread_.join();
}

MessageBoxHook WindowSession::MessageHook() {
  return [this](const std::string& title, const std::string& text, bool warning) {
    std::lock_guard lock(mutex_);
    waiting_.messages.push_back({title, text, warning});
    WakeLocked();
  };
}

WindowSession::Delivery WindowSession::Take() {
  std::lock_guard lock(mutex_);
  woken_ = false;
  return std::exchange(waiting_, {});
}

void WindowSession::WakeLocked() {
  if (woken_) return;
  woken_ = true;
  wake_();
}

// The server loop's thread: the same loop the headless front runs.
void WindowSession::LoopThread() {
  MessageBoxHook messageBox = MessageHook();
  loop_->eachRound = [&] {
    if (auto view = link_.Round(loop_->Game(), loop_->Shared(), loop_->Registration().Buttons())) {
      std::lock_guard lock(mutex_);
      waiting_.view = std::move(view);
      WakeLocked();
    }
    // A message box asked for by the loop itself, so tests can watch the
    // ticks go on while it is open.
    if (!testMessage_.empty()) messageBox(layout::kBoxTitle, testMessage_, false), testMessage_.clear();
  };
  loop_->Run(stop_, nullptr);
  if (reportTicks_) {
    const TickStats& s = loop_->Stats();
    std::printf("ticks %llu, latest start %lld ms late, longest %.2f ms\n",
                static_cast<unsigned long long>(s.ticks), static_cast<long long>(s.lateMsMax), s.workMsMax);
    std::fflush(stdout);
  }
  std::lock_guard lock(mutex_);
  std::printf("%s\n", ShutdownNotice(stopReason_).c_str());
  std::fflush(stdout);
  waiting_.quit = true;
  WakeLocked();
}

}  // namespace kb
