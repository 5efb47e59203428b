#!/bin/sh
# Installs what the build and the tests need; quick when everything is there.
set -e
need=""
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "ok installed"; }
# wine64: one end-to-end run in a 64-bit Windows.
for p in make cmake g++-mingw-w64-i686 wine wine32:i386 wine64 xvfb xauth googletest libgtest-dev \
         libbenchmark-dev clang-14 libclang-rt-14-dev; do
  have "$p" || need="$need $p"
done
[ -z "$need" ] && exit 0
if [ "$(id -u)" != 0 ]; then
  echo "missing packages:$need (run as root to install them)" >&2
  exit 1
fi
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
echo "installing:$need"
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $need >/dev/null
