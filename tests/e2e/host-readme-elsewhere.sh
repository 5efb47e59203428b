# Sourced by scripts/e2e-scenario.sh for the scenario readme-elsewhere, with
# $prefix set: no Notepad in the system or the Windows folder. Names alone
# go: the files are hard links shared with the template prefix.
rm -f "$prefix/drive_c/windows/system32/notepad.exe" "$prefix/drive_c/windows/notepad.exe"
