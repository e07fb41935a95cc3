#!/usr/bin/env bash
# cdflash.exe given arguments, under Wine as a Windows 9x program over the
# simulator DLL with two drives: one this flasher may update, one of another
# model.
#   - through files: --list names both drives (exit code 0), --help shows the
#     exit codes (0), an unknown option is a usage error (5);
#   - started from a console the way Windows starts a window program
#     (console_host): the output appears on that console, and a redirected
#     standard output still goes to its file.
# Prints each run's time.
# usage: terminal_list_test.sh CDFLASH_EXE MAKE_TEST_FLASHER SIM_DLL CONSOLE_HOST WORKDIR
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

start_flasher_test "terminal list" TERMLIST.EXE
cp "$console_host" "$work/console_host.exe"
{ acme_drive; drive_section 1 0 1 OTHER "CD-ROM X" 2.00; } | write_layer_ini

# --- through files (what each option says is the terminal tests' part) -------
run list TERMLIST.EXE --list
expect_status list 0
expect_line list '0-0-0  : ACME    CRW-4012A       1.20' "--list names the ACME drive"
expect_line list '0-1-0  : OTHER   CD-ROM X        2.00' "--list names the other drive"

run help TERMLIST.EXE --help
expect_status help 0
expect_line help 'Exit codes of --flash:' "--help shows the exit codes"

run bogus TERMLIST.EXE --bogus
expect_status bogus 5
if grep -q -- '--bogus' "$work/bogus.err"; then pass "the unknown option is named on standard error"; else
  fail "no mention of --bogus on standard error"
fi

# --- from a console ------------------------------------------------------------
# console_host prints "exit=N" and the console's rows as "console: TEXT".
run console console_host.exe TERMLIST.EXE --list
expect_line console 'exit=0' "from a console: exit code 0"
expect_line console 'console: 0-0-0  : ACME    CRW-4012A       1.20' "from a console: the list is on the console"

run console_redirected console_host.exe --stdout redirected.txt TERMLIST.EXE --list
tr -d '\r' <"$work/redirected.txt" >"$work/redirected.out"
expect_line console_redirected 'exit=0' "from a console, output redirected: exit code 0"
expect_line redirected '0-1-0  : OTHER   CD-ROM X        2.00' "the redirected output is in its file"
if ! grep -q 'CRW-4012A' "$work/console_redirected.out"; then pass "and not on the console"; else
  fail "the redirected list also reached the console"
fi

run console_usage console_host.exe --stdout usage.txt TERMLIST.EXE --bogus
expect_line console_usage 'exit=5' "from a console: a usage error is exit code 5"
expect_match console_usage '^console: .*--bogus' "standard error, not redirected, reaches the console"

finish "terminal list"
