#!/usr/bin/env bash
# Downloads a card of 99 records from the instrument simulator at 9600 and 1200 baud and prints the
# wall time against the line's limit (bytes x 10 bits / baud + the protocol's 6 s end silence) and the
# worker thread's CPU share, then the same download through the program's window and progress dialog
# with the dialog's answer time. Takes about two minutes. Runs the 32-bit build where this machine can
# run 32-bit programs, else the 64-bit one, and says which. BUILD_DIR chooses the build folder.
set -Eeuo pipefail
trap 'echo "bench-download.sh: step failed (line $LINENO): $BASH_COMMAND" >&2' ERR
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
export LANG=en_US.UTF-8 LC_ALL=
export KARPOLIN_ROOT=$root

"$root/tools/install-deps.sh"
. "$root/tools/build-env.sh"
. "$root/tools/wine-env.sh"
if ! karpolin_wine_pick_bits; then
    echo "bench-download.sh: Wine cannot start here: $KARPOLIN_WINE_WHY" >&2
    exit 1
fi
echo "bench-download.sh: the $bits-bit build"
karpolin_build $bits "$build/win$bits" link_bench

trap karpolin_wine_stop EXIT
trap "exit 130" INT TERM
karpolin_wine_start "$build/win$bits/wineprefix" $bits
"$WINELOADER" "$build/win$bits/tests/link_bench.exe"
