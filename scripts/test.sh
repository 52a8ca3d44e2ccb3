#!/usr/bin/env bash
# Builds and runs every test: the native suite, the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, each fuzzer for a bounded
# time (FIGURY_FUZZ_SECONDS, 60 by default), and the Windows build's
# suites (unit, window and end-to-end) under Wine on a private virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)

bash scripts/setup.sh

echo "== native =="
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/native -j "$jobs"
ctest --test-dir build/native --output-on-failure -j "$jobs"

echo "== sanitizers =="
cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFIGURY_SANITIZE=ON -DFIGURY_BENCH=OFF >/dev/null
cmake --build build/sanitize -j "$jobs"
ctest --test-dir build/sanitize --output-on-failure -j "$jobs"

echo "== fuzzing =="
FIGURY_FUZZ_SECONDS=${FIGURY_FUZZ_SECONDS:-60} bash scripts/fuzz.sh

echo "== windows =="
cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/windows -j "$jobs"
source scripts/wine-env.sh
trap wine_env_stop EXIT
wine_env_start build/windows/wineprefix
ctest --test-dir build/windows --output-on-failure
