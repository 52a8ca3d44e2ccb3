#!/usr/bin/env bash
# Checks the sources' formatting, then builds and runs every test through the
# CMake presets: the native suite with g++ and with clang, the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, each fuzzer for a bounded
# time (FIGURY_FUZZ_SECONDS, 60 by default), and the Windows build's suites
# under Wine, whose ctest starts its own virtual display and Wine prefixes.
#
# The work runs in two lanes, so that neither core waits: the Windows build
# comes first, with the Wine prefixes made beside it; then its suites under
# Wine, which keep about one core busy, and after them the fuzzers' build and
# minute run in the background while the native, clang and sanitizer presets
# build and test in the foreground. The background's output goes to
# build/test-logs/background.log and is shown when both lanes are done. Every
# step says how long it took; every step runs even when an earlier one failed
# (but a preset's tests never without its build), and the script fails at the
# end, naming each step that failed.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

bash scripts/setup.sh

logs=build/test-logs
rm -rf "$logs"
mkdir -p "$logs"
steps=$logs/steps # how each step ended: exit code, seconds, name
started=$SECONDS

# step NAME COMMAND...: runs one step, says how long it took and records it.
step() {
  local name=$1 begun=$SECONDS status=0
  shift
  "$@" || status=$?
  local took=$((SECONDS - begun))
  echo "$status $took $name" >>"$steps"
  if [ $status -eq 0 ]; then
    echo "-- $took s: $name" >&2
  else
    echo "-- $took s: $name FAILED (exit code $status)" >&2
  fi
  return $status
}

check_format() {
  # The sources stay as clang-format leaves them (.clang-format).
  git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
}

build_preset() {
  grep -qx "0 [0-9]* $1 configure" "$steps" && step "$1 build" cmake --build --preset "$1" -j "$jobs"
}

test_preset() {
  step "$1 tests" ctest --preset "$1" -j "$jobs"
}

echo "== format =="
step format check_format || true
# The includes point one way, down the layers, with no cycle; the check
# first shows that it finds a planted cycle.
step "layers" bash -c 'python3 scripts/check_layers.py --self-test && python3 scripts/check_layers.py' || true

echo "== configure =="
# Side by side: a configure runs one short process after another, so the
# five take about the time of the longest.
configuring=()
for preset in windows native native-clang sanitize fuzz; do
  step "$preset configure" bash scripts/configure.sh "$preset" &
  configuring+=($!)
done
wait "${configuring[@]}" || true

echo "== windows =="
# The Wine prefixes need no build: made beside the Windows build, they are
# ready when its suites start (ctest's fixture makes any that are missing).
step "wine prefixes" bash scripts/wine-fixture.sh prefix build/windows/wineprefix pl_PL.UTF-8 \
  build/windows/wineprefix-1252 C.UTF-8 &
prefixes=$!
windows_built=0
build_preset windows && windows_built=1
wait $prefixes || true

echo "== windows tests under Wine, then fuzz: in the background (output in $logs/background.log) =="
(
  if [ $windows_built -eq 1 ]; then
    echo "== windows tests =="
    test_preset windows || true
  fi
  echo "== fuzz =="
  if build_preset fuzz; then
    test_preset fuzz || true
  fi
) >"$logs/background.log" 2>&1 &
background=$!

for preset in native native-clang sanitize; do
  echo "== $preset =="
  if build_preset "$preset"; then
    test_preset "$preset" || true
  fi
done

wait "$background" || echo "the background lane ended with exit code $?" >>"$steps.lane"
echo "== the background lane: windows tests, fuzz =="
cat "$logs/background.log"

echo "== steps (seconds) =="
failed=()
while read -r status took name; do
  printf '%5d  %s%s\n' "$took" "$name" "$([ "$status" -eq 0 ] || echo "  FAILED")"
  [ "$status" -eq 0 ] || failed+=("$name")
done <"$steps"
echo "total: $((SECONDS - started)) s"
if [ -f "$steps.lane" ]; then
  cat "$steps.lane"
  failed+=("the background lane")
fi
if [ ${#failed[@]} -gt 0 ]; then
  printf 'FAILED: %s\n' "${failed[@]}" >&2
  exit 1
fi
echo "All steps passed."
