#pragma once

#include <string>

namespace kb {

struct CommandContext;

// The file a script name stands for: ".kbs" is appended when the name has no
// extension (the part after the last "." behind the last "/" or "\").
std::string ScriptFileName(const std::string& name);

// Runs the next line of every script whose time has come: one line each per
// pass, 2 ms of the clock after the last, none after "exit".
void StepScripts(CommandContext& ctx);

// For the line of a script that is running: its next line waits until then.
void DelayScript(CommandContext& ctx, int64_t until);

}  // namespace kb
