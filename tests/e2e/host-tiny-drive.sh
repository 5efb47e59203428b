# Sourced by scripts/e2e-scenario.sh for the scenario tiny-drive, with
# $prefix set: small file systems mounted as drives of their own (root
# only; else the scenario is skipped). They are unmounted when the script
# ends its jobs, or with the prefix.
drives=$(mktemp -d /tmp/vantor-drives-XXXXXX)
(
  trap 'grep -o " $drives/[^ ]*" /proc/mounts | sort -r | xargs -r -n1 umount -l; rm -rf "$drives"' EXIT
  trap exit TERM INT HUP
  while [ -d "$prefix/drive_c" ]; do sleep 1; done
) </dev/null >/dev/null 2>&1 &

# mount_small SIZE FOLDER; map_drive LETTER SIZE
mount_small() {
  mkdir -p "$2" && mount -t tmpfs -o "size=$1,mode=0755" tmpfs "$2" 2>/dev/null ||
    { echo "cannot mount a small filesystem here (needs root)"; exit 77; }
}
map_drive() { mount_small "$2" "$drives/$1" && ln -sfn "$drives/$1" "$prefix/dosdevices/$1:"; }

map_drive h 32k
map_drive i 1m
mount_small 64k "$drives/i/Mounted"
