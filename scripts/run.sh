#!/usr/bin/env bash
# Sets up what this machine lacks, builds figury.exe and starts it under Wine
# in run/, a git-ignored working folder whose Dane/obiekt.obj is seeded once
# from examples/house.obj, so edits persist between runs.
#
# With no DISPLAY there is nobody to see the window: the editor then runs on a
# virtual display, its greeting is answered, a screenshot of the window is
# saved as a PNG whose path is printed, and the editor is closed normally.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh

build=build/windows  # the windows preset's build, which scripts/test.sh tests
bash scripts/configure.sh windows
headless=
[ -n "${DISPLAY:-}" ] || headless=1
targets=(figury)
[ -z "$headless" ] || targets+=(figury_show)
cmake --build --preset windows -j "$(nproc)" --target "${targets[@]}"

mkdir -p run/Dane
if [ ! -e run/Dane/obiekt.obj ]; then
  cp examples/house.obj run/Dane/obiekt.obj
  echo "run/Dane/obiekt.obj: seeded from examples/house.obj"
fi

source scripts/wine-env.sh
trap wine_env_stop EXIT
# A prefix of its own, so that a test run at the same time keeps its Wine server.
if [ -z "$headless" ]; then
  wine_env_start "$build/wineprefix-run" --use-current-display
  (cd run && wine "$root/$build/editor/figury.exe")
else
  wine_env_start "$build/wineprefix-run"
  echo "No display: showing the editor on a virtual one ($DISPLAY)."
  wine "$build/tests/e2e/figury_show.exe" "$root/$build/editor/figury.exe" "$root/run" "$root/run/screenshot.png" |
    tr -d '\r'
fi
