#!/usr/bin/env bash
# Runs every test: the native unit tests and the end-to-end tests of the real
# program under Wine. Ends with ctest's summary line.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh"
"$root/tools/build.sh" >/dev/null
source "$root/tools/wine_session.sh"

cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  start_display
  xvfb_pid=$(pgrep -n -f "Xvfb $DISPLAY " || true)
fi
ensure_prefix

# A bounded fuzz run of what turns registry data into a started program; an
# input that breaks a property fails the run (see tests/fuzz/run_fuzz.sh).
"$root/tests/fuzz/run_fuzz.sh" 60 >"$root/build/fuzz.log" 2>&1 ||
  { tail -n 40 "$root/build/fuzz.log"; echo "fuzz: a property failed; see build/fuzz/artifacts" >&2; exit 1; }
echo "fuzz: $(grep -E '^Done [0-9]+ runs' "$root/build/fuzz.log" | tail -n 1)"

cd "$root/build/native"
ctest --output-on-failure --timeout 600
