#!/bin/bash
# A reinstall over files marked for deletion at the next start, then a
# restart of Wine's Windows, which carries out the pending list as
# Windows does at boot: the reinstalled files must still be there.
set -e
build=$1
. "$(dirname "$0")/../scripts/wine-env.sh"
vantor_use_test_prefix
top=$WINEPREFIX/drive_c/vantor-pending
rm -rf "$top"
mkdir -p "$top"
trap 'rm -rf "$top"' EXIT
cd "$build"
export VANTOR_PENDING='C:\vantor-pending'
wine ./vantor-win32-tests.exe --gtest_filter='PendingRestart.MarkedThenReinstalled'
wine wineboot -r >/dev/null 2>&1 </dev/null
wine ./vantor-win32-tests.exe --gtest_filter='PendingRestart.TheNewFilesSurviveTheRestart'
