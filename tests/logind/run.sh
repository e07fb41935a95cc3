#!/usr/bin/env bash
# Starts a private bus and a mock logind on it, points the system bus at it
# and runs the checks given as $1. Everything started here is stopped at the end.
set -uo pipefail
checks=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/cdflash-logind.XXXXXX")
bus_pid=
mock_pid=
cleanup() {
  [ -n "$mock_pid" ] && kill "$mock_pid" 2>/dev/null
  [ -n "$bus_pid" ] && kill "$bus_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

dbus-daemon --session --nofork --print-address=3 3>"$work/address" >/dev/null 2>&1 &
bus_pid=$!
for _ in $(seq 1 50); do [ -s "$work/address" ] && break; sleep 0.1; done
[ -s "$work/address" ] || { echo "logind test: the private bus did not start"; exit 1; }
export DBUS_SYSTEM_BUS_ADDRESS=$(head -n 1 "$work/address")

# The distribution's interpreter: the mock's module is installed for it.
/usr/bin/python3 -m dbusmock --template logind -l "$work/calls.log" >"$work/mock.log" 2>&1 &
mock_pid=$!
for _ in $(seq 1 100); do
  dbus-send --bus="$DBUS_SYSTEM_BUS_ADDRESS" --print-reply --dest=org.freedesktop.DBus \
    /org/freedesktop/DBus org.freedesktop.DBus.NameHasOwner string:org.freedesktop.login1 2>/dev/null |
    grep -q 'boolean true' && break
  sleep 0.1
done

CDFLASH_LOGIND_CALLS=$work/calls.log "$checks"
status=$?
[ $status -eq 0 ] || cat "$work/mock.log"
exit $status
