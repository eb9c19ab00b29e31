// In every unit test program, so the settings hold however a test is started:
// ctest's ENVIRONMENT does not survive discovery with more than one variable.

#include "tests/support/environment.h"

namespace {

struct TestEnvironment {
  TestEnvironment() {
    using kb::testing::SetEnv;
    SetEnv("KRINGELBAHN_BROADCAST_ADDRESS", "127.255.255.255");
    SetEnv("SDL_VIDEODRIVER", "dummy");
    SetEnv("SDL_AUDIODRIVER", "dummy");
    // A closed loopback port: the Internet list is never fetched from outside.
    SetEnv("KRINGELBAHN_LIST_HOST", "127.0.0.1:9");
    // No router is searched for on the LAN: the closed port is asked instead.
    SetEnv("KRINGELBAHN_UPNP_DESCRIPTION", "http://127.0.0.1:9/rootDesc.xml");
    SetEnv("KRINGELBAHN_NATPMP_GATEWAY", "127.0.0.1");
  }
} testEnvironment;

}  // namespace

// fontconfig keeps its configuration until the process ends.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
