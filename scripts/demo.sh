#!/usr/bin/env bash
# Builds the demo program (the Linux window over simulated drives), makes a
# flasher of it and starts that flasher, so flash mode can be tried without
# hardware and without root.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh linux
cmake --preset linux >/dev/null
cmake --build --preset linux -j2 --target cdflash-demo make_test_flasher
out=build/demo
mkdir -p "$out"
build/linux/bin/make_test_flasher build/linux/bin/cdflash-demo "$out/acme-flasher" --revision 1.60.
chmod +x "$out/acme-flasher"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "demo: no display found (DISPLAY / WAYLAND_DISPLAY unset); start $out/acme-flasher from a desktop session." >&2
  exit 1
fi
exec "$out/acme-flasher"
