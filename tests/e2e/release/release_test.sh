#!/usr/bin/env bash
# The release zips as an administrator meets them. scripts/release.sh packages what the presets
# built; the zip's content list and sums are checked; then, in a Wine prefix of this test's own,
# install.cmd and uninstall.cmd run with Wine's cmd: the win64 zip for real (install, create every
# build's ProgID from VBScript, uninstall, and the whole registry searched for the component's
# identifiers), the win32 zip (whose 32-bit regsvr32 cannot run here) in its dry run, which shows
# the regsvr32 that each kind of Windows gets.
#   release_test.sh win64|win32 SOURCE_DIR WORK_DIR
# Exit code 77: the win32 preset has not been built (the test is skipped).
set -euo pipefail

arch=${1:?usage: release_test.sh win64|win32 SOURCE_DIR WORK_DIR}
root=$(cd "${2:?}" && pwd)
work=${3:?}
wine64=/usr/lib/wine/wine64
binaries=(Lanvik_2003.exe Murello11500.dll Murello113.dll Murello111.dll Murello110.dll)

if [ "$arch" = win32 ] && [ ! -f "$root/build/win32/bin/Murello110.dll" ]; then
  echo "release_test: build/win32 is absent (cmake --build --preset win32): skipped"
  exit 77
fi

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# expect_eq WHAT ACTUAL EXPECTED
expect_eq() {
  [ "$2" == "$3" ] && return 0
  fail "$1"
  diff <(printf '%s\n' "$3") <(printf '%s\n' "$2") | sed 's/^/    /' >&2 || true
}

mkdir -p "$work"
work=$(cd "$work" && pwd)
rm -rf "$work/dist" "$work/unpacked"
bash "$root/scripts/release.sh" --no-build --out "$work/dist" "$arch"
version=$(sed -n 's/^project(LanvikKit VERSION \([0-9.]*\) .*/\1/p' "$root/CMakeLists.txt")
name=Lanvik-$version-$arch
zip=$work/dist/$name.zip

# --- The zip: exactly the kit's files, their sums, the right architecture, Windows text ------
expect_eq "the zip's content list" "$(unzip -Z1 "$zip")" "$(printf "$name/%s\n" "${binaries[@]}" \
  install.cmd uninstall.cmd README.txt SHA256SUMS)"
expect_eq "dist/SHA256SUMS" "$(cd "$work/dist" && sha256sum -c SHA256SUMS 2>&1)" "$name.zip: OK"
# The same build packed again gives the same zip.
bash "$root/scripts/release.sh" --no-build --out "$work/dist-again" "$arch" >/dev/null
expect_eq "the zip packed again" "$(cat "$work/dist-again/SHA256SUMS")" "$(cat "$work/dist/SHA256SUMS")"
rm -rf "$work/dist-again"
unzip -q "$zip" -d "$work/unpacked"
kit=$work/unpacked/$name
expect_eq "the sums in the zip" "$(cd "$kit" && sha256sum -c SHA256SUMS 2>&1)" \
  "$(printf '%s: OK\n' "${binaries[@]}" install.cmd uninstall.cmd README.txt)"
case $arch in
  win32) format=pei-i386 objdump=i686-w64-mingw32-objdump ;;
  win64) format=pei-x86-64 objdump=x86_64-w64-mingw32-objdump ;;
esac
for f in "${binaries[@]}"; do
  "$objdump" -f "$kit/$f" 2>/dev/null | grep -q "file format $format" || fail "$f is not $format"
done
for f in install.cmd uninstall.cmd README.txt; do
  [ "$(grep -c $'\r$' "$kit/$f")" = "$(wc -l <"$kit/$f")" ] || fail "$f has lines without CR LF"
  grep -q '@KIT_' "$kit/$f" && fail "$f still holds a placeholder"
done
expect_eq "README.txt's title" "$(head -n 1 "$kit/README.txt" | tr -d '\r')" \
  "Lanvik run-time kit $version ($arch) - notes for administrators"

# --- Wine: a prefix of this test's own ----------------------------------------------------------
bash "$root/tests/e2e/harness/wine_env.sh" up "$work/wine" "$wine64" >/dev/null
trap 'bash "$root/tests/e2e/harness/wine_env.sh" down "$work/wine" "$wine64" >/dev/null' EXIT
# shellcheck disable=SC1091
. "$work/wine/state.env"
export WINEPREFIX=$work/wine/prefix HOME=$work/wine/home DISPLAY=$KIT_DISPLAY WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine() { timeout 60 "$wine64" "$@"; }
# Output of a Windows program: no CR.
run_cmd() { (cd "$WINEPREFIX/drive_c/windows" && wine cmd /c "$@" | tr -d '\r'); }

folder='C:\Program Files\Lanvik Kit'
[ "$arch" = win32 ] && folder='C:\Program Files (x86)\Lanvik Kit'
unix_folder=$WINEPREFIX/drive_c/${folder#C:\\}
unix_folder=${unix_folder//\\//}
rm -rf "$unix_folder"
mkdir -p "$unix_folder"
cp "$kit"/* "$unix_folder/"

# The dry run under a given processor architecture (and the one a 32-bit prompt on 64-bit
# Windows sees in PROCESSOR_ARCHITEW6432): the regsvr32 chosen, or the refusal. "call" keeps the
# variables (a child cmd of Wine's drops PROCESSOR_ARCHITEW6432) but Wine's "call" turns every
# failing exit code into 1.
dry_run() {
  printf '@echo off\r\nset PROCESSOR_ARCHITECTURE=%s\r\nset PROCESSOR_ARCHITEW6432=%s\r\ncall "%s\\install.cmd" /dryrun Murello113\r\nif errorlevel 1 exit /b 1\r\n' \
    "$1" "$2" "$folder" >"$WINEPREFIX/drive_c/dry_run.cmd"
  local out status=0
  out=$(run_cmd 'C:\dry_run.cmd') || status=$?
  printf '%s\nexit %s\n' "$out" "$status" | sed -n -e 's/^regsvr32: /regsvr32 /p' -e '/^This is/p' -e '/^exit/p'
}
if [ "$arch" = win32 ]; then
  rows=(
    "AMD64||regsvr32 C:\\windows\\SysWOW64\\regsvr32.exe"
    "x86|AMD64|regsvr32 C:\\windows\\SysWOW64\\regsvr32.exe"
    "ARM64||regsvr32 C:\\windows\\SysWOW64\\regsvr32.exe"
    "x86||regsvr32 C:\\windows\\System32\\regsvr32.exe"
    "IA64||This is the 32-bit kit (win32). It needs Windows on an x86, x64 or ARM64 processor;"
  )
else
  rows=(
    "AMD64||regsvr32 C:\\windows\\System32\\regsvr32.exe"
    "x86|AMD64|regsvr32 C:\\windows\\Sysnative\\regsvr32.exe"
    "x86||This is the 64-bit kit (win64). It needs 64-bit Windows on an x64 processor;"
    "ARM64||This is the 64-bit kit (win64). It needs 64-bit Windows on an x64 processor;"
  )
fi
for row in "${rows[@]}"; do
  IFS='|' read -r processor w6432 expected <<<"$row"
  status=0
  [[ $expected == This* ]] && status=1
  expect_eq "dry run on $processor/$w6432" "$(dry_run "$processor" "$w6432")" \
    "$(printf '%s\nexit %s' "$expected" "$status")"
done

if [ "$arch" = win32 ]; then
  # The whole dry run as the 32-bit kit shows it on 64-bit Windows. Wine's "cmd /c" cannot take
  # a path with parentheses from its command line; a prompt's "call" can.
  printf '@echo off\r\ncall "%s\\install.cmd" /dryrun\r\n' "$folder" >"$WINEPREFIX/drive_c/dry_run.cmd"
  expect_eq "install.cmd /dryrun" "$(run_cmd 'C:\dry_run.cmd')" "$(cat <<OUT
Lanvik run-time kit $version (win32): registering Murello11500 Murello113 Murello111 Murello110
Folder: $folder\\
regsvr32: C:\\windows\\SysWOW64\\regsvr32.exe
Administrator rights: yes
  would run: "C:\\windows\\SysWOW64\\regsvr32.exe" /s "$folder\\Murello11500.dll"
  would run: "C:\\windows\\SysWOW64\\regsvr32.exe" /s "$folder\\Murello113.dll"
  would run: "C:\\windows\\SysWOW64\\regsvr32.exe" /s "$folder\\Murello111.dll"
  would run: "C:\\windows\\SysWOW64\\regsvr32.exe" /s "$folder\\Murello110.dll"
Dry run: nothing was changed.
OUT
)"
  [ -e "$unix_folder/registered.txt" ] && fail "the dry run wrote registered.txt"
  rm -rf "$unix_folder" "$WINEPREFIX/drive_c/dry_run.cmd"
  [ $failures = 0 ] || { echo "release_test: $failures check(s) failed" >&2; exit 1; }
  echo "release_test: the win32 zip passed"
  exit 0
fi

# --- win64: install, create, uninstall, and the registry ------------------------------------
# Every identifier of the four builds (libraries, interfaces, classes, enumerations), their
# ProgIDs and file names: after the uninstall the registry may hold none of them.
identifiers=$(grep -ho 'uuid([0-9a-fA-F-]*)' "$root"/reader/builds/*/murello.idl | sed 's/uuid(\(.*\))/\1/' | sort -u)
[ "$(echo "$identifiers" | wc -l)" = 18 ] || fail "expected 18 identifiers in the builds' IDL files"
patterns=$(printf '%s\n' $identifiers Murello11500.Murello Murello113.Murello ZaradEdadod111.Murello \
  ZaradEdadod110.Murello 'Lanvik Kit' Lanvik.InstallCheck)
# The names of the identifiers that the whole registry mentions.
registry_mentions() {
  local export_file=$work/registry.reg
  rm -f "$export_file"
  wine regedit /E "$(echo "Z:$export_file" | tr / '\\')"
  iconv -f UTF-16 -t UTF-8 "$export_file" | grep -o -i -F "$patterns" | tr 'A-Z' 'a-z' | sort -u
}
# A run interrupted earlier may have left registrations in this prefix.
run_cmd "$folder\\uninstall.cmd" Murello11500 Murello113 Murello111 Murello110 >/dev/null || true
expect_eq "the registry before the install" "$(registry_mentions)" ""

# A subset first (names in any case, with or without .dll), then the rest.
status=0
out=$(run_cmd "$folder\\install.cmd" Murello11500 murello113.DLL) || status=$?
expect_eq "install.cmd Murello11500 murello113.DLL" "$out
exit $status" "Lanvik run-time kit $version (win64): registering Murello11500 Murello113
Folder: $folder\\
regsvr32: C:\\windows\\System32\\regsvr32.exe
Administrator rights: yes
  Murello11500.dll: registered
  Murello113.dll: registered
Done: every build named above is registered; uninstall.cmd removes them.
exit 0"
expect_eq "registered.txt" "$(tr -d '\r' <"$unix_folder/registered.txt")" $'Murello11500.dll\nMurello113.dll'
status=0
out=$(run_cmd "$folder\\install.cmd") || status=$?
expect_eq "install.cmd" "$out
exit $status" "Lanvik run-time kit $version (win64): registering Murello11500 Murello113 Murello111 Murello110
Folder: $folder\\
regsvr32: C:\\windows\\System32\\regsvr32.exe
Administrator rights: yes
  Murello11500.dll: registered
  Murello113.dll: registered
  Murello111.dll: registered
  Murello110.dll: registered
Done: every build named above is registered; uninstall.cmd removes them.
exit 0"
# Enumerations have no registry keys; libraries, interfaces and classes have.
registered_ids=$(grep -h 'uuid(' "$root"/reader/builds/*/murello.idl | grep -v enum |
  grep -o '[0-9a-f]\{8\}-[0-9a-f-]*' | sort -u)
[ "$(echo "$registered_ids" | wc -l)" = 12 ] || fail "expected 12 registered identifiers"
mentions=$(registry_mentions)
for id in $registered_ids murello11500.murello murello113.murello zaradedadod111.murello \
  zaradedadod110.murello; do
  grep -q -x -F "$id" <<<"$mentions" || fail "after the install the registry lacks $id"
done

cat >"$unix_folder/../create.vbs" <<'VBS'
Dim id, o
For Each id In Array("Murello11500.Murello", "Murello113.Murello", "ZaradEdadod111.Murello", "ZaradEdadod110.Murello")
  Set o = CreateObject(id)
  o.DbPath = "C:\App\letture.db"
  WScript.Echo id & ": " & TypeName(o) & ", DbPath " & o.DbPath
  Set o = Nothing
Next
VBS
expect_eq "every ProgID from VBScript" "$(wine cscript //nologo 'C:\Program Files\create.vbs' | tr -d '\r')" \
  'Murello11500.Murello: _Murello, DbPath C:\App\letture.db
Murello113.Murello: _Murello, DbPath C:\App\letture.db
ZaradEdadod111.Murello: _Murello, DbPath C:\App\letture.db
ZaradEdadod110.Murello: _Murello, DbPath C:\App\letture.db'
rm -f "$unix_folder/../create.vbs"

status=0
out=$(run_cmd "$folder\\uninstall.cmd") || status=$?
expect_eq "uninstall.cmd" "$out
exit $status" "Lanvik run-time kit $version (win64): removing Murello11500 Murello113 Murello111 Murello110
Folder: $folder\\
regsvr32: C:\\windows\\System32\\regsvr32.exe
Administrator rights: yes
  Murello11500.dll: removed
  Murello113.dll: removed
  Murello111.dll: removed
  Murello110.dll: removed
Done: the builds named above are no longer registered.
exit 0"
expect_eq "the registry after the uninstall" "$(registry_mentions)" ""
[ -e "$unix_folder/registered.txt" ] && fail "uninstall.cmd left registered.txt"

# A build that fails half-way: what this run registered is undone.
printf 'not a DLL' >"$unix_folder/Murello111.dll"
status=0
out=$(run_cmd "$folder\\install.cmd") || status=$?
expect_eq "install.cmd with a damaged Murello111.dll" "$out
exit $status" "Lanvik run-time kit $version (win64): registering Murello11500 Murello113 Murello111 Murello110
Folder: $folder\\
regsvr32: C:\\windows\\System32\\regsvr32.exe
Administrator rights: yes
  Murello11500.dll: registered
  Murello113.dll: registered
  Murello111.dll: NOT registered (regsvr32 exit code 3: Windows could not load the DLL: damaged, or built for the other architecture)
Undoing this run's registrations:
  Murello11500.dll: removed
  Murello113.dll: removed
Nothing that this run registered stays registered.
exit 1"
expect_eq "the registry after the failed install" "$(registry_mentions)" ""
[ -e "$unix_folder/registered.txt" ] && fail "the failed install left registered.txt"

status=0
out=$(run_cmd "$folder\\install.cmd" Murello112) || status=$?
expect_eq "install.cmd Murello112" "$out
exit $status" "Unknown build or option: Murello112
The builds are: Murello11500 Murello113 Murello111 Murello110
exit 2"
status=0
out=$(run_cmd "$folder\\uninstall.cmd") || status=$?
expect_eq "uninstall.cmd with nothing installed" "$out
exit $status" "Lanvik run-time kit $version (win64): removing
Nothing to remove: this folder has no record of an installation (registered.txt).
exit 0"

rm -rf "$unix_folder" "$WINEPREFIX/drive_c/dry_run.cmd"
[ $failures = 0 ] || { echo "release_test: $failures check(s) failed" >&2; exit 1; }
echo "release_test: the win64 zip passed"
