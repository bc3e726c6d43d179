#!/usr/bin/env bash
# Downloads a card of 99 records from the instrument simulator at 9600 and 1200 baud and prints the
# wall time against the line's limit (bytes x 10 bits / baud + the protocol's 6 s end silence) and the
# worker thread's CPU share. Takes about a minute. BUILD_DIR chooses the build folder (default: build).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
export LANG=en_US.UTF-8 LC_ALL=

"$root/tools/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)" --target link_bench

. "$root/tools/wine-env.sh"
trap karpolin_wine_stop EXIT
karpolin_wine_start "$build/wineprefix"
wine "$build/tests/link_bench.exe"
