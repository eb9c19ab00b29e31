#include "client/core/mode_command.h"

#include <cctype>
#include <cstdint>

#include "client/core/client.h"

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

// The console's number rule: blanks, an optional sign, then decimal digits,
// "$" hexadecimal or "%" binary up to the first character that does not fit;
// the low 32 bits of the value.
int32_t ParseModeNumber(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && text[i] == '$')
    base = 16, ++i;
  else if (i < text.size() && text[i] == '%')
    base = 2, ++i;
  uint64_t value = 0;
  for (; i < text.size(); ++i) {
    int c = static_cast<unsigned char>(text[i]), digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      break;
    if (digit >= base) break;
    value = value * base + digit;
  }
  if (negative) value = ~value + 1;
  return static_cast<int32_t>(static_cast<uint32_t>(value));
}

}  // namespace

int GameStateByName(const std::string& name) {
  for (const StateName& entry : kStateNames)
    if (name == entry.name) return entry.state;
  return 0;
}

int ModeCommand(Client& client, const std::string& args, bool fromScript) {
  int32_t number = ParseModeNumber(args);
  if (number > 0 && client.frame.debugMode) {
    if (!fromScript) client.console.isOpen = 0;
    SetGameState(client, number, fromScript);
    return 1;
  }
  if (!fromScript) client.console.isOpen = 0;
  std::string lower = args;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  int state = GameStateByName(lower);
  if (state) {
    SetGameState(client, state, fromScript);
  } else {
    client.console.isOpen = 1;
  }
  return 1;
}

}  // namespace kb
