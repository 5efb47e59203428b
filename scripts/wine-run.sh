#!/bin/sh
# Runs one Windows test program under the Wine that test.sh prepared.
exec wine "$@"
