#!/bin/bash
# A publisher's own product, made here at test time in a folder outside the
# tree: its own names, seven files (one over 5 MiB, one empty), a UTF-8
# licence, four shortcuts, its own main program with its own icon, which the
# setup and its programs then wear, Program Files as its base folder.
# It is built with the documented command alone, then rebuilt after two of
# its files are replaced by others with older times, as an unpacked archive
# leaves them: the setup must carry their new bytes, checked by the build,
# and a copy with one byte of a payload resource changed must be refused.
# That setup is installed end to end by the driver, which checks every text
# shown, file and value written against the product's description and
# files, removed, and the machine compared with how it was.
# usage: own_product.sh SOURCE_ROOT WIN32_BUILD_DIR
set -u
src=$(cd "$1" && pwd)
win32=$(cd "$2" && pwd)
work=$(mktemp -d /tmp/vantor-own-product-XXXXXX)
trap '[ -n "${VANTOR_KEEP:-}" ] || rm -rf "$work"' EXIT
product=$work/Fenlock
out=$work/build
mkdir -p "$product"
failed=0
fail() { echo "FAIL: $*"; failed=1; }

base='{ProgramFiles}\Ashcombe Labs'
pack=$src/build/host/vantor-pack

# Bytes given as hexadecimal pairs, written to standard output.
bytes() { printf %b "$(printf '\\x%s' "$@")"; }
u16() { bytes "$(printf %02x $(($1 & 255)))" "$(printf %02x $(($1 >> 8 & 255)))"; }
u32() { u16 $(($1 & 65535)); u16 $(($1 >> 16)); }

# An icon of its own: 32 x 32 and 16 x 16, 16 colours, a green square in an
# orange frame with a white diagonal, nothing like the painted ones.
icon_image() {
  local size=$1 x y px row
  u32 40; u32 "$size"; u32 $((size * 2)); u16 1; u16 4; u32 0; u32 0; u32 0; u32 0; u32 16; u32 0
  bytes 00 00 00 00  00 80 ff 00  30 b0 20 00  ff ff ff 00
  for ((row = 4; row < 16; row++)); do bytes 00 00 00 00; done
  for ((y = size - 1; y >= 0; y--)); do
    row=""
    # Two pixels a byte, the left one in the high half.
    for ((x = 0; x < size; x += 2)); do
      for px in $x $((x + 1)); do
        if ((px == y)); then row+=3
        elif ((px < 2 || y < 2 || px >= size - 2 || y >= size - 2)); then row+=1
        else row+=2; fi
      done
      row+=" "
    done
    bytes $row
  done
  for ((y = 0; y < size * ((size + 31) / 32 * 4); y++)); do bytes 00; done
}
write_icon() {
  local large=$((40 + 64 + 32 * 16 + 32 * 4)) small=$((40 + 64 + 16 * 8 + 16 * 4))
  {
    u16 0; u16 1; u16 2
    bytes 20 20 10 00; u16 1; u16 4; u32 $large; u32 38
    bytes 10 10 10 00; u16 1; u16 4; u32 $small; u32 $((38 + large))
    icon_image 32
    icon_image 16
  } > "$1"
}

# The product's folder, as a publisher would keep it: its main program is
# a ready-made one carrying its icon.
write_icon "$product/Fenlock.ico"
printf '#include <windows.h>\nint WINAPI WinMain(HINSTANCE i, HINSTANCE p, LPSTR c, int s) { return 0; }\n' \
  > "$work/fenlock.c"
printf '1 ICON "%s"\n' "$product/Fenlock.ico" > "$work/fenlock.rc"
i686-w64-mingw32-windres "$work/fenlock.rc" -O coff -o "$work/fenlock-rc.o" &&
  i686-w64-mingw32-gcc -mwindows -s -o "$product/Fenlock.exe" "$work/fenlock.c" "$work/fenlock-rc.o" ||
  { echo "the product's main program was not built"; exit 1; }
printf 'Fenlock 2.7\r\n\r\nOpen an atlas, walk its places, keep notes beside them.\r\n' \
  > "$product/Read Me.txt"
printf 'Fenlock \xe2\x80\x94 Licence\r\n\r\nAshcombe Labs lets you use Fenlock on the computers of one\r\nhousehold or caf\xc3\xa9, as often as you like \xe2\x80\x94 and asks nothing more.\r\n' \
  > "$product/Licence.txt"
printf '2.7: the atlas remembers where you stopped.\r\n2.6: notes beside places.\r\n' \
  > "$product/Changes.txt"
: > "$product/Places.log"
# Over 5 MiB of bytes that hardly pack, the same on every run.
openssl enc -aes-128-ctr -nosalt -K 00112233445566778899aabbccddeeff -iv 0 \
  < <(head -c 5500000 /dev/zero) > "$product/Atlas.tma" 2>/dev/null
cat > "$product/product.txt" <<EOF
# Fenlock by Ashcombe Labs: a product the tests make.
name       Fenlock
version    2.7
tagline    Maps that keep their own notes.
publisher  Ashcombe Labs
webpage    https://www.ashcombe.example/fenlock/
support    help@ashcombe.example
homepage   https://www.ashcombe.example/
rights     Copyright 2019-%d Ashcombe Labs. | Drawn by Wren Halloway.
visit      Fenlock is made by Ashcombe Labs. | Find its atlases at | https://www.ashcombe.example/
copyright  Copyright (C) 2024 Ashcombe Labs
licence    Licence.txt
installer  Fenlock Setup
base       $base
output     FenlockSetup.exe
banner     ASHCOMBE
slogan     Maps with memory
sideband   Ashcombe Labs
timestamp  2024-03-09 16:45:10.000
weekday    6
preserve   .TMN
picture    shortcut  Fenlock.ico
installed  7
shortcuts  4

entry | Fenunst.exe    | 0x12 | REMOVER | Uninstall         | @uninstaller
entry | Fenupd.exe     | 0x11 | UPDATER | Update            | @tools/Fenupd.exe
entry | Fenlock.exe    | 0x11 | PROGRAM | Fenlock           | Fenlock.exe
entry | Atlas.tma      | 0x11 | ATLAS   | World Atlas       | Atlas.tma
entry | Read Me.txt    | 0x11 | README  | -                 | Read Me.txt
entry | Places.log     | 0x11 | PLACES  | -                 | Places.log
entry | Changes.txt    | 0x11 | CHANGES | -                 | Changes.txt
EOF

# Built as the README says, and nothing in the tree touched.
before=$(git -C "$src" status --porcelain 2>/dev/null)
"$src/scripts/build-setup.sh" "$product" "$out" > "$work/build.log" 2>&1 ||
  { tail -n 40 "$work/build.log"; echo "the setup was not built"; exit 1; }
[ "$(git -C "$src" status --porcelain 2>/dev/null)" = "$before" ] ||
  fail "building the product changed the tree"
grep -q "^setup: $out/FenlockSetup.exe ([0-9]* bytes)$" "$work/build.log" ||
  fail "the build does not end with the output's path and size"
setup=$out/FenlockSetup.exe
[ -f "$setup" ] || { echo "no $setup"; exit 1; }

# The description as the setup and the driver take it: the identity they
# are compiled with holds its values.
identity=$out/generated/product_identity.h
for expected in 'PRODUCT_NAME "Fenlock"' 'PRODUCT_PUBLISHER "Ashcombe Labs"' \
    'PRODUCT_VERSION "2.7"' 'PRODUCT_INSTALLER_NAME "Fenlock Setup"' \
    'PRODUCT_OUTPUT_FILE "FenlockSetup.exe"' "PRODUCT_DEFAULT_BASE_FOLDER \"${base//\\/\\\\}\"" \
    'PRODUCT_INSTALLED_COUNT 7' 'PRODUCT_SHORTCUT_COUNT 4'; do
  grep -qF "#define $expected" "$identity" || fail "$identity lacks $expected"
done
# The main program's icon is the setup's, the uninstaller's and the updater's.
cmp -s "$product/Fenlock.ico" "$out/pictures/product.ico" ||
  fail "the setup does not wear its main program's icon"
cmp -s "$product/Fenlock.ico" "$out/identity/uninstaller.ico" ||
  fail "the uninstaller is not built with the product's own icon"
: > "$work/none.ico"
"$pack" icon "$out/tools/Fenupd.exe" "$work/none.ico" "$work/updater.ico" > /dev/null &&
  cmp -s "$product/Fenlock.ico" "$work/updater.ico" || fail "the updater does not wear the product's icon"
# The version record names the setup's file, in UTF-16 as Windows keeps it.
wide=$(printf 'FenlockSetup.exe' | sed 's/./&\\x00/g')
LC_ALL=C grep -a -q -P -- "$wide" "$setup" || fail "the version record does not name FenlockSetup.exe"
# Nothing of the demo product in the setup or in any file it installs.
for file in "$setup" "$out"/product-files/*; do
  for word in Quorvel Brindlemoor Qorvunst; do
    wide=$(printf %s "$word" | sed 's/./&\\x00/g')
    if LC_ALL=C grep -a -q -i -F -- "$word" "$file" || LC_ALL=C grep -a -q -i -P -- "$wide" "$file"; then
      fail "$word in $file"
    fi
  done
done
iconv -f UTF-8 -t WINDOWS-1252 "$product/Licence.txt" | cmp -s - "$out/product-files/license.txt" ||
  fail "the licence the setup shows is not the product's in Windows-1252"
# Built again with nothing changed, it makes nothing.
"$src/scripts/build-setup.sh" "$product" "$out" > "$work/again.log" 2>&1 || fail "the second build failed"
! grep -E "Painting|Writing|Packing|Linking|Building" "$work/again.log" ||
  fail "a build with nothing changed made the lines above again"
[ $failed = 0 ] || exit 1

# Older times and new bytes: the same length for the read-me, longer for
# the changes.
printf 'Fenlock 2.8\r\n\r\nOpen an atlas, walk its places, keep notes around them.\r\n' \
  > "$product/Read Me.txt"
printf '2.8: atlases open where you left them.\r\n' >> "$product/Changes.txt"
touch -d '2020-02-02 02:02' "$product/Read Me.txt" "$product/Changes.txt"
"$src/scripts/build-setup.sh" "$product" "$out" > "$work/rebuild.log" 2>&1 ||
  { tail -n 40 "$work/rebuild.log"; echo "the setup was not rebuilt"; exit 1; }
for pair in "README:Read Me.txt" "CHANGES:Changes.txt"; do
  resource=${pair%%:*} file=$product/${pair#*:}
  size=$(stat -c %s "$file")
  cmp -s "$file" "$out/product-files/${pair#*:}" || fail "product-files/${pair#*:} is not the new file"
  grep -Eq "^[0-9]+ .* 0x[0-9A-F]{2} +$resource .* $size +[0-9]+\$" "$out/generated/manifest.txt" ||
    fail "the manifest does not give $resource the new file's $size bytes"
  # The resource as the finished setup holds it, where the build's check
  # found it, decoded here.
  read -r packed offset < <(sed -n "s/^$resource: \([0-9]*\) bytes at \(0x[0-9a-f]*\), .*/\1 \2/p" "$work/rebuild.log")
  [ -n "$offset" ] || { fail "the build did not check $resource"; continue; }
  tail -c +$((offset + 1)) "$setup" | head -c "$packed" > "$work/$resource.lz"
  "$pack" unpack "$work/$resource.lz" "$work/$resource" "$size" > /dev/null &&
    cmp -s "$work/$resource" "$file" || fail "the setup does not carry the new $file"
done
# One byte inside the atlas's resource of a copy of the setup.
read -r packed offset < <(sed -n 's/^ATLAS: \([0-9]*\) bytes at \(0x[0-9a-f]*\), .*/\1 \2/p' "$work/rebuild.log")
bad=$work/bad.exe
cp "$setup" "$bad"
at=$((offset + packed / 2))
byte=$(od -An -tu1 -j "$at" -N 1 "$bad" | tr -d ' ')
printf "\\$(printf %03o $((byte ^ 0x5a)))" | dd of="$bad" bs=1 seek="$at" conv=notrunc status=none
checked=("$bad" "$out/generated/manifest.txt" ATLAS "$product/Atlas.tma" README "$product/Read Me.txt")
if "$pack" verify "${checked[@]}" > "$work/verify.log" 2>&1; then
  fail "a setup with a changed payload byte passed the check"
fi
grep -q "resource ATLAS, from $product/Atlas.tma: decodes to other bytes\|resource ATLAS, .*: ends before" \
  "$work/verify.log" || fail "the check does not name ATLAS: $(cat "$work/verify.log")"
! grep -q "resource README" "$work/verify.log" || fail "the check blames README too"
[ ! -e "$bad" ] && [ -f "$bad.rejected" ] || fail "the refused setup was not put aside"
[ $failed = 0 ] || exit 1

# Installed end to end, checked, removed, and the machine as before. The
# scenario's prefix comes from the Windows tree's template.
cmake --build "$out" --target vantor-driver -- --no-print-directory -s > "$work/driver.log" 2>&1 ||
  { cat "$work/driver.log"; exit 1; }
VANTOR_E2E_TEMPLATES=$win32 "$src/scripts/e2e-scenario.sh" "$out" install-remove
exit $?
