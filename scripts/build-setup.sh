#!/bin/bash
# Builds the setup of one product from its folder, which may lie anywhere:
#
#   scripts/build-setup.sh PRODUCT_FOLDER [OUTPUT_FOLDER]
#
# PRODUCT_FOLDER holds the description, product.txt, and the files,
# licence and pictures it names. The setup is written into OUTPUT_FOLDER
# (default build/setups/<the product folder's name> in this tree) under
# the name the description's "output" line gives (default Setup.exe),
# beside the package manager's manifest of it; the folder keeps what a
# rebuild reuses. Only what this setup needs is
# built: the host tools, the setup, Vantor's uninstaller and the programs
# of ours the description takes, each for this product.
set -eo pipefail
vantor=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: scripts/build-setup.sh PRODUCT_FOLDER [OUTPUT_FOLDER]" >&2
  exit 2
fi
[ -d "$1" ] || { echo "$1: no such folder" >&2; exit 2; }
product=$(cd "$1" && pwd)
description=$product/product.txt
[ -f "$description" ] || { echo "$product: no product.txt here: a product folder holds its description beside its files" >&2; exit 2; }
out=${2:-$vantor/build/setups/$(basename "$product")}
mkdir -p "$out"
out=$(cd "$out" && pwd)
# A folder holds one product's build: another's would be overwritten.
if [ -f "$out/CMakeCache.txt" ]; then
  built=$(sed -n 's/^VANTOR_PRODUCT:PATH=//p' "$out/CMakeCache.txt")
  if [ "$built" != "$product" ]; then
    echo "$out holds the build of ${built:-another tree}; name another output folder" >&2
    exit 2
  fi
fi
jobs=$(nproc)
started=$(date +%s)
say() { echo "== $*"; }

"$vantor/scripts/install-deps.sh"
host=$vantor/build/host
say "host tools in $host: vantor-manifest, vantor-pack, vantor-headers, paint-resources"
if [ ! -f "$host/CMakeCache.txt" ]; then
  cmake -S "$vantor" -B "$host" -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
fi
cmake --build "$host" -j"$jobs" --target vantor-manifest vantor-pack vantor-headers paint-resources \
  -- --no-print-directory > "$out/host-tools.log" 2>&1 || { cat "$out/host-tools.log" >&2; exit 1; }

say "checking $description"
"$host/vantor-manifest" --check "$description" "$product" "$out"

say "configuring $out"
if ! cmake -S "$vantor" -B "$out" -DCMAKE_TOOLCHAIN_FILE="$vantor/cmake/mingw-i686.cmake" \
     -DVANTOR_HOST_TOOLS="$host" -DVANTOR_PRODUCT="$product" > "$out/configure.log" 2>&1; then
  grep -v '^-- ' "$out/configure.log" >&2
  exit 1
fi

say "building"
cmake --build "$out" -j"$jobs" -- --no-print-directory

setup=$out/$(cat "$out/setup.name")
say "done in $(( $(date +%s) - started )) s"
echo "setup: $setup ($(stat -c %s "$setup") bytes)"
package=$out/$(cat "$out/package.name")
if grep -Eq '^[[:space:]]*download[[:space:]]' "$description"; then
  echo "package manifest: $package"
else
  echo "package manifest: $package (InstallerUrl is a placeholder: add a \`download\` line to product.txt)"
fi
