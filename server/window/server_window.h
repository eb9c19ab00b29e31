#pragma once

#include <functional>
#include <string>

#include "server/server_settings.h"

namespace kb {

// Shows a message box on the window's thread and returns at once, so it
// blocks no caller; any thread may call it. Title and text are Latin-1, like
// every text of the server.
using MessageBoxHook = std::function<void(const std::string& title, const std::string& text, bool warning)>;

class ServerLoop;

// Called on the window's thread once the server is open, before its loop
// runs: where the list tasks get their message boxes and the game its hooks.
// The message box hook stays valid until RunServerWindow returns, so tasks
// that use it must have ended by then.
using ServerStartHook = std::function<void(ServerLoop& loop, MessageBoxHook messageBox)>;

// The dedicated server with its window: asks for the name, runs the server
// loop on a thread of its own and shows its state until the operator closes
// the window or an administrator shuts the server down. The settings the
// window has no gadget for (the caps) come from initial; fixedPort as in
// ServerLoop::Open. Returns the program's exit code.
int RunServerWindow(const ServerSettings& initial, int fixedPort, ServerStartHook onStart = {});

}  // namespace kb
