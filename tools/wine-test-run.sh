#!/bin/sh
# CTest's way into Wine: runs a test program under the loader given first and fails a run that ends
# with exit code 0 although its test never finished. Under Wine a program that dies of a stack
# overflow ends with code 0, so an overflow in a test would otherwise count as a pass.
loader=$1
shift
case " $* " in
*" --gtest_filter="*) ;;
*) exec "$loader" "$@" ;; # test discovery and anything else: unchanged
esac
log=$(mktemp)
"$loader" "$@" >"$log" 2>&1
status=$?
cat "$log"
if [ $status -eq 0 ] && ! grep -q '^\[  PASSED  \] 1 test' "$log" && ! grep -q '^\[  SKIPPED \] 1 test' "$log"; then
    echo "wine-test-run: the test program ended before its test finished" >&2
    status=1
fi
rm -f "$log"
exit $status
