#!/usr/bin/env bash
# Plants faults in the code one at a time and tells which ones the tests
# catch. Each fault is a small patch in scripts/mutations/ whose first line
# says where it belongs and what should catch it:
#
#   # area: <area>; preset: <preset>; tests: <ctest -R regex>; <what the fault is>
#
# For each patch: apply it, build the preset, run the tests that match the
# regex, take the patch out again. A fault is caught when a test fails (or
# times out), survives when every test passes, and is "not built" when the
# tree does not build with it. The patch is taken out whatever happens, a
# failed build or Ctrl+C included; at the end the build is brought back to
# the tree as it is.
#
#   mutate.sh [--check] [PATCH...]
#
# Without patches, every one in scripts/mutations/. --check only tells
# whether each patch has its first line right and applies to the tree.
# Not part of the test command: a full run builds once per patch.
# MUTATE_JOBS (default 2) sets the build's and the tests' parallelism.
set -uo pipefail
patches=()
for patch in "$@"; do
  [ "$patch" = --check ] || patches+=("$(realpath "$patch")")
done
cd "$(dirname "$0")/.." || exit 1

areas="model file engine-threading engine-limits engine-pixels editor window"
jobs=${MUTATE_JOBS:-2}
check_only=0
[ "${1:-}" != --check ] || check_only=1
if [ "${#patches[@]}" -eq 0 ]; then
  patches=(scripts/mutations/*.patch)
fi

# header PATCH: sets area, preset, tests and what from the patch's first line.
header() {
  local line
  line=$(head -n 1 "$1")
  area=$(sed -n 's/^# area: \([^;]*\); preset: [^;]*; tests: [^;]*; .*/\1/p' <<<"$line")
  preset=$(sed -n 's/^# area: [^;]*; preset: \([^;]*\); tests: [^;]*; .*/\1/p' <<<"$line")
  tests=$(sed -n 's/^# area: [^;]*; preset: [^;]*; tests: \([^;]*\); .*/\1/p' <<<"$line")
  what=$(sed -n 's/^# area: [^;]*; preset: [^;]*; tests: [^;]*; \(.*\)/\1/p' <<<"$line")
  [ -n "$area" ] && [ -n "$preset" ] && [ -n "$tests" ] && [ -n "$what" ] && [[ " $areas " == *" $area "* ]]
}

if [ "$check_only" -eq 1 ]; then
  bad=0
  for patch in "${patches[@]}"; do
    if ! header "$patch"; then
      echo "$patch: the first line is not '# area: <$areas>; preset: ...; tests: ...; ...'"
      bad=$((bad + 1))
    elif ! git apply --check "$patch" 2>/dev/null; then
      echo "$patch: does not apply"
      bad=$((bad + 1))
    fi
  done
  echo "${#patches[@]} patches, $bad with a fault of their own"
  [ "$bad" -eq 0 ]
  exit
fi

applied=""
built_presets=""
revert() {
  if [ -n "$applied" ]; then
    git apply -R "$applied" || echo "could not take out $applied: the tree still holds it" >&2
    applied=""
  fi
}
trap revert EXIT
trap 'revert; echo "interrupted; build/ holds the last fault until the next build" >&2; exit 130' INT
trap 'revert; exit 143' TERM HUP

logs=build/mutate
mkdir -p "$logs"
declare -A caught survived unbuilt
for a in $areas; do
  caught[$a]=0
  survived[$a]=0
  unbuilt[$a]=0
done
survivors=()
unapplied=()

for patch in "${patches[@]}"; do
  name=$(basename "$patch" .patch)
  if ! header "$patch"; then
    echo "$name: no header; skipped" >&2
    unapplied+=("$name")
    continue
  fi
  if [[ " $built_presets " != *" $preset "* ]]; then
    bash scripts/configure.sh "$preset" || exit 1
    built_presets+=" $preset"
  fi
  if ! git apply --check "$patch" 2>/dev/null; then
    echo "$name: does not apply; skipped" >&2
    unapplied+=("$name")
    continue
  fi
  log=$logs/$name.log
  start=$SECONDS
  git apply "$patch" && applied=$patch
  if ! cmake --build --preset "$preset" -j "$jobs" >"$log" 2>&1; then
    outcome="not built"
    unbuilt[$area]=$((unbuilt[$area] + 1))
  elif ctest --preset "$preset" -R "$tests" --no-tests=error --timeout 300 -j "$jobs" >>"$log" 2>&1; then
    outcome=survived
    survived[$area]=$((survived[$area] + 1))
    survivors+=("$name ($area): $what")
  else
    outcome=caught
    caught[$area]=$((caught[$area] + 1))
  fi
  revert
  printf '%-9s %-16s %-44s %4ds\n' "$outcome" "$area" "$name" $((SECONDS - start))
done

echo
printf '%-16s %7s %9s %10s\n' area caught survived "not built"
total_caught=0 total_survived=0 total_unbuilt=0
for a in $areas; do
  if [ $((caught[$a] + survived[$a] + unbuilt[$a])) -gt 0 ]; then
    printf '%-16s %7d %9d %10d\n' "$a" "${caught[$a]}" "${survived[$a]}" "${unbuilt[$a]}"
  fi
  total_caught=$((total_caught + caught[$a]))
  total_survived=$((total_survived + survived[$a]))
  total_unbuilt=$((total_unbuilt + unbuilt[$a]))
done
printf '%-16s %7d %9d %10d\n' total "$total_caught" "$total_survived" "$total_unbuilt"
[ "${#unapplied[@]}" -eq 0 ] || echo "not applied: ${unapplied[*]}"
for s in "${survivors[@]}"; do
  echo "survived: $s"
done

# The tests' programs hold the last fault until built again.
for p in $built_presets; do
  cmake --build --preset "$p" -j "$jobs" >"$logs/rebuild-$p.log" 2>&1 || echo "the $p build fails on the tree itself" >&2
done
