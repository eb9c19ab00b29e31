#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <memory>
#include <regex>

#include "client/core/internet_list_fetch.h"
#include "common/net/web_list.h"
#include "tests/platform/temp_dir.h"
#include "tests/server/wire_client.h"
#include "tests/support/child_process.h"

namespace kb {
namespace {

using testing::ChildProcess;
using testing::WireClient;
std::string listdBinary, serverBinary;

std::string Entry(int port, const std::string& name, int pass) {
  return "127.0.0.1\x02" + std::to_string(port) + "\x02" + name + "\x02" + std::to_string(pass);
}

// An administrator on a server: joined, password given, logged in.
void Administer(WireClient& admin, int port, const std::string& password) {
  ASSERT_TRUE(admin.Connect(port) && admin.Send("JOIN"));
  if (!password.empty()) {
    ASSERT_TRUE(admin.WaitFor("MODE^19"));
    ASSERT_TRUE(admin.Send("PASS", {password}));
  }
  ASSERT_TRUE(admin.WaitForPrefix("SERVER^"));
  ASSERT_TRUE(admin.Send("ADMIN", {"LOGIN chef"}));
  ASSERT_TRUE(admin.WaitFor("ADMIN^Du hast dich erfolgreich eingeloggt.^65280"));
}

TEST(ListEndToEnd, TwoServersRegisterAreListedAndLeaveTheList) {
  TempDir dir;
  auto listd = std::make_unique<ChildProcess>(std::vector<std::string>{
      listdBinary, "--port", "0", "--bind", "127.0.0.1", "--db", dir.File("list.sqlite")});
  std::vector<std::string> m = listd->Until("listening on 127.0.0.1 port (\\d+)");
  ASSERT_FALSE(m.empty());
  std::string listPort = m[1];
  ListHostAddress host = ParseListHost("127.0.0.1:" + listPort);
  auto get = [&] { return ExchangeWithListHost(host, ListRequest("/kringel_server.php?m=get", host), 5000); };
  std::vector<std::string> common = {serverBinary,         "--headless", "--port",      "0",
                                     "--admin-password",   "chef",       "--list-host", host.header,
                                     "--list-delete-host", host.header};

  // The first registers at start; the second, protected, on an administrator's "REGISTER".
  std::vector<std::string> argsA = common, argsB = common;
  argsA.insert(argsA.end(), {"--name", "Erster Server", "--register"});
  argsB.insert(argsB.end(), {"--name", "Zweiter Server", "--password", "geheim"});
  ChildProcess a(argsA);
  // The registration may be confirmed before or after the first status line.
  int portA = 0;
  bool registered = false;
  for (int i = 0; i < 10 && !(portA && registered); ++i) {
    std::string line = a.ReadLine();
    if (line.empty()) break;
    std::smatch port;
    if (std::regex_search(line, port, std::regex("Port: (\\d+)"))) portA = std::stoi(port[1]);
    registered = registered || line == "Kringelbahn Server: Server erfolgreich eingetragen.";
  }
  ASSERT_NE(portA, 0);
  EXPECT_TRUE(registered);
  EXPECT_EQ(get(), Entry(portA, "Erster Server", 0));

  auto b = std::make_unique<ChildProcess>(argsB);
  m = b->Until("Port: (\\d+)");
  ASSERT_FALSE(m.empty());
  int portB = std::stoi(m[1]);
  WireClient adminB;
  Administer(adminB, portB, "geheim");
  ASSERT_TRUE(adminB.Send("ADMIN", {"REGISTER"}));
  EXPECT_EQ(adminB.Next(), "ADMIN^Der Server wird eingetragen...^65280");
  EXPECT_EQ(adminB.Next(), "ADMIN^Der Server wurde erfolgreich eingetragen.^65280");
  EXPECT_EQ(get(), Entry(portB, "Zweiter Server", 1) + "\x03" + Entry(portA, "Erster Server", 0));
  // The game client's list shows both, newest first, the protected one with its padlock.
  ServerList shown;
  InternetListFetch(shown, shown.Begin(), host, 5000);
  std::vector<ServerListEntry> rows = shown.Entries();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].name + " " + rows[0].address + ":" + std::to_string(rows[0].port) + " " +
                std::to_string(rows[0].hasPassword),
            "Zweiter Server 127.0.0.1:" + std::to_string(portB) + " 1");
  EXPECT_EQ(rows[1].name + " " + rows[1].address + ":" + std::to_string(rows[1].port) + " " +
                std::to_string(rows[1].hasPassword),
            "Erster Server 127.0.0.1:" + std::to_string(portA) + " 0");

  // The second shuts down: its deletion names its port, so the first
  // server's entry on the same host stays.
  EXPECT_EQ(b->Finish(SIGTERM), 0);
  EXPECT_TRUE(adminB.WaitFor("MODE^21", 5000));
  EXPECT_EQ(get(), Entry(portA, "Erster Server", 0));

  // The first renews its entry; a restarted service still has it.
  WireClient adminA;
  Administer(adminA, portA, "");
  ASSERT_TRUE(adminA.Send("ADMIN", {"register"}));
  EXPECT_EQ(adminA.Next(), "ADMIN^Der Eintrag des Servers wird erneuert...^65280");
  EXPECT_EQ(adminA.Next(), "ADMIN^Der Server wurde erfolgreich eingetragen.^65280");
  EXPECT_EQ(listd->Finish(SIGTERM), 0);
  listd = std::make_unique<ChildProcess>(std::vector<std::string>{
      listdBinary, "--port", listPort, "--bind", "127.0.0.1", "--db", dir.File("list.sqlite")});
  ASSERT_FALSE(listd->Until("listening on .* 1 entry$").empty());
  EXPECT_EQ(get(), Entry(portA, "Erster Server", 0));

  ASSERT_TRUE(adminA.Send("ADMIN", {"DEREGISTER"}));
  EXPECT_EQ(adminA.Next(), "ADMIN^Der Eintrag wird gel\xF6scht...^65280");
  EXPECT_EQ(adminA.Next(), "ADMIN^Der Eintrag wurde gel\xF6scht.^65280");
  EXPECT_FALSE(a.Until("^Kringelbahn Server: Der Eintrag wurde gelöscht\\.$").empty());
  EXPECT_EQ(get(), "");

  // With the service gone a registration fails with the failure texts.
  EXPECT_EQ(listd->Finish(SIGTERM), 0);
  ASSERT_TRUE(adminA.Send("ADMIN", {"REGISTER"}));
  EXPECT_EQ(adminA.Next(), "ADMIN^Der Server wird eingetragen...^65280");
  EXPECT_EQ(adminA.Next(), "ADMIN^Der Server konnte nicht eingetragen werden.^255");
  EXPECT_FALSE(a.Until("^Fehler: Server konnte nicht eingetragen werden\\.$").empty());
  EXPECT_EQ(a.Finish(SIGTERM), 0);

  // A service whose database file is removed can store nothing more: it says so and fails.
  listd = std::make_unique<ChildProcess>(std::vector<std::string>{
      listdBinary, "--port", "0", "--bind", "127.0.0.1", "--db", dir.File("list.sqlite")});
  ASSERT_FALSE(listd->Until("listening on").empty());
  std::filesystem::remove(dir.File("list.sqlite"));
  EXPECT_FALSE(listd->Until("the database .*list.sqlite was removed: nothing can be stored, stopping$").empty());
  EXPECT_EQ(listd->Finish(0), 1);
}

}  // namespace
}  // namespace kb

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc > 2) kb::listdBinary = argv[1], kb::serverBinary = argv[2];
  return RUN_ALL_TESTS();
}
