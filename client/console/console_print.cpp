#include "client/console/command_text.h"
#include "client/console/console.h"
#include "client/core/client.h"
#include "common/platform/core/text_file.h"

namespace kb {

void ConsolePrint(Client& client, const std::string& text, Colour colour) {
  client.console.lines.Print(text, colour);
}

void PrintWelcome(Client& client) {
  ConsolePrint(client, std::string("Willkommen zu ") + kVersionText + "!", kConsoleGreen);
}

void ClearConsole(Client& client) {
  client.console.lines.Clear();
  PrintWelcome(client);
}

bool DumpConsole(Client& client, const std::string& fileName, int fromScript) {
  std::string name = Unquote(fileName.empty() ? std::string("ConsoleDump.txt") : fileName);
  TextFileWriter writer;
  bool ok = !name.empty() && writer.Create(name);
  if (ok) {
    for (const ConsoleLine& line : client.console.lines.Snapshot()) writer.WriteLine(line.text);
    ok = writer.Close();
  }
  if (!ok && fromScript == 0)
    ConsolePrint(client, "Datei \"" + name + "\" konnte nicht erstellt werden.", kConsoleRed);
  return ok;
}

}  // namespace kb
