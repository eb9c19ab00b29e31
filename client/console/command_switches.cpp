#include "client/console/command_text.h"
#include "client/console/commands.h"
#include "client/console/console.h"
#include "client/core/client.h"

namespace kb {

namespace {

void Report(Client& client, int fromScript, int value, const char* what) {
  if (fromScript == 0)
    ConsolePrint(client, std::string(what) + (value != 0 ? " eingeschaltet" : " ausgeschaltet"),
                 kConsoleWhite);
}

}  // namespace

void SetSwitch(int& value, const std::string& args) {
  if (args.empty()) {
    value = 1 - value;
  } else if (args.size() == 1) {
    value = ParseNumber(args);
  } else {
    std::string word = ToLower(args);
    if (word == "on") value = 1;
    if (word == "off") value = 0;
  }
  if (value > 1) value = 1;
}

int ConsoleCommand(Client& client, const std::string& args, int, const std::string&) {
  SetSwitch(client.console.enabled, args);
  return 1;
}

int DebugCommand(Client& client, const std::string& args, int fromScript, const std::string&) {
  SetSwitch(client.frame.debugMode, args);
  Report(client, fromScript, client.frame.debugMode, "Debugmodus");
  return 1;
}

int DevCommand(Client& client, const std::string& args, int fromScript, const std::string&) {
  SetSwitch(client.frame.devMode, args);
  Report(client, fromScript, client.frame.devMode, "Devmodus");
  return 1;
}

int FreezeCommand(Client& client, const std::string& args, int, const std::string&) {
  SetSwitch(client.console.frozen, args);
  return 1;
}

int PauseCommand(Client& client, const std::string& args, int, const std::string&) {
  SetSwitch(client.round.paused, args);
  return 1;
}

int UpgradesCommand(Client& client, const std::string& args, int fromScript, const std::string&) {
  SetSwitch(client.round.upgradesOption, args);
  Report(client, fromScript, client.round.upgradesOption, "Upgrades");
  return 1;
}

int VerwirrungCommand(Client& client, const std::string& args, int fromScript, const std::string&) {
  SetSwitch(client.round.confusionOption, args);
  Report(client, fromScript, client.round.confusionOption, "Verwirrung");
  return 1;
}

}  // namespace kb
