#!/usr/bin/env bash
# Builds the program and shows the notice under Wine. On a machine without a
# display it runs under Xvfb, saves a screenshot and closes the notice.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh"
"$root/tools/build.sh" >/dev/null
source "$root/tools/wine_session.sh"

headless=0
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then headless=1; fi
exe="$root/build/win/TarvicUpdateHelper.exe"
if [ "$headless" = 0 ]; then
  ensure_prefix
  exec wine "$exe"
fi

shot="$root/build/screenshots/notice.png"
mkdir -p "$(dirname "$shot")"
start_display private
ensure_prefix
wine "$exe" >/dev/null 2>&1 &
app=$!
wine "$root/build/win/tools/uidriver.exe" wait-window TarvicUpdateHelper 30000 >/dev/null
sleep 1
import -window root "$shot"
wine "$root/build/win/tools/uidriver.exe" close-window TarvicUpdateHelper >/dev/null
wait "$app"
wineserver -k >/dev/null 2>&1 || true
kill "$XVFB_PID" 2>/dev/null || true
echo "The notice was shown under Xvfb; screenshot: $shot"
