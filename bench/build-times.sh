#!/bin/bash
# How long scripts/build-setup.sh takes: a first build from a fresh copy of
# the tree (host tools included), a rebuild after an edit of the
# description, one after a file is replaced by other bytes with an older
# time, and a rebuild with nothing changed. A benchmark, not a test:
# it prints the times with the machine's load, and asserts nothing.
#
#   bench/build-times.sh [PRODUCT_FOLDER]     (default: the demo product)
set -eo pipefail
vantor=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d /tmp/vantor-build-times-XXXXXX)
trap 'rm -rf "$work"' EXIT
# A fresh copy of the tree as git has it, and of the product, which the
# benchmark edits.
git -C "$vantor" ls-files -z --cached --others --exclude-standard | tar -C "$vantor" --null -T - -cf - | tar -C "$work" -xf -
product=$work/products/quorvel
if [ -n "${1:-}" ]; then
  product=$work/product
  mkdir -p "$product"
  cp -r "$1/." "$product/"
fi

load() { cut -d' ' -f1-3 /proc/loadavg; }
# One build: its wall-clock time, and the processor time it took, which the
# other work of a shared machine does not stretch.
run() {
  local what=$1 times real user system TIMEFORMAT='%R %U %S'
  echo "-- $what (load before: $(load))"
  times=$( { time "$work/scripts/build-setup.sh" "$product" "$work/out" > "$work/last.log" 2>&1; } 2>&1 ) ||
    { tail -n 30 "$work/last.log"; exit 1; }
  read -r real user system <<< "$times"
  printf '%-40s %6.1f s, processor %6.1f s   (load after: %s)\n' "$what" "$real" \
    "$(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }')" "$(load)"
}
echo "$(nproc) cores"
run "first build, host tools included"
sed -i 's/^tagline[ \t].*/tagline    Edited for the benchmark./' "$product/product.txt"
run "rebuild after editing the description"
# The first of the publisher's own files an entry names, given other
# bytes and a time long past, as an unpacked archive leaves it.
file=$(sed -n 's/^entry[^|]*|[^|]*|[^|]*|[^|]*|[^|]*| *\([^@ ][^|]*[^ ]\) *$/\1/p' "$product/product.txt" | head -n 1)
echo "Replaced for the benchmark." >> "$product/$file"
touch -d '2001-01-01' "$product/$file"
run "rebuild after an older file replaced $file"
run "rebuild with nothing changed"
tail -n 1 "$work/last.log"
