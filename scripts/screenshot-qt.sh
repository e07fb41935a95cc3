#!/usr/bin/env bash
# Renders the Qt main window at the design resolution of 120 DPI and writes
#   docs/screenshots/linux-build-mode.png  the window as the template opens it
#   docs/screenshots/linux-flash-mode.png  a flasher made from cdflash-demo, the
#                                          warning answered, the first drive offered
#
# usage: scripts/screenshot-qt.sh            (BUILD_DIR=... to use another build)
#
# Build mode: cdflash has no command line, so the window is rendered by the Qt
# test program through its hidden --grab-window option, offscreen. Build mode
# reads the model table next to the running program and lists the BIN files of
# the current directory: both are made up here for the picture and removed again.
#
# Flash mode: the demo program (simulated drives, its three built-in ones) is
# made a flasher with make_test_flasher and started on a private Xvfb display;
# xdotool answers the warning and ImageMagick's import takes the window.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${BUILD_DIR:-$root/build/linux}")
shots=$root/docs/screenshots
design_dpi=(QT_FONT_DPI=120 QT_ENABLE_HIGHDPI_SCALING=0)

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset linux -B "$build" >/dev/null
fi
cmake --build "$build" -j2 --target qt_tests cdflash-demo make_test_flasher >/dev/null
program=$build/bin/qt_tests

work=$(mktemp -d)
xvfb_pid=
flasher_pid=
cleanup() {
  [ -z "$flasher_pid" ] || kill "$flasher_pid" 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
  rm -f "$program.INI"
}
trap cleanup EXIT
mkdir -p "$shots"

# --- build mode ---------------------------------------------------------------
cat > "$program.INI" <<'INI'
[MODEL00]
Model=CW-4416
Inquiry=CDMAKER CW-4416 CD-RW
FW-Range=1.00-1.09
BINMask=1*.bin
Vendor=CDMAKER
Note=
[MODEL01]
Model=CW-5232
Inquiry=CDMAKER CW-5232 CD-RW
FW-Range=2.00-2.05
BINMask=2*.bin
Vendor=CDMAKER
Note=FLASH-ALL
INI
mkdir "$work/bins"
for name in 1.07.BIN 1.09.BIN 2.05.BIN README.TXT; do
  : > "$work/bins/$name"
done
(cd "$work/bins" && env QT_QPA_PLATFORM=offscreen "${design_dpi[@]}" \
   "$program" --grab-window="$shots/linux-build-mode.png")
echo "wrote $shots/linux-build-mode.png"

# --- flash mode ---------------------------------------------------------------
flasher=$work/acme-flasher
"$build/bin/make_test_flasher" "$build/bin/cdflash-demo" "$flasher"
chmod +x "$flasher"

# Xvfb picks a free display and writes its number to the file.
Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp >"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb gave no display" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=:$(head -n1 "$work/display")

(cd "$work" && exec env QT_QPA_PLATFORM=xcb "${design_dpi[@]}" "$flasher") >"$work/flasher.log" 2>&1 &
flasher_pid=$!

# The id of the shown window titled exactly $1, waiting up to 20 s.
window() { timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" | head -n1; }

warning=$(window 'Warning')
[ -n "$warning" ] || { echo "no warning box" >&2; cat "$work/flasher.log" >&2; exit 1; }
# A key sent before the box has the input focus can be lost: press until it goes.
for _ in 1 2 3 4 5; do
  xdotool windowfocus --sync "$warning" key Return
  sleep 0.5
  xdotool search --onlyvisible --name '^Warning$' >/dev/null || break
done

main=$(window 'ACME Flash V1\.043 CRW-4012')
[ -n "$main" ] || { echo "no main window" >&2; cat "$work/flasher.log" >&2; exit 1; }
sleep 0.5  # let the first paint finish
import -window "$main" "$shots/linux-flash-mode.png"
echo "wrote $shots/linux-flash-mode.png"
