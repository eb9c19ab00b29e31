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

}  // namespace kb::testing
