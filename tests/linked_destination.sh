#!/bin/bash
# A Windows program under Wine cannot make a link in the file system, so the
# host makes Unix symbolic links in the test prefix's drive C:, which Wine
# shows as junctions, and runs the installation cases that need them.
set -e
build=$1
. "$(dirname "$0")/../scripts/wine-env.sh"
vantor_use_test_prefix
top=$WINEPREFIX/drive_c/vantor-links
rm -rf "$top"
trap 'rm -rf "$top"' EXIT
mkdir -p "$top/Real" "$top/Above" "$top/Outside"
ln -s "$top/Real" "$top/Linked"
ln -s "$top/Above" "$top/Up"
ln -s "$top/Outside" "$top/Real/elsewhere"
cd "$build"
VANTOR_LINKS='C:\vantor-links' wine ./vantor-win32-tests.exe --gtest_filter='LinkedDestination.*:LinkedPages.*'
