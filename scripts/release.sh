#!/usr/bin/env bash
# Builds the shipping (win32) and the win64 presets and writes, under dist/, one zip per
# architecture for Windows administrators:
#   dist/Lanvik-<version>-win32.zip, dist/Lanvik-<version>-win64.zip, dist/SHA256SUMS
# Each zip holds one folder with the launcher, the four reader DLLs, install.cmd, uninstall.cmd,
# README.txt and SHA256SUMS (of the other files). Test programs and stand-ins never go in.
#   release.sh [--no-build] [--out DIR] [win32|win64 ...]
# --no-build packages what the presets built already (the release test uses it); --out writes
# elsewhere than dist/; naming architectures packages only those.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

build=1
out=$root/dist
arches=()
while [ $# -gt 0 ]; do
  case $1 in
    --no-build) build=0 ;;
    --out) out=${2:?--out needs a folder}; shift ;;
    win32 | win64) arches+=("$1") ;;
    *) echo "release: unknown argument $1 (usage: release.sh [--no-build] [--out DIR] [win32|win64 ...])" >&2; exit 2 ;;
  esac
  shift
done
[ ${#arches[@]} -gt 0 ] || arches=(win32 win64)

# The kit's version is the project's (the launcher writes the same one into its run log).
version=$(sed -n 's/^project(LanvikKit VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "release: no version in CMakeLists.txt's project()" >&2; exit 1; }

binaries=(Lanvik_2003.exe Murello11500.dll Murello113.dll Murello111.dll Murello110.dll)

if [ $build = 1 ]; then
  bash scripts/setup.sh
  for arch in "${arches[@]}"; do
    cmake --preset "$arch" >/dev/null
    cmake --build --preset "$arch" -j"$(nproc)" --target "${binaries[@]%.*}"
  done
fi
command -v zip >/dev/null || { echo "release: zip is missing (scripts/setup.sh)" >&2; exit 1; }

# Every file of a zip, and the header of every program, gets the time of the last commit, so that
# the same build gives the same zip (strip writes SOURCE_DATE_EPOCH into the PE header; zip
# writes local times, hence UTC).
stamp=$(git log -1 --format=%ct 2>/dev/null || date +%s)
export SOURCE_DATE_EPOCH=$stamp TZ=UTC
mkdir -p "$out"
out=$(cd "$out" && pwd)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

# Windows text files: CR LF line ends (cmd needs them to find its labels reliably).
windows_text() { sed -e "s/@KIT_VERSION@/$version/g" -e "s/@KIT_ARCH@/$2/g" -e 's/\r$//' -e 's/$/\r/' "$1"; }

zips=()
for arch in "${arches[@]}"; do
  case $arch in
    win32) triplet=i686-w64-mingw32 ;;
    win64) triplet=x86_64-w64-mingw32 ;;
  esac
  bin=$root/build/$arch/bin
  name=Lanvik-$version-$arch
  dir=$stage/$name
  mkdir -p "$dir"
  for f in "${binaries[@]}"; do
    [ -f "$bin/$f" ] || { echo "release: $bin/$f is missing (cmake --build --preset $arch)" >&2; exit 1; }
    # Symbols are of no use on an administrator's machine; they are most of each file's size.
    "$triplet-strip" --strip-all -o "$dir/$f" "$bin/$f"
  done
  for f in install.cmd uninstall.cmd README.txt; do
    windows_text "release/$f" "$arch" >"$dir/$f"
  done
  (cd "$dir" && sha256sum "${binaries[@]}" install.cmd uninstall.cmd README.txt >SHA256SUMS)
  find "$dir" -exec touch -h -d "@$stamp" {} +
  rm -f "$out/$name.zip"
  (cd "$stage" && zip -X -D -q "$out/$name.zip" "$name"/{Lanvik_2003.exe,Murello11500.dll,Murello113.dll,Murello111.dll,Murello110.dll,install.cmd,uninstall.cmd,README.txt,SHA256SUMS})
  zips+=("$name.zip")
  echo "release: $out/$name.zip"
done
(cd "$out" && sha256sum "${zips[@]}" >SHA256SUMS)
echo "release: $out/SHA256SUMS"
