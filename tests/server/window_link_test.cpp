#include "server/window_link.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/server/loopback_transport.h"

namespace kb {
namespace {

using testing::GameFixture;

TEST(WindowLink, ListButtonsFollowTheEntryState) {
  struct Case {
    int state;
    ListButtons buttons;
  };
  for (const Case& c : std::initializer_list<Case>{
           {0, {"Server eintragen", true, "Eintrag l\xF6schen", false}},
           {-1, {"Server wird eingetragen...", false, "Eintrag l\xF6schen", false}},
           {1, {"Eintrag erneuern", true, "Eintrag l\xF6schen", true}},
           {2, {"Server eintragen", true, "Eintrag wird gel\xF6scht...", false}},
           {7, {"Server eintragen", true, "Eintrag l\xF6schen", false}},  // unknown: as no entry
       }) {
    EXPECT_EQ(ListButtonsFor(c.state), c.buttons) << c.state;
  }
}

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
  auto first = link.Round(f.game, shared);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->status, "Name: Test Server Port: 666 Spieler: 0");
  EXPECT_EQ(first->buttons, ListButtonsFor(0));
  EXPECT_FALSE(link.Round(f.game, shared));
  // A join, an administrator's change, the entry state and a window edit
  // each bring a new view.
  f.Join(1, 1);
  auto joined = link.Round(f.game, shared);
  ASSERT_TRUE(joined);
  EXPECT_EQ(joined->status, "Name: Test Server Port: 666 Spieler: 1");
  f.settings.adminPassword = "a";
  f.Admin("LOGIN a");
  f.Admin("HIDE");
  f.Admin("SETPASS neu");
  shared.Sync();
  auto admin = link.Round(f.game, shared);
  ASSERT_TRUE(admin);
  EXPECT_FALSE(admin->settings.hidden);
  EXPECT_TRUE(admin->settings.passwordBox);
  EXPECT_EQ(admin->settings.password, "neu");
  f.game.entryState = -1;
  auto registering = link.Round(f.game, shared);
  ASSERT_TRUE(registering);
  EXPECT_FALSE(registering->buttons.registerEnabled);
  uint64_t posted = shared.Post([](ServerSettings& s) { s.hidden = false; });  // as it was
  shared.Sync();
  auto edited = link.Round(f.game, shared);
  ASSERT_TRUE(edited);
  EXPECT_EQ(edited->applied, posted);
}

TEST(WindowLink, ButtonPressesRunOnTheLoopsThreadAtItsNextRound) {
  GameFixture f;
  SharedSettings shared(f.settings);
  WindowLink link;
  std::thread::id ranOn;
  int registers = 0, deletes = 0;
  f.game.startRegisterEntry = [&] { ++registers, ranOn = std::this_thread::get_id(); };
  f.game.startDeleteEntry = [&] { ++deletes; };
  std::thread window([&] {
    link.Post([](ServerGame& g) { g.startRegisterEntry(); });
    link.Post([](ServerGame& g) { g.startDeleteEntry(); });
  });
  window.join();
  EXPECT_EQ(registers, 0);
  link.Round(f.game, shared);
  EXPECT_EQ(registers, 1);
  EXPECT_EQ(deletes, 1);
  EXPECT_EQ(ranOn, std::this_thread::get_id());
  link.Round(f.game, shared);
  EXPECT_EQ(registers, 1);  // each press runs once
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
