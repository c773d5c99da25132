#!/usr/bin/env bash
# Installs everything the kit needs to build and test on Debian 12, as root. Safe to run again:
# it does nothing when every package is already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ make libgtest-dev libgmock-dev libsqlite3-dev clang-format git
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine64 libwine-dev xvfb python3 ca-certificates
  sqlite3
  clang libclang-rt-14-dev  # the fuzz preset: clang with -fsanitize=fuzzer
)
# The SQLite sources for the Windows builds come from the npm registry (see cmake/sqlite.cmake).
command -v npm >/dev/null 2>&1 || packages+=(npm)
# scripts/release.sh packs the zips; its test unpacks them.
packages+=(zip unzip)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: missing packages (${missing[*]}); run this script as root" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi
