#pragma once

#include <string>

#include "client/console/console_state.h"

namespace kb {

struct CommandContext;

// Appends one command to the table (registration order).
void RegisterCommand(ConsoleState& console, CommandHandler handler, const std::string& name,
                     const std::string& help, int hidden);

// Sorts the table by name, byte order; once, after the last registration.
void SortCommands(ConsoleState& console);

// Executes one command line: name up to the first blank, arguments after it
// with quoted blanks protected. Returns the handler's result, 1 when nothing
// matched.
int DispatchCommand(CommandContext& ctx, const std::string& line, int fromScript,
                    const std::string& scriptName);

// The "help" command: the public names, or one command's help text.
int HelpCommand(CommandContext& ctx, const std::string& args, int fromScript, const std::string& scriptName);

// Command lines nested deeper than this (if inside if ...) are dropped, so
// an endless chain on a long script line cannot exhaust the stack.
constexpr int kMaxCommandNesting = 64;

}  // namespace kb
