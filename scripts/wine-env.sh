# Sourced by the scripts that run Windows programs here: starts a private
# virtual X display (unless asked to use the current one) and a private Wine
# prefix, with the Polish locale so that Wine's ANSI code page is 1250 (the
# test fixture also makes one in another locale).
#
#   source scripts/wine-env.sh
#   wine_env_start PREFIX_DIR [--use-current-display]
#   ... wine program.exe ...
#   wine_env_stop            # ends this prefix's Wine server and our Xvfb
#
# The test fixture (wine-fixture.sh) uses the steps one by one:
# wine_env_use_prefix, wine_env_prepare_prefix and wine_env_start_xvfb.

wine_env_xvfb_pid=""

wine_env_free_display() {
  local n
  for n in $(seq 90 190); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
      echo "$n"
      return 0
    fi
  done
  return 1
}

# Starts Xvfb on display NUMBER, or on the first free number from 90 when none
# is given, and exports DISPLAY; wine_env_xvfb_pid is its process.
wine_env_start_xvfb() {
  local wanted=${1:-} n tries
  for tries in 1 2 3 4 5; do
    if [ -n "$wanted" ]; then
      n=$wanted
    else
      n=$(wine_env_free_display) || { echo "no free X display number" >&2; return 1; }
    fi
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    wine_env_xvfb_pid=$!
    # Another run may take the same number at the same moment: then this
    # Xvfb exits and the next free number is tried.
    local i
    for i in $(seq 1 100); do
      if ! kill -0 "$wine_env_xvfb_pid" 2>/dev/null; then break; fi
      if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
        export DISPLAY=":$n"
        return 0
      fi
      sleep 0.1
    done
    kill "$wine_env_xvfb_pid" 2>/dev/null || true
    wait "$wine_env_xvfb_pid" 2>/dev/null || true
    wine_env_xvfb_pid=""
    # A number that was asked for is not traded for another.
    [ -z "$wanted" ] || break
  done
  echo "could not start Xvfb${wanted:+ on display :$wanted}" >&2
  return 1
}

# Exports the variables that make wine use PREFIX_DIR in LOCALE, by default
# the Polish one. Wine takes its ANSI code page from the locale: 1250 from
# pl_PL.UTF-8, 1252 from C.UTF-8.
wine_env_use_prefix() {
  local locale=${2:-pl_PL.UTF-8}
  mkdir -p "$1"
  export WINEPREFIX
  WINEPREFIX=$(cd "$1" && pwd)
  export WINEARCH=win64
  export WINEDEBUG=-all
  export LANG=$locale LC_ALL=$locale
}

# Makes the prefix the first time; needs no display.
wine_env_prepare_prefix() {
  if [ ! -f "$WINEPREFIX/.figury-ready" ]; then
    WINEDLLOVERRIDES="mscoree,mshtml=" wine wineboot -i </dev/null >/dev/null 2>&1
    # Without a window manager, hiding a window stalls unless Wine manages
    # none of them itself.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.figury-ready"
  fi
}

wine_env_start() {
  local prefix=$1 use_current=${2:-}
  wine_env_use_prefix "$prefix"
  if [ "$use_current" != "--use-current-display" ] || [ -z "${DISPLAY:-}" ]; then
    wine_env_start_xvfb || return 1
  fi
  wine_env_prepare_prefix
}

wine_env_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then
    wineserver -k >/dev/null 2>&1 || true
  fi
  if [ -n "$wine_env_xvfb_pid" ]; then
    kill "$wine_env_xvfb_pid" 2>/dev/null || true
    wait "$wine_env_xvfb_pid" 2>/dev/null || true
    wine_env_xvfb_pid=""
  fi
}
