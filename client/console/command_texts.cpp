#include <algorithm>

#include "client/console/command_context.h"
#include "client/console/command_text.h"
#include "client/console/commands.h"
#include "client/console/console.h"

namespace kb {

namespace {

// "$" + BB + GG + RR from the last six characters of an RRGGBB field; a
// leading "#" falls outside them.
Colour TextColour(const std::string& field) {
  std::string tail = field.size() > 6 ? field.substr(field.size() - 6) : field;
  std::string hex = "$";
  for (size_t start : {4u, 2u, 0u})
    if (start < tail.size()) hex += tail.substr(start, 2);
  if (hex == "$") hex = "$FFFFFF";
  return static_cast<Colour>(ParseNumber(hex));
}

}  // namespace

int TextCommand(CommandContext& ctx, const std::string& args, int, const std::string&) {
  std::string name = Unquote(TextField(args, 1));
  int x = ParseNumber(TextField(args, 2));
  int y = ParseNumber(TextField(args, 3));
  std::string text = Unquote(TextField(args, 4));
  auto& objects = ctx.model.textObjects;
  auto found =
      std::find_if(objects.begin(), objects.end(), [&](const TextObject& o) { return o.name == name; });
  TextObject* object;
  if (found == objects.end()) {
    TextObject created;
    created.name = name;
    created.colour = TextColour(TextField(args, 5));
    objects.push_back(created);
    object = &objects.back();
  } else {
    object = &*found;
    if (text.empty()) text = object->text;
  }
  object->x = x;
  object->y = y;
  object->text = text;
  return 1;
}

int DelTextCommand(CommandContext& ctx, const std::string& args, int, const std::string&) {
  std::string name = Unquote(args);
  auto& objects = ctx.model.textObjects;
  auto found =
      std::find_if(objects.begin(), objects.end(), [&](const TextObject& o) { return o.name == name; });
  if (found != objects.end()) objects.erase(found);
  return 1;
}

int EchoCommand(CommandContext& ctx, const std::string& args, int fromScript, const std::string& scriptName) {
  std::string text = Unquote(args);
  ctx.Print(fromScript != 0 ? "[" + scriptName + "] " + text : text, kConsoleWhite);
  return 1;
}

}  // namespace kb
