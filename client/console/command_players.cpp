#include <algorithm>

#include "client/console/command_context.h"
#include "client/console/command_text.h"
#include "client/console/commands.h"
#include "client/core/local_game.h"

namespace kb {

namespace {

// The slot named by field 1, or nullptr outside 0..7: such lines are ignored.
template <typename Table>
auto* Slot(Table& table, const std::string& args) {
  int index = ParseNumber(TextField(args, 1));
  return index >= 0 && index < kPlayerSlots ? &table[static_cast<size_t>(index)] : nullptr;
}

}  // namespace

int AngleCommand(CommandContext& ctx, const std::string& args, int, const std::string&) {
  PlayerRecord* player = Slot(ctx.model.round.players, args);
  if (player == nullptr) return 1;
  std::string direction = ToLower(TextField(args, 2));
  if (direction == "up") player->heading += 4.0f;
  if (direction == "down") player->heading -= 4.0f;
  if (player->heading > 360.0f) player->heading += -360.0f;
  if (player->heading < 0.0f) player->heading += 360.0f;
  return 1;
}

int BotsCommand(CommandContext& ctx, const std::string& args, int, const std::string&) {
  ctx.model.round.botCount = std::clamp(ParseNumber(args), 0, kMaxBots);
  return 1;
}

int ColorCommand(CommandContext& ctx, const std::string& args, int, const std::string&) {
  Colour* colour = Slot(ctx.model.round.playerColours, args);
  if (colour == nullptr) return 1;
  std::string value = TextField(args, 2);
  Colour parsed;
  if (value.size() == 7 && value[0] == '#') {
    // #RRGGBB: the stored value is BB GG RR.
    std::string hex = "$";
    for (size_t start : {5, 3, 1}) hex.append(value, start, 2);
    parsed = static_cast<Colour>(ParseNumber(hex));
  } else {
    parsed = static_cast<Colour>(ParseNumber(value));
  }
  // A trail of colour 0 would be the empty field: invisible and never hit.
  parsed &= 0xFFFFFFu;
  if (parsed != 0) *colour = parsed;
  return 1;
}

int PlayCommand(CommandContext& ctx, const std::string& args, int, const std::string&) {
  PlayerRecord* player = Slot(ctx.model.round.players, args);
  if (player == nullptr) return 1;
  if (args.find(' ') != std::string::npos)
    player->active = ParseNumber(TextField(args, 2)) != 0 ? 1 : 0;
  else
    player->active = 1 - player->active;
  return 1;
}

int InitGameCommand(CommandContext& ctx, const std::string&, int, const std::string&) {
  NewGame(ctx.model);
  return 1;
}

}  // namespace kb
