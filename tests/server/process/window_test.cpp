// The server with its window, on a virtual X display: driven with xdotool
// like an operator would, read back through the accessibility tree.

#include <atspi/atspi.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

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
  int screenX = 0, screenY = 0;  // the centre
};

// A top-level window's controls in the order of the tree.
struct TopWindow {
  std::string name;
  std::vector<Gadget> gadgets;

  // The n-th control with this role whose name starts with the given one.
  const Gadget* Find(const std::string& role, const std::string& name = "", int n = 0) const {
    for (const Gadget& g : gadgets)
      if (g.role == role && g.name.starts_with(name) && n-- == 0) return &g;
    return nullptr;
  }
};

std::string Take(gchar* text) {
  std::string s = text ? text : "";
  g_free(text);
  return s;
}

// Calls visit with each child of the node, which it must not keep.
void EachChild(AtspiAccessible* node, const std::function<void(AtspiAccessible*)>& visit) {
  int n = atspi_accessible_get_child_count(node, nullptr);
  for (int i = 0; i < n; ++i) {
    if (AtspiAccessible* child = atspi_accessible_get_child_at_index(node, i, nullptr)) {
      visit(child);
      g_object_unref(child);
    }
  }
}

void Collect(AtspiAccessible* node, TopWindow& window) {
  EachChild(node, [&](AtspiAccessible* child) {
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
      if (AtspiRect* r = atspi_component_get_extents(c, ATSPI_COORD_TYPE_SCREEN, nullptr)) {
        g.screenX = r->x + r->width / 2, g.screenY = r->y + r->height / 2;
        g_free(r);
      }
      g_object_unref(c);
    }
    if (g.role != "panel" && g.role != "filler") window.gadgets.push_back(g);
    Collect(child, window);
  });
}

// The program's top-level window of that name, if it is showing now.
std::optional<TopWindow> WindowNamed(pid_t pid, const std::string& name) {
  std::optional<TopWindow> found;
  AtspiAccessible* desktop = atspi_get_desktop(0);
  EachChild(desktop, [&](AtspiAccessible* app) {
    if (static_cast<pid_t>(atspi_accessible_get_process_id(app, nullptr)) != pid) return;
    EachChild(app, [&](AtspiAccessible* top) {
      AtspiStateSet* states = atspi_accessible_get_state_set(top);
      if (!found && atspi_state_set_contains(states, ATSPI_STATE_SHOWING) &&
          Take(atspi_accessible_get_name(top, nullptr)) == name) {
        found.emplace().name = name;
        Collect(top, *found);
      }
      g_object_unref(states);
    });
  });
  g_object_unref(desktop);
  return found;
}

bool Xdotool(const std::string& args) {
  return std::system(("xdotool " + args + " >/dev/null 2>&1").c_str()) == 0;
}
bool Click(const Gadget* g) {
  return g && Xdotool("mousemove --sync " + std::to_string(g->screenX) + " " + std::to_string(g->screenY) +
                      " click 1");
}

// A virtual display for one test, and the program with its window on it.
class WindowTest : public ::testing::Test {
 protected:
  static constexpr char kTitle[] = "Kringelbahn Server 1.2.4";
  static constexpr char kBox[] = "Kringelbahn Server";

  void SetUp() override {
    if (!OnPath("Xvfb") || !OnPath("xdotool")) KB_SKIP_OR_FAIL("Xvfb and xdotool are needed");
    if (!std::getenv("DBUS_SESSION_BUS_ADDRESS"))
      KB_SKIP_OR_FAIL("no session bus for the accessibility tree");
    // Xvfb names the display it took on its standard output.
    xvfb_.emplace(std::vector<std::string>{"Xvfb", "-displayfd", "1", "-screen", "0", "800x600x24",
                                           "-nolisten", "tcp"});
    std::string number = xvfb_->ReadLine();
    ASSERT_FALSE(number.empty());
    setenv("DISPLAY", (":" + number).c_str(), 1);
    atspi_init();
  }

  std::optional<TopWindow> Named(const std::string& name) { return WindowNamed(server_->Pid(), name); }
  // Waits for a window of that name to show.
  std::optional<TopWindow> Shown(const std::string& name) {
    std::optional<TopWindow> w;
    Eventually([&] { return (w = Named(name)).has_value(); });
    return w;
  }
  bool TypeName(const std::string& name) {
    return Shown(kTitle) &&
           Xdotool("search --sync --name '^" + std::string(kTitle) + "$' windowfocus --sync") &&
           Xdotool("type --delay 5 '" + name + "'") && Xdotool("key Return");
  }
  // The status line of the running server.
  std::string Status() {
    auto w = Named(kTitle);
    const Gadget* g = w ? w->Find("label", "Name: ") : nullptr;
    return g ? g->name : "";
  }
  // Answers a box of that name with this button; true once it is gone.
  bool Answer(const char* box, const char* button) {
    auto w = Shown(box);
    return w && Click(w->Find("push button", button)) && Eventually([&] { return !Named(box); });
  }

  std::optional<testing::ChildProcess> xvfb_, server_;  // in this order: the server ends before its display
};

// One session as an operator runs it: the name first, a message box that
// holds nothing up, the password typed into the window, and closing.
TEST_F(WindowTest, OperatorRunsTheServerFromItsWindow) {
  server_.emplace(std::vector<std::string>{serverBinary, "--port", "0"},
                  std::vector<std::string>{"KRINGELBAHN_TEST_MESSAGE_BOX=Probe"});
  // The name comes first: the start button waits for it.
  auto first = Shown(kTitle);
  ASSERT_TRUE(first && first->Find("text") && first->Find("push button"));
  EXPECT_TRUE(Eventually([&] {  // the focus may come a moment after the window
    auto w = Named(kTitle);
    return w && w->Find("text") && w->Find("text")->focused;
  }));
  EXPECT_FALSE(first->Find("push button")->sensitive);
  ASSERT_TRUE(TypeName("Test Server"));
  std::regex status("Name: Test Server Port: (\\d+) Spieler: 0");
  std::smatch match;
  std::string line;
  ASSERT_TRUE(Eventually([&] { return std::regex_match(line = Status(), match, status); })) << line;
  int port = std::stoi(match[1]);
  auto running = Named(kTitle);
  ASSERT_TRUE(running);
  EXPECT_FALSE(running->Find("text"));  // the name is fixed now
  const Gadget* password = running->Find("password text", "", 1);
  ASSERT_TRUE(password && running->Find("check box", "Passwort:"));
  EXPECT_FALSE(password->sensitive);
  EXPECT_TRUE(running->Find("check box", "Server versteckt")->checked);

  // The loop asked for the box in its first round; it stays open while a whole countdown runs, which only the
  // ticks' clock ends (nobody sends GO). The status line counts the players.
  auto box = Shown(kBox);
  ASSERT_TRUE(box && box->Find("label", "Probe"));
  std::string players = "Name: Test Server Port: " + std::to_string(port) + " Spieler: ";
  WireClient a, b;
  for (WireClient* c : {&a, &b})
    ASSERT_TRUE(c->Connect(port) && c->Send("JOIN") && c->WaitForPrefix("SERVER"));
  EXPECT_TRUE(Eventually([&] { return Status() == players + "2"; })) << Status();
  ASSERT_TRUE(a.WaitFor("MODE^7"));
  EXPECT_TRUE(a.WaitFor("MODE^8", 10000));
  ASSERT_TRUE(Answer(kBox, "OK"));

  // The operator protects the game: a newcomer is asked for the password
  // typed into the window, so the loop has every keystroke.
  ASSERT_TRUE(Click(running->Find("check box", "Passwort:")));
  ASSERT_TRUE(Eventually([&] { return Named(kTitle)->Find("password text", "", 1)->sensitive; }));
  ASSERT_TRUE(Click(password) && Xdotool("type --delay 5 'geheim'"));
  size_t masked = 6 * std::string("\u25cf").size();
  ASSERT_TRUE(Eventually([&] { return Named(kTitle)->Find("password text", "", 1)->text.size() == masked; }));
  std::optional<WireClient> c;
  ASSERT_TRUE(Eventually([&] {
    c.emplace();
    return c->Connect(port) && c->Send("JOIN") && c->Next() == "MODE^19";
  }));
  ASSERT_TRUE(c->Send("PASS", {"geheim"}));
  EXPECT_TRUE(Eventually([&] { return Status() == players + "3"; })) << Status();

  // Closing asks first; "Nein" keeps the server, "Ja" ends it for everyone.
  ASSERT_TRUE(RequestClose(kTitle) && Answer(kBox, "Nein"));
  ASSERT_TRUE(a.Send("PING") && a.WaitFor("PONG"));
  ASSERT_TRUE(RequestClose(kTitle) && Answer(kBox, "Ja"));
  EXPECT_TRUE(a.WaitFor("MODE^21", 5000) && c->WaitFor("MODE^21", 5000));
  EXPECT_TRUE(a.WaitClosed(5000));
  EXPECT_EQ(server_->Finish(0), 0);
}

// Without a display the program says so and ends; a taken port ends it after the error box.
TEST_F(WindowTest, AnErrorEndsTheProgramWith1) {
  testing::ChildProcess headless({"sh", "-c", "DISPLAY= WAYLAND_DISPLAY= exec \"$0\" 2>&1", serverBinary});
  EXPECT_TRUE(headless.ReadLine().starts_with("Fehler: "));
  EXPECT_EQ(headless.Finish(0), 1);
  TcpListener taken;
  ASSERT_TRUE(taken.Open(0));
  server_.emplace(std::vector<std::string>{serverBinary, "--port", std::to_string(taken.Port())});
  ASSERT_TRUE(TypeName("x"));
  auto box = Shown("Fehler");
  ASSERT_TRUE(box);
  EXPECT_TRUE(box->Find("icon", "Warning") || box->Find("icon", "Warnung"));
  EXPECT_FALSE(Named(kTitle));
  ASSERT_TRUE(Answer("Fehler", "OK"));
  EXPECT_EQ(server_->Finish(0), 1);
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
