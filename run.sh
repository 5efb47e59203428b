#!/bin/bash
# Builds the setup program, shows what it carries, and runs it: on your
# display when DISPLAY is set, for you to click through; otherwise
# unattended on a display of its own, walking the whole installation and
# the removal that follows, saving a screenshot of every page and box to
# build/screens/.
set -e
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"
scripts/install-deps.sh
scripts/build.sh
echo "setup program: $root/build/win32/Vantor.exe ($(stat -c %s build/win32/Vantor.exe) bytes)"
cat build/win32/generated/manifest.txt

. scripts/wine-env.sh

if [ -n "${DISPLAY:-}" ]; then
  # A prefix of the build's own, kept between runs: a second run finds the
  # first installation, as on a real machine.
  prefix=$root/build/run-prefix
  vantor_make_prefix "$prefix"
  ln -sfn "$root/build/win32" "$prefix/dosdevices/t:"
  echo "running the setup program on $DISPLAY (prefix $prefix)"
  WINEPREFIX=$prefix wine 'T:\Vantor.exe' || true
  exit 0
fi

screens=$root/build/screens
rm -rf "$screens"
mkdir -p "$screens"
vantor_start_xvfb
trap vantor_stop_xvfb EXIT
echo "no display: walking the installation and the removal unattended on Xvfb $DISPLAY"
set +e
scripts/e2e-scenario.sh build/win32 install-remove "$screens" > "$screens/walk.log" 2>&1
status=$?
set -e
grep -E 'timing:|NOT AVAILABLE|FAIL|result:' "$screens/walk.log" | sed 's/^\[ *[0-9]* ms\] //' || true
echo "screenshots in $screens:"
ls "$screens" | grep '\.png$' | sed 's/^/  /'
echo "the walk's log: $screens/walk.log"
# A page not built yet only shortens the walk; a failed check fails the run.
[ $status = 0 ] || [ $status = 77 ]
