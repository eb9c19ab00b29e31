#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <string_view>
#include <thread>

#include "common/net/web_list.h"
#include "common/platform/core/latin1.h"
#include "common/platform/core/process.h"
#include "common/platform/core/socket.h"
#include "server/window/server_window.h"
#include "server/window/window_layout.h"
#include "server/window/window_session.h"

namespace kb {
namespace {

using namespace layout;

constexpr wchar_t kClassName[] = L"KringelbahnServerWindow";
constexpr UINT kDeliverMessage = WM_APP + 1;  // the session has something
constexpr UINT_PTR kStopTimer = 1;            // looks for a stop request

// Not IDOK or IDCANCEL, which the dialog manager sends for Return and Escape.
enum : int {
  kNameLabelId = 100,
  kNameFieldId,
  kButton3Id,
  kStatusId,
  kAdminLabelId,
  kAdminFieldId,
  kPasswordBoxId,
  kPasswordFieldId,
  kHiddenBoxId,
  kButton6Id
};

// Latin-1 is the first 256 code points of UTF-16.
std::wstring Wide(std::string_view latin1) {
  std::wstring out;
  for (unsigned char c : latin1) out.push_back(static_cast<wchar_t>(c));
  return out;
}

std::wstring TextOf(HWND gadget) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(gadget)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(gadget, text.data(), static_cast<int>(text.size()))));
  return text;
}

// Lone surrogates become U+FFFD, which the name check then lets through as '?'.
std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

void SetText(HWND gadget, std::string_view latin1) {
  std::wstring text = Wide(latin1);
  if (text != TextOf(gadget)) SetWindowTextW(gadget, text.c_str());
}

// German buttons ("Ja", "Nein") like the rest of the window, wherever the
// system carries its German texts.
int Box(HWND owner, std::string_view title, std::string_view text, UINT kind) {
  return MessageBoxExW(owner, Wide(text).c_str(), Wide(title).c_str(), kind,
                       MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
}

void ErrorBox(const char* text) { Box(nullptr, kErrorTitle, text, MB_OK | MB_ICONWARNING); }

class ServerWindow final : public WindowToolkit {
 public:
  ServerWindow(const ServerSettings& initial, int fixedPort, ServerStartHook onStart,
               const std::atomic<bool>& stopRequested)
      : stopRequested_(stopRequested), session_(*this, initial, fixedPort, std::move(onStart), [this] {
          if (HWND window = window_.load()) PostMessageW(window, kDeliverMessage, 0, 0);
        }) {}

  int Run() {
    if (!BuildNameWindow()) {
      std::fprintf(stderr, "%s: %s\n", kErrorTitle, Latin1ToUtf8(kNoWindow).c_str());
      ErrorBox(kNoWindow);
      return 1;
    }
    // A stop request (a console's Ctrl+C or close, the stop file) ends the
    // server like a confirmed close.
    SetTimer(window_.load(), kStopTimer, 100, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      // The dialog manager gives Tab and Return their dialog meaning.
      if (IsDialogMessageW(window_.load(), &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    session_.Join();
    if (HWND window = window_.exchange(nullptr)) DestroyWindow(window);
    return session_.ExitCode();
  }

  ~ServerWindow() {
    if (font_) DeleteObject(font_);
  }

 private:
  HWND Place(const wchar_t* kind, const Gadget& at, int id, DWORD style, DWORD exStyle = 0) {
    HWND gadget = CreateWindowExW(exStyle, kind, Wide(at.text).c_str(), WS_CHILD | WS_VISIBLE | style, at.x,
                                  at.y, at.w, at.h, window_.load(), reinterpret_cast<HMENU>(INT_PTR{id}),
                                  GetModuleHandleW(nullptr), nullptr);
    SendMessageW(gadget, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return gadget;
  }
  HWND Label(const Gadget& at, int id, DWORD ellipsis = 0) {
    return Place(L"STATIC", at, id, SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE | ellipsis);
  }
  HWND Field(const Gadget& at, int id, bool masked) {
    return Place(L"EDIT", at, id, WS_TABSTOP | ES_AUTOHSCROLL | (masked ? ES_PASSWORD : 0), WS_EX_CLIENTEDGE);
  }
  HWND Button(const Gadget& at, int id) { return Place(L"BUTTON", at, id, WS_TABSTOP | BS_PUSHBUTTON); }
  HWND CheckBox(const Gadget& at, int id) { return Place(L"BUTTON", at, id, WS_TABSTOP | BS_AUTOCHECKBOX); }

  static constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

  // The outer size for a client area of kWidth x height.
  static SIZE Outer(int height) {
    RECT r{0, 0, kWidth, height};
    AdjustWindowRectEx(&r, kStyle, FALSE, 0);
    return {r.right - r.left, r.bottom - r.top};
  }

  bool BuildNameWindow() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW type{};
    type.cbSize = sizeof type;
    type.lpfnWndProc = Procedure;
    type.hInstance = instance;
    // The program's own icon when its resources carry one.
    type.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    if (!type.hIcon) type.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    type.lpszClassName = kClassName;
    if (!RegisterClassExW(&type) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    SIZE size = Outer(kNamingHeight);
    HWND window = CreateWindowExW(0, kClassName, Wide(kWindowTitle).c_str(), kStyle,
                                  work.left + (work.right - work.left - size.cx) / 2,
                                  work.top + (work.bottom - work.top - size.cy) / 2, size.cx, size.cy,
                                  nullptr, nullptr, instance, this);
    if (!window) return false;
    window_ = window;
    // The classic 20-pixel rows want a face 10 pixels high; the system's
    // dialog font is a size too big for the labels.
    font_ = CreateFontW(-10, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma");
    if (!font_) font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    nameLabel_ = Label(kNameLabel, kNameLabelId);
    nameField_ = Field(kNameField, kNameFieldId, false);
    // A character is one Latin-1 byte on the wire: the field holds no more
    // than the Internet list takes.
    SendMessageW(nameField_, EM_LIMITTEXT, kListNameBytes, 0);
    button3_ = Button(kStartButton, kButton3Id);
    EnableWindow(button3_, FALSE);
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    SetFocus(nameField_);
    return true;
  }

  std::string TypedName() override { return Utf8(TextOf(nameField_)); }

  void BuildServingWindow() override {
    HWND window = window_.load();
    DestroyWindow(nameLabel_);
    DestroyWindow(nameField_);
    nameLabel_ = nameField_ = nullptr;
    status_ = Label(kStatusLine, kStatusId, SS_ENDELLIPSIS);
    Label(kAdminLabel, kAdminLabelId);
    adminField_ = Field(kAdminField, kAdminFieldId, true);
    passwordBox_ = CheckBox(kPasswordBox, kPasswordBoxId);
    passwordField_ = Field(kPasswordField, kPasswordFieldId, true);
    EnableWindow(passwordField_, FALSE);
    hiddenBox_ = CheckBox(kHiddenBox, kHiddenBoxId);
    SendMessageW(hiddenBox_, BM_SETCHECK, BST_CHECKED, 0);
    // The kept button moves down and takes its place in the tab order.
    SetWindowPos(button3_, hiddenBox_, kRegisterButton.x, kRegisterButton.y, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowTextW(button3_, Wide(kRegisterButton.text).c_str());
    button6_ = Button(kDeleteButton, kButton6Id);
    EnableWindow(button6_, FALSE);
    // Grows downwards, by the rows that came.
    SIZE size = Outer(kServingHeight);
    SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetFocus(adminField_);
  }

  // The box is modal: the message loop ends once it is answered.
  void ReportNoServer() override {
    ErrorBox(kNoServer);
    PostQuitMessage(0);
  }

  void Hide() override {
    CloseConfirmation();
    ShowWindow(window_.load(), SW_HIDE);
  }

  void Quit() override { PostQuitMessage(0); }

  void ShowView(const WindowView& view, bool settingsToo) override {
    SetText(status_, view.status);
    if (settingsToo) {
      SetText(adminField_, view.settings.adminPassword);
      SetText(passwordField_, view.settings.password);
      SendMessageW(passwordBox_, BM_SETCHECK, view.settings.passwordBox ? BST_CHECKED : BST_UNCHECKED, 0);
      Enable(passwordField_, view.settings.passwordBox);
      SendMessageW(hiddenBox_, BM_SETCHECK, view.settings.hidden ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    SetText(button3_, view.buttons.registerCaption);
    Enable(button3_, view.buttons.registerEnabled);
    SetText(button6_, view.buttons.deleteCaption);
    Enable(button6_, view.buttons.deleteEnabled);
  }

  // A gadget that goes grey hands the keyboard on instead of dropping it.
  void Enable(HWND gadget, bool on) {
    if (!on && GetFocus() == gadget) SetFocus(GetNextDlgTabItem(window_.load(), gadget, FALSE));
    EnableWindow(gadget, on);
  }

  // Message boxes stay open without holding anything up: each has a thread
  // of its own and no owner, so the window stays usable beside it.
  void ShowMessage(const WindowMessage& m) override {
    UINT icon = m.warning ? MB_ICONWARNING : MB_ICONINFORMATION;
    std::thread([m, icon] { Box(nullptr, m.title, m.text, MB_OK | icon | MB_SETFOREGROUND); }).detach();
  }

  void AskClose() override {
    HWND window = window_.load();
    if (confirming_) {
      SetForegroundWindow(GetLastActivePopup(window));
      return;
    }
    confirming_ = true;
    int answer = Box(window, kBoxTitle, kReallyStop, MB_YESNO | MB_ICONQUESTION);
    confirming_ = false;
    // The box may have been closed for us, by a shutdown meanwhile; the
    // session then ignores the answer.
    if (answer == IDYES) session_.CloseConfirmed();
  }

  void CloseConfirmation() {
    if (!confirming_) return;
    HWND window = window_.load();
    HWND box = GetLastActivePopup(window);
    if (box && box != window) PostMessageW(box, WM_COMMAND, IDNO, 0);
  }

  void Edited(HWND gadget) {
    using Gadget = WindowSession::Gadget;
    if (gadget == passwordBox_ || gadget == hiddenBox_) {
      bool on = SendMessageW(gadget, BM_GETCHECK, 0, 0) == BST_CHECKED;
      if (gadget == passwordBox_ && session_.TakesEdits()) EnableWindow(passwordField_, on);
      session_.SwitchEdited(gadget == passwordBox_ ? Gadget::kPasswordBox : Gadget::kHiddenBox, on);
    } else {
      session_.TextEdited(gadget == passwordField_ ? Gadget::kPassword : Gadget::kAdminPassword,
                          Utf8ToLatin1(Utf8(TextOf(gadget))));
    }
  }

  void Command(int id, int code, HWND from) {
    switch (id) {
      case IDOK: {
        // Return: starts the server while naming; later it presses the
        // focused button or check box, as Space does.
        if (session_.phase() == WindowSession::Phase::kNaming) return session_.Start();
        HWND focus = GetFocus();
        if (focus && IsWindowEnabled(focus) &&
            (focus == button3_ || focus == button6_ || focus == passwordBox_ || focus == hiddenBox_))
          SendMessageW(focus, BM_CLICK, 0, 0);
        return;
      }
      case kNameFieldId:
        if (code == EN_CHANGE) EnableWindow(button3_, GetWindowTextLengthW(from) > 0);
        return;
      case kAdminFieldId:
      case kPasswordFieldId:
        if (code == EN_CHANGE) Edited(from);
        return;
      case kPasswordBoxId:
      case kHiddenBoxId:
        if (code == BN_CLICKED) Edited(from);
        return;
      case kButton3Id:
        if (code == BN_CLICKED) session_.PressStartOrRegister();
        return;
      case kButton6Id:
        if (code == BN_CLICKED) session_.PressDelete();
        return;
    }
  }

  LRESULT Handle(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
      case WM_COMMAND:
        Command(LOWORD(w), HIWORD(w), reinterpret_cast<HWND>(l));
        return 0;
      case WM_CLOSE:
        session_.Close();
        return 0;
      case WM_ACTIVATE:
        // A plain window forgets its focused gadget when it loses the
        // keyboard; the dialog manager would keep it.
        if (LOWORD(w) == WA_INACTIVE) {
          HWND focus = GetFocus();
          if (focus && IsChild(window, focus)) lastFocus_ = focus;
        } else if (lastFocus_ && IsWindow(lastFocus_) && IsWindowEnabled(lastFocus_)) {
          SetFocus(lastFocus_);
          return 0;
        }
        break;
      case WM_ENDSESSION:
        // Windows ends the process once this returns: the clients hear first.
        if (w && session_.phase() == WindowSession::Phase::kServing) {
          session_.Stop("Windows session ending");
          session_.Join();
        }
        return 0;
      case kDeliverMessage:
        session_.Deliver();
        return 0;
      case WM_TIMER:
        if (w == kStopTimer && stopRequested_) session_.Stop("console stop request");
        return 0;
    }
    return DefWindowProcW(window, message, w, l);
  }

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(l);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<ServerWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self ? self->Handle(window, message, w, l) : DefWindowProcW(window, message, w, l);
  }

  const std::atomic<bool>& stopRequested_;
  WindowSession session_;
  bool confirming_ = false;

  // Read by the session's wake on other threads; the rest is the window thread's.
  std::atomic<HWND> window_{nullptr};
  HFONT font_ = nullptr;
  HWND lastFocus_ = nullptr;
  HWND nameLabel_ = nullptr;
  HWND nameField_ = nullptr;
  HWND button3_ = nullptr;
  HWND status_ = nullptr;
  HWND adminField_ = nullptr;
  HWND passwordBox_ = nullptr;
  HWND passwordField_ = nullptr;
  HWND hiddenBox_ = nullptr;
  HWND button6_ = nullptr;
};

}  // namespace

int RunServerWindow(const ServerSettings& initial, int fixedPort, ServerStartHook onStart) {
  if (!InitNetwork()) {
    ErrorBox(kNoServer);
    return 1;
  }
  // Outlives the window: a console being closed waits until the clients are told.
  std::atomic<bool> stopRequested{false};
  StopRequests stopRequests(stopRequested);
  ServerWindow window(initial, fixedPort, std::move(onStart), stopRequested);
  return window.Run();
}

}  // namespace kb
