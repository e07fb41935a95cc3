#!/usr/bin/env bash
# A whole flash run of a flasher made from the real cdflash.exe, under Wine as
# a Windows 9x program over the simulator DLL (the ASPI route), with slow
# commands: each one completes DELAY ms later from the layer's own thread, the
# commit 2 s later. WORKDIR/windows-flash-mode.png is the window's screenshot.
# From another process (flash_run_probe), throughout the run:
#   - every read of the window (group box caption, progress bar position)
#     is answered within 1 s, and the bar is seen at several positions;
#   - the run ends with the restart question, which is answered No; the
#     window then closes and the program ends with exit code 0.
# What the window lists and says is the form tests' part.
# Prints the probe's figures (reads, latency, progress positions).
# usage: flash_run_test.sh CDFLASH_EXE MAKE_TEST_FLASHER SIM_DLL PROBE WORKDIR [DELAY]
# Needs WINEPREFIX and DISPLAY as scripts/test-windows.sh sets them.
set -uo pipefail

exe=$1
make_flasher=$2
sim_dll=$3
probe=$4
work=$5
delay=${6:-120}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=flasher_runs.sh
. "$root/tests/wine/flasher_runs.sh"

start_flasher_test "flash run" SLOWRUN.EXE
cp "$probe" "$work/flash_run_probe.exe"
{ printf '[Layer]\nCompletion=async\nDelay=%s\nCommitDelay=2000\n' "$delay"; acme_drive; } | write_layer_ini

start_window SLOWRUN.EXE
if [ -n "$window" ]; then
  sleep 0.5  # let it paint
  import -window "$window" "$work/windows-flash-mode.png" && pass "screenshot $work/windows-flash-mode.png" ||
    fail "screenshot"
  timeout -k 5 180 "$root/scripts/wine-run.sh" "$work/flash_run_probe.exe" >"$work/probe.out" 2>&1
  cat "$work/probe.out"
  fact() { grep -m1 -- "^$1" "$work/probe.out"; }
  expect_match probe '^box "Confirm" ".*Update FW:1\.20 to FW:1\.60 .*" answered=Yes$' \
    "the update question, answered Yes"
  unanswered=$(fact 'reads=' | sed -n 's/.* unanswered=\([0-9]*\)$/\1/p')
  reads=$(fact 'reads=' | sed -n 's/^reads=\([0-9]*\) .*/\1/p')
  if [ "${unanswered:-x}" = 0 ] && [ "${reads:-0}" -ge 100 ]; then
    pass "all $reads reads answered within 1 s"
  else
    fail "reads: ${reads:-?}, unanswered within 1 s: ${unanswered:-?}"
  fi
  positions=$(fact 'positions=' | cut -d= -f2)
  if [ "${positions:-0}" -ge 5 ]; then pass "progress bar seen at $positions positions"; else fail "progress bar seen at ${positions:-0} positions"; fi
  expect_line probe 'restart_caption="Flash Completed."' "the run ends with \"Flash Completed.\""
  expect_match probe '^box "Confirm" ".*restarted.*" answered=No$' "the restart question, answered No"
  expect_line probe 'run_ended=1' "the FLASH button comes back after the run"
  expect_line probe 'closed_after_run=1' "the window closes once the run has ended"
else
  fail "no flash-mode window within 30 s"
  xdotool search --onlyvisible --name '.' getwindowname %@ 2>/dev/null | sed 's/^/  visible: /'
fi
wait_exit "$pid" 20; status=$exit_status
if [ "$status" = 0 ]; then pass "the flasher ends with exit code 0"; else fail "the flasher ended with $status"; fi
finish "flash run"
