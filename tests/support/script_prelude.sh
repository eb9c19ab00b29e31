# Sourced first by the tests written in bash: a work folder (kept with
# KB_KEEP_WORK=1), the processes in pids ended at the exit, and the ways such
# a test ends early or waits.
work=$(mktemp -d)
pids=()
cleanup() {
  [ ${#pids[@]} -gt 0 ] && kill "${pids[@]}" 2>/dev/null
  [ -n "${KB_KEEP_WORK:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
# Where every tool must be there (KB_NO_SKIPS=1, as tools/run-tests sets it) a skip fails.
skip() { echo "SKIP: $*"; [ "${KB_NO_SKIPS:-0}" = 1 ] && exit 1; exit 77; }
need() { for tool in "$@"; do command -v "$tool" >/dev/null || skip "$tool is not installed"; done; }
fail() {  # the reason; then what each program wrote
  echo "FAIL: $1"
  for f in "$work"/*.out "$work"/*/out.txt; do [ -f "$f" ] && { echo "== $f"; cat "$f"; }; done
  exit 1
}
free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
wait_for() {  # text file seconds
  for _ in $(seq $(($3 * 10))); do grep -q "$1" "$2" 2>/dev/null && return 0; sleep 0.1; done
  return 1
}
