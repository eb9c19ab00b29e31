#include <gtest/gtest.h>

#include "tests/server/loopback_transport.h"

namespace kb {
namespace {

using testing::GameFixture;
using V = std::vector<std::string>;

struct AdminFixture : GameFixture {
  AdminFixture() {
    settings.adminPassword = "chef";
    Join(1);
    sent.Clear();
  }
  // The answers one command line gets.
  V Admin(std::string_view line, ConnectionId from = 1) {
    sent.Clear();
    Message(from, "ADMIN", {line});
    return sent.To(from);
  }
};

TEST(Admin, LoginRules) {
  AdminFixture f;
  EXPECT_EQ(f.Admin("LOGIN falsch"), (V{"ADMIN Das angegebene Passwort ist falsch. 255"}));
  EXPECT_EQ(f.Admin("LOGIN"), (V{"ADMIN Das angegebene Passwort ist falsch. 255"}));
  EXPECT_EQ(f.Admin("LOGIN  chef"), (V{"ADMIN Das angegebene Passwort ist falsch. 255"}));  // word 2 is empty
  EXPECT_EQ(f.Admin("LOGIN Chef"), (V{"ADMIN Das angegebene Passwort ist falsch. 255"}));
  EXPECT_EQ(f.Record(1).adminLoggedIn, 0);
  EXPECT_EQ(f.Admin("login chef extra"), (V{"ADMIN Du hast dich erfolgreich eingeloggt. 65280"}));
  EXPECT_EQ(f.Record(1).adminLoggedIn, 1);
  EXPECT_EQ(f.Admin("LOGIN chef"), (V{"ADMIN Du bist bereits eingeloggt. 65280"}));
  EXPECT_EQ(f.Admin("LOGIN wrong"), (V{"ADMIN Du bist bereits eingeloggt. 65280"}));
  // The login ends with the record.
  f.Message(1, "LEAVE");
  f.Join(1);
  EXPECT_EQ(f.Record(1).adminLoggedIn, 0);
  // An empty administrator password lets nobody in.
  AdminFixture g;
  g.settings.adminPassword.clear();
  EXPECT_EQ(g.Admin("LOGIN"), (V{"ADMIN Das angegebene Passwort ist falsch. 255"}));
  EXPECT_EQ(g.Admin("SHUTDOWN"), (V{"ADMIN Du bist nicht eingeloggt. 255"}));
  EXPECT_FALSE(g.game.ShutdownRequested());
}

TEST(Admin, CommandsNeedLoginButUnknownOnesAreNamed) {
  AdminFixture f;
  for (const char* c : {"SHUTDOWN", "PASS", "SETPASS x", "SETADPASS x", "REGISTER", "DEREGISTER", "HIDDEN",
                        "HIDE", "ECHO hi", "HELP", "PAUSE", "pause"}) {
    EXPECT_EQ(f.Admin(c), (V{"ADMIN Du bist nicht eingeloggt. 255"})) << c;
  }
  EXPECT_FALSE(f.game.ShutdownRequested());
  EXPECT_FALSE(f.game.Paused());
  EXPECT_TRUE(f.settings.hidden);
  EXPECT_EQ(f.Admin("Kick bob"), (V{"ADMIN Den Befehl \"Kick\" gibt es nicht. 255"}));
  EXPECT_EQ(f.Admin(""), (V{"ADMIN Den Befehl \"\" gibt es nicht. 255"}));
  EXPECT_EQ(f.Admin(" LOGIN chef"), (V{"ADMIN Den Befehl \"\" gibt es nicht. 255"}));
  f.Admin("LOGIN chef");
  EXPECT_EQ(f.Admin("HELPME"), (V{"ADMIN Den Befehl \"HELPME\" gibt es nicht. 255"}));
  // From a connection without a record nothing is answered.
  EXPECT_TRUE(f.Admin("LOGIN chef", 5).empty());
}

TEST(Admin, EveryCommandAnswersAndActs) {
  AdminFixture f;
  f.Admin("LOGIN chef");
  EXPECT_EQ(f.Admin("PASS"), (V{"ADMIN Der Server ist nicht passwortgesch\xFCtzt. 65280"}));
  EXPECT_EQ(f.Admin("SETPASS geheim"), (V{"ADMIN Das Serverpasswort wurde ge\xE4ndert. 65280"}));
  EXPECT_TRUE(f.settings.PasswordProtected());
  EXPECT_EQ(f.settings.password, "geheim");
  EXPECT_EQ(f.Admin("Pass"), (V{"ADMIN Das Serverpasswort ist \"geheim\". 65280"}));
  f.Join(2);
  EXPECT_EQ(f.sent.To(2).front(), "MODE 19");
  EXPECT_EQ(f.Admin("SETPASS"), (V{"ADMIN Das Serverpasswort wurde ausgeschaltet. 255"}));
  EXPECT_FALSE(f.settings.PasswordProtected());
  EXPECT_EQ(f.Admin("PASS"), (V{"ADMIN Der Server ist nicht passwortgesch\xFCtzt. 65280"}));
  f.Join(3);
  EXPECT_EQ(f.sent.To(3).front(), "MODE 10");

  EXPECT_EQ(f.Admin("setadpass neu"), (V{"ADMIN Das Adminpasswort wurde ge\xE4ndert. 65280"}));
  EXPECT_EQ(f.settings.adminPassword, "neu");
  EXPECT_EQ(f.Admin("SETADPASS"), (V{"ADMIN Das Adminpasswort wurde ge\xE4ndert. 65280"}));
  EXPECT_EQ(f.settings.adminPassword, "");

  EXPECT_EQ(f.Admin("HIDDEN"), (V{"ADMIN Der Server ist versteckt. 65280"}));
  EXPECT_EQ(f.Admin("HIDE"), (V{"ADMIN Der Server ist nicht mehr versteckt. 65280"}));
  EXPECT_FALSE(f.settings.hidden);
  EXPECT_EQ(f.Admin("HIDDEN"), (V{"ADMIN Der Server ist nicht versteckt. 65280"}));
  EXPECT_EQ(f.Admin("hide"), (V{"ADMIN Der Server wurde versteckt. 65280"}));
  EXPECT_TRUE(f.settings.hidden);

  EXPECT_EQ(f.Admin("ECHO Hallo  liebe Welt"), (V{"ADMIN Hallo  liebe Welt 65280"}));
  EXPECT_EQ(f.Admin("ECHO"), (V{"ADMIN  65280"}));
  EXPECT_EQ(f.Admin("echo x"), (V{"ADMIN x 65280"}));

  EXPECT_EQ(f.Admin("HELP"), (V{"ADMIN Deregister 65280", "ADMIN Hidden 65280", "ADMIN Hide 65280",
                                "ADMIN Pass 65280", "ADMIN Register 65280", "ADMIN Setadpass 65280",
                                "ADMIN Setpass 65280", "ADMIN Shutdown 65280"}));

  EXPECT_EQ(f.Admin("PAUSE"), (V{"ADMIN Spiel pausiert. 65280"}));
  EXPECT_TRUE(f.game.Paused());
  EXPECT_EQ(f.Admin("PAUSE"), (V{"ADMIN Pause beendet. 65280"}));
  EXPECT_FALSE(f.game.Paused());

  int registers = 0, deletes = 0;
  f.game.startRegisterEntry = [&] { ++registers; };
  f.game.startDeleteEntry = [&] { ++deletes; };
  EXPECT_EQ(f.Admin("REGISTER"), (V{"ADMIN Der Server wird eingetragen... 65280"}));
  f.game.entryState = 1;
  EXPECT_EQ(f.Admin("REGISTER"), (V{"ADMIN Der Eintrag des Servers wird erneuert... 65280"}));
  EXPECT_EQ(f.Admin("DEREGISTER"), (V{"ADMIN Der Eintrag wird gel\xF6scht... 65280"}));
  EXPECT_EQ(registers, 2);
  EXPECT_EQ(deletes, 1);

  f.sent.Clear();
  f.Message(1, "ADMIN", {"SHUTDOWN"});
  EXPECT_TRUE(f.game.ShutdownRequested());
  EXPECT_EQ(f.sent.All(), (V{"1: MODE 21", "2: MODE 21", "3: MODE 21"}));
}

}  // namespace
}  // namespace kb
