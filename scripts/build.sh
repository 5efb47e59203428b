#!/bin/bash
# Configures (once) and builds both trees: build/host, then build/win32.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
if [ ! -f build/host/CMakeCache.txt ]; then
  cmake -S . -B build/host -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
fi
cmake --build build/host -j"$(nproc)" -- --no-print-directory -s
if [ ! -f build/win32/CMakeCache.txt ]; then
  cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DVANTOR_HOST_TOOLS="$root/build/host" >/dev/null
fi
cmake --build build/win32 -j"$(nproc)" -- --no-print-directory -s
