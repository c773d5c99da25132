#!/usr/bin/env bash
# The Wine environment of the end-to-end tests, all of it under one folder of the build tree:
#   wine_env.sh up DIR [WINE64 [TESTING_DIR]]
#       starts an Xvfb display and a persistent wineserver for the prefix DIR/prefix (initialised
#       on first use, reused after), and a program that holds the desktop open (from TESTING_DIR)
#   wine_env.sh down DIR [WINE64] stops them, by process id
# DIR/state.env tells the tests the display, the Windows user and the process ids.
set -euo pipefail

action=${1:?usage: wine_env.sh up|down DIR [WINE64]}
dir=${2:?usage: wine_env.sh up|down DIR [WINE64]}
wine64=${3:-/usr/lib/wine/wine64}
testing_dir=${4:-}
wineserver=$(dirname "$wine64")/wineserver
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
state=$dir/state.env
prefix=$dir/prefix
# Bump when the preparation below changes: older prefixes are then made anew.
stamp="kit-prefix-1 $("$wine64" --version 2>/dev/null || echo unknown)"

export WINEPREFIX=$prefix HOME=$dir/home WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset WINESERVER WINELOADER

now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }

# Ends a process we started, if it is still the one we started.
stop_pid() {
  local pid=$1 name=$2
  [ -n "$pid" ] && [ -r "/proc/$pid/cmdline" ] || return 0
  tr '\0' ' ' <"/proc/$pid/cmdline" | grep -q -- "$name" || return 0
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 50); do [ -e "/proc/$pid" ] || return 0; sleep 0.1; done
  kill -9 "$pid" 2>/dev/null || true
}

stop() {
  [ -f "$state" ] || return 0
  local KIT_XVFB_PID='' KIT_WINESERVER_PID='' KIT_DISPLAY='' KIT_DESKTOP_PID=''
  # shellcheck disable=SC1090
  . "$state"
  if [ -n "$KIT_WINESERVER_PID" ] && [ -e "/proc/$KIT_WINESERVER_PID" ]; then
    DISPLAY=$KIT_DISPLAY timeout 20 "$wineserver" -k 2>/dev/null || true
  fi
  stop_pid "$KIT_DESKTOP_PID" hold-desktop
  stop_pid "$KIT_WINESERVER_PID" wineserver
  stop_pid "$KIT_XVFB_PID" Xvfb
  rm -f "$state"
}

# The server's socket lies in a folder named after the prefix's device and inode (under
# /tmp/.wine-UID or, with this Debian build, a /tmp/wine-XXXXXX folder).
server_socket_exists() {
  local name
  name=$(printf 'server-%x-%x' "$(stat -c %d "$prefix")" "$(stat -c %i "$prefix")")
  compgen -G "/tmp/.wine-$(id -u)/$name/socket" >/dev/null ||
    compgen -G "/tmp/wine-*/$name/socket" >/dev/null
}

wait_for_server() {
  for _ in $(seq 100); do server_socket_exists && return 0; sleep 0.05; done
  echo "wine_env: the wineserver did not come up" >&2
  return 1
}

prefix_ready() {
  [ -f "$prefix/.kit-ready" ] && [ "$(cat "$prefix/.kit-ready")" = "$stamp" ] &&
    [ -f "$prefix/system.reg" ] && [ -f "$prefix/user.reg" ]
}

up() {
  command -v Xvfb >/dev/null || { echo "wine_env: Xvfb is missing (scripts/setup.sh)" >&2; exit 1; }
  [ -f "$wine64" ] && [ -x "$wine64" ] || { echo "wine_env: $wine64 is missing (scripts/setup.sh)" >&2; exit 1; }
  stop  # leftovers of an interrupted run
  trap stop EXIT  # a failed start leaves nothing running
  mkdir -p "$HOME"
  local t0 t1
  t0=$(now)

  # A display of our own: Xvfb picks a free number and reports it.
  rm -f "$dir/display"
  setsid Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$dir/display" \
    </dev/null >"$dir/xvfb.log" 2>&1 &
  local xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$dir/display" ] && break; sleep 0.05; done
  [ -s "$dir/display" ] || { echo "wine_env: Xvfb did not start" >&2; cat "$dir/xvfb.log" >&2; exit 1; }
  export DISPLAY=":$(tr -d '\n' <"$dir/display")"
  {
    echo "KIT_DISPLAY=$DISPLAY"
    echo "KIT_XVFB_PID=$xvfb_pid"
  } >"$state"

  local fresh=0
  if ! prefix_ready; then
    fresh=1
    t1=$(now)
    rm -rf "$prefix"
    WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" timeout 180 "$wine64" wineboot -i \
      >"$dir/wineboot.log" 2>&1 || { echo "wine_env: wineboot failed" >&2; cat "$dir/wineboot.log" >&2; exit 1; }
    timeout 60 "$wineserver" -w || true
    echo "wine_env: new prefix in $(since "$t1") s"
  fi

  # One server for the whole run: without it every wine call starts (and waits for) its own.
  # The server opens every file and device for the programs. Run by root it would bypass file
  # permissions, so a device made unreadable (chmod 000) would still open; without those two
  # capabilities it fails with access denied, as a port held by another program does on Windows.
  local server=("$wineserver" -f -p)
  if [ "$(id -u)" = 0 ]; then
    command -v setpriv >/dev/null || { echo "wine_env: setpriv is missing (util-linux)" >&2; exit 1; }
    server=(setpriv --bounding-set=-dac_override,-dac_read_search "${server[@]}")
  fi
  setsid "${server[@]}" </dev/null >"$dir/wineserver.log" 2>&1 &
  local server_pid=$!
  echo "KIT_WINESERVER_PID=$server_pid" >>"$state"
  wait_for_server

  if [ $fresh = 1 ]; then
    # No window manager delay after a box closes, no crash dialog left open.
    printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n\r\n' \
      >"$dir/settings.reg"
    timeout 60 "$wine64" reg import 'Z:'"$(echo "$dir/settings.reg" | tr / '\\')" >/dev/null
    # The user's folders lead into HOME in a new prefix: make them plain folders.
    local user_dir
    for user_dir in "$prefix"/drive_c/users/*; do
      [ "$(basename "$user_dir")" = Public ] && continue
      for f in Desktop Documents Downloads Music Pictures Videos; do
        if [ -L "$user_dir/$f" ]; then rm -f "$user_dir/$f"; mkdir -p "$user_dir/$f"; fi
      done
    done
    echo "$stamp" >"$prefix/.kit-ready"
  fi
  # Wine's desktop process (explorer) ends a second after the last program that used the
  # desktop, holding that program's output open meanwhile: one program holds the desktop for
  # the whole run, so no test waits for a desktop to start or to end.
  local holder=$testing_dir/harness_probe.exe
  if [ -n "$testing_dir" ] && [ -f "$holder" ]; then
    setsid "$wine64" "$holder" /hold-desktop </dev/null >"$dir/desktop.log" 2>&1 &
    echo "KIT_DESKTOP_PID=$!" >>"$state"
  else
    echo "wine_env: no $holder (win64 not built?): every test will start the desktop anew"
    timeout 60 "$wine64" cmd /c exit >/dev/null 2>&1 || true
  fi
  local user
  user=$(ls "$prefix/drive_c/users" | grep -v -x Public | head -n 1)
  echo "KIT_WINE_USER=$user" >>"$state"
  trap - EXIT
  echo "wine_env: up in $(since "$t0") s (DISPLAY $DISPLAY, Xvfb $xvfb_pid, wineserver $server_pid)"
}

case $action in
  up)
    # Wine's services and the servers outlive this script: none of them may hold the caller's
    # output open (CTest would wait for it), so all of it goes to a log.
    status=0
    (up) >"$dir/wine_env.log" 2>&1 </dev/null || status=$?
    if [ $status -ne 0 ]; then cat "$dir/wine_env.log"; exit $status; fi
    grep '^wine_env:' "$dir/wine_env.log"
    ;;
  down)
    (stop) >"$dir/wine_env_down.log" 2>&1 </dev/null
    echo "wine_env: stopped"
    ;;
  *) echo "usage: wine_env.sh up|down DIR [WINE64]" >&2; exit 2 ;;
esac
