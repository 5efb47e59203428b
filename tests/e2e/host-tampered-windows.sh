# Sourced by scripts/e2e-scenario.sh for the scenario tampered-windows, with
# $prefix set: drive W: is drive C: again, as SUBST makes one, so the
# Windows folder has a second name the uninstaller's text rule cannot know.
ln -sfn ../drive_c "$prefix/dosdevices/w:"
