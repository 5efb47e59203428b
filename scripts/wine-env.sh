# Sourced by the run and test scripts: a Wine of the build's own, on a display
# of its own unless asked for the user's.
# usage: . scripts/wine-env.sh BUILD_DIR

vantor_root=$(cd "$(dirname "${BASH_SOURCE:-$0}")/.." && pwd)
# A 32-bit Windows unless asked for another (VANTOR_WINEARCH=win64: a 64-bit
# Windows, where the 32-bit setup runs under WOW64).
export WINEARCH=${VANTOR_WINEARCH:-win32}
export WINEDEBUG=-all
# No add-on downloads, no debugger on a crash, and no menu builder: it would
# write menu entries to the host's desktop for every link saved, and read
# the link targets, moving their access times.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe,winemenubuilder.exe=d"

# Make a prefix at $1 (if missing) for the Windows architecture $2 (win32 or
# win64; default $WINEARCH) and make it safe for tests: no host drive, no
# window-manager waits. The build tree is reachable as T: so test programs
# can compare against the files the build made.
vantor_make_prefix() {
  prefix=$1
  arch=${2:-$WINEARCH}
  [ -f "$prefix/.vantor-ready" ] && return 0
  rm -rf "$prefix"
  mkdir -p "$prefix"
  WINEARCH=$arch WINEPREFIX=$prefix wineboot -i >/dev/null 2>&1 </dev/null
  WINEARCH=$arch WINEPREFIX=$prefix wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
    >/dev/null 2>&1 </dev/null
  WINEARCH=$arch WINEPREFIX=$prefix wineserver -w
  rm -f "$prefix/dosdevices/z:"
  touch "$prefix/.vantor-ready"
}

# A fresh copy of a ready prefix, for one end-to-end scenario.
vantor_copy_prefix() {
  rm -rf "$2"
  cp -a "$1" "$2"
}

# Start the prefix's wineserver persistently with all streams closed, so
# that background Wine services never hold a pipe of ctest's open.
vantor_start_wine() {
  export WINEPREFIX=$1
  wineserver -p >/dev/null 2>&1 </dev/null
  wine cmd /c exit >/dev/null 2>&1 </dev/null
}

vantor_stop_wine() {
  WINEPREFIX=$1 wineserver -k >/dev/null 2>&1 </dev/null || true
}

# An Xvfb of our own at 1024 x 768; sets DISPLAY.
vantor_start_xvfb() {
  n=77
  while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
  Xvfb :$n -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
  vantor_xvfb_pid=$!
  export DISPLAY=:$n
  i=0
  while [ ! -e /tmp/.X11-unix/X$n ] && [ $i -lt 100 ]; do sleep 0.05; i=$((i + 1)); done
}

vantor_stop_xvfb() {
  [ -n "${vantor_xvfb_pid:-}" ] && kill "$vantor_xvfb_pid" 2>/dev/null || true
}
