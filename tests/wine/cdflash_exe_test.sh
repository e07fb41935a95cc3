#!/usr/bin/env bash
# cdflash.exe of this build, under Wine (its import table is checked on the
# shipped file by the release checks, its package by the package tests):
#   - started in the workspace `make run` prepares (sample model table and BIN
#     files) it shows its build-mode window with the sample models (screenshot
#     windows-build-mode.png in WORKDIR), and Alt+F4 ends it with exit code 0.
# usage: cdflash_exe_test.sh CDFLASH_EXE WORKDIR
# Needs WINEPREFIX and DISPLAY as scripts/test-windows.sh sets them.
set -uo pipefail

exe=$1
work=$2
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=flasher_runs.sh
. "$root/tests/wine/flasher_runs.sh"

need_wine_display "cdflash.exe"
rm -rf "$work"
# The workspace `make run` prepares: the template, the sample model table
# next to it and the sample BIN files.
"$root/scripts/prepare-workspace.sh" "$exe" "$work" >/dev/null
(cd "$work" && exec wine cdflash.exe </dev/null >"$work/build-mode.log" 2>&1) &
pid=$!
# The caption carries the first sample model's range: the table was read.
id=$(timeout 30 xdotool search --sync --onlyvisible --name '^ Flash V1\.043 1\.00-1\.59 \[Buiding\]$' 2>/dev/null | head -1)
if [ -n "$id" ]; then
  pass "build-mode window shown with the sample models: '$(xdotool getwindowname "$id")'"
  sleep 0.5  # let it paint
  import -window "$id" "$work/windows-build-mode.png" && pass "screenshot $work/windows-build-mode.png" ||
    fail "screenshot"
  xdotool windowfocus --sync "$id" 2>/dev/null
  xdotool keydown alt key F4 keyup alt
else
  fail "no build-mode window within 30 s"
fi
wait_exit "$pid" 20; status=$exit_status
if [ "$status" = 0 ]; then pass "build mode ends with exit code 0"; else fail "build mode ended with $status"; fi

finish "cdflash.exe"
