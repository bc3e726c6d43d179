#!/usr/bin/env bash
# Starts Karpolin and a minimal dialog program (one template, one message loop) five times each and
# prints start-up until the main window shows, memory after start, the exe's size and imports, Open +
# show of a 10,000-record file, and the Hardware menu's opening with 40 serial ports present. Runs the
# 32-bit build where this machine can run 32-bit programs, else the 64-bit one, and says which.
# BUILD_DIR chooses the build folder.
set -Eeuo pipefail
trap 'echo "bench-program.sh: step failed (line $LINENO): $BASH_COMMAND" >&2' ERR
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
export LANG=en_US.UTF-8 LC_ALL=
export KARPOLIN_ROOT=$root

"$root/tools/install-deps.sh"
. "$root/tools/build-env.sh"
. "$root/tools/wine-env.sh"
if ! karpolin_wine_pick_bits; then
    echo "bench-program.sh: Wine cannot start here: $KARPOLIN_WINE_WHY" >&2
    exit 1
fi
folder=$build/win$bits
echo "bench-program.sh: the $bits-bit build"
karpolin_build $bits "$folder" Karpolin bench_minimal bench_program

exe=$folder/Karpolin.exe
prefix=$([ $bits = 32 ] && echo i686 || echo x86_64)-w64-mingw32
imports=$("$prefix-objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | sort -u | tr '\n' ' ')
echo "Karpolin.exe: $(stat -c %s "$exe") bytes (target <= 1,048,576), imports: $imports"

trap karpolin_wine_stop EXIT
trap "exit 130" INT TERM
karpolin_wine_start "$folder/wineprefix" $bits
scratch=$(mktemp -d)
"$WINELOADER" "$folder/bench/bench_program.exe" "$("$WINELOADER" winepath -w "$exe")" \
    "$("$WINELOADER" winepath -w "$folder/bench/bench_minimal.exe")" "$("$WINELOADER" winepath -w "$scratch")"
rm -rf "$scratch"
