// kb-fuzz-libs: kb_client
// Feeds arbitrary command lines to the console's dispatcher, as typed (first
// byte even) or from a script (odd).
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>

#include "client/console/command_registry.h"
#include "client/console/command_text.h"
#include "client/console/console.h"
#include "tests/client/harness.h"

namespace {

kb::TestClient& Fixture() {
  static kb::TestClient* fixture = [] {
    // Files that dump writes stay in a scratch directory.
    char pattern[] = "/tmp/kb_console_fuzz_XXXXXX";
    if (mkdtemp(pattern) == nullptr || chdir(pattern) != 0) std::abort();
    auto* t = new kb::TestClient;
    kb::RegisterCommands(t->client.console);
    t->client.console.hooks.messageBox = [](const std::string&, const std::string&, bool) {};
    return t;
  }();
  return *fixture;
}

bool Rejected(const std::string& line) {
  // No paths (files stay in the scratch directory) and no scripts: a dumped
  // console can hold a script that starts itself forever, as in the game.
  if (line.find_first_of("/\\") != std::string::npos) return true;
  return kb::ToLower(line).find("exec") != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::string line(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (Rejected(line)) return 0;
  kb::TestClient& t = Fixture();
  kb::Client& client = t.client;
  kb::DispatchCommand(client.commands, line, data[0] & 1, "fuzz.kbs");
  // Keep the state from growing without bound over millions of runs.
  if (client.consoleLines.Size() > 1000) client.consoleLines.Clear();
  if (client.textObjects.size() > 1000) client.textObjects.clear();
  if (client.console.input.size() > 100000) client.console.input.clear();
  client.frame.quit = false;
  return 0;
}
