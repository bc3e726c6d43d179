#!/usr/bin/env bash
# Builds Karpolin and starts it under Wine on the current X display (DISPLAY), or on a private
# Xvfb display when there is none: the 32-bit program (the product) where this machine can run
# 32-bit programs, else the 64-bit build of the same source. On a fresh Debian 12 machine (as root)
# it first installs what is missing. Settings persist in the prefix build/win<bits>/wine-run.
set -Eeuo pipefail
trap 'echo "run.sh: step failed (line $LINENO): $BASH_COMMAND" >&2' ERR
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
export KARPOLIN_ROOT=$root

"$root/tools/install-deps.sh"
. "$root/tools/build-env.sh"
. "$root/tools/wine-env.sh"

if ! karpolin_wine_pick_bits; then
    echo "run.sh: Wine cannot start here: $KARPOLIN_WINE_WHY" >&2
    exit 1
elif [ $bits = 32 ]; then
    echo "run.sh: starting the 32-bit Karpolin.exe"
else
    echo "run.sh: this machine refuses 32-bit programs; starting the 64-bit build of Karpolin.exe"
fi
karpolin_build $bits "$build/win$bits" Karpolin

trap karpolin_wine_stop EXIT
trap "exit 130" INT TERM
if [ -n "${DISPLAY:-}" ]; then
    export KARPOLIN_USE_DISPLAY=1
else
    echo "run.sh: no DISPLAY; Karpolin runs on a private Xvfb display"
fi
karpolin_wine_start "$build/win$bits/wine-run" $bits
"$WINELOADER" "$build/win$bits/Karpolin.exe"
