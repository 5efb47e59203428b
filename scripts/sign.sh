#!/bin/bash
# Signs a Windows program in place with Authenticode (SHA-256); the build
# calls it for the product's programs before packing them and for the setup
# after linking it. The environment names how:
#   VANTOR_SIGN_COMMAND                     a command run once per file, with
#                                           the file's path as its last
#                                           argument, that signs it in place
#                                           (a hardware token, a cloud service)
#   VANTOR_SIGN_CERT and VANTOR_SIGN_KEY    or a PEM certificate (chain) and key
#   VANTOR_SIGN_PKCS12                      or a PKCS#12 file
#   VANTOR_SIGN_PASSWORD                    the password of either, if any
#   VANTOR_SIGN_TIMESTAMP                   optional RFC 3161 timestamp server URL
# Nothing here is stored in the build tree: the password goes to
# osslsigncode on its standard input, never on a command line. Each file
# signed is named, with the signer's subject and the certificate's expiry.
set -eo pipefail
file=$1
if [ -n "$VANTOR_SIGN_COMMAND" ]; then
  # The command as the publisher wrote it, the path as one more argument.
  bash -c "$VANTOR_SIGN_COMMAND \"\$1\"" vantor-sign "$file" >&2 ||
    { echo "sign.sh: VANTOR_SIGN_COMMAND failed for $file" >&2; exit 1; }
else
  if [ -n "$VANTOR_SIGN_PKCS12" ]; then
    credentials=(-pkcs12 "$VANTOR_SIGN_PKCS12")
  elif [ -n "$VANTOR_SIGN_CERT" ] && [ -n "$VANTOR_SIGN_KEY" ]; then
    credentials=(-certs "$VANTOR_SIGN_CERT" -key "$VANTOR_SIGN_KEY")
  else
    echo "sign.sh: this build signs, but none of VANTOR_SIGN_COMMAND, VANTOR_SIGN_CERT with" \
         "VANTOR_SIGN_KEY, or VANTOR_SIGN_PKCS12 is set; sign from the environment it was" \
         "configured in" >&2
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
fi
# What the file now carries, read back from it whichever way it was signed:
# the signer is the first certificate of the signature.
# osslsigncode writes only a file that is not there yet.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
signature=$scratch/signature.pem
if ! osslsigncode extract-signature -pem -in "$file" -out "$signature" >/dev/null 2>&1; then
  echo "sign.sh: $file carries no signature after signing" >&2
  exit 1
fi
signer=$(openssl pkcs7 -print_certs -in "$signature" |
  openssl x509 -noout -subject -enddate -nameopt oneline 2>/dev/null | tr '\n' ';')
subject=${signer%%;*}
expiry=${signer#*;}
echo "signed $file: ${subject#subject=}, valid until ${expiry%;}" | sed 's/notAfter=//'
