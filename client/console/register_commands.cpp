#include "client/console/command_context.h"
#include "client/console/command_registry.h"
#include "client/console/commands.h"
#include "client/console/console.h"
#include "client/console/mode_command.h"

namespace kb {

namespace {

int Mode(CommandContext& ctx, const std::string& args, int fromScript, const std::string&) {
  return ModeCommand(ctx.model, args, fromScript != 0);
}

}  // namespace

void RegisterCommands(ConsoleState& console) {
  struct Entry {
    int (*handler)(CommandContext&, const std::string&, int, const std::string&);
    const char* name;
    const char* help;
  };
  // Registration order; the public ones carry their help line.
  static const Entry kPublic[] = {
      {DumpCommand, "dump",
       "Dump ([datei]): Den Inhalt der Konsole in eine Datei (standard \"ConsoleDump.txt\") speichern"},
      {VerwirrungCommand, "verwirrung", "Verwirrung ([on/off]): Verwirrung ein- oder ausschalten"},
      {UpgradesCommand, "upgrades", "Upgrades ([on/off]): Upgrades ein- oder ausschalten"},
      {ConnectCommand, "connect", "Connect [ip] ([port]): Mit einem Server verbinden"},
      {PauseCommand, "pause", "Pause ([on/off]): Das Spiel pausieren oder fortsetzen"},
      {AdminCommand, "admin", "Admin [befehl]: Dem Server einen Befehl schicken"},
      {ExecCommand, "exec", "Exec [datei]: Ein Kringelbahn Script ausf\xFChren"},
      {BotsCommand, "bots", "Bots [zahl]: Anzahl der Bots einstellen"},
      {ClearCommand, "clear", "Clear: Die Konsole leeren"},
      {ExitCommand, "exit", "Exit: Das Spiel beenden"},
      {Mode, "mode", "Mode [modus]: Modus \xE4ndern"},
      {VolumeCommand, "volume", "Volume ([0-100]): Die Lautst\xE4rke der Ger\xE4usche einstellen (0 = aus)"},
  };
  static const Entry kHidden[] = {
      {InitGameCommand, "initgame", ""}, {ConsoleCommand, "console", ""}, {DelTextCommand, "deltext", ""},
      {FreezeCommand, "freeze", ""},     {AlertCommand, "alert", ""},     {AngleCommand, "angle", ""},
      {CloseCommand, "close", ""},       {ColorCommand, "color", ""},     {DebugCommand, "debug", ""},
      {DelayCommand, "delay", ""},       {EnterCommand, "enter", ""},     {ErrorCommand, "error", ""},
      {EchoCommand, "echo", ""},         {HelpCommand, "help", ""},       {ListCommand, "list", ""},
      {OpenCommand, "open", ""},         {PlayCommand, "play", ""},       {TextCommand, "text", ""},
      {ClearCommand, "cls", ""},         {DevCommand, "dev", ""},         {EndCommand, "end", ""},
      {SetCommand, "set", ""},           {IfCommand, "if", ""},
  };
  for (const Entry& entry : kPublic) RegisterCommand(console, entry.handler, entry.name, entry.help, 0);
  for (const Entry& entry : kHidden) RegisterCommand(console, entry.handler, entry.name, entry.help, 1);
  SortCommands(console);
}

}  // namespace kb
