#!/bin/bash
# Runs one end-to-end scenario of vantor-driver in a fresh Wine prefix.
# usage: scripts/e2e-scenario.sh WIN32_BUILD_DIR SCENARIO [SCREENSHOT_DIR]
# The build tree is drive T: (the driver, Vantor.exe and the reference
# files), the screenshot folder drive S:. Exit code: the driver's.
#
# Any scenario runs as well in a 64-bit Windows (VANTOR_WINEARCH=win64) and
# in any time zone (TZ, which Wine takes from the host); each such run has a
# work folder of its own.
set -u
build=$(cd "$1" && pwd)
scenario=$2
. "$(dirname "$0")/wine-env.sh"

# One template prefix per architecture for all scenarios, made once even
# when tests run in parallel; the setups of one tree share it.
vantor_make_template "${VANTOR_E2E_TEMPLATES:-$build}" || exit 1

run=$scenario
[ "$WINEARCH" = win32 ] || run=$run-$WINEARCH
[ -z "${TZ:-}" ] || run=$run-$(printf %s "$TZ" | tr -c 'A-Za-z0-9_\n-' -)
work=$build/e2e/$run
screens=${3:-$work/screens}
# A file a failed run left immutable would survive the removal.
chattr -R -i "$work" 2>/dev/null
rm -rf "$work"
mkdir -p "$work" "$screens"
screens=$(cd "$screens" && pwd)
prefix=$work/prefix
vantor_copy_prefix "$vantor_template" "$prefix" || exit 1
ln -sfn "$build" "$prefix/dosdevices/t:"
ln -sfn "$screens" "$prefix/dosdevices/s:"


own_xvfb=
if [ -z "${DISPLAY:-}" ]; then
  vantor_start_xvfb
  own_xvfb=1
fi
vantor_start_wine "$prefix"
cleanup() {
  # A host helper left waiting for requests would act on the next run's
  # prefix of the same name.
  jobs -p | xargs -r kill 2>/dev/null
  vantor_stop_wine "$prefix"
  [ -n "$own_xvfb" ] && vantor_stop_xvfb
}
trap cleanup EXIT

# What only the host can do for a scenario (Wine makes no file-system
# links) is in its helper, if it has one.
helper=$vantor_root/tests/e2e/host-$scenario.sh
[ -f "$helper" ] && . "$helper"

wine 'T:\vantor-driver.exe' "$scenario" 'S:\' </dev/null 2>"$work/wine-stderr.log"
status=$?
echo "screenshots: $screens"
# A failed scenario keeps its prefix for a look at what the setup left.
if [ $status = 0 ] || [ $status = 77 ]; then
  vantor_stop_wine "$prefix"
  rm -rf "$prefix"
else
  echo "prefix kept: $prefix"
fi
exit $status
