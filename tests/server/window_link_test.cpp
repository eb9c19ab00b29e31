#include "server/window_link.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "tests/server/loopback_transport.h"

namespace kb {
namespace {

using testing::GameFixture;

TEST(WindowLink, PostedChangesWaitForSyncAndKeepTheirOrder) {
  ServerSettings owned;
  SharedSettings shared(owned);
  uint64_t first = shared.Post([](ServerSettings& s) { s.password = "eins"; });
  uint64_t second = shared.Post([](ServerSettings& s) { s.password = "zwei", s.passwordBox = true; });
  EXPECT_EQ(second, first + 1);
  EXPECT_EQ(owned.password, "");
  uint64_t applied = 99;
  EXPECT_EQ(shared.Snapshot(&applied).password, "");
  EXPECT_EQ(applied, 0u);
  shared.Sync();
  EXPECT_TRUE(owned.PasswordProtected());
  EXPECT_EQ(owned.password, "zwei");
  EXPECT_EQ(shared.Snapshot(&applied).password, "zwei");
  EXPECT_EQ(applied, second);
  // A change the loop's own thread makes shows in the next snapshot.
  owned.hidden = false;
  EXPECT_TRUE(shared.Snapshot().hidden);
  shared.Sync();
  EXPECT_FALSE(shared.Snapshot().hidden);
}

TEST(WindowLink, ViewsComeOnlyWhenSomethingShownChanged) {
  GameFixture f;
  SharedSettings shared(f.settings);
  WindowLink link;
  EntryButtons captions;
  auto first = link.Round(f.game, shared, captions);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->status, "Name: Test Server Port: 666 Spieler: 0");
  EXPECT_EQ(first->buttons, ListButtonsFor(captions, 0));
  EXPECT_FALSE(link.Round(f.game, shared, captions));
  // A join, an administrator's change, the entry state and a window edit
  // each bring a new view.
  f.Join(1, 1);
  auto joined = link.Round(f.game, shared, captions);
  ASSERT_TRUE(joined);
  EXPECT_EQ(joined->status, "Name: Test Server Port: 666 Spieler: 1");
  f.settings.adminPassword = "a";
  f.Admin("LOGIN a");
  f.Admin("HIDE");
  f.Admin("SETPASS neu");
  shared.Sync();
  auto admin = link.Round(f.game, shared, captions);
  ASSERT_TRUE(admin);
  EXPECT_FALSE(admin->settings.hidden);
  EXPECT_TRUE(admin->settings.passwordBox);
  EXPECT_EQ(admin->settings.password, "neu");
  f.game.entryState = -1;
  auto registering = link.Round(f.game, shared, captions);
  ASSERT_TRUE(registering);
  EXPECT_FALSE(registering->buttons.registerEnabled);
  uint64_t posted = shared.Post([](ServerSettings& s) { s.hidden = false; });  // as it was
  shared.Sync();
  auto edited = link.Round(f.game, shared, captions);
  ASSERT_TRUE(edited);
  EXPECT_EQ(edited->applied, posted);
}

// The list buttons as the window shows them while real list tasks run
// against a host that answers when the test says so.
TEST(WindowLink, ListButtonsFollowTheTasksPressedInTheWindow) {
  GameFixture f;
  SharedSettings shared(f.settings);
  ListRegistration registration(f.game, f.settings);
  std::mutex mutex;
  std::condition_variable answered;
  std::deque<std::string> answers;
  registration.exchange = [&](const ListHostAddress&, const std::string&) {
    std::unique_lock lock(mutex);
    answered.wait_for(lock, std::chrono::seconds(10), [&] { return !answers.empty(); });
    std::string a = answers.empty() ? "ERROR" : answers.front();
    if (!answers.empty()) answers.pop_front();
    return a;
  };
  std::vector<std::string> shown;
  registration.show = [&](const OperatorMessage& m) { shown.push_back(m.title + ": " + m.text); };
  f.game.startRegisterEntry = [&] { registration.StartRegister(); };
  f.game.startDeleteEntry = [&] { registration.StartDelete(); };
  WindowLink link;
  auto answer = [&](const std::string& a) {
    std::lock_guard lock(mutex);
    answers.push_back(a);
    answered.notify_all();
  };
  auto finish = [&] {
    for (int i = 0; i < 2000 && registration.Running() > 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    registration.Drain();
    return link.Round(f.game, shared, registration.Buttons()).value_or(WindowView()).buttons;
  };
  using B = ListButtons;
  EXPECT_EQ(link.Round(f.game, shared, registration.Buttons())->buttons,
            (B{"Server eintragen", true, "Eintrag l\xF6schen", false}));
  // A press waits for the loop's round.
  std::thread([&] { link.Post([](ServerGame& g) { g.startRegisterEntry(); }); }).join();
  EXPECT_EQ(registration.Running(), 0);
  EXPECT_EQ(link.Round(f.game, shared, registration.Buttons())->buttons,
            (B{"Server wird eingetragen...", false, "Eintrag l\xF6schen", false}));
  answer("OK");
  EXPECT_EQ(finish(), (B{"Eintrag erneuern", true, "Eintrag l\xF6schen", true}));
  link.Post([](ServerGame& g) { g.startDeleteEntry(); });
  EXPECT_EQ(link.Round(f.game, shared, registration.Buttons())->buttons,
            (B{"Eintrag erneuern", true, "Eintrag wird gel\xF6scht...", false}));
  answer("ERROR");
  EXPECT_EQ(finish(), (B{"Server eintragen", true, "Eintrag wird gel\xF6scht...", false}));
  EXPECT_EQ(shown, (std::vector<std::string>{"Kringelbahn Server: Server erfolgreich eingetragen.",
                                             "Fehler: Der Eintrag konnte nicht gel\xF6scht werden."}));
}

// Run under ThreadSanitizer: the window posts and reads while the loop's
// thread syncs and reads its own settings unguarded.
TEST(WindowLink, WindowAndLoopShareTheSettingsSafely) {
  ServerSettings owned;
  SharedSettings shared(owned);
  std::atomic<bool> done{false};
  std::thread loop([&] {
    while (!done) {
      shared.Sync();
      owned.hidden = !owned.PasswordProtected();
    }
    shared.Sync();
  });
  uint64_t last = 0;
  for (int i = 1; i <= 2000; ++i) {
    last = shared.Post([i](ServerSettings& s) { s.password = std::to_string(i), s.passwordBox = i % 2; });
    ServerSettings seen = shared.Snapshot();
    EXPECT_TRUE(seen.password.empty() || std::stoi(seen.password) <= i);
  }
  done = true;
  loop.join();
  uint64_t applied = 0;
  ServerSettings final = shared.Snapshot(&applied);
  EXPECT_EQ(applied, last);
  EXPECT_EQ(final.password, "2000");
}

}  // namespace
}  // namespace kb
