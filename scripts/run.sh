#!/usr/bin/env bash
# Installs what is missing, builds the Linux program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh linux
cmake --preset linux >/dev/null
cmake --build --preset linux -j2 --target cdflash
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display found (DISPLAY / WAYLAND_DISPLAY unset); start it from a desktop session." >&2
  exit 1
fi
exec build/linux/bin/cdflash
