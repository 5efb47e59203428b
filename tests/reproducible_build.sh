#!/bin/bash
# Two builds of the setup program from two copies of the sources, in
# different folders, must give byte-identical executables.
set -e
src=$1
host_tools=$2
work=$(mktemp -d /tmp/vantor-repro-XXXXXX)
trap '[ -n "$VANTOR_KEEP" ] || rm -rf "$work"' EXIT
# One snapshot of the sources, so both builds see the same files.
tar -C "$src" --exclude=./build --exclude=./.git -cf "$work/sources.tar" .
for copy in first second/deeper; do
  mkdir -p "$work/$copy/src"
  tar -C "$work/$copy/src" -xf "$work/sources.tar"
  cmake -S "$work/$copy/src" -B "$work/$copy/build" \
    -DCMAKE_TOOLCHAIN_FILE="$work/$copy/src/cmake/mingw-i686.cmake" \
    -DVANTOR_HOST_TOOLS="$host_tools" >/dev/null
  cmake --build "$work/$copy/build" --target Vantor -j2 >/dev/null
done
a=$work/first/build/Vantor.exe
b=$work/second/deeper/build/Vantor.exe
if cmp "$a" "$b"; then
  echo "identical: $(stat -c %s "$a") bytes, sha256 $(sha256sum < "$a" | cut -c1-16)"
else
  exit 1
fi
