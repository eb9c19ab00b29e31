#include "client/console/mode_command.h"

#include <cctype>

#include "client/console/command_text.h"
#include "client/core/model.h"

namespace kb {

namespace {

struct StateName {
  const char* name;
  int state;
};

// In the order the names are compared.
constexpr StateName kStateNames[] = {
    {"menu", kStateMenu},      {"start", kStateStart},
    {"game", kStateGame},      {"endround", kStateEndRound},
    {"end", kStateEnd},        {"net_choose", kStateNetChoose},
    {"net_lan", kStateNetLan}, {"net_lan_manual", kStateNetLanManual},
    {"net_web", kStateNetWeb}, {"net_connect", kStateNetConnect},
    {"net", kStateNet},        {"net_fail", kStateNetFail},
    {"wtf", kStateWtf},        {"empty", kStateEmpty},
};

}  // namespace

int GameStateByName(const std::string& name) {
  for (const StateName& entry : kStateNames)
    if (name == entry.name) return entry.state;
  return 0;
}

int ModeCommand(Model& model, const std::string& args, bool fromScript) {
  int number = ParseNumber(args);
  if (number > 0 && model.frame.debugMode) {
    if (!fromScript) model.consoleOpen = 0;
    SetGameState(model, number, fromScript);
    return 1;
  }
  if (!fromScript) model.consoleOpen = 0;
  std::string lower = args;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  int state = GameStateByName(lower);
  if (state) {
    SetGameState(model, state, fromScript);
  } else {
    model.consoleOpen = 1;
  }
  return 1;
}

}  // namespace kb
