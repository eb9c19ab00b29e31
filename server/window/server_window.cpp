#include "server/window/server_window.h"

#include <glib-unix.h>
#include <gtk/gtk.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "common/net/protocol.h"
#include "common/platform/core/clock.h"
#include "common/platform/core/random.h"
#include "server/latin1_text.h"
#include "server/server_loop.h"
#include "server/window_link.h"

namespace kb {
namespace {

const char kWindowTitle[] = "Kringelbahn Server 1.2.4";
const char kBoxTitle[] = "Kringelbahn Server";
const char kErrorTitle[] = "Fehler";
const char kNoServer[] = "Es konnte kein Server erstellt werden.";
const char kNoWindow[] =
    "Es konnte kein Fenster ge\xF6"
    "ffnet werden.";

// The gadgets keep their classic 20-pixel rows: a small face and no padding
// beyond what the frames need.
const char kStyle[] =
    ".kb-server * { font-family: \"Liberation Sans\", Arial, sans-serif; font-size: 10px; }\n"
    ".kb-server button { min-height: 0; min-width: 0; padding: 0 4px; }\n"
    ".kb-server entry { min-height: 0; min-width: 0; padding: 0 3px; }\n"
    ".kb-server checkbutton { padding: 0; }\n"
    ".kb-server checkbutton check { min-width: 12px; min-height: 12px; margin: 0 2px 0 0; }\n";

std::string Utf8(std::string_view latin1) { return Latin1ToUtf8(latin1); }

// A message box: icon, text and the buttons the caller adds. Its accessible
// name is its title, so a screen reader announces what the box is about.
GtkWidget* MessageBox(GtkWidget* parent, const std::string& title, const std::string& text,
                      const char* icon) {
  GtkWidget* box = gtk_dialog_new();
  gtk_window_set_title(GTK_WINDOW(box), Utf8(title).c_str());
  gtk_window_set_resizable(GTK_WINDOW(box), FALSE);
  if (parent) {
    gtk_window_set_transient_for(GTK_WINDOW(box), GTK_WINDOW(parent));
    gtk_window_set_position(GTK_WINDOW(box), GTK_WIN_POS_CENTER_ON_PARENT);
  } else {
    gtk_window_set_position(GTK_WINDOW(box), GTK_WIN_POS_CENTER);
  }
  GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
  gtk_container_set_border_width(GTK_CONTAINER(row), 12);
  gtk_box_pack_start(GTK_BOX(row), gtk_image_new_from_icon_name(icon, GTK_ICON_SIZE_DIALOG), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(row), gtk_label_new(Utf8(text).c_str()), FALSE, FALSE, 0);
  gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(box))), row);
  AtkObject* accessible = gtk_widget_get_accessible(box);
  atk_object_set_name(accessible, Utf8(title).c_str());
  atk_object_set_role(accessible, ATK_ROLE_ALERT);
  return box;
}

struct Message {
  std::string title, text;
  bool warning;
};

class ServerWindow {
 public:
  ServerWindow(const ServerSettings& initial, int fixedPort, ServerStartHook onStart)
      : fixedPort_(fixedPort), onStart_(std::move(onStart)), settings_(initial) {
    // The gadgets start as the operator expects them, whatever came in.
    settings_.passwordBox = false;
    settings_.password.clear();
    settings_.adminPassword.clear();
    settings_.hidden = true;
    if (const char* text = std::getenv("KRINGELBAHN_TEST_MESSAGE_BOX")) testMessage_ = text;
    reportTicks_ = std::getenv("KRINGELBAHN_TICK_STATS") != nullptr;
  }

  ~ServerWindow() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }

  int Run() {
    GtkCssProvider* css = gtk_css_provider_new();
    gtk_css_provider_load_from_data(css, kStyle, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(css);
    BuildNameWindow();
    g_unix_signal_add(SIGINT, OnSignal, this);
    g_unix_signal_add(SIGTERM, OnSignal, this);
    gtk_main();
    if (thread_.joinable()) thread_.join();
    if (window_) gtk_widget_destroy(window_);
    return exitCode_;
  }

  MessageBoxHook MessageHook() {
    return [this](const std::string& title, const std::string& text, bool warning) {
      std::lock_guard lock(mutex_);
      messages_.push_back({title, text, warning});
      ScheduleLocked();
    };
  }

 private:
  enum class Phase { kNaming, kServing, kFailed, kClosing };

  GtkWidget* Place(GtkWidget* widget, int x, int y, int width, int height) {
    gtk_widget_set_size_request(widget, width, height);
    gtk_fixed_put(GTK_FIXED(fixed_), widget, x, y);
    return widget;
  }
  GtkWidget* Label(const char* text) {
    GtkWidget* label = gtk_label_new(text);
    gtk_label_set_xalign(GTK_LABEL(label), 0);
    return label;
  }
  GtkWidget* Entry(bool masked) {
    GtkWidget* entry = gtk_entry_new();
    gtk_entry_set_width_chars(GTK_ENTRY(entry), 1);
    gtk_entry_set_visibility(GTK_ENTRY(entry), !masked);
    return entry;
  }

  void BuildNameWindow() {
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window_), kWindowTitle);
    gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
    gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER);
    gtk_style_context_add_class(gtk_widget_get_style_context(window_), "kb-server");
    gtk_window_set_icon_name(GTK_WINDOW(window_), "kringelbahn-server");
    fixed_ = gtk_fixed_new();
    gtk_widget_set_size_request(fixed_, 300, 49);
    gtk_container_add(GTK_CONTAINER(window_), fixed_);
    nameLabel_ = Place(Label("Name:"), 3, 5, 34, 17);
    nameEntry_ = Place(Entry(false), 40, 3, 257, 20);
    button3_ = Place(gtk_button_new_with_label("Server starten"), 3, 26, 294, 20);
    gtk_widget_set_sensitive(button3_, FALSE);
    g_signal_connect(window_, "delete-event", G_CALLBACK(OnDelete), this);
    g_signal_connect(nameEntry_, "changed", G_CALLBACK(OnNameChanged), this);
    g_signal_connect(nameEntry_, "activate", G_CALLBACK(OnStart), this);
    g_signal_connect(button3_, "clicked", G_CALLBACK(OnButton3), this);
    gtk_widget_show_all(window_);
    gtk_widget_grab_focus(nameEntry_);
  }

  void BuildServingWindow() {
    gtk_widget_destroy(nameLabel_);
    gtk_widget_destroy(nameEntry_);
    nameLabel_ = nameEntry_ = nullptr;
    gtk_fixed_move(GTK_FIXED(fixed_), button3_, 3, 95);
    gtk_button_set_label(GTK_BUTTON(button3_), "Server eintragen");
    status_ = Place(Label(""), 3, 5, 294, 17);
    gtk_label_set_ellipsize(GTK_LABEL(status_), PANGO_ELLIPSIZE_END);
    Place(Label("Adminpasswort:"), 3, 26, 74, 20);
    adminEntry_ = Place(Entry(true), 80, 26, 217, 20);
    passwordBox_ = Place(gtk_check_button_new_with_label("Passwort:"), 3, 49, 65, 20);
    passwordEntry_ = Place(Entry(true), 71, 49, 226, 20);
    gtk_widget_set_sensitive(passwordEntry_, FALSE);
    hiddenBox_ =
        Place(gtk_check_button_new_with_label("Server versteckt (Wird nicht angezeigt)"), 3, 72, 200, 20);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(hiddenBox_), TRUE);
    button6_ = Place(gtk_button_new_with_label(Utf8("Eintrag l\xF6schen").c_str()), 3, 118, 294, 20);
    gtk_widget_set_sensitive(button6_, FALSE);
    g_signal_connect(adminEntry_, "changed", G_CALLBACK(OnEdited), this);
    g_signal_connect(passwordEntry_, "changed", G_CALLBACK(OnEdited), this);
    g_signal_connect(passwordBox_, "toggled", G_CALLBACK(OnEdited), this);
    g_signal_connect(hiddenBox_, "toggled", G_CALLBACK(OnEdited), this);
    g_signal_connect(button6_, "clicked", G_CALLBACK(OnButton6), this);
    gtk_widget_set_size_request(fixed_, 300, 141);
    gtk_widget_show_all(window_);
    gtk_widget_grab_focus(adminEntry_);
  }

  void Start() {
    std::string name = gtk_entry_get_text(GTK_ENTRY(nameEntry_));
    if (!ServerNameProblem(name).empty() || phase_ != Phase::kNaming) return;
    settings_.name = EncodeServerName(Utf8ToLatin1(name));
    loop_ = std::make_unique<ServerLoop>(settings_, clock_, random_);
    if (!loop_->Open(fixedPort_)) {
      gtk_widget_hide(window_);
      phase_ = Phase::kFailed;
      exitCode_ = 1;
      GtkWidget* box = MessageBox(nullptr, kErrorTitle, kNoServer, "dialog-warning");
      gtk_dialog_add_button(GTK_DIALOG(box), "_OK", GTK_RESPONSE_OK);
      g_signal_connect(box, "response", G_CALLBACK(OnErrorAnswered), nullptr);
      gtk_widget_show_all(box);
      return;
    }
    phase_ = Phase::kServing;
    BuildServingWindow();
    loop_->Registration().show = [box = MessageHook()](const OperatorMessage& m) {
      box(m.title, m.text, m.warning);
    };
    if (onStart_) onStart_(*loop_, MessageHook());
    thread_ = std::thread([this] { LoopThread(); });
  }

  // The server loop's thread: the same loop the headless front runs.
  void LoopThread() {
    MessageBoxHook messageBox = MessageHook();
    loop_->eachRound = [&] {
      if (auto view = link_.Round(loop_->Game(), loop_->Shared(), loop_->Registration().Buttons())) {
        std::lock_guard lock(mutex_);
        view_ = std::move(view);
        ScheduleLocked();
      }
      // A message box asked for by the loop itself, so tests can watch the
      // ticks go on while it is open.
      if (!testMessage_.empty()) messageBox(kBoxTitle, testMessage_, false), testMessage_.clear();
    };
    loop_->Run(stop_, nullptr);
    if (reportTicks_) {
      const TickStats& s = loop_->Stats();
      std::printf("ticks %llu, latest start %lld ms late, longest %.2f ms\n",
                  static_cast<unsigned long long>(s.ticks), static_cast<long long>(s.lateMsMax), s.workMsMax);
      std::fflush(stdout);
    }
    std::lock_guard lock(mutex_);
    quit_ = true;
    ScheduleLocked();
  }

  // The operator confirmed, or a signal came: the loop tells every client
  // and ends, then the main loop quits.
  void Stop() {
    if (phase_ != Phase::kServing) {
      if (phase_ != Phase::kClosing) gtk_main_quit();
      return;
    }
    phase_ = Phase::kClosing;
    if (confirm_) gtk_widget_destroy(confirm_), confirm_ = nullptr;
    gtk_widget_hide(window_);
    stop_ = true;
  }

  void ScheduleLocked() {
    if (scheduled_) return;
    scheduled_ = true;
    g_idle_add(OnDeliver, this);
  }

  void Deliver() {
    std::optional<WindowView> view;
    std::deque<Message> messages;
    bool quit;
    {
      std::lock_guard lock(mutex_);
      scheduled_ = false;
      view.swap(view_);
      messages.swap(messages_);
      quit = quit_;
    }
    if (view && phase_ == Phase::kServing) Show(*view);
    for (const Message& m : messages) ShowMessage(m);
    if (quit) {
      if (phase_ == Phase::kServing) gtk_widget_hide(window_);
      phase_ = Phase::kClosing;
      gtk_main_quit();
    }
  }

  void Show(const WindowView& view) {
    updating_ = true;
    gtk_label_set_text(GTK_LABEL(status_), Utf8(view.status).c_str());
    // Edits of ours still on their way to the loop: the view is older than
    // the gadgets and must not undo them.
    if (view.applied == posted_) {
      SetText(adminEntry_, view.settings.adminPassword);
      SetText(passwordEntry_, view.settings.password);
      gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(passwordBox_), view.settings.passwordBox);
      gtk_widget_set_sensitive(passwordEntry_, view.settings.passwordBox);
      gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(hiddenBox_), view.settings.hidden);
    }
    gtk_button_set_label(GTK_BUTTON(button3_), Utf8(view.buttons.registerCaption).c_str());
    gtk_widget_set_sensitive(button3_, view.buttons.registerEnabled);
    gtk_button_set_label(GTK_BUTTON(button6_), Utf8(view.buttons.deleteCaption).c_str());
    gtk_widget_set_sensitive(button6_, view.buttons.deleteEnabled);
    updating_ = false;
  }

  static void SetText(GtkWidget* entry, const std::string& latin1) {
    std::string text = Utf8(latin1);
    if (text != gtk_entry_get_text(GTK_ENTRY(entry))) gtk_entry_set_text(GTK_ENTRY(entry), text.c_str());
  }

  // Message boxes stay open without holding anything up: not modal, closed
  // by their own button.
  void ShowMessage(const Message& m) {
    GtkWidget* box = MessageBox(phase_ == Phase::kClosing ? nullptr : window_, m.title, m.text,
                                m.warning ? "dialog-warning" : "dialog-information");
    gtk_dialog_add_button(GTK_DIALOG(box), "_OK", GTK_RESPONSE_OK);
    g_signal_connect(box, "response", G_CALLBACK(OnMessageAnswered), nullptr);
    gtk_widget_show_all(box);
  }

  void AskClose() {
    if (confirm_) return gtk_window_present(GTK_WINDOW(confirm_));
    confirm_ = MessageBox(window_, kBoxTitle, "Server wirklich beenden?", "dialog-question");
    gtk_window_set_modal(GTK_WINDOW(confirm_), TRUE);
    gtk_dialog_add_buttons(GTK_DIALOG(confirm_), "_Ja", GTK_RESPONSE_YES, "_Nein", GTK_RESPONSE_NO, nullptr);
    g_signal_connect(confirm_, "response", G_CALLBACK(OnConfirm), this);
    gtk_widget_show_all(confirm_);
  }

  // Each gadget posts only its own value, so an administrator's change to
  // another one that crosses it is kept.
  void Edited(GtkWidget* gadget) {
    if (updating_) return;
    std::function<void(ServerSettings&)> change;
    if (gadget == passwordBox_) {
      bool on = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(passwordBox_));
      gtk_widget_set_sensitive(passwordEntry_, on);
      change = [on](ServerSettings& s) { s.passwordBox = on; };
    } else if (gadget == hiddenBox_) {
      bool on = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(hiddenBox_));
      change = [on](ServerSettings& s) { s.hidden = on; };
    } else {
      std::string text = Utf8ToLatin1(gtk_entry_get_text(GTK_ENTRY(gadget)));
      if (gadget == passwordEntry_) {
        change = [text](ServerSettings& s) { s.password = text; };
      } else {
        change = [text](ServerSettings& s) { s.adminPassword = text; };
      }
    }
    posted_ = loop_->Shared().Post(std::move(change));
  }

  static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self) {
    auto* w = static_cast<ServerWindow*>(self);
    if (w->phase_ == Phase::kServing) {
      w->AskClose();
    } else if (w->phase_ == Phase::kNaming) {
      gtk_main_quit();
    }
    return TRUE;
  }
  static void OnConfirm(GtkDialog* dialog, int response, gpointer self) {
    auto* w = static_cast<ServerWindow*>(self);
    w->confirm_ = nullptr;
    gtk_widget_destroy(GTK_WIDGET(dialog));
    if (response == GTK_RESPONSE_YES) w->Stop();
  }
  static void OnMessageAnswered(GtkDialog* box, int, gpointer) { gtk_widget_destroy(GTK_WIDGET(box)); }
  static void OnErrorAnswered(GtkDialog*, int, gpointer) { gtk_main_quit(); }
  static gboolean OnSignal(gpointer self) {
    static_cast<ServerWindow*>(self)->Stop();
    return G_SOURCE_CONTINUE;
  }
  static void OnNameChanged(GtkEntry* entry, gpointer self) {
    gtk_widget_set_sensitive(static_cast<ServerWindow*>(self)->button3_,
                             gtk_entry_get_text_length(entry) > 0);
  }
  static void OnStart(GtkWidget*, gpointer self) { static_cast<ServerWindow*>(self)->Start(); }
  static void OnButton3(GtkWidget*, gpointer self) {
    auto* w = static_cast<ServerWindow*>(self);
    if (w->phase_ == Phase::kNaming) return w->Start();
    w->link_.Post([](ServerGame& game) {
      if (game.startRegisterEntry) game.startRegisterEntry();
    });
  }
  static void OnButton6(GtkWidget*, gpointer self) {
    static_cast<ServerWindow*>(self)->link_.Post([](ServerGame& game) {
      if (game.startDeleteEntry) game.startDeleteEntry();
    });
  }
  static void OnEdited(GtkWidget* gadget, gpointer self) { static_cast<ServerWindow*>(self)->Edited(gadget); }
  static gboolean OnDeliver(gpointer self) {
    static_cast<ServerWindow*>(self)->Deliver();
    return G_SOURCE_REMOVE;
  }

  int fixedPort_;
  ServerStartHook onStart_;
  std::string testMessage_;
  bool reportTicks_ = false;
  int exitCode_ = 0;
  Phase phase_ = Phase::kNaming;

  ServerSettings settings_;
  SystemClock clock_;
  Random random_ = Random::FromEntropy();
  std::unique_ptr<ServerLoop> loop_;
  WindowLink link_;
  std::thread thread_;
  std::atomic<bool> stop_{false};

  // Handed from the loop's thread to the window's.
  std::mutex mutex_;
  std::optional<WindowView> view_;
  std::deque<Message> messages_;
  bool quit_ = false;
  bool scheduled_ = false;

  // The window's thread only.
  uint64_t posted_ = 0;
  bool updating_ = false;
  GtkWidget* window_ = nullptr;
  GtkWidget* fixed_ = nullptr;
  GtkWidget* nameLabel_ = nullptr;
  GtkWidget* nameEntry_ = nullptr;
  GtkWidget* button3_ = nullptr;
  GtkWidget* status_ = nullptr;
  GtkWidget* adminEntry_ = nullptr;
  GtkWidget* passwordBox_ = nullptr;
  GtkWidget* passwordEntry_ = nullptr;
  GtkWidget* hiddenBox_ = nullptr;
  GtkWidget* button6_ = nullptr;
  GtkWidget* confirm_ = nullptr;
};

}  // namespace

int RunServerWindow(const ServerSettings& initial, int fixedPort, ServerStartHook onStart) {
  InitNetwork();
  if (!gtk_init_check(nullptr, nullptr)) {
    std::fprintf(stderr, "%s: %s\n", kErrorTitle, Utf8(kNoWindow).c_str());
    return 1;
  }
  ServerWindow window(initial, fixedPort, std::move(onStart));
  return window.Run();
}

}  // namespace kb
