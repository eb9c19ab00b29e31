// Linked into every unit test program, so the settings hold however a test is
// started (ctest, by hand, in a debugger): the ENVIRONMENT property does not
// survive test discovery with more than one variable.

#include <cstdlib>

namespace {

struct TestEnvironment {
  TestEnvironment() {
    setenv("KRINGELBAHN_BROADCAST_ADDRESS", "127.255.255.255", 1);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // A closed loopback port: a screen that fetches the Internet list never
    // reaches beyond this machine.
    setenv("KRINGELBAHN_LIST_HOST", "127.0.0.1:9", 1);
  }
} testEnvironment;

}  // namespace

// fontconfig keeps its configuration until the process ends.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
