#!/bin/bash
# Swaps the test's destination for a link to another folder from the host,
# which ignores Wine's share modes as another system sharing the disk
# would: on each "swap" marker the test leaves, Dest is moved aside and a
# link to Protected takes its name; "restore" puts it back.
set -e
build=$1
. "$(dirname "$0")/../scripts/wine-env.sh"
vantor_use_test_prefix
top=$WINEPREFIX/drive_c/vantor-swap
rm -rf "$top"
mkdir -p "$top/Protected"
watch() {
  while :; do
    if [ -e "$top/swap" ]; then
      rm -f "$top/swap"
      mv "$top/Dest" "$top/Dest.held"
      ln -s "$top/Protected" "$top/Dest"
      touch "$top/swap.done"
    elif [ -e "$top/restore" ]; then
      rm -f "$top/restore"
      if [ -L "$top/Dest" ]; then
        rm "$top/Dest"
        mv "$top/Dest.held" "$top/Dest"
      fi
      touch "$top/restore.done"
    fi
    sleep 0.02
  done
}
watch &
watcher=$!
trap 'kill $watcher 2>/dev/null; rm -rf "$top"' EXIT
cd "$build"
VANTOR_SWAP='C:\vantor-swap' wine ./vantor-win32-tests.exe --gtest_filter='SwappedDestination.*'
