#!/bin/bash
# Starts a product of your own from the commented sample description:
#
#   scripts/new-product.sh FOLDER
#
# makes FOLDER (which must not hold a description yet) with product.txt,
# the product named after the folder, a placeholder licence and read-me so
# that it builds at once, and checks the description as the build would.
set -eo pipefail
vantor=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -ne 1 ]; then
  echo "usage: scripts/new-product.sh FOLDER" >&2
  exit 2
fi
folder=$1
name=$(basename "$folder")
# Nothing of the publisher's is ever overwritten.
for file in product.txt licence.txt "Read Me.txt"; do
  if [ -e "$folder/$file" ]; then
    echo "$folder/$file is there already; nothing was written" >&2
    exit 1
  fi
done
mkdir -p "$folder"
# The name goes in as written (sed's own characters escaped); the check
# below says what it must be.
written=$(printf '%s' "$name" | sed 's/[\\&/]/\\&/g')
sed "s/^name .*/name       $written/" "$vantor/products/sample/product.txt" > "$folder/product.txt"
printf 'Replace this with the licence of %s, as plain text in UTF-8.\r\n' "$name" > "$folder/licence.txt"
printf 'Replace this with what the users of %s should read first.\r\n' "$name" > "$folder/Read Me.txt"
echo "$folder: product.txt, licence.txt and Read Me.txt written"

host=$vantor/build/host
if [ ! -x "$host/vantor-manifest" ]; then
  echo "check it once the host tools are built: scripts/build-setup.sh $folder" >&2
  exit 0
fi
product=$(cd "$folder" && pwd)
check=$(mktemp -d)
trap 'rm -rf "$check"' EXIT
if "$host/vantor-manifest" --check "$product/product.txt" "$product" "$check"; then
  echo "checked: replace the placeholders, then scripts/build-setup.sh $folder"
else
  echo "put the lines named above right, then scripts/build-setup.sh $folder" >&2
  exit 1
fi
