#include <array>
#include <cctype>
#include <string>

#include "common/net/protocol.h"
#include "server/server_game.h"

namespace kb {
namespace {

std::string Upper(std::string_view word) {
  std::string out(word);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

}  // namespace

void ServerGame::SendAdmin(ConnectionId to, std::string_view text, Colour colour) {
  transport_.Send(to, BuildMessage(Keyword::kAdmin, {text, colour}));
}

void ServerGame::NotifyAdmins(std::string_view text, Colour colour) {
  for (const ClientRecord& r : clients_)
    if (r.adminLoggedIn) SendAdmin(r.connection, text, colour);
}

void ServerGame::HandleAdmin(ClientRecord& sender, std::string_view line) {
  // Words are cut at single spaces, so two spaces make an empty word.
  size_t first = line.find(' ');
  std::string_view word1 = line.substr(0, first);
  std::string_view word2;
  if (first != std::string_view::npos) {
    std::string_view rest = line.substr(first + 1);
    word2 = rest.substr(0, rest.find(' '));
  }
  std::string command = Upper(word1);
  static constexpr std::array<std::string_view, 12> kCommands = {
      "LOGIN",      "SHUTDOWN", "PASS", "SETPASS", "SETADPASS", "REGISTER",
      "DEREGISTER", "HIDDEN",   "HIDE", "ECHO",    "HELP",      "PAUSE"};
  bool known = false;
  for (std::string_view c : kCommands) known |= command == c;
  ConnectionId to = sender.connection;
  if (!known) {
    SendAdmin(to, "Den Befehl \"" + std::string(word1) + "\" gibt es nicht.", kAdminRed);
    return;
  }
  if (command == "LOGIN") {
    if (sender.adminLoggedIn) {
      SendAdmin(to, "Du bist bereits eingeloggt.", kAdminGreen);
    } else if (!settings_.adminPassword.empty() &&
               GuessAllowed(adminGuesses_, sender, word2, settings_.adminPassword)) {
      // An empty administrator password means administration is off: anyone
      // could otherwise shut the server down.
      sender.adminLoggedIn = 1;
      SendAdmin(to, "Du hast dich erfolgreich eingeloggt.", kAdminGreen);
    } else {
      SendAdmin(to, "Das angegebene Passwort ist falsch.", kAdminRed);
    }
    return;
  }
  if (!sender.adminLoggedIn) {
    SendAdmin(to, "Du bist nicht eingeloggt.", kAdminRed);
    return;
  }
  if (command == "SHUTDOWN") {
    Shutdown();
  } else if (command == "PASS") {
    if (settings_.passwordBox) {
      SendAdmin(to, "Das Serverpasswort ist \"" + settings_.password + "\".", kAdminGreen);
    } else {
      SendAdmin(to, "Der Server ist nicht passwortgesch\xFCtzt.", kAdminGreen);
    }
  } else if (command == "SETPASS") {
    if (!word2.empty()) {
      settings_.passwordBox = true;
      settings_.password = std::string(word2);
      AdmitPresentWhenProtected();
      SendAdmin(to, "Das Serverpasswort wurde ge\xE4ndert.", kAdminGreen);
    } else {
      settings_.passwordBox = false;
      SendAdmin(to, "Das Serverpasswort wurde ausgeschaltet.", kAdminRed);
    }
  } else if (command == "SETADPASS") {
    settings_.adminPassword = std::string(word2);
    SendAdmin(to, "Das Adminpasswort wurde ge\xE4ndert.", kAdminGreen);
  } else if (command == "REGISTER") {
    SendAdmin(to,
              entryState == 0 ? "Der Server wird eingetragen..." : "Der Eintrag des Servers wird erneuert...",
              kAdminGreen);
    if (startRegisterEntry) startRegisterEntry();
  } else if (command == "DEREGISTER") {
    SendAdmin(to, "Der Eintrag wird gel\xF6scht...", kAdminGreen);
    if (startDeleteEntry) startDeleteEntry();
  } else if (command == "HIDDEN") {
    SendAdmin(to, settings_.hidden ? "Der Server ist versteckt." : "Der Server ist nicht versteckt.",
              kAdminGreen);
  } else if (command == "HIDE") {
    settings_.hidden = !settings_.hidden;
    SendAdmin(to, settings_.hidden ? "Der Server wurde versteckt." : "Der Server ist nicht mehr versteckt.",
              kAdminGreen);
  } else if (command == "ECHO") {
    SendAdmin(to, line.size() > 5 ? line.substr(5) : std::string_view(), kAdminGreen);
  } else if (command == "HELP") {
    for (std::string_view help :
         {"Deregister", "Hidden", "Hide", "Pass", "Register", "Setadpass", "Setpass", "Shutdown"}) {
      SendAdmin(to, help, kAdminGreen);
    }
  } else if (command == "PAUSE") {
    paused_ = !paused_;
    SendAdmin(to, paused_ ? "Spiel pausiert." : "Pause beendet.", kAdminGreen);
  }
}

}  // namespace kb
