# Sourced by the scripts that run checks against mock system services: a
# private D-Bus daemon stands in for the system bus, so nothing of the real
# machine's services is reached. private_bus_start exports
# DBUS_SYSTEM_BUS_ADDRESS and stops the bus (and private_bus_pids) on exit.

private_bus_pids=()
private_bus_work=

private_bus_stop() {
  local i
  for ((i = ${#private_bus_pids[@]} - 1; i >= 0; i--)); do kill "${private_bus_pids[i]}" 2>/dev/null; done
  wait 2>/dev/null
  [ -n "$private_bus_work" ] && rm -rf "$private_bus_work"
}

# private_bus_start: the bus, or exit 1 when it does not come up.
private_bus_start() {
  private_bus_work=$(mktemp -d "${TMPDIR:-/tmp}/cdflash-bus.XXXXXX")
  trap private_bus_stop EXIT
  dbus-daemon --session --nofork --print-address=3 3>"$private_bus_work/address" >/dev/null 2>&1 &
  private_bus_pids+=($!)
  for _ in $(seq 1 50); do [ -s "$private_bus_work/address" ] && break; sleep 0.1; done
  [ -s "$private_bus_work/address" ] || { echo "the private bus did not start"; exit 1; }
  DBUS_SYSTEM_BUS_ADDRESS=$(head -n 1 "$private_bus_work/address")
  export DBUS_SYSTEM_BUS_ADDRESS
}

