// The server with its window, on a virtual X display: driven with xdotool
// like an operator would, read back through the accessibility tree.

#include <atspi/atspi.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "common/net/discovery.h"
#include "common/platform/core/poller.h"
#include "common/platform/core/socket.h"
#include "tests/server/wire_client.h"
#include "tests/support/child_process.h"
#include "tests/support/environment.h"

namespace kb {

// What a window manager sends when its close button is pressed (close_request.cpp).
bool RequestClose(const std::string& title);

namespace {

using testing::WireClient;
const char* serverBinary = nullptr;

bool OnPath(const char* program) {
  return std::system(("command -v " + std::string(program) + " >/dev/null 2>&1").c_str()) == 0;
}

// Polls the condition every 50 ms for at most timeoutMs.
bool Eventually(const std::function<bool()>& condition, int timeoutMs = 10000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

struct Gadget {
  std::string role, name, text;
  bool sensitive = false, checked = false, focused = false;
  int x = 0, y = 0, w = 0, h = 0;  // in the window
  int screenX = 0, screenY = 0;
};

struct TopWindow {
  std::string role, name;
  int w = 0, h = 0;
  std::vector<Gadget> gadgets;

  const Gadget* Find(const std::string& role, const std::string& name = "", int y = -1) const {
    for (const Gadget& g : gadgets)
      if (g.role == role && (name.empty() || g.name == name) && (y < 0 || g.y == y)) return &g;
    return nullptr;
  }
};

std::string Take(gchar* text) {
  std::string s = text ? text : "";
  g_free(text);
  return s;
}

void Collect(AtspiAccessible* node, TopWindow& window) {
  int n = atspi_accessible_get_child_count(node, nullptr);
  for (int i = 0; i < n; ++i) {
    AtspiAccessible* child = atspi_accessible_get_child_at_index(node, i, nullptr);
    if (!child) continue;
    Gadget g;
    g.role = Take(atspi_accessible_get_role_name(child, nullptr));
    g.name = Take(atspi_accessible_get_name(child, nullptr));
    if (AtspiText* text = atspi_accessible_get_text_iface(child)) {
      g.text = Take(atspi_text_get_text(text, 0, -1, nullptr));
      g_object_unref(text);
    }
    AtspiStateSet* states = atspi_accessible_get_state_set(child);
    g.sensitive = atspi_state_set_contains(states, ATSPI_STATE_SENSITIVE);
    g.checked = atspi_state_set_contains(states, ATSPI_STATE_CHECKED);
    g.focused = atspi_state_set_contains(states, ATSPI_STATE_FOCUSED);
    g_object_unref(states);
    if (AtspiComponent* c = atspi_accessible_get_component_iface(child)) {
      if (AtspiRect* r = atspi_component_get_extents(c, ATSPI_COORD_TYPE_WINDOW, nullptr)) {
        g.x = r->x, g.y = r->y, g.w = r->width, g.h = r->height;
        g_free(r);
      }
      if (AtspiRect* r = atspi_component_get_extents(c, ATSPI_COORD_TYPE_SCREEN, nullptr)) {
        g.screenX = r->x + r->width / 2, g.screenY = r->y + r->height / 2;
        g_free(r);
      }
      g_object_unref(c);
    }
    if (g.role != "panel" && g.role != "filler") window.gadgets.push_back(g);
    Collect(child, window);
    g_object_unref(child);
  }
}

// The program's top-level windows that are showing, as the accessibility tree has them now.
std::vector<TopWindow> Windows(pid_t pid) {
  std::vector<TopWindow> windows;
  AtspiAccessible* desktop = atspi_get_desktop(0);
  int apps = atspi_accessible_get_child_count(desktop, nullptr);
  for (int i = 0; i < apps; ++i) {
    AtspiAccessible* app = atspi_accessible_get_child_at_index(desktop, i, nullptr);
    if (!app) continue;
    if (static_cast<pid_t>(atspi_accessible_get_process_id(app, nullptr)) == pid) {
      int n = atspi_accessible_get_child_count(app, nullptr);
      for (int k = 0; k < n; ++k) {
        AtspiAccessible* top = atspi_accessible_get_child_at_index(app, k, nullptr);
        if (!top) continue;
        AtspiStateSet* states = atspi_accessible_get_state_set(top);
        if (atspi_state_set_contains(states, ATSPI_STATE_SHOWING)) {
          TopWindow w;
          w.role = Take(atspi_accessible_get_role_name(top, nullptr));
          w.name = Take(atspi_accessible_get_name(top, nullptr));
          if (AtspiComponent* c = atspi_accessible_get_component_iface(top)) {
            if (AtspiRect* r = atspi_component_get_extents(c, ATSPI_COORD_TYPE_WINDOW, nullptr))
              w.w = r->width, w.h = r->height, g_free(r);
            g_object_unref(c);
          }
          Collect(top, w);
          windows.push_back(std::move(w));
        }
        g_object_unref(states);
        g_object_unref(top);
      }
    }
    g_object_unref(app);
  }
  g_object_unref(desktop);
  return windows;
}

std::optional<TopWindow> WindowNamed(pid_t pid, const std::string& name) {
  for (TopWindow& w : Windows(pid))
    if (w.name == name) return w;
  return std::nullopt;
}

bool Xdotool(const std::string& args) {
  return std::system(("xdotool " + args + " >/dev/null 2>&1").c_str()) == 0;
}
bool Click(const Gadget& g) {
  return Xdotool("mousemove --sync " + std::to_string(g.screenX) + " " + std::to_string(g.screenY) +
                 " click 1");
}

// One LAN search: the answer of the server with this port, if it gave one.
std::optional<std::string> Discover(int port, int timeoutMs = 300) {
  UdpSocket answers;
  if (!answers.Open(kDiscoveryAnswerPort)) return std::nullopt;
  Broadcast(kDiscoveryRequestPort, kDiscoveryRequest);
  Poller poller;
  poller.Add(answers.Fd(), true, false);
  std::string needle = "^";
  needle += std::to_string(port);
  needle += '^';
  char buffer[512];
  while (poller.Wait(timeoutMs) > 0) {
    long n = answers.Receive(buffer, sizeof buffer);
    if (n < 0) break;
    std::string answer = testing::Readable(std::string(buffer, static_cast<size_t>(n)));
    if (answer.find(needle) != std::string::npos) return answer;
  }
  return std::nullopt;
}

// A virtual display for one test, and the program with its window on it.
class WindowTest : public ::testing::Test {
 protected:
  static constexpr char kTitle[] = "Kringelbahn Server 1.2.4";

  void SetUp() override {
    if (!OnPath("Xvfb") || !OnPath("xdotool")) KB_SKIP_OR_FAIL("Xvfb and xdotool are needed");
    if (!std::getenv("DBUS_SESSION_BUS_ADDRESS")) KB_SKIP_OR_FAIL("no session bus for the accessibility tree");
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::string fd = std::to_string(fds[1]);
    xvfb_.emplace(
        std::vector<std::string>{"Xvfb", "-displayfd", fd, "-screen", "0", "800x600x24", "-nolisten", "tcp"});
    close(fds[1]);
    Poller poller;
    poller.Add(fds[0], true, false);
    char number[16] = {};
    ASSERT_GT(poller.Wait(10000), 0);
    ASSERT_GT(read(fds[0], number, sizeof number - 1), 0);
    close(fds[0]);
    display_ = ":" + std::string(number, strcspn(number, "\n"));
    setenv("DISPLAY", display_.c_str(), 1);
    atspi_init();
  }
  void TearDown() override {
    server_.reset();
    xvfb_.reset();
  }

  void StartServer(std::vector<std::string> env = {}, int port = 0) {
    server_.emplace(std::vector<std::string>{serverBinary, "--port", std::to_string(port)}, env);
  }
  std::optional<TopWindow> Main() { return WindowNamed(server_->Pid(), kTitle); }
  // Types the name and presses Return; the port the status line shows.
  int StartNamed(const std::string& name) {
    EXPECT_TRUE(Eventually([&] { return Main().has_value(); }));
    EXPECT_TRUE(Xdotool("search --sync --name '^" + std::string(kTitle) + "$' windowfocus --sync"));
    EXPECT_TRUE(Xdotool("type --delay 5 '" + name + "'"));
    EXPECT_TRUE(Xdotool("key Return"));
    std::regex status("Name: " + name + " Port: (\\d+) Spieler: 0");
    std::smatch match;
    std::string line;
    EXPECT_TRUE(Eventually([&] {
      auto w = Main();
      const Gadget* g = w ? w->Find("label", "", 5) : nullptr;
      return g && std::regex_match(line = g->name, match, status);
    })) << line;
    return match.empty() ? 0 : std::stoi(match[1]);
  }

  std::optional<testing::ChildProcess> xvfb_, server_;
  std::string display_;
};

TEST_F(WindowTest, OperatorRunsTheServerFromItsWindow) {
  StartServer();
  // The first window: the name field has the focus, the button waits for a name.
  ASSERT_TRUE(Eventually([&] { return Main().has_value(); }));
  auto first = Main();
  EXPECT_EQ(first->w, 300);
  EXPECT_EQ(first->h, 49);
  const Gadget* field = first->Find("text");
  const Gadget* start = first->Find("push button", "Server starten");
  ASSERT_TRUE(field && start && first->Find("label", "Name:"));
  EXPECT_TRUE(field->focused);
  EXPECT_FALSE(start->sensitive);
  EXPECT_EQ(std::vector<int>({field->x, field->y, field->w, field->h}), std::vector<int>({40, 3, 257, 20}));
  EXPECT_EQ(std::vector<int>({start->x, start->y, start->w, start->h}), std::vector<int>({3, 26, 294, 20}));
  // Return with an empty name does nothing.
  ASSERT_TRUE(Xdotool("search --sync --name '^" + std::string(kTitle) + "$' windowfocus --sync"));
  ASSERT_TRUE(Xdotool("key Return"));
  ASSERT_TRUE(Xdotool("type 'x'"));
  ASSERT_TRUE(Eventually([&] { return Main()->Find("push button", "Server starten")->sensitive; }));
  ASSERT_TRUE(Xdotool("key BackSpace"));
  ASSERT_TRUE(Eventually([&] { return !Main()->Find("push button", "Server starten")->sensitive; }));
  EXPECT_EQ(Main()->h, 49);

  int port = StartNamed("Test Server");
  ASSERT_GT(port, 0);
  auto second = Main();
  ASSERT_TRUE(second);
  EXPECT_EQ(second->w, 300);
  EXPECT_EQ(second->h, 141);
  struct Expected {
    const char* role;
    const char* name;
    int x, y, w, h;
    bool sensitive, checked;
  };
  for (const Expected& e : std::initializer_list<Expected>{
           {"label", "Adminpasswort:", 3, 26, 74, 20, true, false},
           {"password text", "", 80, 26, 217, 20, true, false},
           {"check box", "Passwort:", 3, 49, 65, 20, true, false},
           {"password text", "", 71, 49, 226, 20, false, false},
           {"check box", "Server versteckt (Wird nicht angezeigt)", 3, 72, 200, 20, true, true},
           {"push button", "Server eintragen", 3, 95, 294, 20, true, false},
           {"push button", "Eintrag l\u00f6schen", 3, 118, 294, 20, false, false},
       }) {
    const Gadget* g = second->Find(e.role, e.name, e.y);
    ASSERT_TRUE(g) << e.role << " " << e.name;
    EXPECT_EQ(std::vector<int>({g->x, g->w, g->h}), std::vector<int>({e.x, e.w, e.h})) << e.name;
    EXPECT_EQ(g->sensitive, e.sensitive) << e.role << " " << e.name;
    EXPECT_EQ(g->checked, e.checked) << e.role << " " << e.name;
  }
  EXPECT_FALSE(second->Find("text"));  // the name field is gone

  // A client joins and the status line counts it.
  std::string players = "Name: Test Server Port: " + std::to_string(port) + " Spieler: ";
  auto status = [&] {
    auto w = Main();
    const Gadget* g = w ? w->Find("label", "", 5) : nullptr;
    return g ? g->name : "";
  };
  WireClient a;
  ASSERT_TRUE(a.Connect(port) && a.Send("JOIN"));
  EXPECT_EQ(a.Next(), "MODE^10");
  EXPECT_TRUE(a.WaitFor("SERVER^Test%20Server"));
  EXPECT_TRUE(Eventually([&] { return status() == players + "1"; })) << status();

  // The operator sets an administrator password and a game password.
  ASSERT_TRUE(Click(*second->Find("password text", "", 26)));
  ASSERT_TRUE(Xdotool("type --delay 5 'chef'"));
  ASSERT_TRUE(Click(*second->Find("check box", "Passwort:")));
  ASSERT_TRUE(Eventually([&] { return Main()->Find("password text", "", 49)->sensitive; }));
  ASSERT_TRUE(Click(*second->Find("password text", "", 49)));
  ASSERT_TRUE(Xdotool("type --delay 5 'geheim'"));
  // Every keystroke is on its way once the field shows six characters; a
  // newcomer asked for the password shows that the loop has them all, the
  // administrator password typed before included.
  auto masked = [](size_t n) { return n * std::string("\u25cf").size(); };
  ASSERT_TRUE(Eventually([&] { return Main()->Find("password text", "", 49)->text.size() == masked(6); }));
  std::optional<WireClient> b;
  ASSERT_TRUE(Eventually([&] {
    b.emplace();
    return b->Connect(port) && b->Send("JOIN") && b->Next() == "MODE^19";
  }));
  EXPECT_EQ(b->Next(), "SERVER^Test%20Server");
  ASSERT_TRUE(a.Send("ADMIN", {"LOGIN chef"}) && a.Send("ADMIN", {"PASS"}));
  EXPECT_TRUE(a.WaitFor("ADMIN^Du hast dich erfolgreich eingeloggt.^65280"));
  EXPECT_EQ(a.Next(), "ADMIN^Das Serverpasswort ist \"geheim\".^65280");
  ASSERT_TRUE(b->Send("PASS", {"geheim"}));
  EXPECT_EQ(b->Next(), "MODE^10");
  EXPECT_TRUE(Eventually([&] { return status() == players + "2"; })) << status();

  // Hidden at start; unticked, the server answers a LAN search.
  EXPECT_FALSE(Discover(port));
  ASSERT_TRUE(Click(*second->Find("check box", "Server versteckt (Wird nicht angezeigt)")));
  std::optional<std::string> answer;
  ASSERT_TRUE(Eventually([&] { return (answer = Discover(port)).has_value(); }));
  EXPECT_EQ(*answer, "KRINGELBAHN SERVER^Test%20Server^" + std::to_string(port) + "^2^1");

  // Administrator commands show in the window.
  ASSERT_TRUE(a.Send("ADMIN", {"HIDE"}) && a.Send("ADMIN", {"SETPASS"}) && a.Send("ADMIN", {"SETADPASS xy"}));
  EXPECT_TRUE(a.WaitFor("ADMIN^Das Adminpasswort wurde ge\xE4ndert.^65280"));
  EXPECT_TRUE(Eventually([&] {
    auto w = Main();
    return w->Find("check box", "Server versteckt (Wird nicht angezeigt)")->checked &&
           !w->Find("check box", "Passwort:")->checked && !w->Find("password text", "", 49)->sensitive &&
           w->Find("password text", "", 26)->text.size() == masked(2);
  }));
  EXPECT_FALSE(Discover(port));

  // Closing asks first; "Nein" keeps the server, "Ja" ends it for everyone.
  ASSERT_TRUE(RequestClose(kTitle));
  std::optional<TopWindow> ask;
  ASSERT_TRUE(
      Eventually([&] { return (ask = WindowNamed(server_->Pid(), "Kringelbahn Server")).has_value(); }));
  EXPECT_TRUE(ask->Find("label", "Server wirklich beenden?"));
  ASSERT_TRUE(Click(*ask->Find("push button", "Nein")));
  ASSERT_TRUE(Eventually([&] { return !WindowNamed(server_->Pid(), "Kringelbahn Server"); }));
  ASSERT_TRUE(a.Send("PING"));
  EXPECT_TRUE(a.WaitFor("PONG"));
  ASSERT_TRUE(RequestClose(kTitle));
  ASSERT_TRUE(
      Eventually([&] { return (ask = WindowNamed(server_->Pid(), "Kringelbahn Server")).has_value(); }));
  ASSERT_TRUE(Click(*ask->Find("push button", "Ja")));
  EXPECT_TRUE(a.WaitFor("MODE^21", 5000) && b->WaitFor("MODE^21", 5000));
  EXPECT_TRUE(a.WaitClosed(5000));
  EXPECT_EQ(server_->Finish(0), 0);
}

TEST_F(WindowTest, TicksGoOnWhileAMessageBoxIsOpen) {
  StartServer({"KRINGELBAHN_TEST_MESSAGE_BOX=Probe", "KRINGELBAHN_TICK_STATS=1"});
  int port = StartNamed("Box");
  ASSERT_GT(port, 0);
  // The loop asked for the box in its first round; it stays open.
  std::optional<TopWindow> box;
  ASSERT_TRUE(
      Eventually([&] { return (box = WindowNamed(server_->Pid(), "Kringelbahn Server")).has_value(); }));
  EXPECT_TRUE(box->Find("label", "Probe"));
  // A whole countdown runs, tick by tick, while nobody closes the box:
  // nobody sends GO, so only the ticks' clock ends it.
  WireClient a, b;
  for (WireClient* c : {&a, &b})
    ASSERT_TRUE(c->Connect(port) && c->Send("JOIN") && c->WaitForPrefix("SERVER"));
  ASSERT_TRUE(a.WaitFor("MODE^7"));
  std::vector<int> times;
  while (auto m = a.Next(2000)) {
    if (m->starts_with("TIME^")) times.push_back(std::stoi(m->substr(5)));
    if (*m == "MODE^8") break;
  }
  ASSERT_GE(times.size(), 2u);
  EXPECT_TRUE(std::is_sorted(times.rbegin(), times.rend()));
  EXPECT_GT(times.front(), 4000);
  EXPECT_LT(times.back(), 1000);
  ASSERT_TRUE(a.Send("PING"));
  EXPECT_TRUE(a.WaitFor("PONG"));
  EXPECT_TRUE(WindowNamed(server_->Pid(), "Kringelbahn Server"));
  // SIGTERM ends it like a confirmed close.
  EXPECT_EQ(server_->Finish(SIGTERM), 0);
  std::string stats = server_->ReadLine(1000);
  std::smatch match;
  ASSERT_TRUE(std::regex_search(stats, match, std::regex("ticks (\\d+), latest start (-?\\d+) ms late")))
      << stats;
  EXPECT_GE(std::stoi(match[1]), static_cast<int>(times.size()));
  RecordProperty("latest_tick_ms", match[2].str());
  std::printf("%s\n", stats.c_str());
  EXPECT_EQ(server_->ReadLine(1000), "shutting down: SIGTERM");
  EXPECT_TRUE(a.WaitFor("MODE^21", 5000));
}

// A list host on loopback that answers every request with the given result
// and keeps the request lines.
class FakeListHost {
 public:
  FakeListHost() {
    listener_.Open(0);
    thread_ = std::thread([this] { Serve(); });
  }
  ~FakeListHost() {
    stop_ = true;
    thread_.join();
  }
  int Port() const { return listener_.Port(); }
  std::vector<std::string> Requests() {
    std::lock_guard lock(mutex_);
    return requests_;
  }

 private:
  void Serve() {
    Poller poller;
    poller.Add(listener_.Fd(), true, false);
    while (!stop_) {
      if (poller.Wait(50) <= 0) continue;
      std::unique_ptr<TcpConnection> c;
      if (listener_.Accept(&c) != AcceptResult::kConnection) continue;
      std::string request;
      char buffer[1024];
      Poller one;
      one.Add(c->Fd(), true, false);
      while (request.find("\r\n\r\n") == std::string::npos && one.Wait(5000) > 0) {
        long n = c->Receive(buffer, sizeof buffer);
        if (n <= 0) break;
        request.append(buffer, static_cast<size_t>(n));
      }
      {
        std::lock_guard lock(mutex_);
        requests_.push_back(request.substr(0, request.find("\r\n")));
      }
      c->Send("HTTP/1.0 200 OK\r\n\r\n[data]OK[/data]");
      c->Drain(2000);
    }
  }
  TcpListener listener_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::mutex mutex_;
  std::vector<std::string> requests_;
};

TEST_F(WindowTest, ListButtonsRegisterAndDeleteAndTheExitDeletes) {
  FakeListHost host;
  std::string address = "127.0.0.1:" + std::to_string(host.Port());
  StartServer({"KRINGELBAHN_LIST_HOST=" + address, "KRINGELBAHN_LIST_DELETE_HOST=" + address});
  int port = StartNamed("Liste");
  ASSERT_GT(port, 0);
  const std::string reg =
      "GET /kringel_server.php?m=reg&name=Liste&port=" + std::to_string(port) + "&pass=0 HTTP/1.0";
  const std::string del = "GET /kringel_server.php?m=del&port=" + std::to_string(port) + " HTTP/1.0";
  // Each answer comes as an information box; OK closes it.
  auto answered = [&](const std::string& text) {
    std::optional<TopWindow> box;
    if (!Eventually([&] { return (box = WindowNamed(server_->Pid(), "Kringelbahn Server")).has_value(); }))
      return false;
    bool right = box->Find("label", text) && box->Find("icon", "Information");
    return Click(*box->Find("push button", "OK")) &&
           Eventually([&] { return !WindowNamed(server_->Pid(), "Kringelbahn Server"); }) && right;
  };
  auto buttons = [&](bool registerOn, const std::string& deleteCaption, bool deleteOn) {
    return Eventually([&] {
      auto w = Main();
      const Gadget* b3 = w ? w->Find("push button", "", 95) : nullptr;
      const Gadget* b6 = w ? w->Find("push button", "", 118) : nullptr;
      return b3 && b6 && b3->sensitive == registerOn && b6->name == deleteCaption &&
             b6->sensitive == deleteOn;
    });
  };
  ASSERT_TRUE(Click(*Main()->Find("push button", "Server eintragen")));
  ASSERT_TRUE(answered("Server erfolgreich eingetragen."));
  EXPECT_TRUE(Main()->Find("push button", "Eintrag erneuern"));
  EXPECT_TRUE(buttons(true, "Eintrag l\u00f6schen", true));
  ASSERT_TRUE(Click(*Main()->Find("push button", "Eintrag l\u00f6schen")));
  ASSERT_TRUE(answered("Der Eintrag wurde gel\u00f6scht."));
  EXPECT_TRUE(buttons(true, "Eintrag l\u00f6schen", false));
  EXPECT_TRUE(Main()->Find("push button", "Server eintragen"));
  ASSERT_TRUE(Click(*Main()->Find("push button", "Server eintragen")));
  ASSERT_TRUE(answered("Server erfolgreich eingetragen."));
  // Registered at the close: the short deletion goes out before the exit.
  ASSERT_TRUE(RequestClose(kTitle));
  std::optional<TopWindow> ask;
  ASSERT_TRUE(
      Eventually([&] { return (ask = WindowNamed(server_->Pid(), "Kringelbahn Server")).has_value(); }));
  ASSERT_TRUE(Click(*ask->Find("push button", "Ja")));
  EXPECT_EQ(server_->Finish(0), 0);
  EXPECT_TRUE(Eventually([&] { return host.Requests().size() == 4; }));
  EXPECT_EQ(host.Requests(),
            (std::vector<std::string>{
                reg, del, reg, "GET /kringel_server.php?m=del&port=" + std::to_string(port) + " HTTP/1.1"}));
}

TEST_F(WindowTest, ATakenPortEndsTheProgramAfterTheErrorBox) {
  TcpListener taken;
  ASSERT_TRUE(taken.Open(0));
  StartServer({}, taken.Port());
  ASSERT_TRUE(Eventually([&] { return Main().has_value(); }));
  ASSERT_TRUE(Xdotool("search --sync --name '^" + std::string(kTitle) + "$' windowfocus --sync"));
  ASSERT_TRUE(Xdotool("type 'x'") && Xdotool("key Return"));
  std::optional<TopWindow> box;
  ASSERT_TRUE(Eventually([&] { return (box = WindowNamed(server_->Pid(), "Fehler")).has_value(); }));
  EXPECT_TRUE(box->Find("label", "Es konnte kein Server erstellt werden."));
  EXPECT_TRUE(box->Find("icon", "Warning") || box->Find("icon", "Warnung"));
  EXPECT_FALSE(Main());
  ASSERT_TRUE(Click(*box->Find("push button", "OK")));
  EXPECT_EQ(server_->Finish(0), 1);
}

TEST(WindowWithoutDisplay, SaysSoAndEnds) {
  testing::ChildProcess server({"sh", "-c", "DISPLAY= WAYLAND_DISPLAY= exec \"$0\" 2>&1", serverBinary});
  EXPECT_EQ(server.ReadLine(), "Fehler: Es konnte kein Fenster ge\u00f6ffnet werden.");
  EXPECT_EQ(server.Finish(0), 1);
}

}  // namespace
}  // namespace kb

int main(int argc, char** argv) {
  // The accessibility tree needs a session bus: run again inside one.
  if (!std::getenv("DBUS_SESSION_BUS_ADDRESS") && !std::getenv("KB_IN_SESSION") &&
      kb::OnPath("dbus-run-session")) {
    setenv("KB_IN_SESSION", "1", 1);
    std::vector<char*> args{const_cast<char*>("dbus-run-session"), const_cast<char*>("--")};
    for (int i = 0; i < argc; ++i) args.push_back(argv[i]);
    args.push_back(nullptr);
    execvp(args[0], args.data());
  }
  ::testing::InitGoogleTest(&argc, argv);
  if (argc > 1) kb::serverBinary = argv[1];
  setenv("KRINGELBAHN_BROADCAST_ADDRESS", "127.255.255.255", 1);
  unsetenv("NO_AT_BRIDGE");
  return RUN_ALL_TESTS();
}
