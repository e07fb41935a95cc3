#!/usr/bin/env bash
# A flasher made from the real cdflash.exe, started under Wine as a Windows
# 9x program with the simulator DLL beside it (the ASPI route):
#   - it shows the warning box, and after Yes its window;
#   - the drop-down list holds the qualifying simulated drives, with blank
#     drive letters, in probe order, the first one selected; the others are
#     not listed;
#   - the layer's log shows the INQUIRY probes, completed from its thread;
#   - WORKDIR/windows-flash-mode.png is a screenshot of the window;
#   - Alt+F4 ends it with exit code 0.
# usage: flasher_9x_test.sh CDFLASH_EXE MAKE_TEST_FLASHER SIM_DLL WINDOW_TEXTS WORKDIR
# Needs WINEPREFIX and DISPLAY as scripts/test-windows.sh sets them.
set -uo pipefail

exe=$1
make_flasher=$2
sim_dll=$3
window_texts=$4
work=$5
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=../wine/flasher_runs.sh
. "$root/tests/wine/flasher_runs.sh"

start_flasher_test "flasher (Windows 9x)" SIMFLASH.EXE
cp "$window_texts" "$work/window_texts.exe"
# Two qualifying drives among four; requests complete from the layer's thread.
{
  printf '[Layer]\nCompletion=async\nDelay=5\n'
  acme_drive
  drive_section 1 0 1 OTHER "CD-ROM X" 2.00
  drive_section 2 1 0 ACME CRW-4012A 1.60
  drive_section 3 1 1 ACME CRW-4012A 1.00
} | write_layer_ini
start_window SIMFLASH.EXE
if [ -n "$window" ]; then
  pass "window shown: '$(xdotool getwindowname "$window")'"
  timeout -k 5 30 "$root/scripts/wine-run.sh" "$work/window_texts.exe" TFlashForm \
    >"$work/window-texts.txt" 2>&1
  cat "$work/window-texts.txt"
  expect_text() {
    if grep -qxF -- "$1" "$work/window-texts.txt"; then pass "$2"; else fail "$2: no line '$1'"; fi
  }
  expect_text 'combo count=2 selected=0' "two qualifying drives listed, the first selected"
  expect_text 'item 0 "0-0-0  : ACME    CRW-4012A       1.20"' "first entry: host adapter 0, target 0"
  expect_text 'item 1 "1-1-0  : ACME    CRW-4012A       1.00"' "second entry: host adapter 1, target 1"
  expect_text 'child Static visible=1 text="Select the ACME drive you want to update:"' "label names the vendor"
  expect_text 'child Button visible=1 text="FLASH"' "FLASH button"
  sleep 0.5  # let it paint
  if import -window "$window" "$work/windows-flash-mode.png"; then
    pass "screenshot $work/windows-flash-mode.png"
  else
    fail "screenshot"
  fi
  xdotool windowfocus --sync "$window" 2>/dev/null
  xdotool keydown alt key F4 keyup alt
else
  fail "no flash-mode window within 30 s"
  xdotool search --onlyvisible --name '.' getwindowname %@ 2>/dev/null | sed 's/^/  visible: /'
fi
wait_exit "$pid" 20; status=$exit_status
if [ "$status" = 0 ]; then pass "the flasher ends with exit code 0"; else fail "the flasher ended with $status"; fi

# The layer's log: INQUIRY requests, the first at host adapter 0 target 0,
# each answered from the layer's own thread.
tr -d '\r' <"$work/WNASPI32.LOG" >"$work/layer.log"
log=$work/layer.log
first=$(layer_requests | head -n 1 | cut -d' ' -f1-2)
if [ "$first" = "00-00 12" ]; then pass "first request: INQUIRY at 0-0"; else fail "first request: '$first'"; fi
if grep -q '^DONE .* async$' "$log"; then pass "requests completed asynchronously"; else fail "no asynchronous completion"; fi
finish "flasher (Windows 9x)"
