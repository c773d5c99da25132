#!/usr/bin/env bash
# Demo: builds the Windows binaries; runs a whole launch under Wine (Lanvik_2003.exe with a
# stand-in Access installed as the Access 2003 run-time) and shows its run log and the registry it
# prepared; then registers Murello11500.dll, downloads three readings
# from a simulated barcode pen into a SQLite database from a VBScript, and prints the rows.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j"$(nproc)"
# The simulated pen is a Linux program on a pseudo-terminal (pen_simulator is its library).
cmake --preset native >/dev/null
cmake --build --preset native -j"$(nproc)" --target pen_simulator_program

wine64=/usr/lib/wine/wine64
dir=$root/build/demo/wine
bin=$root/build/win64/bin
pen=$root/build/native/bin/pen_simulator
# Every piece the demo runs, checked before anything starts: a missing one is named at once.
for f in "$bin/Lanvik_2003.exe" "$bin/Murello11500.dll" "$pen"; do
  [ -f "$f" ] || { echo "demo: $f is missing; the build above did not make it" >&2; exit 1; }
done

echo
bash tests/e2e/launch/demo_launch.sh "$bin" "$dir"

bash tests/e2e/harness/wine_env.sh up "$dir" "$wine64" "$bin/testing"
pen_pid=
cleanup() {
  [ -n "$pen_pid" ] && kill "$pen_pid" 2>/dev/null
  rm -f "$WINEPREFIX/dosdevices/com5"
  bash tests/e2e/harness/wine_env.sh down "$dir" "$wine64"
}
trap cleanup EXIT
# shellcheck disable=SC1091
. "$dir/state.env"
export WINEPREFIX=$dir/prefix HOME=$dir/home WINEDEBUG=-all DISPLAY=$KIT_DISPLAY
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

echo
echo "== regsvr32 Murello11500.dll"
timeout 60 "$wine64" regsvr32 /s "$bin/Murello11500.dll"
db=$WINEPREFIX/drive_c/demo/letture.db
mkdir -p "$(dirname "$db")"
rm -f "$db"
python3 - "$db" <<'PY'
import sqlite3, sys
sqlite3.connect(sys.argv[1]).execute(
    'CREATE TABLE Murello (Codart TEXT, [id sottoOrd] INTEGER, IdLotto INTEGER, "Quantità" REAL)')
PY
"$pen" --link "$WINEPREFIX/dosdevices/com5" --lifetime 60 \
  --record "ART-001;12;7;3" --record "L'ARTICOLO;1;2;0,5" --record "C3;100;200;12.25" \
  --record "EMPTY" >"$dir/pen.out" &
pen_pid=$!
for _ in $(seq 50); do grep -q ready "$dir/pen.out" 2>/dev/null && break; sleep 0.1; done
grep -q ready "$dir/pen.out" 2>/dev/null ||
  { echo "demo: the simulated pen did not start:" >&2; cat "$dir/pen.out" >&2; exit 1; }
cat >"$WINEPREFIX/drive_c/demo/scarica.vbs" <<'VBS'
Set o = CreateObject("Murello11500.Murello")
o.Porta = 5
o.DbPath = "C:\demo\letture.db"
o.Scarica
WScript.Echo "Scarica done"
VBS
echo "== cscript scarica.vbs (Porta = 5, DbPath = C:\demo\letture.db)"
timeout 60 "$wine64" cscript //nologo 'C:\demo\scarica.vbs' | tee "$dir/scarica.out"
grep -q "Scarica done" "$dir/scarica.out" || { echo "demo: the download did not finish" >&2; exit 1; }
echo "== rows of the table Murello"
python3 - "$db" <<'PY'
import sqlite3, sys
rows = sqlite3.connect(sys.argv[1]).execute('SELECT * FROM Murello ORDER BY rowid').fetchall()
for row in rows:
    print(row)
if len(rows) != 3:
    sys.exit(f"demo: expected the three readings of the pen, the table holds {len(rows)} rows")
PY
