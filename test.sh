#!/bin/bash
# Builds both trees and runs every test: the native ones (sanitizers,
# fuzzer, the builds that must agree) side by side with the Windows ones
# under Wine. The Windows unit tests share a few prefixes, each with its own
# wineserver and Xvfb display; every end-to-end scenario makes its own.
# Ends with the ten slowest tests and the run's time.
set -e
started=$(date +%s)
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"
scripts/install-deps.sh
. scripts/wine-env.sh

# Tests running at once in the Windows tree, and how many of them may be
# unit tests (one per shared prefix). The scenarios mostly wait for the
# setup's windows, so two cores carry more: on a busy two-core machine 8
# and 3 took 7.8 minutes where 6 and 2 took 10.
jobs=${VANTOR_TEST_JOBS:-8}
shared=${VANTOR_TEST_PREFIXES_COUNT:-3}
prefixes=$root/build/win32/test-prefixes

# The prefixes need nothing of the build: they are made while it runs.
mkdir -p build/win32
(
  set -e
  vantor_make_template "$root/build/win32" win32
  for slot in $(seq "$shared"); do
    vantor_copy_prefix "$vantor_template" "$prefixes/$slot"
    ln -sfn "$root/build/win32" "$prefixes/$slot/dosdevices/t:"
  done
  vantor_make_template "$root/build/win32" win64
) > build/prefixes.log 2>&1 &
making=$!
scripts/build.sh || { wait $making; exit 1; }
wait $making || { cat build/prefixes.log; exit 1; }
echo "built in $(($(date +%s) - started)) s"

xvfbs=()
stop_all() {
  for slot in $(seq "$shared"); do vantor_stop_wine "$prefixes/$slot"; done
  [ ${#xvfbs[@]} = 0 ] || kill "${xvfbs[@]}" 2>/dev/null || true
}
trap stop_all EXIT
# The prefixes ctest may lend, one test at a time each; the test preset
# "windows" (CMakePresets.json) names this file.
offered=$prefixes/resources.json
printf '{"version": {"major": 1, "minor": 0}, "local": [{"prefixes": [' > "$offered"
for slot in $(seq "$shared"); do
  vantor_start_xvfb
  xvfbs+=("$vantor_xvfb_pid")
  echo "$DISPLAY" > "$prefixes/$slot/.vantor-display"
  vantor_start_wine "$prefixes/$slot"
  [ "$slot" = 1 ] || printf ', ' >> "$offered"
  printf '{"id": "%s", "slots": 1}' "$slot" >> "$offered"
done
echo ']}]}' >> "$offered"
export VANTOR_TEST_PREFIXES=$prefixes
# Listing the unit tests needs a prefix too: the first.
export WINEPREFIX=$prefixes/1 DISPLAY=$(cat "$prefixes/1/.vantor-display")

(cd build/host && ctest --output-on-failure -j2 > ../host-tests.log 2>&1) &
host=$!
status=0
ctest --preset windows --output-on-failure -j"$jobs" > build/win32-tests.log 2>&1 || status=2
wait $host || [ $status = 2 ] || status=1

for tree in host win32; do
  log=build/$tree-tests.log
  grep -qE '^100% tests passed' "$log" && continue
  # The failed tests, and each failed check with its test's own words, which
  # a clone's CI keeps only in this output.
  grep -E 'Failed|\*\*\*|\] FAIL |^FAIL|Failure$' "$log" || true
  tail -n 60 "$log"
done
# ctest's own closing lines, then one line for both trees.
summary() { grep -E '^[0-9]+% tests passed' "$1" || echo "no result in $1"; }
summary build/host-tests.log
summary build/win32-tests.log
total=$(grep -hoE 'failed out of [0-9]+' build/*-tests.log | awk '{ n += $4 } END { print n + 0 }')
failed=$(grep -hoE '[0-9]+ tests failed' build/*-tests.log | awk '{ n += $1 } END { print n + 0 }')
skipped=$(cat build/*-tests.log | grep -cE '\(Skipped\)$' || true)
echo "total: $((total - failed - skipped)) passed, $failed failed, $skipped skipped"
echo "the ten slowest tests:"
sed -nE 's/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: ([^ ]+) .* ([0-9.]+) sec$/\2 \1/p' build/*-tests.log |
  sort -rn | head -n 10 | awk '{ printf "  %7.1f s  %s\n", $1, $2 }'
# The setup's size by section: a figure to watch, not a test.
bench/stub-size.sh build/win32/Vantor.exe
elapsed=$(($(date +%s) - started))
echo "run time: $((elapsed / 60)) min $((elapsed % 60)) s"
exit $status
