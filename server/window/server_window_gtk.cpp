#include <glib-unix.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <string>

#include "common/net/web_list.h"
#include "common/platform/core/latin1.h"
#include "common/platform/core/socket.h"
#include "server/window/server_window.h"
#include "server/window/window_layout.h"
#include "server/window/window_session.h"

namespace kb {
namespace {

using namespace layout;

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

class ServerWindow final : public WindowToolkit {
 public:
  ServerWindow(const ServerSettings& initial, int fixedPort, ServerStartHook onStart)
      : session_(*this, initial, fixedPort, std::move(onStart), [this] { g_idle_add(OnDeliver, this); }) {}

  int Run() {
    GtkCssProvider* css = gtk_css_provider_new();
    gtk_css_provider_load_from_data(css, kStyle, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(css);
    BuildNameWindow();
    g_unix_signal_add(SIGINT, OnSigint, this);
    g_unix_signal_add(SIGTERM, OnSigterm, this);
    gtk_main();
    session_.Join();
    if (window_) gtk_widget_destroy(window_);
    return session_.ExitCode();
  }

 private:
  GtkWidget* Place(GtkWidget* widget, const Gadget& at) {
    gtk_widget_set_size_request(widget, at.w, at.h);
    gtk_fixed_put(GTK_FIXED(fixed_), widget, at.x, at.y);
    return widget;
  }
  GtkWidget* Label(const char* text) {
    GtkWidget* label = gtk_label_new(Utf8(text).c_str());
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
    gtk_widget_set_size_request(fixed_, kWidth, kNamingHeight);
    gtk_container_add(GTK_CONTAINER(window_), fixed_);
    nameLabel_ = Place(Label(kNameLabel.text), kNameLabel);
    nameEntry_ = Place(Entry(false), kNameField);
    // A character is one Latin-1 byte on the wire: the entry holds no more
    // than the Internet list takes.
    gtk_entry_set_max_length(GTK_ENTRY(nameEntry_), kListNameBytes);
    button3_ = Place(gtk_button_new_with_label(Utf8(kStartButton.text).c_str()), kStartButton);
    gtk_widget_set_sensitive(button3_, FALSE);
    g_signal_connect(window_, "delete-event", G_CALLBACK(OnDelete), this);
    g_signal_connect(nameEntry_, "changed", G_CALLBACK(OnNameChanged), this);
    g_signal_connect(nameEntry_, "activate", G_CALLBACK(OnStart), this);
    g_signal_connect(button3_, "clicked", G_CALLBACK(OnButton3), this);
    gtk_widget_show_all(window_);
    gtk_widget_grab_focus(nameEntry_);
  }

  std::string TypedName() override { return gtk_entry_get_text(GTK_ENTRY(nameEntry_)); }

  void BuildServingWindow() override {
    gtk_widget_destroy(nameLabel_);
    gtk_widget_destroy(nameEntry_);
    nameLabel_ = nameEntry_ = nullptr;
    gtk_fixed_move(GTK_FIXED(fixed_), button3_, kRegisterButton.x, kRegisterButton.y);
    gtk_button_set_label(GTK_BUTTON(button3_), Utf8(kRegisterButton.text).c_str());
    status_ = Place(Label(kStatusLine.text), kStatusLine);
    gtk_label_set_ellipsize(GTK_LABEL(status_), PANGO_ELLIPSIZE_END);
    Place(Label(kAdminLabel.text), kAdminLabel);
    adminEntry_ = Place(Entry(true), kAdminField);
    passwordBox_ = Place(gtk_check_button_new_with_label(Utf8(kPasswordBox.text).c_str()), kPasswordBox);
    passwordEntry_ = Place(Entry(true), kPasswordField);
    gtk_widget_set_sensitive(passwordEntry_, FALSE);
    hiddenBox_ = Place(gtk_check_button_new_with_label(Utf8(kHiddenBox.text).c_str()), kHiddenBox);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(hiddenBox_), TRUE);
    button6_ = Place(gtk_button_new_with_label(Utf8(kDeleteButton.text).c_str()), kDeleteButton);
    gtk_widget_set_sensitive(button6_, FALSE);
    g_signal_connect(adminEntry_, "changed", G_CALLBACK(OnEdited), this);
    g_signal_connect(passwordEntry_, "changed", G_CALLBACK(OnEdited), this);
    g_signal_connect(passwordBox_, "toggled", G_CALLBACK(OnEdited), this);
    g_signal_connect(hiddenBox_, "toggled", G_CALLBACK(OnEdited), this);
    g_signal_connect(button6_, "clicked", G_CALLBACK(OnButton6), this);
    gtk_widget_set_size_request(fixed_, kWidth, kServingHeight);
    gtk_widget_show_all(window_);
    gtk_widget_grab_focus(adminEntry_);
  }

  void ReportNoServer() override {
    GtkWidget* box = MessageBox(nullptr, kErrorTitle, kNoServer, "dialog-warning");
    gtk_dialog_add_button(GTK_DIALOG(box), "_OK", GTK_RESPONSE_OK);
    g_signal_connect(box, "response", G_CALLBACK(OnErrorAnswered), nullptr);
    gtk_widget_show_all(box);
  }

  void Hide() override {
    if (confirm_) gtk_widget_destroy(confirm_), confirm_ = nullptr;
    gtk_widget_hide(window_);
  }

  void Quit() override { gtk_main_quit(); }

  void ShowView(const WindowView& view, bool settingsToo) override {
    gtk_label_set_text(GTK_LABEL(status_), Utf8(view.status).c_str());
    if (settingsToo) {
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
  }

  static void SetText(GtkWidget* entry, const std::string& latin1) {
    std::string text = Utf8(latin1);
    if (text != gtk_entry_get_text(GTK_ENTRY(entry))) gtk_entry_set_text(GTK_ENTRY(entry), text.c_str());
  }

  // Message boxes stay open without holding anything up: not modal, closed
  // by their own button.
  void ShowMessage(const WindowMessage& m) override {
    bool closing = session_.phase() == WindowSession::Phase::kClosing;
    GtkWidget* box = MessageBox(closing ? nullptr : window_, m.title, m.text,
                                m.warning ? "dialog-warning" : "dialog-information");
    gtk_dialog_add_button(GTK_DIALOG(box), "_OK", GTK_RESPONSE_OK);
    g_signal_connect(box, "response", G_CALLBACK(OnMessageAnswered), nullptr);
    gtk_widget_show_all(box);
  }

  void AskClose() override {
    if (confirm_) return gtk_window_present(GTK_WINDOW(confirm_));
    confirm_ = MessageBox(window_, kBoxTitle, kReallyStop, "dialog-question");
    gtk_window_set_modal(GTK_WINDOW(confirm_), TRUE);
    gtk_dialog_add_buttons(GTK_DIALOG(confirm_), "_Ja", GTK_RESPONSE_YES, "_Nein", GTK_RESPONSE_NO, nullptr);
    g_signal_connect(confirm_, "response", G_CALLBACK(OnConfirm), this);
    gtk_widget_show_all(confirm_);
  }

  void Edited(GtkWidget* gadget) {
    using Gadget = WindowSession::Gadget;
    if (gadget == passwordBox_ || gadget == hiddenBox_) {
      bool on = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(gadget));
      if (gadget == passwordBox_ && session_.TakesEdits()) gtk_widget_set_sensitive(passwordEntry_, on);
      session_.SwitchEdited(gadget == passwordBox_ ? Gadget::kPasswordBox : Gadget::kHiddenBox, on);
    } else {
      session_.TextEdited(gadget == passwordEntry_ ? Gadget::kPassword : Gadget::kAdminPassword,
                          Utf8ToLatin1(gtk_entry_get_text(GTK_ENTRY(gadget))));
    }
  }

  static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self) {
    static_cast<ServerWindow*>(self)->session_.Close();
    return TRUE;
  }
  static void OnConfirm(GtkDialog* dialog, int response, gpointer self) {
    auto* w = static_cast<ServerWindow*>(self);
    w->confirm_ = nullptr;
    gtk_widget_destroy(GTK_WIDGET(dialog));
    if (response == GTK_RESPONSE_YES) w->session_.CloseConfirmed();
  }
  static void OnMessageAnswered(GtkDialog* box, int, gpointer) { gtk_widget_destroy(GTK_WIDGET(box)); }
  static void OnErrorAnswered(GtkDialog*, int, gpointer) { gtk_main_quit(); }
  static gboolean OnSigint(gpointer self) {
    static_cast<ServerWindow*>(self)->session_.Stop("SIGINT");
    return G_SOURCE_CONTINUE;
  }
  static gboolean OnSigterm(gpointer self) {
    static_cast<ServerWindow*>(self)->session_.Stop("SIGTERM");
    return G_SOURCE_CONTINUE;
  }
  static void OnNameChanged(GtkEntry* entry, gpointer self) {
    gtk_widget_set_sensitive(static_cast<ServerWindow*>(self)->button3_,
                             gtk_entry_get_text_length(entry) > 0);
  }
  static void OnStart(GtkWidget*, gpointer self) { static_cast<ServerWindow*>(self)->session_.Start(); }
  static void OnButton3(GtkWidget*, gpointer self) {
    static_cast<ServerWindow*>(self)->session_.PressStartOrRegister();
  }
  static void OnButton6(GtkWidget*, gpointer self) {
    static_cast<ServerWindow*>(self)->session_.PressDelete();
  }
  static void OnEdited(GtkWidget* gadget, gpointer self) { static_cast<ServerWindow*>(self)->Edited(gadget); }
  static gboolean OnDeliver(gpointer self) {
    static_cast<ServerWindow*>(self)->session_.Deliver();
    return G_SOURCE_REMOVE;
  }

  WindowSession session_;
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
