#!/usr/bin/env bash
# cdflash.exe given arguments, under Wine as a Windows 9x program over the
# simulator DLL. What each option says, and the exit code of each way a run
# ends, are the terminal tests' part; this is how they reach Windows' streams,
# exit codes and consoles:
#   - with two drives, one this flasher may update, one of another model,
#     through files: --list names both (exit code 0), --help shows the exit
#     codes (0), an unknown option is a usage error (5);
#   - the same started from a console the way Windows starts a window program
#     (console_host): the output appears on that console, and a redirected
#     standard output still goes to its file;
#   - --flash DRIVE --yes, a whole run: exit code 0, "Flash Completed." and
#     the restart offer answered No on standard error, the drive's new
#     revision alone on standard output; the layer's log holds the commit
#     (WRITE BUFFER with control 80) and the drive's good answer to it.
# Prints the requests of the whole run and each run's time.
# usage: terminal_test.sh CDFLASH_EXE MAKE_TEST_FLASHER SIM_DLL CONSOLE_HOST WORKDIR
# Needs WINEPREFIX and DISPLAY as scripts/test-windows.sh sets them.
set -uo pipefail

exe=$1
make_flasher=$2
sim_dll=$3
console_host=$4
work=$5
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=flasher_runs.sh
. "$root/tests/wine/flasher_runs.sh"

start_flasher_test "terminal" TERMINAL.EXE
cp "$console_host" "$work/console_host.exe"
{ acme_drive; drive_section 1 0 1 OTHER "CD-ROM X" 2.00; } | write_layer_ini

# --- through files ---------------------------------------------------------
run list TERMINAL.EXE --list
expect_status list 0
expect_line list '0-0-0  : ACME    CRW-4012A       1.20' "--list names the ACME drive"
expect_line list '0-1-0  : OTHER   CD-ROM X        2.00' "--list names the other drive"

run help TERMINAL.EXE --help
expect_status help 0
expect_line help 'Exit codes of --flash:' "--help shows the exit codes"

run bogus TERMINAL.EXE --bogus
expect_status bogus 5
expect_match bogus '--bogus' "the unknown option is named on standard error" err

# --- from a console ------------------------------------------------------------
# console_host prints "exit=N" and the console's rows as "console: TEXT".
run console console_host.exe TERMINAL.EXE --list
expect_line console 'exit=0' "from a console: exit code 0"
expect_line console 'console: 0-0-0  : ACME    CRW-4012A       1.20' "from a console: the list is on the console"

run console_redirected console_host.exe --stdout redirected.txt TERMINAL.EXE --list
tr -d '\r' <"$work/redirected.txt" >"$work/redirected.out"
expect_line console_redirected 'exit=0' "from a console, output redirected: exit code 0"
expect_line redirected '0-1-0  : OTHER   CD-ROM X        2.00' "the redirected output is in its file"
if ! grep -q 'CRW-4012A' "$work/console_redirected.out"; then pass "and not on the console"; else
  fail "the redirected list also reached the console"
fi

run console_usage console_host.exe --stdout usage.txt TERMINAL.EXE --bogus
expect_line console_usage 'exit=5' "from a console: a usage error is exit code 5"
expect_match console_usage '^console: .*--bogus' "standard error, not redirected, reaches the console"

# The layer's log as "OPCODE CONTROL STATUS" per request.
requests() { layer_requests | cut -d' ' -f2-; }

# --- a whole run, the ACME drive alone --------------------------------------
acme_drive | write_layer_ini
run flash TERMINAL.EXE --flash 0-0-0 --yes
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

finish "terminal"
