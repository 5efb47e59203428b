#!/bin/bash
# Signs a Windows program in place with Authenticode (SHA-256), from the
# certificate the environment names; the build calls it for the product's
# programs before packing them and for the setup after linking it.
#   VANTOR_SIGN_CERT and VANTOR_SIGN_KEY    PEM certificate (chain) and key
#   VANTOR_SIGN_PKCS12                      or a PKCS#12 file
#   VANTOR_SIGN_PASSWORD                    the password of either, if any
#   VANTOR_SIGN_TIMESTAMP                   optional RFC 3161 timestamp server URL
# Nothing here is stored in the build tree: the password goes to
# osslsigncode on its standard input, never on a command line.
set -e
file=$1
if [ -n "$VANTOR_SIGN_PKCS12" ]; then
  credentials=(-pkcs12 "$VANTOR_SIGN_PKCS12")
elif [ -n "$VANTOR_SIGN_CERT" ] && [ -n "$VANTOR_SIGN_KEY" ]; then
  credentials=(-certs "$VANTOR_SIGN_CERT" -key "$VANTOR_SIGN_KEY")
else
  echo "sign.sh: this build signs, but neither VANTOR_SIGN_CERT with VANTOR_SIGN_KEY" \
       "nor VANTOR_SIGN_PKCS12 is set; sign from the environment it was configured in" >&2
  exit 1
fi
# The password opens the PKCS#12 file or an encrypted key.
[ -z "$VANTOR_SIGN_PASSWORD" ] || credentials+=(-readpass -)
timestamp=()
[ -z "$VANTOR_SIGN_TIMESTAMP" ] || timestamp=(-ts "$VANTOR_SIGN_TIMESTAMP")
signed="$file.signed"
rm -f "$signed"
# A signed file is signed anew: the old signature goes first.
if osslsigncode remove-signature -in "$file" -out "$signed" >/dev/null 2>&1; then
  mv "$signed" "$file"
fi
printf '%s' "${VANTOR_SIGN_PASSWORD:-}" |
  osslsigncode sign "${credentials[@]}" -h sha256 "${timestamp[@]}" \
    -in "$file" -out "$signed" >/dev/null
mv "$signed" "$file"
