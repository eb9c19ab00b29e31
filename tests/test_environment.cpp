// Linked into every unit test program, so the settings hold however a test is
// started (ctest, by hand, in a debugger): the ENVIRONMENT property does not
// survive test discovery with more than one variable.

#include "tests/support/environment.h"

namespace {

struct TestEnvironment {
  TestEnvironment() {
    using kb::testing::SetEnv;
    SetEnv("KRINGELBAHN_BROADCAST_ADDRESS", "127.255.255.255");
    SetEnv("SDL_VIDEODRIVER", "dummy");
    SetEnv("SDL_AUDIODRIVER", "dummy");
    // A closed loopback port: a screen that fetches the Internet list never
    // reaches beyond this machine.
    SetEnv("KRINGELBAHN_LIST_HOST", "127.0.0.1:9");
  }
} testEnvironment;

}  // namespace

// fontconfig keeps its configuration until the process ends.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
