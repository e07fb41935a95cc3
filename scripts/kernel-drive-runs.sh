#!/usr/bin/env bash
# The kernel stage's whole flash runs: lays out the flashers and their BIN
# files for the drive model's identity, boots a QEMU guest on this machine's
# root with the kernel's SCSI target (LIO TCM-User, tcm_loop) and runs
# tests/kernel/drive_runs.sh there. Prints the guest's checks; exit status 0
# only when every check passed. Needs root (virtiofs).
#
# usage: scripts/kernel-drive-runs.sh BUILD   (BUILD holds bin/cdflash,
#        bin/make_test_flasher and bin/cdflash-tcmu-drive)
set -uo pipefail
REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$(cd "$1" && pwd) || exit 1
WORK=$BUILD/drive-runs
export CDFLASH_QEMU_WORK=$REPO/build/qemu-drive
export CDFLASH_QEMU_KERNELS=${CDFLASH_QEMU_KERNELS:-$REPO/build/qemu}
export CDFLASH_QEMU_MODULES="target_core_user tcm_loop"
export CDFLASH_QEMU_TIMEOUT=${CDFLASH_QEMU_TIMEOUT:-420}

fail() { echo "FAIL kernel-drive-runs: $*"; echo "0 passed, 1 failed"; exit 1; }

"$REPO/scripts/install-deps.sh" linux kernel >/dev/null || fail "installing packages failed"
rm -rf "$WORK"
mkdir -p "$WORK"

# shellcheck source=stage-helpers.sh
. "$REPO/scripts/stage-helpers.sh"
make_bin "$WORK/four.bin" $((0x40000)) $((0x4000))
make_bin "$WORK/five.bin" $((0x50000)) $((0x1100))
flasher() {  # NAME BIN [OPTIONS...]
  local name=$1 bin=$2
  shift 2
  "$BUILD/bin/make_test_flasher" "$BUILD/bin/cdflash" "$WORK/$name.flasher" --image "$bin" "$@" \
    >/dev/null && chmod +x "$WORK/$name.flasher"
}
flasher four "$WORK/four.bin" || fail "no four-bank flasher"
flasher five "$WORK/five.bin" || fail "no five-bank flasher"

"$REPO/scripts/qemu-guest.sh" --host-root "$REPO/tests/kernel/drive_runs.sh" \
  "$BUILD/bin/cdflash-tcmu-drive" "$WORK"
status=$?
if [ "$status" -ne 0 ]; then
  echo "kernel-drive-runs: the guest run failed (status $status); tail of $CDFLASH_QEMU_WORK/guest-console.log:" >&2
  tr -d '\r' < "$CDFLASH_QEMU_WORK/guest-console.log" 2>/dev/null | tail -n 40 | sed 's/^/console| /' >&2
fi
exit "$status"
