#!/usr/bin/env bash
# Configures one CMake preset in build/<preset>, quietly (errors still show):
#   configure.sh PRESET
# A folder configured before the presets chose Ninja is configured afresh;
# what else it holds, such as the Wine prefixes, stays.
set -euo pipefail
cd "$(dirname "$0")/.."
cache=build/$1/CMakeCache.txt
if [ -f "$cache" ] && ! grep -qx 'CMAKE_GENERATOR:INTERNAL=Ninja' "$cache"; then
  rm -rf "$cache" "build/$1/CMakeFiles"
fi
cmake --preset "$1" >/dev/null
