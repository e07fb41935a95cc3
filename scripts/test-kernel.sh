#!/usr/bin/env bash
# Checks the Linux SG_IO route against a real kernel: builds the static check
# program (build/kernel), boots it in a QEMU guest with an emulated ATAPI drive
# (scripts/qemu-guest.sh) and prints its checks. Then, as root, whole flash
# runs of the Linux program in a second guest on this machine's root, to
# drives of our own behind the guest kernel's SCSI target
# (tests/kernel/drive_runs.sh). The guests' console logs stay in
# build/qemu/ and build/qemu-drive/; a tail is printed when anything fails.
# Exit status 0 only when every check passed.
#
# First run: installs the build and QEMU packages and downloads a Debian
# kernel package (about 27 MB) once; later runs boot in seconds.
set -uo pipefail

REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$REPO/build/kernel
export CDFLASH_QEMU_WORK=${CDFLASH_QEMU_WORK:-$REPO/build/qemu}
CONSOLE=$CDFLASH_QEMU_WORK/guest-console.log
START=$SECONDS

fail() { echo "test-kernel: $*" >&2; exit 1; }

cd "$REPO" || exit 1
"$REPO/scripts/install-deps.sh" linux kernel || fail "installing packages failed"

if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  cmake --preset linux -B "$BUILD" >/dev/null || fail "configuring $BUILD failed"
fi
cmake --build "$BUILD" --target sgio_guest_checks cdflash make_test_flasher cdflash-tcmu-drive -j2 >"$BUILD.log" 2>&1 || {
  tail -n 40 "$BUILD.log" >&2
  fail "building the guest programs failed (log: $BUILD.log)"
}
# Whoever waits for this build may use the folder from now on.
[ -n "${CDFLASH_BUILT_MARK:-}" ] && touch "$CDFLASH_BUILT_MARK"

# counts FILE: the "N passed, N failed" of a guest's report, added to the totals.
passed=0
failed=0
counts() {
  local line p=0 f=1
  while IFS= read -r line; do
    if [[ $line =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
      p=${BASH_REMATCH[1]} f=${BASH_REMATCH[2]}
    fi
  done < "$1"
  passed=$((passed + p)) failed=$((failed + f))
}

# The whole runs' guest waits out an unanswered commit: it starts first, and
# the checks' guest runs beside it.
runs=
if [ "$(id -u)" -eq 0 ]; then
  "$REPO/scripts/kernel-drive-runs.sh" "$BUILD" >"$BUILD/drive-runs.out" 2>"$BUILD/drive-runs.err" &
  runs=$!
fi

"$REPO/scripts/qemu-guest.sh" "$BUILD/bin/sgio_guest_checks" | tee "$BUILD/sgio-checks.out"
status=${PIPESTATUS[0]}
counts "$BUILD/sgio-checks.out"
if [ "$status" -ne 0 ]; then
  echo "test-kernel: the guest run failed (status $status); tail of $CONSOLE:" >&2
  # Prefixed, so that no line of it passes for the checks' own summary.
  tr -d '\r' < "$CONSOLE" 2>/dev/null | tail -n 40 | sed 's/^/console| /' >&2
fi

# Whole runs need the host's root in the guest (virtiofs), which needs root.
if [ -z "$runs" ]; then
  echo "skipped: whole flash runs to drives of our own in the guest: sharing this machine's root (virtiofs) needs root"
else
  echo "---- whole flash runs to drives of our own"
  wait "$runs" || status=1
  cat "$BUILD/drive-runs.out"
  cat "$BUILD/drive-runs.err" >&2
  counts "$BUILD/drive-runs.out"
fi
echo "test-kernel: total $((SECONDS - START)) s" >&2
# The stage's count: both guests'.
echo "kernel: $passed passed, $failed failed"
[ "$failed" -eq 0 ] || status=1
exit "$status"
