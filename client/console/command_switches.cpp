#include <algorithm>

#include "client/console/command_context.h"
#include "client/console/command_text.h"
#include "client/console/commands.h"
#include "client/console/console.h"

namespace kb {

namespace {

void Report(CommandContext& ctx, int fromScript, int value, const char* what) {
  if (fromScript == 0)
    ctx.Print(std::string(what) + (value != 0 ? " eingeschaltet" : " ausgeschaltet"), kConsoleWhite);
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

int ConsoleCommand(CommandContext& ctx, const std::string& args, int, const std::string&) {
  SetSwitch(ctx.console.enabled, args);
  return 1;
}

int DebugCommand(CommandContext& ctx, const std::string& args, int fromScript, const std::string&) {
  SetSwitch(ctx.model.frame.debugMode, args);
  Report(ctx, fromScript, ctx.model.frame.debugMode, "Debugmodus");
  return 1;
}

int DevCommand(CommandContext& ctx, const std::string& args, int fromScript, const std::string&) {
  SetSwitch(ctx.model.frame.devMode, args);
  Report(ctx, fromScript, ctx.model.frame.devMode, "Devmodus");
  return 1;
}

int FreezeCommand(CommandContext& ctx, const std::string& args, int, const std::string&) {
  SetSwitch(ctx.console.frozen, args);
  return 1;
}

int PauseCommand(CommandContext& ctx, const std::string& args, int, const std::string&) {
  SetSwitch(ctx.model.round.paused, args);
  return 1;
}

int UpgradesCommand(CommandContext& ctx, const std::string& args, int fromScript, const std::string&) {
  SetSwitch(ctx.model.round.upgradesOption, args);
  Report(ctx, fromScript, ctx.model.round.upgradesOption, "Upgrades");
  return 1;
}

int VolumeCommand(CommandContext& ctx, const std::string& args, int fromScript, const std::string&) {
  SoundQueue& sound = ctx.model.sound;
  if (!args.empty()) sound.volume = std::clamp(ParseNumber(args), 0, kMaxVolume);
  // Silence takes back what this frame queued, too.
  if (sound.volume == 0) TakeSounds(sound);
  if (fromScript == 0) ctx.Print("Lautst\xE4rke: " + std::to_string(sound.volume), kConsoleWhite);
  return 1;
}

int VerwirrungCommand(CommandContext& ctx, const std::string& args, int fromScript, const std::string&) {
  SetSwitch(ctx.model.round.confusionOption, args);
  Report(ctx, fromScript, ctx.model.round.confusionOption, "Verwirrung");
  return 1;
}

}  // namespace kb
