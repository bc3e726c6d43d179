#!/usr/bin/env bash
# Builds Karpolin and every test for 32-bit Windows and runs the tests under Wine on a private
# Xvfb display. On a fresh Debian 12 machine (as root) it first installs what is missing.
# Exits non-zero when anything fails. BUILD_DIR chooses the build folder (default: build).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
export LANG=en_US.UTF-8 LC_ALL=

t0=$(date +%s)
"$root/tools/install-deps.sh"
t1=$(date +%s)

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)"
t2=$(date +%s)

. "$root/tools/wine-env.sh"
trap karpolin_wine_stop EXIT
karpolin_wine_start "$build/wineprefix"
status=0
ctest --test-dir "$build" --output-on-failure -j1 || status=$?
t3=$(date +%s)
echo "test.sh: install $((t1 - t0)) s, build $((t2 - t1)) s, tests $((t3 - t2)) s"
exit $status
