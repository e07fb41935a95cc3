#!/usr/bin/env bash
# Installs what is missing, builds the Linux program and starts it in a
# workspace (build/workspace) with the sample model table and BIN files, so
# the window opens in build mode, ready to build a flasher.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh linux
cmake --preset linux >/dev/null
cmake --build --preset linux -j2 --target cdflash
scripts/prepare-workspace.sh build/linux/bin/cdflash build/workspace
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display found (DISPLAY / WAYLAND_DISPLAY unset); start build/workspace/cdflash from a desktop session." >&2
  exit 1
fi
cd build/workspace
exec ./cdflash
