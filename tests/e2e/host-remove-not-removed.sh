# Sourced by scripts/e2e-scenario.sh for the scenario remove-not-removed,
# with $prefix set. What Wine cannot do, the host does on the driver's
# request: the driver writes C:\e2e-host-request with three lines, a verb
# and two paths on drive C: (the second may be empty); the host acts and
# removes the request.
#   symlink LINK TARGET   a Unix symbolic link, a reparse point to Wine
#   hardlink NAME FILE    NAME becomes another name of FILE
#   remove NAME           the name alone, a link not followed
#   lock NAME             the file made immutable: unlink fails, and Wine's
#                         DeleteFileA still answers success
#   unlock NAME
# Whatever is still locked at the end is unlocked, so the prefix can go.
(
  request=$prefix/drive_c/e2e-host-request
  locked=()
  # Ended with its scenario: nothing stays locked.
  trap 'for a in "${locked[@]}"; do chattr -i "$a"; done; exit 0' TERM
  on_host() { printf '%s/drive_c/%s' "$prefix" "$(printf '%s' "${1#[Cc]:\\}" | tr '\\' '/')"; }
  for _ in $(seq 6000); do  # ten minutes at the most
    [ -d "$prefix/drive_c" ] || break
    if [ -f "$request" ]; then
      { read -r verb; read -r first; read -r second; } <"$request"
      a=$(on_host "$first")
      case $verb in
        symlink) ln -s "$(on_host "$second")" "$a" ;;
        hardlink) ln -f "$(on_host "$second")" "$a" ;;
        remove) rm -f "$a" ;;
        lock) chattr +i "$a" && locked+=("$a") ;;
        unlock) chattr -i "$a" ;;
      esac
      rm -f "$request"
    fi
    sleep 0.1
  done
  for a in "${locked[@]}"; do chattr -i "$a"; done
) </dev/null >/dev/null 2>&1 &
