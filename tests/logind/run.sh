#!/usr/bin/env bash
# Starts a private bus and a mock logind on it, points the system bus at it
# and runs the checks given as $1. Everything started here is stopped at the end.
set -uo pipefail
checks=$1
. "$(dirname "$0")/../support/private-bus.sh"
private_bus_start
work=$private_bus_work

# The distribution's interpreter: the mock's module is installed for it.
/usr/bin/python3 -m dbusmock --template logind -l "$work/calls.log" >"$work/mock.log" 2>&1 &
private_bus_pids+=($!)
private_bus_wait_for org.freedesktop.login1

CDFLASH_LOGIND_CALLS=$work/calls.log "$checks"
status=$?
[ $status -eq 0 ] || cat "$work/mock.log"
exit $status
