#!/bin/bash
# Maps a small filesystem as drive F: of the test prefix and installs onto
# it, so that a write really fails for want of space.
set -e
build=$1
. "$(dirname "$0")/../scripts/wine-env.sh"
vantor_use_test_prefix
mnt=$(mktemp -d /tmp/vantor-full-XXXXXX)
if ! mount -t tmpfs -o size=40k tmpfs "$mnt" 2>/dev/null; then
  rmdir "$mnt"
  echo "cannot mount a small filesystem here (needs root)"
  exit 77
fi
trap 'rm -f "$WINEPREFIX/dosdevices/f:"; umount -l "$mnt"; rmdir "$mnt"' EXIT
# The drive's root is the mount's: a volume's root, which is no link.
ln -sfn "$mnt" "$WINEPREFIX/dosdevices/f:"
cd "$build"
VANTOR_FULL_DRIVE=F: wine ./vantor-win32-tests.exe --gtest_filter='FullDisk.*'
