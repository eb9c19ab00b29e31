# Settings for every emscripten (browser) build: tools/web/build-deps and the
# browser client build source this file, so both use the same compiler cache
# and node flags. The emscripten cache holds the system libraries (libc, libc++
# and their variants); objects built against one cache must be linked with the
# same one, so any build linking the libraries from build-deps must source this
# file (or export the same EM_CACHE) first.
kb_web_cache=${KB_WEB_CACHE:-$HOME/.cache/kringelbahn/web}
kb_em_root=/usr/share/emscripten
kb_em_version=$(tr -d '"[:space:]' <"$kb_em_root/emscripten-version.txt")
export KB_WEB_CACHE=$kb_web_cache
export EM_CACHE=$kb_web_cache/emcache-$kb_em_version
# Debian's config freezes the cache (read-only, prebuilt in
# /usr/share/emscripten/cache); ours may grow. Empty means false to emcc.
export EM_FROZEN_CACHE=
# Node 20's built-in fetch breaks emcc's own node runs; Debian keeps emcc's
# JavaScript modules (acorn, terser...) under /usr/share/nodejs.
export NODE_OPTIONS=--no-experimental-fetch
export NODE_PATH=/usr/share/nodejs
# CMake toolchain file for emcc/em++.
export KB_EM_TOOLCHAIN=$kb_em_root/cmake/Modules/Platform/Emscripten.cmake

# Seeds the cache once with Debian's prebuilt system libraries (a copy, as
# /usr/share is not ours to write); emcc builds any variant still missing.
# Several builds may start at once: one copies, the others wait for it.
if [ ! -f "$EM_CACHE/.seeded" ]; then
  mkdir -p "$kb_web_cache"
  (
    flock -w 900 9
    if [ ! -f "$EM_CACHE/.seeded" ]; then
      kb_seed=$(mktemp -d "$kb_web_cache/.emcache.XXXXXX")
      cp -a "$kb_em_root/cache/." "$kb_seed/"
      touch "$kb_seed/.seeded"
      rm -rf "$EM_CACHE"
      mv "$kb_seed" "$EM_CACHE"
    fi
  ) 9>"$kb_web_cache/.emcache.lock"
fi
