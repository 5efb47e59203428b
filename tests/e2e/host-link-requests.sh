# Sourced by the host helpers of the scenarios that need links in the file
# system (remove-junction, linked-files), with $prefix set. Wine cannot make
# one, so the host makes one each time the driver asks: the driver writes C:\e2e-link-request with
# two lines, the link and the folder it is to point to (paths on drive C:);
# the host makes the Unix symbolic link and removes the request. It stops
# with the prefix, or after the scenario's time limit.
(
  request=$prefix/drive_c/e2e-link-request
  on_host() { printf '%s/drive_c/%s' "$prefix" "$(printf '%s' "${1#[Cc]:\\}" | tr '\\' '/')"; }
  for _ in $(seq 3000); do  # five minutes at the most
    [ -d "$prefix/drive_c" ] || break
    if [ -f "$request" ]; then
      { read -r link; read -r target; } <"$request"
      ln -s "$(on_host "$target")" "$(on_host "$link")"
      rm -f "$request"
    fi
    sleep 0.1
  done
) </dev/null >/dev/null 2>&1 &
