#include "client/console/command_text.h"
#include "client/console/console.h"
#include "client/core/console_lines.h"
#include "common/platform/core/text_file.h"

namespace kb {

void PrintWelcome(ConsoleLines& lines) {
  lines.Print(std::string("Willkommen zu ") + kVersionText + "!", kConsoleGreen);
}

void ClearConsole(ConsoleLines& lines) {
  lines.Clear();
  PrintWelcome(lines);
}

bool DumpConsole(ConsoleLines& lines, const std::string& fileName, int fromScript) {
  std::string name = Unquote(fileName.empty() ? std::string("ConsoleDump.txt") : fileName);
  TextFileWriter writer;
  bool ok = !name.empty() && writer.Create(name);
  if (ok) {
    for (const ConsoleLine& line : lines.Snapshot()) writer.WriteLine(line.text);
    ok = writer.Close();
  }
  if (!ok && fromScript == 0)
    lines.Print("Datei \"" + name + "\" konnte nicht erstellt werden.", kConsoleRed);
  return ok;
}

}  // namespace kb
