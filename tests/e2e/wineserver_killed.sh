#!/usr/bin/env bash
# The story of a Wine server killed under the editor, which one run of the
# end-to-end suite cannot tell, as the suite itself runs in that server: the
# suite runs the story's first half, which leaves the editor running on its
# edits; then the prefix's whole Wine server is killed, every program in it
# with it; the server is started afresh as the test fixture starts it, for
# the second half and the tests after this one.
#
#   wineserver_killed.sh WINE SUITE
#
# The prefix and the display come from the test's environment.
set -euo pipefail
wine=$1 suite=$2
story=StartTest.EditsOutliveTheWineServerKilledUnderTheEditor
# The editor left running holds its output open: a file, not a pipe, that
# nothing waits on.
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# Runs one half; it must run the story's case, and pass.
run_half() {
  local status=0
  FIGURY_E2E_HALF=$1 "$wine" "$suite" --gtest_filter="$story" >"$log" 2>&1 || status=$?
  cat "$log"
  [ $status -eq 0 ] && grep -q '^\[  PASSED  \] 1 test\.' "$log"
}

run_half first
wineserver -k
if wineserver -k 2>/dev/null; then
  echo "the Wine server of $WINEPREFIX did not end" >&2
  exit 1
fi
echo "killed the Wine server of $WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1
"$wine" wineboot </dev/null >/dev/null 2>&1
run_half second
