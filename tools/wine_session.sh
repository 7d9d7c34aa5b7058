# Sourced by the scripts that run Windows programs: one Wine prefix for the
# project under build/wine, and an X display (Xvfb when there is none).
root=${root:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}

export WINEPREFIX="$root/build/wine/prefix"
export WINEARCH=win32
export WINEDEBUG=-all
export LANG=zh_CN.UTF-8
export LC_ALL=zh_CN.UTF-8

# Starts Xvfb on a free display unless one is usable already; XVFB_PID is
# then the server we started, for the caller to stop. With "private", always
# starts one of our own, on a display number Xvfb picks itself, so that no
# other session's windows share our screen.
start_display() {
  if [ "${1:-}" = private ]; then
    local numberfile
    numberfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numberfile" >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do [ -s "$numberfile" ] && break; sleep 0.1; done
    export DISPLAY=":$(head -n 1 "$numberfile")"
    rm -f "$numberfile"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    return 0
  fi
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local number=97
  while [ -e "/tmp/.X${number}-lock" ]; do
    if DISPLAY=":$number" xdpyinfo >/dev/null 2>&1; then break; fi
    number=$((number + 1))
  done
  export DISPLAY=":$number"
  if ! xdpyinfo >/dev/null 2>&1; then
    Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  fi
}

# Makes the prefix once: a 32-bit Windows whose programs share one 1024x768
# virtual desktop (so windows get captions and a work area), and where a
# crashing program ends instead of waiting in the debugger's dialog.
ensure_prefix() {
  [ -f "$WINEPREFIX/.ready" ] && return 0
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.ready"
}
