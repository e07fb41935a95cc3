#!/usr/bin/env bash
# Builds the Windows tests with MinGW-w64 and runs them all under Wine, in the
# build this machine can run:
#   - where the kernel runs 32-bit programs: the shipped i686 build under a
#     32-bit prefix;
#   - where it runs none: the x86_64 test build under a 64-bit prefix, with
#     the same test programs and scripts; the checks that only a 32-bit
#     program can pass report themselves skipped, with their reason.
# CDFLASH_WINDOWS_ARCH=i686 or x86_64 forces the choice. A throw-away prefix,
# a private Xvfb display and one persistent wineserver, all stopped at the
# end, also when something fails. The last line: "windows: P passed,
# F failed, S skipped", the skipped tests and their reasons above it.
# CDFLASH_WINDOWS_BUILD_DIR overrides the build directory (build/win32 or
# build/win64). Arguments go to ctest: `scripts/test-windows.sh -R wine.flash`
# runs those tests only.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
start=$SECONDS
forced=${CDFLASH_WINDOWS_ARCH:-}
work=$(mktemp -d "${TMPDIR:-/tmp}/cdflash-windows.XXXXXX")
xvfb_pid=

stage_name=windows
# shellcheck source=stage-helpers.sh
. "$root/scripts/stage-helpers.sh"
die() { stage_die "$@"; }

"$root/scripts/install-deps.sh" win32 >"$work/install.log" 2>&1 || die "installing Wine and MinGW-w64 failed" "$work/install.log"
# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh" || die "CDFLASH_WINDOWS_ARCH must be i686 or x86_64, not '$forced'"
if [ -n "$forced" ]; then
  why="chosen by CDFLASH_WINDOWS_ARCH"
else
  cdflash_windows_arch_detect
  why=$CDFLASH_WINDOWS_ARCH_WHY
fi
case $CDFLASH_WINDOWS_ARCH in
  i686) preset=win32 ;;
  x86_64) preset=win64 ;;
esac
echo "windows: $CDFLASH_WINDOWS_ARCH under Wine ($why)"
if [ "$preset" = win64 ]; then
  "$root/scripts/install-deps.sh" win64 >"$work/install.log" 2>&1 ||
    die "installing the x86_64 MinGW-w64 compilers failed" "$work/install.log"
fi
build=${CDFLASH_WINDOWS_BUILD_DIR:-$root/build/$preset}
export WINEPREFIX=$work/prefix

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
[ -s "$work/display" ] || die "Xvfb did not start" "$work/xvfb.log"
export DISPLAY=":$(head -n 1 "$work/display")"

echo "windows: Wine prefix $WINEPREFIX ($WINEARCH), display $DISPLAY"
cdflash_wine_prefix_create "$WINEPREFIX" 2>"$work/prefix.log" ||
  die "Wine could not make its prefix" "$work/prefix.log"
# One server for the whole run, warmed up once: each later start takes a
# fraction of a second instead of about three.
wineserver -p </dev/null >"$work/wineserver.log" 2>&1 || die "wineserver did not start" "$work/wineserver.log"
wine cmd /c exit </dev/null >"$work/warmup.log" 2>&1 || die "Wine could not start a program" "$work/warmup.log"
echo "windows: Wine ready after $((SECONDS - start)) s"

cmake --preset "$preset" -B "$build" >"$work/configure.log" 2>&1 || die "configuring $preset failed" "$work/configure.log"
cmake --build "$build" -j2 || die "building $preset failed"
# Whoever waits for this build may use the folder from now on.
[ -n "${CDFLASH_BUILT_MARK:-}" ] && touch "$CDFLASH_BUILT_MARK"
status=0
# One test at a time: some tests add and remove drive letters in the shared
# prefix, and a program Wine starts meanwhile can fail to load.
ctest --test-dir "$build" --output-on-failure -j1 --output-junit "$work/ctest.xml" "$@" || status=$?
echo "windows: finished in $((SECONDS - start)) s"
python3 "$root/scripts/ctest-summary.py" windows "$work/ctest.xml" || status=1
exit $status
