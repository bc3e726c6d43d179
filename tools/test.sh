#!/usr/bin/env bash
# Builds Karpolin and every test for 32-bit and 64-bit Windows and runs the tests under Wine on a
# private Xvfb display: the 64-bit tests under wine64 on every machine, the 32-bit tests where the
# machine can run 32-bit programs. On a fresh Debian 12 machine (as root) it first installs what is
# missing. Exits non-zero when anything fails. BUILD_DIR chooses the build folder (default: build);
# arguments are handed to ctest (for example -R 'C_Text' to run some tests only).
set -Eeuo pipefail
trap 'echo "test.sh: step failed (line $LINENO): $BASH_COMMAND" >&2' ERR
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
export LANG=en_US.UTF-8 LC_ALL=
export KARPOLIN_ROOT=$root

t0=$(date +%s)
"$root/tools/install-deps.sh"
t1=$(date +%s)

. "$root/tools/build-env.sh"
. "$root/tools/wine-env.sh"

# Wine must start at all: the 64-bit tests run on every machine.
if ! karpolin_wine_can_run 64; then
    echo "test.sh: 64-bit Wine cannot run here, so no test can: $KARPOLIN_WINE_WHY" >&2
    echo "test.sh: tools/install-deps.sh installs it (Debian package wine64)" >&2
    exit 1
fi
run32=1
if ! karpolin_wine_can_run 32; then
    run32=0
    why32=$KARPOLIN_WINE_WHY
fi

karpolin_build 64 "$build/win64"
karpolin_build 32 "$build/win32"
t2=$(date +%s)

# Runs one target's tests in its own prefix; leaves "N tests, M failed" in the variable `summary`.
run_tests() { # $1: 32 or 64
    local folder=$build/win$1 log status=0
    log=$folder/ctest.log
    summary="no summary"
    if ! karpolin_wine_start "$folder/wineprefix" "$1"; then
        echo "test.sh: starting Wine for the $1-bit tests failed" >&2
        karpolin_wine_stop
        return 1
    fi
    ctest --test-dir "$folder" --output-on-failure -j1 "${@:2}" 2>&1 | tee "$log" || status=$?
    karpolin_wine_stop
    local line
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
    if [ -n "$line" ]; then
        summary="${line##* out of } tests, $(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line") failed"
        total=$((total + ${line##* out of }))
        failed=$((failed + $(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")))
    fi
    return $status
}

trap karpolin_wine_stop EXIT
trap "exit 130" INT TERM
status=0 total=0 failed=0
run_tests 64 "$@" || status=1
summary64=$summary
t3=$(date +%s)
if [ $run32 = 1 ]; then
    run_tests 32 "$@" || status=1
    summary32="ran: $summary"
else
    summary32="skipped, because this machine refuses 32-bit programs ($why32)"
fi
t4=$(date +%s)

echo "test.sh: 64-bit tests (wine64) ran: $summary64"
echo "test.sh: 32-bit tests (the product's build) $summary32"
echo "test.sh: $((total - failed)) passed, $failed failed"
echo "test.sh: install $((t1 - t0)) s, build $((t2 - t1)) s, 64-bit tests $((t3 - t2)) s, 32-bit tests $((t4 - t3)) s"
exit $status
