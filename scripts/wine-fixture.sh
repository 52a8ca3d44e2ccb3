#!/usr/bin/env bash
# The Windows build's test fixture, run by ctest: a private virtual display and
# Wine prefixes for the tests that run under Wine, each prefix in its own
# locale and so with its own ANSI code page, all on the one display.
#
#   wine-fixture.sh prefix PREFIX_DIR LOCALE ...               makes each prefix (no display needed)
#   wine-fixture.sh start DISPLAY STATE PREFIX_DIR LOCALE ...  starts Xvfb on :DISPLAY and each prefix's Wine server
#   wine-fixture.sh stop STATE PREFIX_DIR ...                  ends them all
#
# STATE is a file that remembers the Xvfb started here, so that stop, or the
# next start after an interrupted run, ends that process and no other.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
# Nothing here may use the display of whoever runs ctest.
unset DISPLAY

# True when PID is the Xvfb this fixture started on display NUMBER (a PID
# can be reused by another program once ours is gone).
is_our_xvfb() {
  local pid=$1 number=$2 args
  [ -r "/proc/$pid/cmdline" ] || return 1
  args=$(tr '\0' ' ' <"/proc/$pid/cmdline")
  [[ "$args" == "Xvfb :$number "* ]]
}

# Ends the Xvfb named in STATE, if it still runs, and forgets it.
stop_recorded_xvfb() {
  local state=$1 pid number i
  [ -f "$state" ] || return 0
  read -r pid number <"$state" || true
  if [ -n "${pid:-}" ] && is_our_xvfb "$pid" "$number"; then
    kill "$pid"
    for i in $(seq 1 50); do
      is_our_xvfb "$pid" "$number" || break
      sleep 0.1
    done
    if is_our_xvfb "$pid" "$number"; then
      echo "Xvfb $pid on :$number did not end" >&2
      return 1
    fi
  fi
  rm -f "$state"
}

# Ends this prefix's Wine server and every program in it; fails if one is left.
stop_wine_server() {
  wineserver -k >/dev/null 2>&1 || true
  # With no server left, -k has nothing to end and says so.
  if wineserver -k >/dev/null 2>&1; then
    echo "the Wine server of $WINEPREFIX did not end" >&2
    return 1
  fi
}

# Makes the prefixes given as folder and locale pairs, side by side: making
# one, the first time, takes about 12 seconds, half of them waiting.
make_prefixes() {
  local prefixes=("$@") makers=() maker failed=0 i
  if [ $((${#prefixes[@]} % 2)) -ne 0 ] || [ ${#prefixes[@]} -eq 0 ]; then
    echo "wants each prefix folder followed by its locale" >&2
    return 2
  fi
  for ((i = 0; i < ${#prefixes[@]}; i += 2)); do
    (
      wine_env_use_prefix "${prefixes[i]}" "${prefixes[i + 1]}"
      stop_wine_server
      wine_env_prepare_prefix
    ) &
    makers+=($!)
  done
  for maker in "${makers[@]}"; do
    wait "$maker" || failed=1
  done
  if [ $failed -ne 0 ]; then
    echo "could not make the Wine prefixes ${prefixes[*]}" >&2
    return 1
  fi
}

command=${1:-}
case $command in
  prefix)
    shift
    make_prefixes "$@"
    ;;
  start)
    number=$2 state=$3
    shift 3
    prefixes=("$@")
    # Left by an interrupted run.
    stop_recorded_xvfb "$state"
    make_prefixes "${prefixes[@]}"
    if ! wine_env_start_xvfb "$number"; then
      echo "display :$number is taken by another X server: configure the build again to choose" \
        "a free one, or set FIGURY_TEST_DISPLAY" >&2
      exit 1
    fi
    echo "$wine_env_xvfb_pid $number" >"$state"
    echo "Xvfb :$number (process $wine_env_xvfb_pid)"
    # One server and one set of Wine's own programs (services, the desktop
    # window on this display) a prefix for the whole run, rather than a set
    # for each test. Started here, they hold no test's output open, which
    # ctest would wait for.
    for ((i = 0; i < ${#prefixes[@]}; i += 2)); do
      wine_env_use_prefix "${prefixes[i]}" "${prefixes[i + 1]}"
      wineserver -p </dev/null >/dev/null 2>&1
      wine wineboot </dev/null >/dev/null 2>&1
      echo "Wine prefix $WINEPREFIX in $LANG"
    done
    ;;
  stop)
    state=$2
    shift 2
    failed=0
    for prefix in "$@"; do
      wine_env_use_prefix "$prefix"
      stop_wine_server || failed=1
    done
    stop_recorded_xvfb "$state" || failed=1
    echo "ended the Wine servers of $* and the test display"
    exit $failed
    ;;
  *)
    echo "usage: wine-fixture.sh prefix PREFIX_DIR [LOCALE] | start DISPLAY STATE PREFIX_DIR LOCALE ..." \
      "| stop STATE PREFIX_DIR ..." >&2
    exit 2
    ;;
esac
