#!/usr/bin/env bash
# Checks the Windows NT route against a real kernel: the Windows builds run
# under Wine inside the QEMU guest of the kernel stage, whose kernel takes
# each IOCTL_SCSI_PASS_THROUGH_DIRECT that Wine turns into SG_IO, to QEMU's
# emulated ATAPI drive (D:) and the kernel's scsi_debug CD-ROM (E:).
#   - x86_64: the test build under 64-bit Wine, in a prefix made here once.
#     Needs no 32-bit programs here.
#   - i686: the shipped build under 32-bit Wine, in a prefix made in the
#     guest (whose kernel runs 32-bit programs, wherever this one does not):
#     its 80-byte record, and the shipped cdflash.exe listing both drives.
# Both prefixes are kept for the next runs, as ccache keeps objects, in a
# folder for each Wine version (scripts/wine-env.sh cdflash_wine_kept): a
# first run makes them, minutes of the guest's processor for the 32-bit one.
# Each build's checks run as root and again without CAP_SYS_RAWIO. Then both
# builds, made flashers, flash drives of our own (the drive model behind the
# guest kernel's SCSI target) whole, through Wine's pass-through.
# scripts/qemu-guest.sh --host-root shares this machine's root with the
# guest (virtiofs, needs root) under a tmpfs overlay; the guest's half is
# scripts/wine-kernel-guest.sh. The last line: "wine-kernel: P passed,
# F failed, S skipped"; the guest's console tail is printed when anything
# fails (its log: build/qemu-wine/guest-console.log).
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
start=$SECONDS
work=$root/build/wine-kernel
export CDFLASH_QEMU_WORK=$root/build/qemu-wine
export CDFLASH_QEMU_TIMEOUT=${CDFLASH_QEMU_TIMEOUT:-900}
console=$CDFLASH_QEMU_WORK/guest-console.log

say() { echo "wine-kernel: $*"; }
stage_name=wine-kernel
# shellcheck source=stage-helpers.sh
. "$root/scripts/stage-helpers.sh"
die() { stage_die "$@"; }

if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: nt_route_checks in the guest: sharing this machine's root with the guest (virtiofs) needs root"
  say "0 passed, 0 failed, 1 skipped"
  exit 0
fi

mkdir -p "$work"
"$root/scripts/install-deps.sh" win32 win64 kernel >"$work/install.log" 2>&1 ||
  die "installing Wine, MinGW-w64 and QEMU failed" "$work/install.log"

# build PRESET TARGET...: the targets of a Windows build. Configured each
# time (a second time takes a moment): a target added since the last
# configuration is otherwise unknown to the build.
build() {
  local preset=$1 dir=$root/build/$1
  shift
  cmake --preset "$preset" >"$work/configure-$preset.log" 2>&1 ||
    die "configuring $preset failed" "$work/configure-$preset.log"
  cmake --build "$dir" --target "$@" -j2 >"$work/build-$preset.log" 2>&1 ||
    die "building $* ($preset) failed" "$work/build-$preset.log"
}
build win64 nt_route_checks cdflash
build win32 nt_route_checks cdflash
checks64=$root/build/win64/bin/nt_route_checks.exe
checks32=$root/build/win32/bin/nt_route_checks.exe
cdflash32=$root/build/win32/bin/cdflash.exe
cdflash64=$root/build/win64/bin/cdflash.exe
# The drives of our own (tests/kernel/drive_setup.sh): the drive model's
# program, and both builds made flashers for its identity.
kbuild=$root/build/kernel
if [ ! -f "$kbuild/CMakeCache.txt" ]; then
  cmake --preset linux -B "$kbuild" >"$work/configure-kernel.log" 2>&1 ||
    die "configuring $kbuild failed" "$work/configure-kernel.log"
fi
cmake --build "$kbuild" --target cdflash-tcmu-drive make_test_flasher -j2 >"$work/build-kernel.log" 2>&1 ||
  die "building the drive model's program failed" "$work/build-kernel.log"
drives=$work/drives
rm -rf "$drives"
mkdir -p "$drives"
make_bin "$drives/four.bin" $((0x40000)) $((0x4000))
make_bin "$drives/five.bin" $((0x50000)) $((0x1100))
flasher() {  # BUILD NAME BIN
  "$kbuild/bin/make_test_flasher" "$1" "$drives/$2.exe" --image "$3" >>"$work/flasher.log" 2>&1 ||
    die "no flasher $2.exe for the drives of our own" "$work/flasher.log"
}
: > "$work/flasher.log"
flasher "$cdflash32" four "$drives/four.bin"
flasher "$cdflash32" five "$drives/five.bin"
flasher "$cdflash64" four64 "$drives/four.bin"
# scsi_debug: a second CD device of the kernel's own, as E:.
export CDFLASH_QEMU_MODULES="scsi_debug target_core_user tcm_loop"
say "built in $((SECONDS - start)) s"

# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh"
kept=$(cdflash_wine_kept)
prefix64=$kept/prefix-win64
(
  cdflash_wine_select x86_64
  cdflash_wine_prefix_ensure "$prefix64"
) 2>"$work/prefix.log" || die "Wine could not make its 64-bit prefix here" "$work/prefix.log"
say "64-bit Wine prefix $prefix64 ready after $((SECONDS - start)) s"

guest_start=$SECONDS
# Two processors: the guest's Wine starts, prefix and runs go on side by side.
CDFLASH_QEMU_CPUS=2 CDFLASH_QEMU_SHARE=$kept \
  "$root/scripts/qemu-guest.sh" --host-root "$root/scripts/wine-kernel-guest.sh" \
  "$prefix64" "$checks64" "$checks32" "$cdflash32" "$kbuild/bin/cdflash-tcmu-drive" "$drives" "$kept" \
  >"$work/guest.out" 2>"$work/guest.err"
guest_status=$?
guest_seconds=$((SECONDS - guest_start))

# "x86_64-without-rawio" -> "x86_64 build, without CAP_SYS_RAWIO"
run_title() {
  case $1 in
    *-privileged) echo "${1%%-*} build, as root" ;;
    *-without-rawio) echo "${1%%-*} build, without CAP_SYS_RAWIO" ;;
    *) echo "$1" ;;
  esac
}

# The guest's report: each program's lines between "== RUN NAME" and
# "== END NAME STATUS", prefixed with its build; a program's own count is its
# "N passed, N failed" line, and one that ended without it counts as failed.
passed=0
failed=0
run=
run_counted=
tr -d '\r' < "$work/guest.out" > "$work/guest.txt"
while IFS= read -r line; do
  case $line in
    "== RUN "*)
      run=${line#== RUN }
      run_counted=
      case $run in
        i686-privileged)
          say "i686: the shipped build under 32-bit Wine in the guest, whose kernel runs" \
              "32-bit programs: the checks the Windows stage skips where none run are made here" ;;
      esac
      echo "---- $(run_title "$run")"
      ;;
    "== END "*)
      status=${line##* }
      if [ -z "$run_counted" ]; then
        failed=$((failed + 1))
        say "${run}: ended with status $status before its summary"
      fi
      run=
      ;;
    PROBLEM\ *)
      failed=$((failed + 1))
      say "in the guest: ${line#PROBLEM }"
      ;;
    TIME\ *) ;;
    *)
      if [ -n "$run" ] && [[ $line =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
        passed=$((passed + BASH_REMATCH[1]))
        failed=$((failed + BASH_REMATCH[2]))
        run_counted=1
        echo "$(run_title "$run"): $line"
      elif [ -n "$run" ]; then
        echo "${run%%-*}: $line"
      else
        case $line in
          "PASS "*) passed=$((passed + 1)) ;;
          "FAIL "*) failed=$((failed + 1)) ;;
        esac
        echo "$line"
      fi
      ;;
  esac
done < "$work/guest.txt"
if [ -n "$run" ] && [ -z "$run_counted" ]; then
  failed=$((failed + 1))
  say "${run}: did not finish"
fi

# qemu-guest.sh's own lines: how long the guest took, and why it stopped early.
sed 's/^/  /' "$work/guest.err"
case $guest_status in
  0) ;;
  124) say "the guest did not finish within $CDFLASH_QEMU_TIMEOUT s" ;;
  126) say "the guest could not be set up (see the lines above)" ;;
  *) say "the guest run ended with status $guest_status" ;;
esac
if [ "$guest_status" -ne 0 ] && [ "$failed" -eq 0 ]; then failed=1; fi
if [ "$((passed + failed))" -eq 0 ]; then
  failed=1
  say "the guest reported no checks"
fi
if [ "$failed" -ne 0 ] && [ -s "$console" ]; then
  say "the tail of the guest's console ($console):"
  # Prefixed, so that no line of it passes for the stage's own summary.
  tr -d '\r' < "$console" | tail -n 40 | sed 's/^/console| /'
elif [ "$failed" -ne 0 ]; then
  say "the guest did not boot: no console output"
fi
sed -n 's/^TIME /  guest uptime at /p' "$work/guest.txt"
say "guest ${guest_seconds} s, total $((SECONDS - start)) s"
say "$passed passed, $failed failed, 0 skipped"
[ "$failed" -eq 0 ]
