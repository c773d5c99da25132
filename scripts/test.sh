#!/usr/bin/env bash
# Builds every preset and runs all tests: the native unit tests and the Wine end-to-end tests.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
jobs=$(nproc)
for preset in win64 win32 native; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$jobs"
done
# The fuzz targets (clang): each runs a few seconds over its seeds; scripts/fuzz.sh runs them long.
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$jobs"
ctest --preset native -j"$jobs"
ctest --preset fuzz -j"$jobs"
