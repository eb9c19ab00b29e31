#pragma once

#include <functional>
#include <string>

namespace kb {

struct Client;

// The file a script name stands for: ".kbs" is appended when the name has no
// extension (the part after the last "." behind the last "/" or "\").
std::string ScriptFileName(const std::string& name);

// Runs one script on the calling thread, line by line with the client-state
// lock held for each line and 2 ms between lines.
void RunScript(Client& client, const std::string& name);

// Runs wait with the client-state lock released when the calling thread is a
// script runner in the middle of a line; otherwise simply runs it.
void WaitOutsideStateLock(const std::function<void()>& wait);

}  // namespace kb
