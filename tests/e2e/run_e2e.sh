#!/usr/bin/env bash
# Runs the end-to-end tests under Wine: run_e2e.sh WINDOWS_BUILD_DIR [GTEST_FILTER]
# The tests get a prefix and an X display of their own (build/wine/e2e-prefix,
# a private Xvfb), so that a notice shown by tools/show.sh meanwhile cannot
# take their keys or their screenshots; runs of this script take turns. The
# stand-in programs go into the prefix first, and nothing is left running in
# it afterwards.
set -uo pipefail
win=$(cd "${1:?usage: run_e2e.sh WINDOWS_BUILD_DIR [GTEST_FILTER]}" && pwd)
filter=${2:-*}
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tools/wine_session.sh"
export WINEPREFIX="$root/build/wine/e2e-prefix"

tests="$win/tests/e2e/e2e_tests.exe"
for need in "$tests" "$win/TarvicUpdateHelper.exe" "$win/tools/uiprobe.dll"; do
  [ -f "$need" ] || { echo "run_e2e: $need is missing; build the Windows preset first" >&2; exit 1; }
done

mkdir -p "$root/build/wine"
exec 9>"$root/build/wine/e2e.lock"
flock 9

start_display private
trap 'wineserver -k >/dev/null 2>&1; [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null' EXIT
ensure_prefix || exit 1

# Stand-ins, as "built file:names in the prefix". Wine runs a program of its
# own in place of a native file of that name unless the name is overridden
# native-first; the overrides reach every program the tests start.
standins=(
  "tools/standins/winhlp32.exe:windows/winhlp32.exe windows/system32/winhlp32.exe"
  # The shell finds "iexplore" in system32, whether the notice or the
  # desktop's Explorer asks; Explorer has the overrides from this session.
  "tools/standins/iexplore.exe:windows/system32/iexplore.exe"
)
overrides=()
for entry in "${standins[@]}"; do
  built="$win/${entry%%:*}"
  [ -f "$built" ] || { echo "run_e2e: $built is missing" >&2; exit 1; }
  for place in ${entry#*:}; do
    cp "$built" "$WINEPREFIX/drive_c/$place" || exit 1
  done
  overrides+=("$(basename "$built")=n")
done
# Native first for the system DLL names the hardening tests plant beside the
# program (hardening_planted_test.cpp), so that a planted one is loaded for
# whoever asks for it by its bare name with its folder in the search, as
# Windows would; the others get Wine's own, from the system folder. Set here:
# overrides a Windows program puts in its environment do not reach the
# programs it starts.
overrides+=(dwmapi=n,b comctl32=n,b cryptbase=n,b mpr=n,b wininet=n,b urlmon=n,b uxtheme=n,b)
export WINEDLLOVERRIDES=$(IFS=';'; echo "${overrides[*]}")

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

# Screenshots come out as BMP; keep a PNG of each.
for bmp in "$artefacts"/*.bmp; do
  [ -f "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" 2>/dev/null && rm -f "$bmp" && echo "artefact: ${bmp%.bmp}.png"
done
exit $status
