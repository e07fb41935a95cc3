#!/usr/bin/env bash
# Runs a Windows program under Wine: the emulator through which CMake, CTest
# and gtest_discover_tests run the cross-built programs.
#   scripts/wine-run.sh PROGRAM.exe [ARGS...]
# Uses $WINEPREFIX (scripts/test-win32.sh sets a throw-away one); without it a
# prefix of the user's own cache is created on first use. Windows need
# $DISPLAY (an X server such as Xvfb); console programs do not.
#
# The program's output goes through files, never a pipe: Wine's services
# inherit the descriptors, and a reader of a pipe would wait for them to end.
# Line ends come back as '\n'.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=wine-env.sh
. "$here/wine-env.sh"

if [ $# -lt 1 ]; then
  echo "usage: $0 PROGRAM [ARGS...]" >&2
  exit 2
fi
export WINEPREFIX="${WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/cdflash/wine-win32}"
cdflash_wine_prefix_ensure "$WINEPREFIX" || exit 125

out=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
trap 'rm -f "$out" "$out.err"' EXIT
wine "$@" </dev/null >"$out" 2>"$out.err"
status=$?
tr -d '\r' <"$out"
tr -d '\r' <"$out.err" >&2
exit $status
