#!/usr/bin/env bash
# One whole launch of Lanvik_2003.exe under Wine, for a demonstration: the stand-in Access is
# installed as the Access 2003 run-time (its Installer record, its MSACC.OLB), the launcher runs
# with -LOGGING, and the run log is printed, followed by the registry values it prepared.
#   demo_launch.sh [WIN64_BIN_DIR [WORK_DIR]]
# WIN64_BIN_DIR defaults to build/win64/bin (build it first: cmake --build --preset win64);
# WORK_DIR (its own prefix, display and wineserver) defaults to build/native/wine-demo.
# Everything it starts is stopped before it returns.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
bin=$(cd "${1:-$root/build/win64/bin}" && pwd)
work=${2:-$root/build/native/wine-demo}
wine64=/usr/lib/wine/wine64
for f in "$bin/Lanvik_2003.exe" "$bin/testing/access_standin.exe" "$bin/testing/MSACC.OLB"; do
  [ -f "$f" ] || { echo "demo_launch: $f is missing (cmake --build --preset win64)" >&2; exit 1; }
done

bash "$here/../harness/wine_env.sh" up "$work" "$wine64" "$bin/testing"
trap 'bash "$here/../harness/wine_env.sh" down "$work" "$wine64" >/dev/null' EXIT
# shellcheck disable=SC1091
. "$work/state.env"
export WINEPREFIX=$work/prefix HOME=$work/home DISPLAY=$KIT_DISPLAY WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine() { timeout 60 "$wine64" "$@"; }

office="$WINEPREFIX/drive_c/Program Files/Microsoft Office/OFFICE11"
mkdir -p "$office" "$WINEPREFIX/drive_c/Data"
cp "$bin/testing/access_standin.exe" "$office/MSACCESS.EXE"
cp "$bin/testing/MSACC.OLB" "$office/MSACC.OLB"
wine reg add 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Installer\Components\8F287D2F41B64AF4F8AB65C5DD9B2B8A' \
  /v 9040C10900063D11C8EF10054038389C /t REG_SZ /d 'C?\Program Files\Microsoft Office\OFFICE11\MSACCESS.EXE' /f >/dev/null
wine reg add 'HKCR\.mdb' /ve /t REG_SZ /d Access.Application.11 /f >/dev/null
wine reg add 'HKCR\Access.Application\CurVer' /ve /t REG_SZ /d Access.Application.12 /f >/dev/null

log="$WINEPREFIX/drive_c/users/$KIT_WINE_USER/Desktop/LanvikLog.txt"
rm -f "$log"
echo "demo_launch: Lanvik_2003.exe -LOGGING -WAIT=0 C:\\Data\\Stock.mdb"
started=$(date +%s.%N)
LANVIK_ACCESS_LIFETIME_MS=2000 wine "$bin/Lanvik_2003.exe" -LOGGING -WAIT=0 'C:\Data\Stock.mdb'
awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "demo_launch: the launch took %.1f s\n", b - a }'
echo "----- $log"
tr -d '\r' <"$log"
echo "----- registry after the launch"
for q in 'HKCR\Access.Application\CurVer' 'HKCR\TypeLib\{4AFFC9A0-5F99-101B-AF4E-00AA003F0F07}\9.0\0\win32' \
         'HKCU\Software\Microsoft\Office\11.0\Access\Security' 'HKCU\Software\Microsoft\Office\11.0\Access\Settings'; do
  wine reg query "$q" 2>/dev/null | tr -d '\r' | KEY="$q" awk '/REG_/ { sub(/^ +/, ""); print ENVIRON["KEY"] "  " $0 }' ||
    echo "$q  (missing)"
done
