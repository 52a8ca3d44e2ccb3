#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build, run and test Figury:
# the MinGW-w64 cross compiler, Wine, a virtual X display, the Polish locale
# (so that Wine's ANSI code page is 1250) and the native test libraries.
set -euo pipefail

packages=(
  cmake g++ make
  g++-mingw-w64-x86-64
  wine wine64
  xvfb xdotool x11-utils imagemagick
  libstb-dev
  locales
  googletest libgtest-dev libbenchmark-dev
  clang-14 libclang-rt-14-dev
  strace
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if ! locale -a 2>/dev/null | grep -qi '^pl_PL\.utf-\?8$'; then
  echo "Generating the pl_PL.UTF-8 locale"
  "${sudo_cmd[@]}" sed -i 's/^# *\(pl_PL.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^pl_PL.UTF-8 UTF-8' /etc/locale.gen || echo 'pl_PL.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi
