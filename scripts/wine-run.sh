#!/usr/bin/env bash
# Runs a Windows program under Wine: the emulator through which CMake, CTest
# and gtest_discover_tests run the cross-built programs.
#   scripts/wine-run.sh PROGRAM.exe [ARGS...]
# A 64-bit program runs under 64-bit Wine, a 32-bit one under 32-bit Wine;
# anything else (`reg`, say) under the Wine of $CDFLASH_WINDOWS_ARCH.
# Uses $WINEPREFIX (scripts/test-windows.sh sets a throw-away one); without it a
# prefix of the user's own cache is created on first use. Windows need
# $DISPLAY (an X server such as Xvfb); console programs do not.
#
# The program's output goes through files, never a pipe: Wine's services
# inherit the descriptors, and a reader of a pipe would wait for them to end.
# Line ends come back as '\n'.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if [ $# -lt 1 ]; then
  echo "usage: $0 PROGRAM [ARGS...]" >&2
  exit 2
fi

# The machine field of a PE file's header: 8664 for x86_64, 014c for i386.
pe_machine() {
  local at
  at=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') || return
  [ -n "$at" ] && od -An -tx2 -j$((at + 4)) -N2 "$1" 2>/dev/null | tr -d ' '
}
if [ -f "$1" ]; then
  case $(pe_machine "$1") in
    8664) export CDFLASH_WINDOWS_ARCH=x86_64 ;;
    014c) export CDFLASH_WINDOWS_ARCH=i686 ;;
  esac
fi
# shellcheck source=wine-env.sh
. "$here/wine-env.sh"
export WINEPREFIX="${WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/cdflash/wine-$WINEARCH}"
cdflash_wine_prefix_ensure "$WINEPREFIX" || exit 125

out=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
trap 'rm -f "$out" "$out.err"' EXIT
wine "$@" </dev/null >"$out" 2>"$out.err"
status=$?
tr -d '\r' <"$out"
tr -d '\r' <"$out.err" >&2
exit $status
