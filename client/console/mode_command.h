#pragma once

#include <string>

namespace kb {

struct Model;

// The console command "mode": a state name in any letter case, or (in debug
// mode only) a state number. From a script the change happens without fade
// frames and leaves the console alone. Always returns 1.
int ModeCommand(Model& model, const std::string& args, bool fromScript);

// The GameState for a mode name (lower case), or 0.
int GameStateByName(const std::string& name);

}  // namespace kb
