#!/usr/bin/env bash
# cdflash.exe given --flash DRIVE --yes, under Wine as a Windows 9x program
# over the simulator DLL, its output through files:
#   - a whole run: exit code 0, "Flash Completed." and the restart offer
#     answered No on standard error, the drive's new revision alone on
#     standard output; the layer's log holds the commit (WRITE BUFFER with
#     control 80) and the drive's good answer to it;
#   - runs the layer makes fail, each with its exit code and without a
#     commit the drive took.
# Prints the requests of the whole run and each run's time.
# usage: terminal_flash_test.sh CDFLASH_EXE MAKE_TEST_FLASHER SIM_DLL WORKDIR
# Needs WINEPREFIX and DISPLAY as scripts/test-windows.sh sets them.
set -uo pipefail

exe=$1
make_flasher=$2
sim_dll=$3
work=$4
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=flasher_runs.sh
. "$root/tests/wine/flasher_runs.sh"

start_flasher_test "terminal flash" TERMFLASH.EXE

# layer_ini [EXTRA]: one ACME drive at 0-0-0 with revision 1.20; EXTRA is
# one more line of its section (a medium script, a refusal).
layer_ini() {
  acme_drive "${1:-}" | write_layer_ini
}

# The layer's log as "OPCODE CONTROL STATUS" per request.
requests() { layer_requests | cut -d' ' -f2-; }
# Commits the drive took: WRITE BUFFER with control 80 or A0 that completed well.
commits() { requests | grep -cE '^3B (80|A0) 01$' ; }

# --- a whole run -----------------------------------------------------------
layer_ini
run flash TERMFLASH.EXE --flash 0-0-0 --yes
expect_status flash 0
# The conversation on standard error, the result alone on standard output.
expect_line flash 'Flash Completed.' "the run ends with \"Flash Completed.\"" err
expect_line flash '[y/N] n (no --restart)' "the restart offer is answered No without --restart" err
if [ "$(cat "$work/flash.out")" = 'The drive now reports: 0-0-0  : ACME    CRW-4012A       1.60' ]; then
  pass "standard output holds the drive's new identity alone"
else
  fail "standard output: $(cat "$work/flash.out")"
fi
echo "requests of the run (opcode, control, status: count):"
requests | sort | uniq -c | sed 's/^/  /'
if [ "$(requests | grep -E '^3B (80|A0) ')" = "3B 80 01" ]; then
  pass "the drive took the commit once (WRITE BUFFER, control 80, status 01)"
else
  fail "no single good commit in the layer's log"
fi

# --- runs that fail ---------------------------------------------------------
# name | line added to the drive's section | exit code | WRITE BUFFER sent
while IFS='|' read -r name extra code wrote; do
  layer_ini "$extra"
  run "$name" TERMFLASH.EXE --flash 0-0-0 --yes
  expect_status "$name" "$code"
  if [ "$(commits)" = 0 ]; then pass "$name: nothing committed"; else fail "$name: a commit was sent"; fi
  sent=$(requests | grep -q '^3B ' && echo yes || echo no)
  if [ "$sent" = "$wrote" ]; then pass "$name: data written to the drive: $sent"; else
    fail "$name: data written to the drive: $sent, expected $wrote"
  fi
done <<'RUNS'
disc_in_drive|Medium=00 00 00|2|no
read_buffer_refused|Refuse=3C 05 24 00|3|yes
commit_refused|RefuseCommit=05 24 00|4|yes
RUNS

finish "terminal flash"
