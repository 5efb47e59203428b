#!/bin/bash
# VANTOR_SIGN_COMMAND: sign.sh runs the publisher's command once per file,
# with the file's path as its last argument, names what the file then
# carries, and fails when the command fails or signs nothing.
# usage: sign_command.sh PROGRAM.exe
set -e
command -v osslsigncode >/dev/null && command -v openssl >/dev/null || {
  echo "osslsigncode or openssl missing"; exit 77; }
src=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=Vantor token signer" \
  -addext "extendedKeyUsage=codeSigning" -keyout key.pem -out cert.pem 2>/dev/null
# A stand-in for a token's or a cloud service's tool: it notes each call,
# then signs in place with the throwaway certificate.
cat > token-sign <<'TOOL'
#!/bin/bash
echo "$*" >> "$(dirname "$0")/calls"
[ -z "$REFUSE" ] || exit 3
[ -n "$SIGN_NOTHING" ] && exit 0
file=${@: -1}
osslsigncode sign -certs "$(dirname "$0")/cert.pem" -key "$(dirname "$0")/key.pem" -h sha256 \
  -in "$file" -out "$file.new" >/dev/null && mv "$file.new" "$file"
TOOL
chmod +x token-sign
cp "$program" "my program.exe"
failed=0
expect() { "$@" || { echo "FAILED: $*"; failed=1; }; }

unset VANTOR_SIGN_CERT VANTOR_SIGN_KEY VANTOR_SIGN_PKCS12
export VANTOR_SIGN_COMMAND="$work/token-sign --slot 1"
out=$("$src/scripts/sign.sh" "$work/my program.exe")
echo "$out"
expect [ "$(cat calls)" = "--slot 1 $work/my program.exe" ]
expect grep -q "^signed $work/my program.exe: CN = Vantor token signer, valid until " <<< "$out"
expect grep -q 'Signature verification: ok' <<< "$(osslsigncode verify -CAfile cert.pem -in "my program.exe" 2>&1)"

# A command that fails, or one that signs nothing, stops the build.
cp "$program" other.exe
for how in REFUSE SIGN_NOTHING; do
  if env "$how=1" "$src/scripts/sign.sh" "$work/other.exe" 2>/dev/null; then
    echo "FAILED: a command run with $how went through"; failed=1
  fi
done
exit $failed
