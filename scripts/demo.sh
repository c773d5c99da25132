#!/usr/bin/env bash
# Demo: builds the Windows binaries and runs the launcher under Wine with -LOGGING, then shows the
# run log it wrote on the (Wine) desktop.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j"$(nproc)"

wine64=/usr/lib/wine/wine64
dir=$root/build/demo/wine
bin=$root/build/win64/bin
bash tests/e2e/harness/wine_env.sh up "$dir" "$wine64" "$bin/testing"
trap 'bash tests/e2e/harness/wine_env.sh down "$dir" "$wine64"' EXIT
# shellcheck disable=SC1091
. "$dir/state.env"
export WINEPREFIX=$dir/prefix HOME=$dir/home WINEDEBUG=-all DISPLAY=$KIT_DISPLAY
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

desktop=$WINEPREFIX/drive_c/users/$KIT_WINE_USER/Desktop
rm -f "$desktop/LanvikLog.txt"
echo
echo "== Lanvik_2003.exe -LOGGING \"C:\\App\\App.mdb\" /excl"
timeout 120 "$wine64" "$bin/Lanvik_2003.exe" -LOGGING 'C:\App\App.mdb' /excl || true
echo "== $desktop/LanvikLog.txt"
tr -d '\r' <"$desktop/LanvikLog.txt"
