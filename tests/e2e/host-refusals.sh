# Sourced by scripts/e2e-scenario.sh for the scenario refusals, with
# $prefix set. Wine makes no link in the file system, so the host makes two
# Unix symbolic links before the driver starts: C:\Users\Public\logs to
# C:\protected, and C:\Users\Public\plain\file.log to
# C:\protected\other.log, which the driver then plants.
c=$prefix/drive_c
mkdir -p "$c/protected" "$c/users/Public/plain"
ln -s "$c/protected" "$c/users/Public/logs"
ln -s "$c/protected/other.log" "$c/users/Public/plain/file.log"
