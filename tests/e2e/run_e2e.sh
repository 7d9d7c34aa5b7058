#!/usr/bin/env bash
# Runs the end-to-end tests under Wine: run_e2e.sh WINDOWS_BUILD_DIR [GTEST_FILTER]
# Puts the stand-in programs into the prefix, starts e2e_tests.exe there with
# the paths it needs, and leaves nothing running in the prefix afterwards.
set -uo pipefail
win=$(cd "${1:?usage: run_e2e.sh WINDOWS_BUILD_DIR [GTEST_FILTER]}" && pwd)
filter=${2:-*}
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tools/wine_session.sh"

tests="$win/tests/e2e/e2e_tests.exe"
for need in "$tests" "$win/TarvicUpdateHelper.exe" "$win/tools/uiprobe.dll" \
  "$win/tools/standins/winhlp32.exe"; do
  [ -f "$need" ] || { echo "run_e2e: $need is missing; build the Windows preset first" >&2; exit 1; }
done

start_display
ensure_prefix || exit 1
trap 'wineserver -k >/dev/null 2>&1; [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null' EXIT

# Wine starts "winhlp32.exe -x" for WinHelp; with a native-first override
# it runs the file in the prefix, which is then ours.
for dir in "$WINEPREFIX/drive_c/windows" "$WINEPREFIX/drive_c/windows/system32"; do
  cp "$win/tools/standins/winhlp32.exe" "$dir/winhlp32.exe" || exit 1
done
export WINEDLLOVERRIDES="winhlp32.exe=n"

# Windows paths of Unix ones: Wine maps / to Z:.
winpath() { local p; p=$(realpath -m "$1"); printf 'Z:%s' "${p//\//\\}"; }
artefacts="$root/build/e2e-artefacts"
mkdir -p "$artefacts"
export E2E_APP="$(winpath "$win")\\TarvicUpdateHelper.exe"
export E2E_TOOLS="$(winpath "$win/tools")"
export E2E_FIXTURES="$(winpath "$win/tests/e2e/fixtures")"
export E2E_ARTEFACTS="$(winpath "$artefacts")"
export E2E_WORK='C:\e2e'

wine "$tests" --gtest_filter="$filter" --gtest_color=no
status=$?

# Screenshots come out as BMP; keep a PNG beside each.
for bmp in "$artefacts"/*.bmp; do
  [ -f "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" 2>/dev/null && rm -f "$bmp" && echo "artefact: ${bmp%.bmp}.png"
done
exit $status
