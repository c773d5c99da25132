#!/usr/bin/env bash
# Speed of the terminal import: Scarica3 of Murello11500 imports a 100,000-line file received
# through the stand-in terminal control under Wine; SQLite's own .import loads the same rows
# into the same kind of table on this machine in the same run. Prints both rates.
# Not part of the test run; scripts/bench.sh runs it among the other benchmarks. Needs the win64
# build (built here when missing) and sqlite3's CLI (scripts/setup.sh).
#   Usage: scripts/bench_imports.sh [LINES]
set -euo pipefail

lines=${1:-100000}
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$root/build/win64/bin
wine64=/usr/lib/wine/wine64
work=$root/build/bench
mkdir -p "$work"

command -v sqlite3 >/dev/null || { echo "bench: sqlite3 is missing (scripts/setup.sh)" >&2; exit 1; }
if [ ! -f "$bin/Murello11500.dll" ] || [ ! -f "$bin/testing/vxterm_standin.dll" ]; then
  [ -d "$root/build/win64" ] || cmake --preset win64 >/dev/null
  cmake --build --preset win64 -j2 --target Murello11500 vxterm_standin harness_probe >/dev/null
fi

# A Wine environment of the benchmark's own, so that it never disturbs a test run's prefix.
bash "$root/tests/e2e/harness/wine_env.sh" up "$work/wine" "$wine64" "$bin/testing" >/dev/null
trap 'bash "$root/tests/e2e/harness/wine_env.sh" down "$work/wine" >/dev/null' EXIT
# shellcheck disable=SC1091
. "$work/wine/state.env"
export WINEPREFIX=$work/wine/prefix HOME=$work/wine/home WINEDEBUG=-all DISPLAY=$KIT_DISPLAY
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
drive_c=$WINEPREFIX/drive_c
win() { timeout 300 "$wine64" "$@"; }
winpath() { echo "Z:$1" | tr / '\\'; }

# The terminal's file: article;lot;sub-order;quantity, whole and decimal-comma quantities.
mkdir -p "$drive_c/vxterm"
rm -f "$drive_c/vxterm/calls.log" "$drive_c"/_Letture/*Rimesse_OF_* 2>/dev/null || true
awk -v n="$lines" 'BEGIN { for (i = 1; i <= n; i++)
  printf "ART%06d;%d;%d;%d,%d\r\n", i, i % 977, i % 31, i % 50, i % 4 * 25 }' \
  >"$drive_c/vxterm/file1.txt"

schema='CREATE TABLE Murello (Codart TEXT, IdLotto INTEGER, [Id SottoOrd] INTEGER,
  "Quantità" REAL, Data DATETIME, Rep INTEGER);'
rm -f "$work/component.db" "$work/dot_import.db"
sqlite3 "$work/component.db" "$schema"
sqlite3 "$work/dot_import.db" "$schema"

cp "$bin/Murello11500.dll" "$bin/testing/vxterm_standin.dll" "$drive_c/"
win regsvr32 /s 'C:\Murello11500.dll'
win regsvr32 /s 'C:\vxterm_standin.dll'
printf 'Set o = CreateObject("Murello11500.Murello")\r\no.DbPath = "%s"\r\nt = Timer\r\no.Scarica3\r\nWScript.Echo CLng((Timer - t) * 1000)\r\n' \
  "$(winpath "$work/component.db")" >"$work/scarica3.vbs"
component_ms=$(VXTERM_STANDIN_DIR='C:\vxterm' win cscript //nologo "$(winpath "$work/scarica3.vbs")" | tr -d '\r')
win regsvr32 /s /u 'C:\Murello11500.dll'
win regsvr32 /s /u 'C:\vxterm_standin.dll'
stored=$(sqlite3 "$work/component.db" 'SELECT count(*) FROM Murello')
[ "$stored" = "$lines" ] || { echo "bench: the component stored $stored rows of $lines" >&2; exit 1; }

# .import warns, line by line, about columns the file lacks: give it a table of the file's four.
sqlite3 "$work/dot_import.db" 'CREATE TABLE Righe (Codart TEXT, IdLotto INTEGER,
  [Id SottoOrd] INTEGER, "Quantità" REAL);'
ms() { date +%s%3N; }
t0=$(ms); sqlite3 "$work/dot_import.db" '.mode csv' '.separator ;' 'SELECT 1;' >/dev/null; t1=$(ms)
# CSV mode reads CR LF line ends; fields at ";".
sqlite3 "$work/dot_import.db" '.mode csv' '.separator ;' ".import $drive_c/vxterm/file1.txt Righe"
t2=$(ms)
startup=$((t1 - t0))
import_ms=$((t2 - t1 - startup))
[ "$import_ms" -gt 0 ] || import_ms=1
imported=$(sqlite3 "$work/dot_import.db" 'SELECT count(*) FROM Righe')

rate() { awk -v n="$1" -v ms="$2" 'BEGIN { printf "%.0f", n * 1000 / (ms > 0 ? ms : 1) }'; }
echo "Scarica3 under Wine: $lines lines in $component_ms ms: $(rate "$lines" "$component_ms") rows/s (transfer included)"
echo "sqlite3 .import:     $imported lines in $import_ms ms: $(rate "$imported" "$import_ms") rows/s (start-up of ${startup} ms taken off)"
awk -v a="$(rate "$lines" "$component_ms")" -v b="$(rate "$imported" "$import_ms")" \
  'BEGIN { printf "ratio: %.2f of .import (goal: at least 0.50)\n", a / b }'
