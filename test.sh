#!/bin/bash
# Builds both trees and runs every test: native ones (sanitizers, fuzzer),
# then the Windows ones under Wine on an Xvfb display of their own.
set -e
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"
scripts/install-deps.sh
scripts/build.sh

status=0
(cd build/host && ctest --output-on-failure -j2 2>&1) > build/host-tests.log || status=1
tail -n 3 build/host-tests.log | grep -v '^$' || true
[ $status = 0 ] || { grep -E 'Failed|\*\*\*' build/host-tests.log; tail -n 40 build/host-tests.log; }

. scripts/wine-env.sh
prefix=$root/build/win32/prefix
vantor_make_prefix "$prefix"
ln -sfn "$root/build/win32" "$prefix/dosdevices/t:"
vantor_start_xvfb
vantor_start_wine "$prefix"
trap 'vantor_stop_wine "$prefix"; vantor_stop_xvfb' EXIT
(cd build/win32 && ctest --output-on-failure 2>&1) > build/win32-tests.log || status=2
[ $status = 2 ] && { grep -E 'Failed|\*\*\*' build/win32-tests.log; tail -n 60 build/win32-tests.log; }
# ctest's own closing lines, then one line for both trees.
summary() { grep -E '^[0-9]+% tests passed' "$1" || echo "no result in $1"; }
summary build/host-tests.log
summary build/win32-tests.log
total=$(grep -hoE 'failed out of [0-9]+' build/*-tests.log | awk '{ n += $4 } END { print n + 0 }')
failed=$(grep -hoE '[0-9]+ tests failed' build/*-tests.log | awk '{ n += $1 } END { print n + 0 }')
skipped=$(cat build/*-tests.log | grep -cE '\(Skipped\)$' || true)
echo "total: $((total - failed - skipped)) passed, $failed failed, $skipped skipped"
# The setup's size by section: a figure to watch, not a test.
bench/stub-size.sh build/win32/Vantor.exe
exit $status
