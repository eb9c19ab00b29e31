#pragma once

#include <cstdlib>
#include <string>

namespace kb::testing {

// Sets or removes a variable of this process's environment. On Windows an
// empty value removes the variable, which every reader here takes as unset.
inline void SetEnv(const char* name, const std::string& value) {
#ifdef _WIN32
  _putenv_s(name, value.c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

inline void UnsetEnv(const char* name) {
#ifdef _WIN32
  _putenv_s(name, "");
#else
  unsetenv(name);
#endif
}

// True where every tool a test needs must be there (tools/run-tests, CI):
// a test that cannot run fails there instead of skipping.
inline bool SkipsAreFailures() {
  const char* value = std::getenv("KB_NO_SKIPS");
  return value && std::string(value) == "1";
}

}  // namespace kb::testing

// Skips a test that cannot run here, with the reason; fails where skips are failures.
#define KB_SKIP_OR_FAIL(reason)                                 \
  do {                                                          \
    if (::kb::testing::SkipsAreFailures()) FAIL() << (reason);  \
    GTEST_SKIP() << (reason);                                   \
  } while (0)
