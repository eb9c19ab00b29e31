#include <gtest/gtest.h>

#include "tests/server/loopback_transport.h"

namespace kb {
namespace {

using V = std::vector<std::string>;

struct AdminFixture : testing::GameFixture {
  AdminFixture() {
    settings.adminPassword = "chef";
    Join(1, 1);
  }
};

const V kWrong = {"ADMIN^Das angegebene Passwort ist falsch.^255"};
const V kNotIn = {"ADMIN^Du bist nicht eingeloggt.^255"};

TEST(Admin, LoginRules) {
  AdminFixture f;
  for (const char* bad : {"LOGIN", "LOGIN  chef", "LOGIN Chef"}) EXPECT_EQ(f.Admin(bad), kWrong) << bad;
  for (const char* c : {"SHUTDOWN", "SETPASS x", "HIDE", "pause"}) EXPECT_EQ(f.Admin(c), kNotIn) << c;
  EXPECT_FALSE(f.game.ShutdownRequested() || f.game.Paused() || !f.settings.hidden);
  // Unknown commands are named whether logged in or not.
  EXPECT_EQ(f.Admin("Kick bob"), (V{"ADMIN^Den Befehl \"Kick\" gibt es nicht.^255"}));
  EXPECT_EQ(f.Admin(" LOGIN chef"), (V{"ADMIN^Den Befehl \"\" gibt es nicht.^255"}));
  EXPECT_EQ(f.Admin("login chef extra"), (V{"ADMIN^Du hast dich erfolgreich eingeloggt.^65280"}));
  EXPECT_EQ(f.Admin("LOGIN wrong"), (V{"ADMIN^Du bist bereits eingeloggt.^65280"}));
  EXPECT_TRUE(f.Admin("LOGIN chef", 5).empty());  // no record, no answer
  // The login ends with the record.
  f.Message(1, "LEAVE");
  f.Join(1, 1);
  EXPECT_EQ(f.Admin("PAUSE"), kNotIn);
  // An empty administrator password lets nobody in.
  f.settings.adminPassword.clear();
  EXPECT_EQ(f.Admin("LOGIN"), kWrong);
}

TEST(Admin, EveryCommandAnswersAndActs) {
  AdminFixture f;
  f.Admin("LOGIN chef");
  int registers = 0, deletes = 0;
  f.game.startRegisterEntry = [&] { ++registers; };
  f.game.startDeleteEntry = [&] { ++deletes; };
  const std::pair<const char*, V> script[] = {
      {"PASS", {"ADMIN^Der Server ist nicht passwortgesch\xFCtzt.^65280"}},
      {"SETPASS geheim", {"ADMIN^Das Serverpasswort wurde ge\xE4ndert.^65280"}},
      {"Pass", {"ADMIN^Das Serverpasswort ist \"geheim\".^65280"}},
      {"SETPASS", {"ADMIN^Das Serverpasswort wurde ausgeschaltet.^255"}},
      {"setadpass neu", {"ADMIN^Das Adminpasswort wurde ge\xE4ndert.^65280"}},
      {"HIDDEN", {"ADMIN^Der Server ist versteckt.^65280"}},
      {"HIDE", {"ADMIN^Der Server ist nicht mehr versteckt.^65280"}},
      {"HIDDEN", {"ADMIN^Der Server ist nicht versteckt.^65280"}},
      {"hide", {"ADMIN^Der Server wurde versteckt.^65280"}},
      {"ECHO Hallo  liebe Welt", {"ADMIN^Hallo  liebe Welt^65280"}},
      {"ECHO", {"ADMIN^^65280"}},
      {"HELP",
       {"ADMIN^Deregister^65280", "ADMIN^Hidden^65280", "ADMIN^Hide^65280", "ADMIN^Pass^65280",
        "ADMIN^Register^65280", "ADMIN^Setadpass^65280", "ADMIN^Setpass^65280", "ADMIN^Shutdown^65280"}},
      {"PAUSE", {"ADMIN^Spiel pausiert.^65280"}},
      {"PAUSE", {"ADMIN^Pause beendet.^65280"}},
      {"REGISTER", {"ADMIN^Der Server wird eingetragen...^65280"}},
      {"DEREGISTER", {"ADMIN^Der Eintrag wird gel\xF6scht...^65280"}},
  };
  for (const auto& [line, answer] : script) EXPECT_EQ(f.Admin(line), answer) << line;
  EXPECT_FALSE(f.settings.PasswordProtected() || f.game.Paused());
  EXPECT_EQ(f.settings.adminPassword, "neu");
  EXPECT_TRUE(f.settings.hidden);
  f.game.entryState = 1;
  EXPECT_EQ(f.Admin("REGISTER"), (V{"ADMIN^Der Eintrag des Servers wird erneuert...^65280"}));
  EXPECT_EQ(registers, 2);
  EXPECT_EQ(deletes, 1);
  // A new password is asked of the next client.
  f.Admin("SETPASS x");
  f.Join(2, 2);
  EXPECT_EQ(f.sent.To(2).at(0), "MODE^19");
  f.Admin("SHUTDOWN");
  EXPECT_TRUE(f.game.ShutdownRequested());
  EXPECT_EQ(f.sent.All(), (V{"1: MODE^21", "2: MODE^21"}));
}

}  // namespace
}  // namespace kb
