#pragma once

#include <string>

namespace kb {

struct CommandContext;

// The on/off rule: empty toggles, one character is read as a number, longer
// text only "on"/"off" (any letter case); the result is at most 1.
void SetSwitch(int& value, const std::string& args);

// Handlers, grouped by file; all take (ctx, args, fromScript, scriptName).
#define KB_COMMAND(name) int name(CommandContext&, const std::string&, int, const std::string&)
KB_COMMAND(ConsoleCommand);
KB_COMMAND(DebugCommand);
KB_COMMAND(DevCommand);
KB_COMMAND(FreezeCommand);
KB_COMMAND(PauseCommand);
KB_COMMAND(UpgradesCommand);
KB_COMMAND(VerwirrungCommand);

KB_COMMAND(AngleCommand);
KB_COMMAND(BotsCommand);
KB_COMMAND(ColorCommand);
KB_COMMAND(PlayCommand);
KB_COMMAND(InitGameCommand);

KB_COMMAND(TextCommand);
KB_COMMAND(DelTextCommand);
KB_COMMAND(EchoCommand);

KB_COMMAND(ClearCommand);
KB_COMMAND(CloseCommand);
KB_COMMAND(OpenCommand);
KB_COMMAND(SetCommand);
KB_COMMAND(EnterCommand);
KB_COMMAND(DumpCommand);
KB_COMMAND(ListCommand);

KB_COMMAND(IfCommand);
KB_COMMAND(EndCommand);
KB_COMMAND(DelayCommand);
KB_COMMAND(ExecCommand);
KB_COMMAND(ExitCommand);
KB_COMMAND(AlertCommand);
KB_COMMAND(ErrorCommand);

KB_COMMAND(VolumeCommand);

KB_COMMAND(ConnectCommand);
KB_COMMAND(AdminCommand);
#undef KB_COMMAND

}  // namespace kb
