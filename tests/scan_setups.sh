#!/bin/bash
# Scans two built setups for each other's names: Quorvel's and the second
# product's. Each setup is searched as built and in every payload file
# decoded, for the names as ASCII in any case and as UTF-16LE in any case.
# The same search must find each setup's own names, or it proves nothing.
# usage: scan_setups.sh QUORVEL_ROOT SECOND_ROOT HOST_TOOLS
set -u
quorvel=$1
second=$2
tools=$3
work=$(mktemp -d /tmp/vantor-scan-XXXXXX)
trap 'rm -rf "$work"' EXIT
failed=0

# The files a setup consists of: the program, and each packed payload it
# carries, decoded to its size in the manifest listing; listed in $2.list.
decode() {
  local root=$1 out=$2 hex resource size packed setup
  setup=$root/$(cat "$root/setup.name")
  mkdir -p "$out"
  echo "$setup" > "$out.list"
  hex=$(od -An -v -tx1 "$setup" | tr -d ' \n')
  while read -r resource size; do
    packed=$root/payload/$resource.lz
    [[ $hex == *"$(od -An -v -tx1 "$packed" | tr -d ' \n')"* ]] ||
      { echo "scan: $packed is not what $setup carries" >&2; failed=1; }
    "$tools/vantor-pack" unpack "$packed" "$out/$resource" "$size" >/dev/null || failed=1
    echo "$out/$resource" >> "$out.list"
  done < <(awk '$1 ~ /^[0-9]+$/ { for (i = 2; i <= NF; i++) if ($i ~ /^0x/) break;
                                   print $(i + 1), $(NF - 1) }' "$root/generated/manifest.txt")
}

# Where a name occurs in a file, as ASCII or as UTF-16LE, any case.
occurs() {
  local word=$1 file=$2 wide="" i
  for ((i = 0; i < ${#word}; i++)); do wide+="${word:i:1}\\x00"; done
  LC_ALL=C grep -a -q -i -F -- "$word" "$file" && { echo ascii; return; }
  LC_ALL=C grep -a -q -i -P -- "$wide" "$file" && { echo utf-16; return; }
}

# scan ROOT "OWN NAMES" "FOREIGN NAMES"
scan() {
  local root=$1 own=$2 foreign=$3 files word file how found
  decode "$root" "$work/$(basename "$root")"
  files=$(cat "$work/$(basename "$root").list")
  echo "$root: $(echo "$files" | wc -l) files (the setup and its decoded payload)"
  for word in $foreign; do
    while read -r file; do
      how=$(occurs "$word" "$file")
      [ -z "$how" ] || { echo "FOUND $word ($how) in $file"; failed=1; }
    done <<< "$files"
  done
  for word in $own; do
    found=""
    while read -r file; do
      how=$(occurs "$word" "$file")
      [ -z "$how" ] || found="$found $(basename "$file")($how)"
    done <<< "$files"
    if [ -n "$found" ]; then echo "own name $word found in:$found"; else
      echo "the scan does not even find $word in its own setup"; failed=1; fi
  done
}

scan "$second" "Drellisk Ombrevale" "Quorvel Brindlemoor"
scan "$quorvel" "Quorvel Brindlemoor" "Drellisk Ombrevale"
exit $failed
