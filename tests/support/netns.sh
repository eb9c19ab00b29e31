# Sourced by the tests that need a network of their own (user and network
# namespaces, unshare -rn): they skip where none can be made, or fail under
# KB_NO_SKIPS.
skip() { echo "SKIP: $*"; [ "${KB_NO_SKIPS:-0}" = 1 ] && exit 1; exit 77; }
command -v unshare >/dev/null && command -v ip >/dev/null || skip "unshare or ip is missing"
unshare -rn true 2>/dev/null || skip "no user and network namespaces here (unshare -rn)"
