#!/usr/bin/env bash
# Builds the Windows preset with MinGW-w64 and runs all its tests under Wine:
# a throw-away 32-bit prefix, a private Xvfb display and one persistent
# wineserver, all stopped at the end, also when something fails.
#   scripts/test-win32.sh
# CDFLASH_WIN32_BUILD_DIR overrides the build directory (default build/win32).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${CDFLASH_WIN32_BUILD_DIR:-$root/build/win32}
start=$SECONDS

"$root/scripts/install-deps.sh" win32

# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/cdflash-win32.XXXXXX")
export WINEPREFIX=$work/prefix
xvfb_pid=

cleanup() {
  set +e
  if [ -d "$WINEPREFIX" ]; then wineserver -k </dev/null >/dev/null 2>&1; fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display and writes its number to descriptor 3. Nothing
# started here writes to our own output: it may be a pipe, and a pipe held
# open by Wine's services would never end.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" </dev/null >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
if [ ! -s "$work/display" ]; then
  echo "test-win32: Xvfb did not start" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(head -n 1 "$work/display")"

echo "test-win32: Wine prefix $WINEPREFIX, display $DISPLAY"
cdflash_wine_prefix_create "$WINEPREFIX"
# One server for the whole run, warmed up once: each later start takes a
# fraction of a second instead of about three.
wineserver -p </dev/null >"$work/wineserver.log" 2>&1
wine cmd /c exit </dev/null >"$work/warmup.log" 2>&1 || true
echo "test-win32: Wine ready after $((SECONDS - start)) s"

cmake --preset win32 -B "$build"
cmake --build "$build" -j2
status=0
# One test at a time: some tests add and remove drive letters in the shared
# prefix, and a program Wine starts meanwhile can fail to load.
ctest --test-dir "$build" --output-on-failure -j1 || status=$?
echo "test-win32: finished in $((SECONDS - start)) s"
exit $status
