#!/usr/bin/env bash
# cdflash.exe of this build, under Wine (its import table is checked on the
# shipped file by the release checks):
#   - the package key-word occurs exactly once in the file, and the slot after
#     it begins with the template marker;
#   - started in the workspace `make run` prepares (sample model table and BIN
#     files) it shows its build-mode window with the sample models (screenshot windows-build-mode.png in WORKDIR), and
#     Alt+F4 ends it with exit code 0;
#   - with FLASHER_TOOL, a flasher made from it starts with the warning and,
#     answered No, ends with exit code 0 without ever showing its window.
# usage: cdflash_exe_test.sh CDFLASH_EXE WORKDIR [FLASHER_TOOL]
# Needs WINEPREFIX and DISPLAY as scripts/test-windows.sh sets them.
set -uo pipefail

exe=$1
work=$2
flasher_tool=${3:-}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=../../scripts/wine-env.sh
. "$root/scripts/wine-env.sh"

passed=0
failed=0
pass() { echo "PASS: $*"; passed=$((passed + 1)); }
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }

# --- the package key-word ---------------------------------------------------
# Built from two pieces: this script must not hold the key-word itself.
keyword="FWPKG-""MARKER-1"
read -r count slot < <(perl -0777 -ne '
  BEGIN { $k = shift(@ARGV) . "\0" }
  my @at; while (/\Q$k\E/g) { push @at, $-[0] }
  print scalar(@at), " ", (@at ? substr($_, $at[0] + 15 + 133, 4) : "-"), "\n";
' "$keyword" "$exe")
if [ "$count" = 1 ]; then pass "key-word occurs once"; else fail "key-word occurs $count times"; fi
if [ "$slot" = BLNK ]; then pass "slot holds the template marker"; else fail "slot begins with '$slot'"; fi

# --- start-up under Wine ----------------------------------------------------
if [ -z "${DISPLAY:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
  fail "no DISPLAY or WINEPREFIX: run through scripts/test-windows.sh"
  echo "cdflash.exe checks: $passed passed, $failed failed"
  exit 1
fi

press_alt_f4() {
  xdotool windowfocus --sync "$1" 2>/dev/null
  xdotool keydown alt key F4 keyup alt
}

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
  press_alt_f4 "$id"
else
  fail "no build-mode window within 30 s"
fi
wait_exit "$pid" 20; status=$exit_status
if [ "$status" = 0 ]; then pass "build mode ends with exit code 0"; else fail "build mode ended with $status"; fi

# --- a flasher made from it -------------------------------------------------
if [ -n "$flasher_tool" ]; then
  "$root/scripts/wine-run.sh" "$flasher_tool" "$exe" "$work/FLASHER.EXE" >"$work/make-flasher.log" 2>&1
  (cd "$work" && exec wine FLASHER.EXE </dev/null >"$work/flash-mode.log" 2>&1) &
  pid=$!
  box=$(timeout 30 xdotool search --sync --onlyvisible --name '^Warning$' 2>/dev/null | head -1)
  if [ -n "$box" ]; then
    pass "flasher starts with the warning"
    shown=$(xdotool search --onlyvisible --name 'Flash V1\.043' 2>/dev/null | head -1)
    if [ -z "$shown" ]; then pass "no window before the answer"; else fail "window shown before the answer"; fi
    xdotool windowfocus --sync "$box" 2>/dev/null
    xdotool key n
  else
    fail "no warning from the flasher within 30 s"
  fi
  wait_exit "$pid" 20; status=$exit_status
  if [ "$status" = 0 ]; then pass "declined flasher ends with exit code 0"; else fail "declined flasher ended with $status"; fi
fi

echo "cdflash.exe checks: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
