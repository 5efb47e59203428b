#!/bin/bash
# Builds the setup of a product folder (the demo product's, products/quorvel,
# without one), shows what it carries, and runs it: on your display when
# DISPLAY is set, for you to click through; otherwise unattended on a
# display of its own, walking the whole installation and the removal that
# follows, saving a screenshot of every page and box in the output folder's
# screens/, so that each product keeps its own.
#
#   ./run.sh [PRODUCT_FOLDER [OUTPUT_FOLDER]]    (as scripts/build-setup.sh)
set -e
root=$(cd "$(dirname "$0")" && pwd)
product=$(cd "${1:-$root/products/quorvel}" && pwd)
out=${2:-$root/build/setups/$(basename "$product")}
cd "$root"
scripts/install-deps.sh
scripts/build-setup.sh "$product" "$out"
out=$(cd "$out" && pwd)
setup=$(cat "$out/setup.name")
cat "$out/generated/manifest.txt"

. scripts/wine-env.sh

if [ -n "${DISPLAY:-}" ]; then
  # A prefix of the build's own, kept between runs: a second run finds the
  # first installation, as on a real machine.
  prefix=$out/run-prefix
  vantor_make_prefix "$prefix"
  ln -sfn "$out" "$prefix/dosdevices/t:"
  echo "running $setup on $DISPLAY (prefix $prefix)"
  WINEPREFIX=$prefix wine "T:\\$setup" || true
  exit 0
fi

# The driver knows the product from the same description.
cmake --build "$out" --target vantor-driver -- --no-print-directory -s
screens=$out/screens
rm -rf "$screens"
mkdir -p "$screens"
vantor_start_xvfb
trap vantor_stop_xvfb EXIT
echo "no display: walking the installation and the removal unattended on Xvfb $DISPLAY"
set +e
scripts/e2e-scenario.sh "$out" install-remove "$screens" > "$screens/walk.log" 2>&1
status=$?
set -e
grep -E 'timing:|NOT AVAILABLE|FAIL|result:' "$screens/walk.log" | sed 's/^\[ *[0-9]* ms\] //' || true
echo "screenshots of $(basename "$product") in $screens:"
ls "$screens" | grep '\.png$' | sed 's/^/  /'
echo "the walk's log: $screens/walk.log"
# A page not built yet only shortens the walk; a failed check fails the run.
[ $status = 0 ] || [ $status = 77 ]
