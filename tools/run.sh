#!/usr/bin/env bash
# Builds Karpolin and starts it under Wine on the current X display (DISPLAY), or on a private
# Xvfb display when there is none. On a fresh Debian 12 machine (as root) it first installs what
# is missing. Settings persist in the prefix build/wine-run between runs.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}

"$root/tools/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)" --target Karpolin

. "$root/tools/wine-env.sh"
trap karpolin_wine_stop EXIT
if [ -n "${DISPLAY:-}" ]; then
    export KARPOLIN_USE_DISPLAY=1
else
    echo "run.sh: no DISPLAY; Karpolin runs on a private Xvfb display"
fi
karpolin_wine_start "$build/wine-run"
wine "$build/Karpolin.exe"
