#!/usr/bin/env bash
# Benchmarks, run in one go on this machine (not part of scripts/test.sh):
#   - the serial download through VBScript under Wine from the simulated pen, 1,000 readings, with
#     the database on disk and on a memory file system (/dev/shm);
#   - the CPU that Scarica uses while it waits out a silent pen's time-out, as a share of a core,
#     and the same for Scarica1 while its handshake waits out a silent infrared reader (with the
#     time of a 1,000-record infrared download), from the end-to-end test that measures them;
#   - the launcher: from its process's start to the stand-in Access's start, and from Access's
#     end to the launcher's end (the registry put back), with -WAIT=0;
#   - the terminal import (Scarica3) beside SQLite's own .import of the same rows
#     (scripts/bench_imports.sh).
# Prints a table and writes it to build/bench/results.txt.
#   scripts/bench.sh [--records N] [--repeat N] [--import-lines N]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

records=1000 repeat=3 import_lines=100000
while [ $# -gt 0 ]; do
  case "$1" in
    --records) records=$2; shift 2 ;;
    --repeat) repeat=$2; shift 2 ;;
    --import-lines) import_lines=$2; shift 2 ;;
    *) echo "usage: scripts/bench.sh [--records N] [--repeat N] [--import-lines N]" >&2; exit 2 ;;
  esac
done

bash scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j"$(nproc)" >/dev/null
cmake --preset native >/dev/null
cmake --build --preset native -j"$(nproc)" --target pen_simulator_program reader_infrared_e2e >/dev/null

wine64=/usr/lib/wine/wine64
bin=$root/build/win64/bin
testing=$bin/testing
pen=$root/build/native/bin/pen_simulator
out=$root/build/bench
dir=$out/wine
for f in "$bin/Lanvik_2003.exe" "$bin/Murello11500.dll" "$testing/access_standin.exe" \
  "$testing/MSACC.OLB" "$testing/dialog_driver.exe" "$testing/launch_timer.exe" "$pen"; do
  [ -f "$f" ] || { echo "bench: $f is missing; the build above did not make it" >&2; exit 1; }
done
mkdir -p "$out"
results=$out/results.txt

# The terminal import first: it brings up and takes down the same Wine environment itself.
imports=$(bash scripts/bench_imports.sh "$import_lines" | tr -d '\r')
# Scarica1's wait and its 1,000 records: the end-to-end test prints both (in the tests' own prefix).
infrared=$(ctest --preset native -R 'ReaderInfrared.*Measurements' -V 2>&1 | tr -d '\r')
infrared_wait=$(printf '%s\n' "$infrared" | sed -n 's/.*handshake wait: .*(\([0-9.]*\)% of one core).*/\1/p' | head -1)
infrared_thousand=$(printf '%s\n' "$infrared" | sed -n 's/.*1000 records in \([0-9]*\) ms.*/\1/p' | head -1)
[ -n "$infrared_wait" ] && [ -n "$infrared_thousand" ] ||
  { echo "bench: the infrared measurement did not run" >&2; printf '%s\n' "$infrared" | tail -20 >&2; exit 1; }

bash tests/e2e/harness/wine_env.sh up "$dir" "$wine64" "$testing" >/dev/null
pen_pid='' shm=''
cleanup() {
  [ -n "$pen_pid" ] && kill "$pen_pid" 2>/dev/null
  [ -n "$shm" ] && rm -rf "$shm"
  rm -f "$WINEPREFIX/dosdevices/com5" "$WINEPREFIX/drive_c/benchmem"
  bash tests/e2e/harness/wine_env.sh down "$dir" "$wine64" >/dev/null
}
trap cleanup EXIT
# shellcheck disable=SC1091
. "$dir/state.env"
export WINEPREFIX=$dir/prefix HOME=$dir/home WINEDEBUG=-all DISPLAY=$KIT_DISPLAY
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine() { timeout 120 "$wine64" "$@"; }
now() { date +%s.%N; }
hex() { printf '%s' "$1" | od -An -v -tx1 | tr -d ' \n'; }
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

work=$WINEPREFIX/drive_c/bench
mkdir -p "$work"
wine regsvr32 /s "$bin/Murello11500.dll"

start_pen() {  # start_pen ARGS...: a simulated pen on COM5
  "$pen" --link "$WINEPREFIX/dosdevices/com5" --lifetime 300 "$@" >"$out/pen.out" &
  pen_pid=$!
  for _ in $(seq 50); do grep -q ready "$out/pen.out" 2>/dev/null && break; sleep 0.1; done
  grep -q ready "$out/pen.out" || { echo "bench: the simulated pen did not start" >&2; exit 1; }
}
stop_pen() { kill "$pen_pid" 2>/dev/null || true; wait "$pen_pid" 2>/dev/null || true; pen_pid=''; }

new_database() {  # new_database UNIX_PATH: an empty table Murello
  rm -f "$1" "$1-journal"
  python3 - "$1" <<'PY'
import sqlite3, sys
sqlite3.connect(sys.argv[1]).execute(
    'CREATE TABLE Murello (Codart TEXT, [id sottoOrd] INTEGER, IdLotto INTEGER, "Quantità" REAL)')
PY
}

# --- Serial download ---------------------------------------------------------------------------
cat >"$work/scarica.vbs" <<'VBS'
Set o = CreateObject("Murello11500.Murello")
o.Porta = 5
o.DbPath = WScript.Arguments(0)
t = Timer
o.Scarica
WScript.Echo "elapsed " & Replace(CStr(Timer - t), ",", ".")
VBS
# The pen's answers: "ARTn;n;n%7;1,5" LF CR each, after the one-byte request.
wire_bytes=$(awk -v n="$records" 'BEGIN { for (i = 1; i <= n; i++) b += 1 + length("ART" i ";" i ";" (i % 7) ";1,5") + 2; print b + 1 + 7 }')
wire_ms=$(awk -v b="$wire_bytes" -v n="$records" 'BEGIN { printf "%.3f", b * 10 / 38400 / n * 1000 }')

download() {  # download disk|memory: seconds of Scarica, then of the whole cscript run
  local where=$1 db win
  if [ "$where" = memory ]; then
    db=$shm/letture.db win='C:\benchmem\letture.db'
  else
    db=$work/letture.db win='C:\bench\letture.db'
  fi
  new_database "$db"
  start_pen --generate "$records"
  local t0 t1
  t0=$(now)
  wine cscript //nologo 'C:\bench\scarica.vbs' "$win" >"$out/scarica.out" 2>&1
  t1=$(now)
  stop_pen
  local rows
  rows=$(python3 -c 'import sqlite3,sys; print(sqlite3.connect(sys.argv[1]).execute("select count(*) from Murello").fetchone()[0])' "$db")
  [ "$rows" = "$records" ] || { echo "bench: $where: $rows rows, not $records" >&2; cat "$out/scarica.out" >&2; exit 1; }
  local inner
  inner=$(sed -n 's/^elapsed //p' "$out/scarica.out" | tr -d '\r')
  awk -v i="$inner" -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f %.3f\n", i, b - a }'
}

shm=$(mktemp -d /dev/shm/kit-bench.XXXXXX)
ln -sfn "$shm" "$WINEPREFIX/drive_c/benchmem"
declare -A scarica total
for where in disk memory; do
  inner_runs='' total_runs=''
  for _ in $(seq "$repeat"); do
    read -r inner whole < <(download "$where")
    inner_runs+="$inner"$'\n' total_runs+="$whole"$'\n'
  done
  scarica[$where]=$(printf '%s' "$inner_runs" | median)
  total[$where]=$(printf '%s' "$total_runs" | median)
done

# --- CPU while Scarica waits for a silent pen ----------------------------------------------------
cat >"$work/wait.vbs" <<'VBS'
Set o = CreateObject("Murello11500.Murello")
o.Porta = 5
o.DbPath = "C:\bench\letture.db"
Set fs = CreateObject("Scripting.FileSystemObject")
fs.CreateTextFile("C:\bench\waiting.txt").Close
o.Scarica
VBS
ticks() {  # user + system clock ticks of the processes named
  local sum=0 pid
  for pid in "$@"; do
    [ -r "/proc/$pid/stat" ] || continue
    sum=$((sum + $(awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$pid/stat")))
  done
  echo "$sum"
}
wait_share() {  # one silent-pen wait: shares of a core used by cscript, and by the wineserver
  new_database "$work/letture.db"
  rm -f "$work/waiting.txt"
  start_pen
  wine "$testing/dialog_driver.exe" --timeout 20000 --answers OK \
    --cmd "$(hex 'C:\windows\system32\cscript.exe //nologo C:\bench\wait.vbs')" >"$out/wait.out" 2>&1 &
  local driver=$!
  for _ in $(seq 100); do [ -f "$work/waiting.txt" ] && break; sleep 0.05; done
  sleep 0.3
  local script='' pid
  for pid in $(pgrep -f 'wait.vbs'); do
    tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q '^C:' && script=$pid
  done
  local a s t0 a1 s1 t1
  a=$(ticks "$script") s=$(ticks "$KIT_WINESERVER_PID") t0=$(now)
  sleep 1
  a1=$(ticks "$script") s1=$(ticks "$KIT_WINESERVER_PID") t1=$(now)
  wait "$driver" || true
  stop_pen
  grep -q 'TimeOut Error' <(grep DIALOG "$out/wait.out" | sed 's/.*title=\([0-9a-f]*\).*/\1/' | xxd -r -p) ||
    { echo "bench: the wait did not end with the time-out box" >&2; cat "$out/wait.out" >&2; exit 1; }
  awk -v a=$((a1 - a)) -v s=$((s1 - s)) -v hz="$(getconf CLK_TCK)" -v t0="$t0" -v t1="$t1" \
    'BEGIN { printf "%.1f %.1f\n", a / hz / (t1 - t0) * 100, s / hz / (t1 - t0) * 100 }'
}
wait_script='' wait_server=''
for _ in $(seq "$repeat"); do
  read -r x y < <(wait_share)
  wait_script+="$x"$'\n' wait_server+="$y"$'\n'
done
wait_cpu=$(printf '%s' "$wait_script" | median)
wait_server_cpu=$(printf '%s' "$wait_server" | median)

# --- Launcher ------------------------------------------------------------------------------------
office="$WINEPREFIX/drive_c/Program Files/Microsoft Office/OFFICE11"
mkdir -p "$office" "$WINEPREFIX/drive_c/Data"
cp "$testing/access_standin.exe" "$office/MSACCESS.EXE"
cp "$testing/MSACC.OLB" "$office/MSACC.OLB"
wine reg add 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Installer\Components\8F287D2F41B64AF4F8AB65C5DD9B2B8A' \
  /v 9040C10900063D11C8EF10054038389C /t REG_SZ /d 'C?\Program Files\Microsoft Office\OFFICE11\MSACCESS.EXE' /f >/dev/null
wine reg add 'HKCR\.mdb' /ve /t REG_SZ /d Access.Application.11 /f >/dev/null
cp "$bin/Lanvik_2003.exe" "$work/Lanvik_2003.exe"
printf '%s' 'C:\bench\Lanvik_2003.exe -WAIT=0 C:\Data\Stock.mdb' >"$work/launch.txt"
# Access lives long enough for the launcher's once-a-second look for its window to find it, so
# that the launcher then waits on Access's end and puts the registry back at once.
launch() {  # ms from the launcher's start to Access's start, and from Access's end to its own
  rm -f "$work/times.txt" "$work/access.txt"
  LANVIK_ACCESS_LIFETIME_MS=2500 LANVIK_ACCESS_TIMES='C:\bench\access.txt' \
    wine "$testing/launch_timer.exe" 'C:\bench\launch.txt' 'C:\bench\times.txt' >/dev/null
  [ -f "$work/access.txt" ] || { echo "bench: the stand-in Access did not run" >&2; exit 1; }
  local launcher access
  launcher=$(tr -d '\r' <"$work/times.txt") access=$(tr -d '\r' <"$work/access.txt")
  awk -v l="$launcher" -v a="$access" 'BEGIN {
    split(l, L, /[ =]/); split(a, A, /[ =]/)
    printf "%.0f %.0f\n", (A[2] - L[2]) / 1e4, (L[4] - A[4]) / 1e4 }'
}
launch >/dev/null  # the first run pays for Wine's own start-up
to_access='' to_restore=''
for _ in $(seq "$repeat"); do
  read -r x y < <(launch)
  to_access+="$x"$'\n' to_restore+="$y"$'\n'
done
access_ms=$(printf '%s' "$to_access" | median)
restore_ms=$(printf '%s' "$to_restore" | median)

# --- Table ---------------------------------------------------------------------------------------
cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)
{
  echo "Benchmarks, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores ($cpu), Wine $("$wine64" --version)"
  echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg) (other work on the machine slows every figure)"
  echo "median of $repeat runs; the pseudo-terminal has no line speed, so the time per reading is all"
  echo "cost beyond the wire; the wire itself takes $wire_ms ms per reading at 38,400 baud"
  echo
  printf '| %-64s | %-22s |\n' measure result
  printf '|%s|%s|\n' "$(printf -- '-%.0s' $(seq 66))" "$(printf -- '-%.0s' $(seq 24))"
  for where in disk memory; do
    awk -v w="$where" -v s="${scarica[$where]}" -v t="${total[$where]}" -v n="$records" 'BEGIN {
      printf "| %-64s | %-22s |\n", "serial download, " n " readings, database on " w ", Scarica",
        sprintf("%.2f s, %.0f readings/s", s, n / s)
      printf "| %-64s | %-22s |\n", "  time per reading beyond the wire", sprintf("%.2f ms", s / n * 1000)
      printf "| %-64s | %-22s |\n", "  whole cscript run (start of Wine and script included)", sprintf("%.2f s", t) }'
  done
  printf '| %-64s | %-22s |\n' "CPU while Scarica waits out a silent pen: cscript" "$wait_cpu % of a core"
  printf '| %-64s | %-22s |\n' "  the wineserver meanwhile (it also serves the dialog driver)" "$wait_server_cpu % of a core"
  printf '| %-64s | %-22s |\n' "CPU while Scarica1's handshake waits out a silent infrared reader" \
    "$(printf '%.1f' "$infrared_wait") % of a core"
  printf '| %-64s | %-22s |\n' "infrared download, 1,000 records through the stand-in link (Scarica1)" \
    "$infrared_thousand ms"
  printf '%s\n' "$imports" | awk '
    /^Scarica3/ { split($0, a, ": "); printf "| %-64s | %-22s |\n", "terminal import, Scarica3 under Wine (" a[2] ")", a[3] }
    /^sqlite3/  { split($0, a, ": "); printf "| %-64s | %-22s |\n", "  sqlite3 .import of the same rows (" a[2] ")", a[3] }
    /^ratio/    { printf "| %-64s | %-22s |\n", "  ratio", substr($0, 8) }'
  printf '| %-64s | %-22s |\n' "launcher start to Access start (-WAIT=0)" "$access_ms ms"
  printf '| %-64s | %-22s |\n' "Access end to launcher end (registry put back)" "$restore_ms ms"
} | tee "$results"
