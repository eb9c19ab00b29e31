# The browser build (under emcmake): the libraries that tools/web/build-deps
# made, found through their pkg-config files alone. Nothing is built for
# threads, so the page needs no cross-origin isolation.
set(KB_WEB_PREFIX "$ENV{KB_WEB_PREFIX}" CACHE PATH "Where tools/web/build-deps installed the libraries")
if(NOT EXISTS ${KB_WEB_PREFIX}/lib/pkgconfig)
  message(FATAL_ERROR "No browser libraries in '${KB_WEB_PREFIX}': build them with tools/web/build-deps")
endif()
set(ENV{PKG_CONFIG_LIBDIR} ${KB_WEB_PREFIX}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
# The toolchain re-roots every lookup into emscripten's tree; a path already
# under a root stays as it is.
list(APPEND CMAKE_FIND_ROOT_PATH ${KB_WEB_PREFIX})
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(SDL2_TTF REQUIRED IMPORTED_TARGET SDL2_ttf)
pkg_check_modules(PNG REQUIRED IMPORTED_TARGET libpng)
