#!/bin/bash
# Runs one Windows test program under the Wine that test.sh prepared.
. "$(dirname "$0")/wine-env.sh"
vantor_use_test_prefix || exit 1
exec wine "$@"
