#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang and runs each for a bounded time
# (FIGURY_FUZZ_SECONDS, 60 by default) on a scratch copy of its seed corpus,
# two at once. Any finding fails; its input is kept and its path printed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/configure.sh fuzz
cmake --build --preset fuzz -j "$(nproc)"
ctest --preset fuzz -j 2
