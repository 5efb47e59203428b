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
# the link targets, moving their access times. No USB or HID bus either:
# nothing here uses a device, and its driver keeps polling for them, a few
# percent of a core for every prefix that runs.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe,winemenubuilder.exe,winebus.sys,wineusb.sys=d"

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

# The ready prefix that copies start from, in folder $1 for the Windows
# architecture $2 (default $WINEARCH): made once, even when several runs ask
# for it at the same moment. Sets vantor_template.
vantor_make_template() {
  local arch=${2:-$WINEARCH}
  vantor_template=$1/e2e-template
  [ "$arch" = win32 ] || vantor_template=$vantor_template-$arch
  (
    flock 9
    vantor_make_prefix "$vantor_template" "$arch"
  ) 9>"$vantor_template.lock"
  [ -f "$vantor_template/.vantor-ready" ] || { echo "cannot make the Wine prefix $vantor_template" >&2; return 1; }
}

# A fresh copy of the ready prefix $1 at $2, but its 500 MB of system DLLs
# (twice that in a 64-bit prefix), which nothing writes to, only
# hard-linked: a copy costs a second, not ten.
vantor_copy_prefix() {
  local dlls
  rm -rf "$2"
  mkdir -p "$2"
  tar -C "$1" --exclude=./drive_c/windows/system32 --exclude=./drive_c/windows/syswow64 \
    -cf - . | tar -C "$2" -xf - || return 1
  for dlls in system32 syswow64; do
    [ -d "$1/drive_c/windows/$dlls" ] || continue
    cp -al "$1/drive_c/windows/$dlls" "$2/drive_c/windows/$dlls" || return 1
  done
}

# Start the prefix's wineserver persistently with all streams closed, so
# that background Wine services never hold a pipe of ctest's open.
vantor_start_wine() {
  export WINEPREFIX=$1
  wineserver -p >/dev/null 2>&1 </dev/null
  wine cmd /c exit >/dev/null 2>&1 </dev/null
}

# The shared test prefix ctest lent this test, when the run has several:
# test.sh makes them as $VANTOR_TEST_PREFIXES/1, 2, ... each with its own
# wineserver and display (named in its .vantor-display), and ctest hands
# them out as the resource "prefixes", so that the tests of one prefix
# still run one at a time. Otherwise the caller's WINEPREFIX and DISPLAY.
vantor_use_test_prefix() {
  local lent
  [ -n "${VANTOR_TEST_PREFIXES:-}" ] && [ -n "${CTEST_RESOURCE_GROUP_0_PREFIXES:-}" ] || return 0
  lent=${CTEST_RESOURCE_GROUP_0_PREFIXES#id:}
  export WINEPREFIX=$VANTOR_TEST_PREFIXES/${lent%%,*}
  DISPLAY=$(cat "$WINEPREFIX/.vantor-display") || return 1
  export DISPLAY
}

vantor_stop_wine() {
  WINEPREFIX=$1 wineserver -k >/dev/null 2>&1 </dev/null || true
}

# An Xvfb of our own at 1024 x 768; sets DISPLAY. Several runs may start
# one at the same moment: the server itself claims its number (it ends at
# once when another holds it), so a number is only ours once it says it is
# listening (-displayfd), and on failure the next is tried.
vantor_start_xvfb() {
  local n i ready
  ready=$(mktemp /tmp/vantor-xvfb-XXXXXX)
  n=77
  while [ $n -lt 300 ]; do
    if [ ! -e /tmp/.X$n-lock ] && [ ! -e /tmp/.X11-unix/X$n ]; then
      Xvfb :$n -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
        3>"$ready" >/dev/null 2>&1 </dev/null &
      vantor_xvfb_pid=$!
      i=0
      while [ ! -s "$ready" ] && kill -0 "$vantor_xvfb_pid" 2>/dev/null &&
            [ $i -lt 500 ]; do
        sleep 0.02
        i=$((i + 1))
      done
      if [ -s "$ready" ]; then
        rm -f "$ready"
        export DISPLAY=:$n
        return 0
      fi
      kill "$vantor_xvfb_pid" 2>/dev/null
      wait "$vantor_xvfb_pid" 2>/dev/null
    fi
    n=$((n + 1))
  done
  rm -f "$ready"
  vantor_xvfb_pid=
  echo "no free X display" >&2
  return 1
}

vantor_stop_xvfb() {
  [ -n "${vantor_xvfb_pid:-}" ] && kill "$vantor_xvfb_pid" 2>/dev/null || true
}
