#!/usr/bin/env bash
# Renders the Qt main window as the template opens it (build mode, since the
# default build carries the template marker) at the design resolution of
# 120 DPI, and writes docs/screenshots/linux-build-mode.png.
#
# usage: scripts/screenshot-qt.sh            (BUILD_DIR=... to use another build)
#
# cdflash has no command line, so the window is rendered by the Qt test
# program through its hidden --grab-window option, offscreen. Build mode reads
# the model table next to the running program and lists the BIN files of the
# current directory: both are made up here for the picture and removed again.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${BUILD_DIR:-$root/build/linux}")
out=$root/docs/screenshots/linux-build-mode.png

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset linux -B "$build" >/dev/null
fi
cmake --build "$build" -j2 --target qt_tests >/dev/null
program=$build/bin/qt_tests

work=$(mktemp -d)
trap 'rm -rf "$work"; rm -f "$program.INI"' EXIT

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
for name in 1.07.BIN 1.09.BIN 2.05.BIN README.TXT; do
  : > "$work/$name"
done

mkdir -p "$(dirname "$out")"
(cd "$work" && QT_QPA_PLATFORM=offscreen QT_FONT_DPI=120 QT_ENABLE_HIGHDPI_SCALING=0 \
   "$program" --grab-window="$out")
echo "wrote $out"
