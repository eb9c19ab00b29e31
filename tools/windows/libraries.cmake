# The third-party libraries for Windows, cross-built as static libraries by
# tools/windows/build-deps into the prefix named by KB_MINGW_PREFIX. Every
# program is linked statically (the C++ runtime and threads included), so no
# DLL has to travel with it. The targets take the names the Linux build gets
# from pkg-config.
find_package(SDL2 REQUIRED CONFIG)
find_package(SDL2_ttf REQUIRED CONFIG)
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)
find_package(PNG REQUIRED)

add_library(PkgConfig::SDL2 INTERFACE IMPORTED)
target_link_libraries(PkgConfig::SDL2 INTERFACE SDL2::SDL2-static)
# The programs keep their own main(): nothing of ours runs before SDL_Init
# that SDL's entry point would have to prepare.
target_compile_definitions(PkgConfig::SDL2 INTERFACE SDL_MAIN_HANDLED)
add_library(PkgConfig::SDL2_TTF INTERFACE IMPORTED)
target_link_libraries(PkgConfig::SDL2_TTF INTERFACE SDL2_ttf::SDL2_ttf-static)
add_library(PkgConfig::PNG INTERFACE IMPORTED)
target_link_libraries(PkgConfig::PNG INTERFACE PNG::PNG)
# wslay under the name its Linux package's CMake file gives it.
find_library(WSLAY_LIBRARY NAMES libwslay.a REQUIRED)
find_path(WSLAY_INCLUDE_DIR wslay/wslay.h REQUIRED)
add_library(wslay STATIC IMPORTED)
set_target_properties(wslay PROPERTIES IMPORTED_LOCATION ${WSLAY_LIBRARY}
                      INTERFACE_INCLUDE_DIRECTORIES ${WSLAY_INCLUDE_DIR} INTERFACE_LINK_LIBRARIES ws2_32)

# miniupnpc and libnatpmp, from tools/windows/build-gateway-deps into
# KB_MINGW_GATEWAY_PREFIX.
list(APPEND CMAKE_FIND_ROOT_PATH $ENV{KB_MINGW_GATEWAY_PREFIX})
find_library(MINIUPNPC_LIBRARY NAMES libminiupnpc.a REQUIRED)
find_path(MINIUPNPC_INCLUDE_DIR miniupnpc/miniupnpc.h REQUIRED)
add_library(miniupnpc STATIC IMPORTED)
set_target_properties(miniupnpc PROPERTIES IMPORTED_LOCATION ${MINIUPNPC_LIBRARY}
                      INTERFACE_INCLUDE_DIRECTORIES ${MINIUPNPC_INCLUDE_DIR}
                      INTERFACE_COMPILE_DEFINITIONS MINIUPNP_STATICLIB INTERFACE_LINK_LIBRARIES "ws2_32;iphlpapi")
find_library(NATPMP_LIBRARY NAMES libnatpmp.a REQUIRED)
find_path(NATPMP_INCLUDE_DIR natpmp.h REQUIRED)
add_library(natpmp STATIC IMPORTED)
set_target_properties(natpmp PROPERTIES IMPORTED_LOCATION ${NATPMP_LIBRARY}
                      INTERFACE_INCLUDE_DIRECTORIES ${NATPMP_INCLUDE_DIR}
                      INTERFACE_COMPILE_DEFINITIONS NATPMP_STATICLIB INTERFACE_LINK_LIBRARIES "ws2_32;iphlpapi")

# Windows 10 and later; wide-character Win32 calls throughout.
add_compile_definitions(_WIN32_WINNT=0x0A00 UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
add_link_options(-static)

# Tests and tools run the programs through wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine CACHE STRING "Runs the Windows programs on this machine")
