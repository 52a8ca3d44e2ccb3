#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build, run and test Figury:
# Ninja, the MinGW-w64 cross compiler, Wine, a virtual X display, the Polish
# locale (so that Wine's ANSI code page is 1250), clang for the fuzzers, and
# the native test libraries. Each package is looked for by the file the build
# or the tests use, so that a machine that has everything runs no package tool.
set -euo pipefail

# package, then the command or file that shows it is there
needs=(
  cmake                      cmake
  g++                        g++
  make                       make
  ninja-build                ninja
  g++-mingw-w64-x86-64-posix x86_64-w64-mingw32-g++-posix
  wine                       wine
  wine64                     /usr/lib/wine/wine64
  xvfb                       Xvfb
  x11-utils                  xdpyinfo
  libstb-dev                 /usr/include/stb/stb_image_write.h
  locales                    locale-gen
  googletest                 /usr/src/googletest/CMakeLists.txt
  libgtest-dev               /usr/lib/x86_64-linux-gnu/cmake/GTest/GTestConfig.cmake
  libbenchmark-dev           /usr/lib/x86_64-linux-gnu/cmake/benchmark/benchmarkConfig.cmake
  clang-14                   clang++-14
  clang-format               clang-format
  libclang-rt-14-dev         '/usr/lib/llvm-14/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a'
  strace                     strace
  python3                    python3
)

present() {
  local probe=$1 path
  if [[ "$probe" == /* ]]; then
    for path in $probe; do
      [ -e "$path" ] && return 0
    done
    return 1
  fi
  command -v "$probe" >/dev/null 2>&1 || [ -x "/usr/sbin/$probe" ]
}

missing=()
for ((i = 0; i < ${#needs[@]}; i += 2)); do
  present "${needs[i + 1]}" || missing+=("${needs[i]}")
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
