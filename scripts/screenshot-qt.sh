#!/usr/bin/env bash
# Renders the Qt main window at the design resolution of 120 DPI and writes
#   docs/screenshots/linux-build-mode.png  the window as the template opens it
#   docs/screenshots/linux-flash-mode.png  a flasher made from cdflash-demo, the
#                                          warning answered, the first drive offered
#   docs/screenshots/linux-flash-completed.png  the same after FLASH: the drive
#                                          updated and the restart question
#
# usage: scripts/screenshot-qt.sh            (BUILD_DIR=... to use another build)
#
# Build mode: cdflash has no command line, so the window is rendered by the Qt
# test program through its hidden --grab-window option, offscreen. Build mode
# reads the model table next to the running program and lists the BIN files of
# the current directory: the samples `make run` uses, removed again after.
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
# The sample model table and BIN files that `make run` opens with.
cp "$root/examples/cdflash.INI" "$program.INI"
sh "$root/examples/make-sample-bins.sh" "$work/bins" >/dev/null
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

(cd "$work" && exec env QT_QPA_PLATFORM=xcb CDFLASH_DEMO_PACE=instant "${design_dpi[@]}" "$flasher") >"$work/flasher.log" 2>&1 &
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

# --- the update done ----------------------------------------------------------
# FLASH (the window's last control, bottom right), Yes to the update question,
# then the screen as it is while the restart question waits.
read -r width height < <(xdotool getwindowgeometry "$main" | awk '/Geometry/ { split($2, g, "x"); print g[1], g[2] }')
xdotool mousemove --window "$main" $((width - 30)) $((height - 15)) click 1
confirm=$(window 'Confirm')
[ -n "$confirm" ] || { echo "no update question" >&2; cat "$work/flasher.log" >&2; exit 1; }
xdotool windowfocus --sync "$confirm" key y
# The restart question is the next box titled Confirm.
for _ in $(seq 100); do
  restart=$(xdotool search --onlyvisible --name '^Confirm$' 2>/dev/null | grep -vx "$confirm" | head -n1 || true)
  [ -n "$restart" ] && break
  sleep 0.1
done
[ -n "$restart" ] || { echo "no restart question" >&2; cat "$work/flasher.log" >&2; exit 1; }
sleep 0.5
read -r x y < <(xdotool getwindowgeometry "$main" | awk '/Position/ { split($2, p, ","); print p[1], p[2] }')
import -window root -crop 700x370+"$x"+"$y" "$shots/linux-flash-completed.png"
echo "wrote $shots/linux-flash-completed.png"
