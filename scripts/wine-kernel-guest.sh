#!/usr/bin/env bash
# The guest's half of scripts/test-wine-kernel.sh: runs inside the QEMU guest
# as root, chrooted into the host's root (scripts/qemu-guest.sh --host-root).
# Maps drive D: to the emulated ATAPI drive and E: to the scsi_debug CD-ROM
# in each Wine prefix, then runs the NT route checks of each Windows build
# twice, as root and without CAP_SYS_RAWIO.
#
# usage: wine-kernel-guest.sh PREFIX64 CHECKS64_EXE [CHECKS32_EXE CDFLASH32_EXE
#                             [DRIVE_SERVER DRIVES]]
#   PREFIX64        a 64-bit Wine prefix made on the host (read-only here:
#                   the guest's writes stay in its memory)
#   CHECKS64_EXE    the x86_64 build's nt_route_checks.exe
#   CHECKS32_EXE, CDFLASH32_EXE   the i686 build's nt_route_checks.exe and the
#                   shipped cdflash.exe, run under 32-bit Wine in a 32-bit
#                   prefix made here (the guest's kernel runs 32-bit programs)
#   DRIVE_SERVER, DRIVES   the drive model's program and a folder with
#                   four.exe (the shipped build made a flasher) and four.bin:
#                   whole runs of four.exe under 32-bit Wine to drives of our
#                   own (tests/kernel/drive_setup.sh) as drives F: and G:
#
# Output, for the host to read:
#   "== RUN NAME" ... "== END NAME STATUS" around each program's output
#   "PASS name: detail" / "FAIL name: detail" for the checks made here
#   "PROBLEM text" when something needed to run the checks is missing
#   "TIME what: seconds" of guest uptime
# Wine's own output goes to files (never a pipe: its services inherit it),
# shown when a step fails.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=wine-env.sh
. "$here/wine-env.sh"

ATAPI_LETTER=D
SCSI_DEBUG_LETTER=E
LOGS=/tmp/wine-kernel-logs
mkdir -p "$LOGS"

uptime_s() { cut -d' ' -f1 /proc/uptime; }
problem() { echo "PROBLEM $*"; }
mark_time() { echo "TIME $1: $(uptime_s)"; }
show_log() {  # show_log FILE: its end, indented
  [ -s "$1" ] && tail -n 15 "$1" | tr -d '\r' | sed 's/^/    /'
}

# The /dev/srN whose SCSI vendor begins with $1: numbers follow probe order.
sr_with_vendor() {
  local d vendor
  for d in /sys/block/sr*; do
    [ -e "$d/device/vendor" ] || continue
    read -r vendor < "$d/device/vendor"
    if [ "$vendor" = "$1" ]; then echo "/dev/${d##*/}"; return 0; fi
  done
  return 1
}

# map_cd_drives PREFIX: the two letters as CD-ROM drives of PREFIX, as Wine's
# configuration tool makes them: the DOS device links (the letter's folder,
# and its "::" link to the device node) and the drive type in the registry,
# which the mount manager reads when Wine starts. No Wine process may run.
map_cd_drives() {
  local prefix=$1 letter device
  for letter in d e; do
    if [ "$letter" = d ]; then device=$ATAPI_DEV; else device=$SCSI_DEBUG_DEV; fi
    mkdir -p "/tmp/cd-$letter"
    ln -sfn "/tmp/cd-$letter" "$prefix/dosdevices/$letter:"
    ln -sfn "$device" "$prefix/dosdevices/$letter::"
  done
  printf '\n[Software\\\\Wine\\\\Drives] %s\n"d:"="cdrom"\n"e:"="cdrom"\n' "$(date +%s)" \
    >> "$prefix/system.reg"
}

# start_wine NAME: a persistent server and one warm start, so that the
# checks' own start is quick; false (with the logs) when Wine cannot start.
start_wine() {
  local name=$1
  wineserver -p </dev/null >"$LOGS/$name-server.log" 2>&1
  if ! wine cmd /c exit </dev/null >"$LOGS/$name-warmup.log" 2>&1; then
    problem "$name: Wine cannot start a program in the guest; its output:"
    show_log "$LOGS/$name-warmup.log"
    return 1
  fi
  mark_time "$name: Wine started"
}

stop_wine() { wineserver -k </dev/null >/dev/null 2>&1; wineserver -w </dev/null >/dev/null 2>&1; }

# run_program NAME COMMAND...: one program, its output through a file.
run_program() {
  local name=$1 status
  shift
  echo "== RUN $name"
  "$@" </dev/null >"$LOGS/$name.out" 2>"$LOGS/$name.err"
  status=$?
  tr -d '\r' < "$LOGS/$name.out"
  if [ "$status" -ne 0 ] && [ -s "$LOGS/$name.err" ]; then
    echo "standard error of $name:"
    show_log "$LOGS/$name.err"
  fi
  echo "== END $name $status"
  mark_time "$name"
}

# Runs a command without CAP_SYS_RAWIO: dropped from the bounding set, so
# that no exec gives it back to root.
DROP_RAWIO=(setpriv --bounding-set -sys_rawio --inh-caps -all)

# has_rawio [COMMAND...]: whether a process started so holds CAP_SYS_RAWIO
# (bit 17 of its effective set).
has_rawio() {
  local effective
  effective=$("$@" awk '/^CapEff:/ { print $2 }' /proc/self/status) || return 2
  [ -n "$effective" ] || return 2
  (( (16#$effective >> 17) & 1 ))
}

check_rights() {
  if has_rawio env && ! has_rawio "${DROP_RAWIO[@]}"; then
    echo "PASS guest: root holds CAP_SYS_RAWIO, a program started through setpriv does not"
  else
    echo "FAIL guest: root holds CAP_SYS_RAWIO, a program started through setpriv does not"
  fi
}

# run_checks ARCH EXE: the checks as root, then without CAP_SYS_RAWIO.
run_checks() {
  local arch=$1 exe=$2
  run_program "$arch-privileged" wine "$exe" privileged "$ATAPI_LETTER" "$SCSI_DEBUG_LETTER"
  run_program "$arch-without-rawio" "${DROP_RAWIO[@]}" \
    wine "$exe" without-rawio "$ATAPI_LETTER" "$SCSI_DEBUG_LETTER"
}

# The shipped program lists both devices with the identities the checks saw.
check_shipped_list() {
  local exe=$1 out=$LOGS/i686-cdflash-list.out
  local atapi="0-0-0 $ATAPI_LETTER: QEMU    QEMU DVD-ROM    2.5+"
  local sdebug="0-0-0 $SCSI_DEBUG_LETTER: Linux   scsi_debug      0191"
  wine "$exe" --list </dev/null >"$out" 2>"$LOGS/i686-cdflash-list.err"
  local status=$?
  tr -d '\r' < "$out" > "$out.txt"
  local name="i686: the shipped cdflash.exe starts, and --list names both drives"
  if [ "$status" -eq 0 ] && grep -qxF "$atapi" "$out.txt" && grep -qxF "$sdebug" "$out.txt"; then
    echo "PASS $name:"
    show_log "$out.txt"
  else
    echo "FAIL $name: exit status $status, its output:"
    show_log "$out.txt"
    show_log "$LOGS/i686-cdflash-list.err"
  fi
  mark_time "i686: cdflash.exe --list"
}

# The commands in a drive's log whose CDB begins with PREFIX.
received() { jq -s --arg p "$2" '[ .[] | select(.cdb? and (.cdb | startswith($p))) ] | length' "$1"; }
COMMIT_CDB="3B 05 01 00 00 00 00 00 00 80"

# Whole runs of the shipped build under 32-bit Wine, through Wine's NT
# pass-through and the guest kernel, to drives of our own: a four-bank flasher
# to a good drive as F:, to one whose read-back brings a corrupt byte as G:,
# and to one whose commit never answers as H:, then a second time to H:.
# Called with the 32-bit prefix set and no Wine process running.
flash_drives_of_our_own() {
  local server=$1 drives=$2 out=/tmp/drive-runs n letter letters=(F G H)
  mkdir -p "$out"
  note() { :; }
  # shellcheck source=../tests/kernel/drive_setup.sh
  . "$here/../tests/kernel/drive_setup.sh"
  add_drive 0 none "$drives/four.bin" && add_drive 1 corrupt-read-back "$drives/four.bin" &&
    add_drive 2 silent-commit "$drives/four.bin" || return
  # The three letters as CD-ROM drives: one Wine start for every run.
  printf '\n[Software\\\\Wine\\\\Drives] %s\n"f:"="cdrom"\n"g:"="cdrom"\n"h:"="cdrom"\n' "$(date +%s)" \
    >> "$WINEPREFIX/system.reg"
  for n in 0 1 2; do
    letter=${letters[$n],,}
    mkdir -p "/tmp/cd-$letter"
    ln -sfn "/tmp/cd-$letter" "$WINEPREFIX/dosdevices/$letter:"
    ln -sfn "/dev/${sr[$n]}" "$WINEPREFIX/dosdevices/$letter::"
  done
  start_wine i686-drives || return
  # H: first: its run waits out the program's commit timeout beside the others.
  wine "$drives/four.exe" --flash H: --yes --log 'Z:\tmp\drive-runs\r2.json' \
    </dev/null >"$LOGS/drive2.out" 2>&1 &
  local silent=$! started=$SECONDS
  for _ in $(seq 1 600); do
    [ "$(received "$out/drive2.log" "$COMMIT_CDB")" = 1 ] && break
    sleep 0.2
  done
  # While the kernel waits for the commit, any open of H:'s node waits as long:
  # the other runs' drive search would. Hidden from them until they end.
  local silent_node
  silent_node=$(cat "/sys/block/${sr[2]}/dev")
  rm -f "/dev/${sr[2]}"
  for n in 0 1; do
    letter=${letters[$n]}
    wine "$drives/four.exe" --flash "$letter:" --yes </dev/null >"$LOGS/drive$n.out" 2>&1
    echo $? > "$out/x$n"
    tr -d '\r' < "$LOGS/drive$n.out" > "$out/o$n"
    judge $n
    mark_time "i686: flash run to drive $n ($letter:)"
  done
  mknod -m 0666 "/dev/${sr[2]}" b "${silent_node%%:*}" "${silent_node##*:}"
  wait "$silent"
  echo $? > "$out/x2"
  tr -d '\r' < "$LOGS/drive2.out" > "$out/o2"
  judge 2
  mark_time "i686: flash run to drive 2 (H:), whose commit never answers, after $((SECONDS - started)) s"
  # A second run to H: while this computer runs: refused, the drive sent nothing.
  local before
  before=$(wc -l < "$out/drive2.log")
  wine "$drives/four.exe" --flash H: --yes --log 'Z:\tmp\drive-runs\r2-again.json' \
    </dev/null >"$LOGS/drive2-again.out" 2>&1
  echo $? > "$out/x2-again"
  tr -d '\r' < "$LOGS/drive2-again.out" > "$out/o2-again"
  tail -n +"$((before + 1))" "$out/drive2.log" > "$out/drive2-again.log"
  mark_time "i686: second flash run to drive 2 (H:)"
  stop_wine
  local v0 v1 v2
  v0=$(cat "$out/drive0.verdict" 2>/dev/null)
  v1=$(cat "$out/drive1.verdict" 2>/dev/null)
  v2=$(cat "$out/drive2.verdict" 2>/dev/null)
  if [ "$(cat "$out/x0")" = 0 ] && grep -qF "Flash Completed." "$out/o0" &&
     [ "$(jq -r .equalsBin <<< "$v0")" = true ] && [ "$(jq -r .programmed <<< "$v0")" = 262144 ]; then
    echo "PASS i686: a whole four-bank run of cdflash.exe --flash F: --yes to a drive of our own: \"Flash Completed.\", the drive holds exactly the BIN's bytes"
  else
    echo "FAIL i686: a whole four-bank run of cdflash.exe --flash F: --yes to a drive of our own: exit $(cat "$out/x0"), drive $v0"
    show_log "$out/o0"
  fi
  if [ "$(cat "$out/x1")" != 0 ] && ! grep -qF "Flash Completed." "$out/o1" &&
     [ "$(jq -r .commits <<< "$v1")" = 0 ]; then
    echo "PASS i686: a corrupt read-back byte through Wine: no commit, not \"Flash Completed.\" (exit $(cat "$out/x1"))"
  else
    echo "FAIL i686: a corrupt read-back byte through Wine: exit $(cat "$out/x1"), drive $v1"
    show_log "$out/o1"
  fi
  local commit_failed
  commit_failed=$(jq -r --arg c "$COMMIT_CDB" \
    '[ .commands[] | select(.cdb | startswith($c)) ] | last | .succeeded == false' "$out/r2.json" 2>/dev/null)
  if [ "$(cat "$out/x2")" = 6 ] && ! grep -qF "Flash Completed." "$out/o2" && [ "$commit_failed" = true ]; then
    echo "PASS i686: a commit that never answers, through Wine: exit 6, not \"Flash Completed.\", the record says the commit did not succeed"
  else
    echo "FAIL i686: a commit that never answers, through Wine: exit $(cat "$out/x2"), the record's commit failed: ${commit_failed:-no record}, drive $v2"
    show_log "$out/o2"
  fi
  # Opening the node lets the kernel check the drive for a disc (TEST UNIT
  # READY, GET EVENT STATUS NOTIFICATION); the program itself sends nothing.
  local sent kernel
  sent=$(jq -s '[ .[] | select(.cdb? and (.cdb | (startswith("00 ") or startswith("4A ")) | not)) ] | length' \
    "$out/drive2-again.log")
  kernel=$(jq -s '[ .[] | select(.cdb?) ] | length' "$out/drive2-again.log")
  if [ "$(cat "$out/x2-again")" = 6 ] && ! grep -qF "Flash Completed." "$out/o2-again" && [ "$sent" = 0 ]; then
    echo "PASS i686: a second run to the drive whose commit never answered: exit 6, the program sent it nothing ($kernel checks of the kernel's own)"
  else
    echo "FAIL i686: a second run to the drive whose commit never answered: exit $(cat "$out/x2-again"), $sent commands of the program's reached it"
    show_log "$out/o2-again"
  fi
}

mark_time "guest script start"
ATAPI_DEV=$(sr_with_vendor QEMU) || problem "no QEMU ATAPI drive among $(echo /sys/block/sr*)"
SCSI_DEBUG_DEV=$(sr_with_vendor Linux) || problem "no scsi_debug CD-ROM (vendor Linux) among $(echo /sys/block/sr*)"
[ -n "${ATAPI_DEV:-}" ] && [ -n "${SCSI_DEBUG_DEV:-}" ] || exit 1
echo "guest: $ATAPI_LETTER: is $ATAPI_DEV (QEMU ATAPI), $SCSI_DEBUG_LETTER: is $SCSI_DEBUG_DEV (scsi_debug)"
check_rights

# ---- x86_64: the test build under 64-bit Wine -------------------------------
prefix64=$1 checks64=$2
if [ -f "$prefix64/system.reg" ]; then
  (
    cdflash_wine_select x86_64
    export WINEPREFIX=$prefix64
    map_cd_drives "$prefix64"
    if start_wine x86_64; then
      run_checks x86_64 "$checks64"
    fi
    stop_wine
  )
else
  problem "x86_64: no Wine prefix at $prefix64"
fi

# ---- i686: the shipped build under 32-bit Wine --------------------------------
if [ $# -ge 4 ]; then
  checks32=$3 cdflash32=$4
  (
    cdflash_wine_select i686
    export WINEPREFIX=/tmp/prefix-win32
    if ! /usr/lib/wine/wine --version >"$LOGS/i686-version.log" 2>&1; then
      problem "i686: 32-bit Wine does not start in the guest:"
      show_log "$LOGS/i686-version.log"
      exit 0
    fi
    wineboot -i </dev/null >"$LOGS/i686-wineboot.log" 2>&1
    wineserver -w </dev/null >/dev/null 2>&1
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      problem "i686: Wine could not make a 32-bit prefix in the guest:"
      show_log "$LOGS/i686-wineboot.log"
      exit 0
    fi
    mark_time "i686: 32-bit prefix made"
    map_cd_drives "$WINEPREFIX"
    if start_wine i686; then
      run_checks i686 "$checks32"
      check_shipped_list "$cdflash32"
    fi
    stop_wine
    if [ $# -ge 6 ]; then flash_drives_of_our_own "$5" "$6"; fi
  )
fi
mark_time "guest script end"
