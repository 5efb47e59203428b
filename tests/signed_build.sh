#!/bin/bash
# With a certificate in the environment the build signs the product's
# programs before packing them and the setup after linking it: a build in
# build/signed with a throwaway certificate, every signature verified, and
# the programs the setup carries are the signed ones, byte for byte, and
# the package manager's manifest names the signed setup's hash.
# usage: signed_build.sh SOURCE_ROOT HOST_TREE
set -e
src=$1
host=$2
command -v osslsigncode >/dev/null && command -v openssl >/dev/null || {
  echo "osslsigncode or openssl missing"; exit 77; }
out=$src/build/signed
cert=$out/test-certificate
mkdir -p "$cert"
# Made once, so an incremental build's signatures still verify against it.
if [ ! -f "$cert/cert.pem" ]; then
  openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=Vantor test signer" \
    -addext "extendedKeyUsage=codeSigning" -keyout "$cert/key.pem" -out "$cert/cert.pem" 2>/dev/null
fi
export VANTOR_SIGN_CERT=$cert/cert.pem VANTOR_SIGN_KEY=$cert/key.pem
unset VANTOR_SIGN_PKCS12 VANTOR_SIGN_TIMESTAMP
cmake -S "$src" -B "$out" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-i686.cmake" \
  -DVANTOR_HOST_TOOLS="$host" >/dev/null
grep -q '^VANTOR_SIGN:BOOL=ON' "$out/CMakeCache.txt" || { echo "the tree did not turn signing on"; exit 1; }
cmake --build "$out" --target Vantor Drellisk -j2 >/dev/null

failed=0
verify() {
  if osslsigncode verify -CAfile "$cert/cert.pem" -in "$1" 2>&1 | grep -q '^Signature verification: ok'; then
    echo "signed: ${1#$out/}"
  else
    echo "NOT SIGNED or does not verify: $1"; failed=1
  fi
}
contains() {  # is file $2 a run of bytes in file $1?
  local whole part
  whole=$(od -An -v -tx1 "$1" | tr -d ' \n')
  part=$(od -An -v -tx1 "$2" | tr -d ' \n')
  [[ $whole == *"$part"* ]]
}
# Each setup of the tree: its programs ("@" entries of its description),
# signed, packed from the signed files and carried by the signed setup.
for named in $(find "$out" -name setup.name -not -path '*/CMakeFiles/*'); do
  root=$(dirname "$named")
  setup=$root/$(cat "$named")
  description=$(cat "$root/description.path")
  verify "$setup"
  for packed in "$root"/payload/*.lz; do
    resource=$(basename "$packed" .lz)
    line=$(grep -E "^entry *\| *[^|]*\| *[^|]*\| *$resource *\|" "$description")
    source=$(echo "$line" | awk -F'|' '{ gsub(/^ +| +$/, "", $6); print $6 }')
    target=$(echo "$line" | awk -F'|' '{ gsub(/^ +| +$/, "", $2); print $2 }')
    contains "$setup" "$packed" || { echo "$resource: not in $setup as packed"; failed=1; }
    # Programs the tree builds are signed in place, ready-made ones as copies.
    case $source in
      @uninstaller) program=$root/uninstaller/$target ;;
      @*) program=$root/${source#@} ;;
      *.exe | *.dll) program=$root/signed/$target ;;
      *) continue ;;
    esac
    verify "$program"
    "$host/vantor-pack" unpack "$packed" "$out/unpacked.tmp" "$(stat -c %s "$program")" >/dev/null
    if cmp -s "$out/unpacked.tmp" "$program"; then
      echo "carried as signed: $resource"
    else
      echo "$resource: the setup carries other bytes than the signed $program"; failed=1
    fi
  done
done
rm -f "$out/unpacked.tmp"
# The package manager's manifests name the signed setups' hashes.
"$src/tests/package_manifests.sh" "$src" "$out" || failed=1
# The other form of certificate: a PKCS#12 file with a password.
openssl pkcs12 -export -inkey "$cert/key.pem" -in "$cert/cert.pem" -passout pass:Fenwick7 \
  -out "$cert/signer.p12"
sample=$out/pkcs12-sample.exe
find "$out" -path '*/CMakeFiles/*' -prune -o -name '*.exe' -print -quit | xargs -I{} cp {} "$sample"
osslsigncode remove-signature -in "$sample" -out "$sample.bare" >/dev/null && mv "$sample.bare" "$sample"
env -u VANTOR_SIGN_CERT -u VANTOR_SIGN_KEY VANTOR_SIGN_PKCS12="$cert/signer.p12" \
  VANTOR_SIGN_PASSWORD=Fenwick7 "$src/scripts/sign.sh" "$sample"
verify "$sample"
if env -u VANTOR_SIGN_CERT -u VANTOR_SIGN_KEY VANTOR_SIGN_PKCS12="$cert/signer.p12" \
     VANTOR_SIGN_PASSWORD=wrong "$src/scripts/sign.sh" "$sample" 2>/dev/null; then
  echo "signed with a wrong password"; failed=1
fi
rm -f "$sample" "$sample.signed"
# The normal build stays unsigned.
normal=$src/build/win32/Vantor.exe
if [ -f "$normal" ] && osslsigncode extract-signature -in "$normal" -out "$out/sig.tmp" >/dev/null 2>&1; then
  echo "the normal build is signed: $normal"; failed=1
fi
rm -f "$out/sig.tmp"
exit $failed
