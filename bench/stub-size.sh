#!/bin/bash
# The setup's stub, the executable without its resources, by section, and
# the flags that keep Windows placing it anywhere (DYNAMIC_BASE, with its
# relocations) and its data unexecutable (NX_COMPAT). Prints; checks nothing.
# usage: bench/stub-size.sh [SETUP.exe...]   (default: build/win32/Vantor.exe)
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -gt 0 ] || set -- "$root/build/win32/Vantor.exe"

u16() { od -An -t u2 -j "$2" -N 2 "$1" | tr -d ' '; }
u32() { od -An -t u4 -j "$2" -N 4 "$1" | tr -d ' '; }

for exe in "$@"; do
  pe=$(u32 "$exe" 60)
  count=$(u16 "$exe" $((pe + 6)))
  optional=$(u16 "$exe" $((pe + 20)))
  headers=$(u32 "$exe" $((pe + 24 + 60)))
  flags=$(u16 "$exe" $((pe + 24 + 70)))
  size=$(stat -c %s "$exe")
  echo "$exe"
  printf '  %-9s %9s %9s\n' section memory file
  printf '  %-9s %9s %9d\n' headers - "$headers"
  stub=$((size))
  placed=$headers
  for ((i = 0; i < count; i++)); do
    entry=$((pe + 24 + optional + 40 * i))
    name=$(dd if="$exe" bs=1 skip=$entry count=8 2>/dev/null | tr -d '\0')
    memory=$(u32 "$exe" $((entry + 8)))
    raw=$(u32 "$exe" $((entry + 16)))
    placed=$((placed + raw))
    note=
    if [ "$name" = .rsrc ]; then
      stub=$((stub - raw))
      note="  resources, not counted"
    fi
    printf '  %-9s %9d %9d%s\n' "$name" "$memory" "$raw" "$note"
  done
  # A signature, when there is one, follows the last section.
  [ $size -eq $placed ] || printf '  %-9s %9s %9d\n' signature - $((size - placed))
  names=
  [ $((flags & 0x40)) -eq 0 ] || names="$names DYNAMIC_BASE"
  [ $((flags & 0x100)) -eq 0 ] || names="$names NX_COMPAT"
  printf '  stub %d bytes of %d; DllCharacteristics 0x%04x:%s\n' $stub $size "$flags" "${names:- none}"
done
