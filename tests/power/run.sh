#!/usr/bin/env bash
# Runs the power checks given as $1 on a private bus that stands in for the
# system bus; the checks start and stop their mock UPower themselves.
set -uo pipefail
. "$(dirname "$0")/../support/private-bus.sh"
private_bus_start
"$1"
exit $?
