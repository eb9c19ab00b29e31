#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "tests/server/loopback_transport.h"

namespace kb {
namespace {

using V = std::vector<std::string>;

struct AdminFixture : testing::GameFixture {
  AdminFixture() { settings.adminPassword = "chef", Join(1, 1); }
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

// What each command does to the server, in any case of its letters, and
// what the administrator reads then: the one table of the answers' texts.
TEST(Admin, EveryCommandActsAndAnswers) {
  AdminFixture f;
  f.Admin("LOGIN chef");
  int registers = 0, deletes = 0;
  f.game.startRegisterEntry = [&] { ++registers; };
  f.game.startDeleteEntry = [&] { ++deletes; };
  ServerSettings& s = f.settings;
  const struct Step { const char *line, *answer; std::function<bool()> done; } steps[] = {
      {"PASS", "Der Server ist nicht passwortgesch\xFCtzt.^65280", [&] { return !s.PasswordProtected(); }},
      {"SETPASS geheim", "Das Serverpasswort wurde ge\xE4ndert.^65280",
       [&] { return s.PasswordProtected() && s.password == "geheim"; }},
      {"Pass", "Das Serverpasswort ist \"geheim\".^65280", [&] { return s.PasswordProtected(); }},
      {"SETPASS", "Das Serverpasswort wurde ausgeschaltet.^255", [&] { return !s.PasswordProtected(); }},
      {"setadpass neu", "Das Adminpasswort wurde ge\xE4ndert.^65280", [&] { return s.adminPassword == "neu"; }},
      {"HIDDEN", "Der Server ist versteckt.^65280", [&] { return s.hidden; }},
      {"HIDE", "Der Server ist nicht mehr versteckt.^65280", [&] { return !s.hidden; }},
      {"HIDDEN", "Der Server ist nicht versteckt.^65280", [&] { return !s.hidden; }},
      {"hide", "Der Server wurde versteckt.^65280", [&] { return s.hidden; }},
      {"ECHO Hallo  liebe Welt", "Hallo  liebe Welt^65280", [] { return true; }},
      {"ECHO", "^65280", [] { return true; }},
      {"PAUSE", "Spiel pausiert.^65280", [&] { return f.game.Paused(); }},
      {"PAUSE", "Pause beendet.^65280", [&] { return !f.game.Paused(); }},
      {"REGISTER", "Der Server wird eingetragen...^65280", [&] { return registers == 1; }},
      {"DEREGISTER", "Der Eintrag wird gel\xF6scht...^65280", [&] { return deletes == 1; }},
      {"REGISTER", "Der Eintrag des Servers wird erneuert...^65280", [&] { return registers == 2; }},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.line);
    if (&step == &steps[15]) f.game.entryState = 1;  // an entry exists: renewed
    EXPECT_EQ(f.Admin(step.line), (V{std::string("ADMIN^") + step.answer}));
    EXPECT_TRUE(step.done());
  }
  // HELP lists the commands in order, and the server knows each one.
  V help = f.Admin("HELP");
  EXPECT_TRUE(help.size() == 8u && std::is_sorted(help.begin(), help.end()));
  for (const std::string& h : help) {
    std::string command = h.substr(6, h.rfind('^') - 6);
    if (command == "Shutdown") continue;
    EXPECT_EQ(f.Admin(command).at(0).find("gibt es nicht"), std::string::npos) << h;
  }
  // A new password is asked of the next client; SHUTDOWN tells everyone.
  f.Admin("SETPASS x");
  f.Join(2, 2);
  EXPECT_EQ(f.sent.To(2).at(0), "MODE^19");
  f.Admin("SHUTDOWN");
  EXPECT_TRUE(f.game.ShutdownRequested());
  EXPECT_EQ(f.sent.All(), (V{"1: MODE^21", "2: MODE^21"}));
}

}  // namespace
}  // namespace kb
