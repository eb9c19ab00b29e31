#include "server/window_link.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/server/loopback_transport.h"

namespace kb {
namespace {

using testing::GameFixture;

TEST(WindowLink, ViewsComeOnlyWhenSomethingShownChanged) {
  GameFixture f;
  SharedSettings shared(f.settings);
  WindowLink link;
  EntryButtons captions;
  auto first = link.Round(f.game, shared, captions);
  ASSERT_TRUE(first && first->buttons == ListButtonsFor(captions, 0));
  EXPECT_EQ(first->status, "Name: Test Server Port: 666 Spieler: 0");
  EXPECT_FALSE(link.Round(f.game, shared, captions));
  // A join, an administrator's change, the entry state and a window edit each bring a new view.
  f.Join(1, 1);
  auto joined = link.Round(f.game, shared, captions);
  ASSERT_TRUE(joined);
  EXPECT_EQ(joined->status, "Name: Test Server Port: 666 Spieler: 1");
  f.settings.adminPassword.assign(1, 'a');
  f.Admin("LOGIN a");
  f.Admin("HIDE");
  f.Admin("SETPASS neu");
  shared.Sync();
  auto admin = link.Round(f.game, shared, captions);
  ASSERT_TRUE(admin);
  EXPECT_TRUE(!admin->settings.hidden && admin->settings.passwordBox && admin->settings.password == "neu");
  f.game.entryState = -1;
  auto registering = link.Round(f.game, shared, captions);
  EXPECT_TRUE(registering && !registering->buttons.registerEnabled);
  // A press in the window waits for the loop's round.
  bool pressed = false;
  f.game.startRegisterEntry = [&] { pressed = true; };
  std::thread([&] { link.Post([](ServerGame& g) { g.startRegisterEntry(); }); }).join();
  EXPECT_FALSE(pressed);
  link.Round(f.game, shared, captions);
  EXPECT_TRUE(pressed);
  uint64_t posted = shared.Post([](ServerSettings& s) { s.hidden = false; });  // as it was
  shared.Sync();
  auto edited = link.Round(f.game, shared, captions);
  ASSERT_TRUE(edited);
  EXPECT_EQ(edited->applied, posted);
}

// The window posts and reads while the loop's thread syncs and reads its
// own settings unguarded (run under ThreadSanitizer too): a change waits for
// the loop's sync, and the changes come in the order they were posted.
TEST(WindowLink, PostedChangesWaitForTheLoopAndKeepTheirOrder) {
  ServerSettings owned;
  SharedSettings shared(owned);
  uint64_t applied = 99;
  uint64_t first = shared.Post([](ServerSettings& s) { s.password.assign(1, '0'), s.passwordBox = true; });
  EXPECT_EQ(owned.password + shared.Snapshot(&applied).password, "");
  EXPECT_EQ(applied, 0u);
  std::atomic<bool> done{false};
  std::thread loop([&] {
    while (!done) shared.Sync(), owned.hidden = !owned.PasswordProtected();
    shared.Sync();
  });
  uint64_t last = 0;
  for (int i = 1; i <= 2000; ++i) {
    last = shared.Post([i](ServerSettings& s) { s.password = std::to_string(i), s.passwordBox = i % 2; });
    std::string seen = shared.Snapshot().password;
    EXPECT_TRUE(seen.empty() || std::stoi(seen) <= i) << seen;
  }
  done = true;
  loop.join();
  EXPECT_EQ(shared.Snapshot(&applied).password, "2000");
  EXPECT_TRUE(applied == last && last == first + 2000) << applied << " " << last << " " << first;
  // A change the loop's own thread makes shows in the next snapshot.
  bool hidden = shared.Snapshot().hidden;
  owned.hidden = !hidden;
  EXPECT_EQ(shared.Snapshot().hidden, hidden);
  shared.Sync();
  EXPECT_EQ(shared.Snapshot().hidden, !hidden);
}

}  // namespace
}  // namespace kb
