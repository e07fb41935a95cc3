#!/usr/bin/env bash
# The guest's half of scripts/test-wine-kernel.sh: runs inside the QEMU guest
# as root, chrooted into the host's root (scripts/qemu-guest.sh --host-root).
# Maps drive D: to the emulated ATAPI drive and E: to the scsi_debug CD-ROM
# in each Wine prefix, then runs the NT route checks of each Windows build
# twice, as root and without CAP_SYS_RAWIO. Whole runs of both builds, made
# flashers, go to drives of our own through Wine's pass-through.
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
#                   four.bin and five.bin, and flashers of them: four.exe and
#                   five.exe (the shipped build), four64.exe (the x86_64
#                   build); drives of our own (tests/kernel/drive_setup.sh)
#   KEPT            where the 32-bit prefix of an earlier guest is kept, read
#                   here through the host's root; a prefix made here is
#                   written to the guest's /run/share, that same folder
#
# The two commits that never answer wait out the program's commit timeout:
# they start first, each in a prefix of its own beside the one whose letters
# the NT route checks count, and everything else runs beside them.
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
note() { :; }
# Also on the guest's console, whose log shows how far a guest got.
mark_time() {
  echo "TIME $1: $(uptime_s)"
  echo "wine-kernel-guest: $(uptime_s) $1" >> /dev/console 2>/dev/null
}
show_log() {  # show_log FILE: its end, indented
  [ -s "$1" ] && tail -n 15 "$1" | tr -d '\r' | sed 's/^/    /'
}
# check NAME DETAIL COMMAND...: PASS when COMMAND succeeds.
check() {
  local name=$1 detail=$2
  shift 2
  if "$@"; then echo "PASS $name${detail:+: $detail}"; else echo "FAIL $name${detail:+: $detail}"; fi
  mark_time "checked: $name"
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

# map_cd_letters PREFIX LETTER=DEVICE...: the letters as CD-ROM drives of
# PREFIX, as Wine's configuration tool makes them: the DOS device links (the
# letter's folder, and its "::" link to the device node) and the drive type
# in the registry, which the mount manager reads when Wine starts. No Wine
# process of PREFIX may run.
map_cd_letters() {
  local prefix=$1 pair letter
  shift
  {
    printf '\n[Software\\\\Wine\\\\Drives] %s\n' "$(date +%s)"
    for pair in "$@"; do
      letter=${pair%%=*}
      mkdir -p "/tmp/cd-$letter"
      ln -sfn "/tmp/cd-$letter" "$prefix/dosdevices/$letter:"
      ln -sfn "${pair#*=}" "$prefix/dosdevices/$letter::"
      printf '"%s:"="cdrom"\n' "$letter"
    done
  } >> "$prefix/system.reg"
}

# prefix_twin SOURCE DIR: a second prefix in DIR over SOURCE's Windows folder,
# with a registry, drive letters and Wine server of its own: its programs and
# SOURCE's go on at once without seeing each other's drives. (A copy would
# take hundreds of megabytes of the guest's memory.)
prefix_twin() {
  local source=$1 dir=$2
  mkdir -p "$dir/dosdevices" &&
    ln -sfn "$source/drive_c" "$dir/drive_c" &&
    cp "$source"/*.reg "$source/.update-timestamp" "$dir/" &&
    ln -sfn ../drive_c "$dir/dosdevices/c:" &&
    ln -sfn / "$dir/dosdevices/z:"
}

# start_wine NAME: a persistent server for $WINEPREFIX and one warm start,
# so that the programs' own start is quick; false (with the logs) when Wine
# cannot start.
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
  check "guest: root holds CAP_SYS_RAWIO, a program started through setpriv does not" "" \
    eval 'has_rawio env && ! has_rawio "${DROP_RAWIO[@]}"'
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

# ---- drives of our own: whole runs through Wine's pass-through ---------------
out=/tmp/drive-runs
mkdir -p "$out"

# wine_run RUN LETTER FLASHER: FLASHER --flash LETTER: --yes under the current
# prefix; what tests/kernel/drive_checks.sh judges: x$RUN, o$RUN, r$RUN.json,
# mark$RUN.
wine_run() {
  local run=$1 letter=$2 flasher=$3
  wc -l < "$out/drive$(drive_of "$run").log" > "$out/mark$run"
  rm -f "$out/r$run.json"
  wine "$flasher" --flash "$letter:" --yes --log "Z:\\tmp\\drive-runs\\r$run.json" \
    </dev/null >"$LOGS/run$run.out" 2>&1
  echo $? > "$out/x$run"
  tr -d '\r' < "$LOGS/run$run.out" > "$out/o$run"
  mark_time "${CDFLASH_WINDOWS_ARCH}: run $run ($letter:)"
}

# While the kernel waits for a commit, any open of the drive's node waits as
# long: the drive searches of the other runs in its prefix would. The node
# goes once the commit has reached drive N (or its run N ended), and comes
# back with show_node; $out/nodeN appears once it is gone.
hide_after_commit() {
  local n=$1 node
  for _ in $(seq 1 900); do
    [ "$(received "$COMMIT_CDB" < "$out/drive$n.log")" = 1 ] || [ -s "$out/x$n" ] && break
    sleep 0.2
  done
  node=$(cat "/sys/block/${sr[$n]}/dev")
  rm -f "/dev/${sr[$n]}"
  echo "$node" > "$out/node$n"
}
show_node() {
  local node
  node=$(cat "$out/node$1")
  mknod -m 0666 "/dev/${sr[$1]}" b "${node%%:*}" "${node##*:}"
}

# in_wine ARCH PREFIX COMMAND...: COMMAND with that build's Wine and prefix.
in_wine() {
  (
    cdflash_wine_select "$1"
    export WINEPREFIX=$2
    shift 2
    "$@"
  )
}

# drive_prefix ARCH PREFIX SOURCE LETTER=DEVICE...: a second prefix over
# SOURCE with those letters, its Wine server started.
drive_prefix() {
  local arch=$1 prefix=$2 source=$3
  shift 3
  prefix_twin "$source" "$prefix" || { problem "$arch: no second prefix over $source"; return 1; }
  map_cd_letters "$prefix" "$@"
  in_wine "$arch" "$prefix" start_wine "$arch-drives"
}

# The Windows claim under Wine: a first run holds J: through its disc poll
# (the drive never gets ready) while a second cdflash.exe of the same Wine
# server asks for the drive. Wine grants its locks to every caller; the
# flashers' claim of the drive letter refuses the second before the run's
# first command (the listing's INQUIRY is all it sends). Sets holder, the
# first run's job.
check_claim_under_wine() {
  local four=$1
  in_wine i686 "$P32D" wine_run 4 J "$four" &
  holder=$!
  for _ in $(seq 1 600); do
    [ -s "$out/mark4" ] && [ "$(since_mark 4 | received "00")" -ge 10 ] && break
    sleep 0.2
  done
  # 4c: the drive's log from before the second starts (4b's own mark is
  # rewritten as it starts).
  run_drive[4b]=4 run_drive[4c]=4
  wc -l < "$out/drive4.log" > "$out/mark4c"
  in_wine i686 "$P32D" wine_run 4b J "$four"
  local held=no sent exit
  kill -0 "$holder" 2>/dev/null && [ ! -s "$out/x4" ] && held=yes
  exit=$(cat "$out/x4b")
  sent=$(since_mark 4c | jq -r -s '[ .[] | select(.cdb? and (.cdb |
    (startswith("00 ") or startswith("4A ") or startswith("12 ")) | not)) | .cdb[0:2] ] | join(" ")')
  check "i686: under Wine, a second cdflash.exe asking for a drive a run holds is refused before the run's first command" \
    "exit $exit, the first run still holding it: $held, its commands besides INQUIRY: ${sent:-none}" \
    [ "$exit:$held:$sent" = "2:yes:" ]
}

# ---- the guest's run --------------------------------------------------------
mark_time "guest script start"
ATAPI_DEV=$(sr_with_vendor QEMU) || problem "no QEMU ATAPI drive among $(echo /sys/block/sr*)"
SCSI_DEBUG_DEV=$(sr_with_vendor Linux) || problem "no scsi_debug CD-ROM (vendor Linux) among $(echo /sys/block/sr*)"
[ -n "${ATAPI_DEV:-}" ] && [ -n "${SCSI_DEBUG_DEV:-}" ] || exit 1
echo "guest: $ATAPI_LETTER: is $ATAPI_DEV (QEMU ATAPI), $SCSI_DEBUG_LETTER: is $SCSI_DEBUG_DEV (scsi_debug)"
check_rights

prefix64=$1 checks64=$2 checks32=${3:-} cdflash32=${4:-} server=${5:-} drives=${6:-} kept=${7:-}
# The 32-bit prefix stays as wineboot made it: the NT route checks and the
# drives' runs each use a twin of it.
P32=/tmp/prefix-win32
P32C=/tmp/prefix-win32-checks
P32D=/tmp/prefix-win32-drives
P64D=/tmp/prefix-win64-drives
have64=
[ -f "$prefix64/system.reg" ] && have64=1 || problem "x86_64: no Wine prefix at $prefix64"
# shellcheck source=../tests/kernel/drive_checks.sh
. "$here/../tests/kernel/drive_checks.sh"
# ---- i686: its prefix, made while the drives attach ---------------------------
# Making it takes minutes of the guest's processor: a prefix made here is
# kept for the next guests, which read it through the host's root.
make_prefix32() {
  wineboot -i </dev/null >"$LOGS/i686-wineboot.log" 2>&1
  wineserver -w </dev/null >/dev/null 2>&1
}
keep_prefix32() {
  rm -rf /run/share/prefix-win32.part &&
    cp -a "$P32" /run/share/prefix-win32.part &&
    rm -rf /run/share/prefix-win32 &&
    mv /run/share/prefix-win32.part /run/share/prefix-win32 ||
    problem "i686: the 32-bit prefix made here could not be kept in /run/share"
}
prefix32_job=''
if [ -n "$cdflash32" ] && [ -n "$kept" ] && [ -f "$kept/prefix-win32/system.reg" ]; then
  P32=$kept/prefix-win32
  mark_time "i686: the 32-bit prefix of an earlier guest"
elif [ -n "$cdflash32" ]; then
  if /usr/lib/wine/wine --version >"$LOGS/i686-version.log" 2>&1; then
    in_wine i686 "$P32" make_prefix32 &
    prefix32_job=$!
  else
    problem "i686: 32-bit Wine does not start in the guest:"
    show_log "$LOGS/i686-version.log"
  fi
fi

# The drives: i686 runs in $P32D, x86_64 runs in $P64D, each beside the
# checks' own prefix.
#   0 F: four-bank   1 G: corrupt read-back   2 H: commit never answers
#   3 I: five-bank with a profile   4 J: never ready (held by a first run
#   while a second starts)   5 K: four-bank (x86_64)   6 L: commit never
#   answers (x86_64)
have_drives='' silent64='' silent32='' holder=''
if [ -n "$drives" ]; then
  # shellcheck source=../tests/kernel/drive_setup.sh
  . "$here/../tests/kernel/drive_setup.sh"
  add_drive 6 silent-commit "$drives/four.bin" && add_drive 5 none "$drives/four.bin" &&
    add_drive 2 silent-commit "$drives/four.bin" && add_drive 0 none "$drives/four.bin" &&
    add_drive 1 corrupt-read-back "$drives/four.bin" && add_drive 3 none "$drives/five.bin" &&
    add_drive 4 never-ready "$drives/four.bin" && have_drives=1
  mark_time "drives of our own attached"
fi

# ---- the x86_64 build's commit that never answers, from the start ---------------
# Its prefix starts beside the 32-bit prefix being made; the job ends when
# the run does.
x86_64_silent() {
  drive_prefix x86_64 "$P64D" "$prefix64" "k=/dev/${sr[5]}" "l=/dev/${sr[6]}" || return 1
  in_wine x86_64 "$P64D" wine_run 6 L "$drives/four64.exe" &
  hide_after_commit 6
  wait
}
if [ -n "$have_drives" ] && [ -n "$have64" ]; then
  x86_64_silent &
  silent64=$!
fi

# ---- i686: its commit that never answers, once its prefix is made --------------
i686_ready='' keep32_job=''
[ -z "$prefix32_job" ] || wait "$prefix32_job"
if [ -f "$P32/system.reg" ]; then
  i686_ready=1
  if [ -n "$prefix32_job" ]; then
    mark_time "i686: 32-bit prefix made"
    [ -d /run/share ] && { keep_prefix32 & keep32_job=$!; }
  fi
elif [ -n "$prefix32_job" ]; then
  problem "i686: Wine could not make a 32-bit prefix in the guest:"
  show_log "$LOGS/i686-wineboot.log"
fi
i686_runs=
if [ -n "$i686_ready" ] && [ -n "$have_drives" ] &&
   drive_prefix i686 "$P32D" "$P32" "f=/dev/${sr[0]}" "g=/dev/${sr[1]}" "h=/dev/${sr[2]}" \
     "i=/dev/${sr[3]}" "j=/dev/${sr[4]}"; then
  i686_runs=1
  in_wine i686 "$P32D" wine_run 2 H "$drives/four.exe" &
  silent32=$!
  hide_after_commit 2
fi

# ---- the NT route checks, beside the silent commits ----------------------------
if [ -n "$have64" ]; then
  map_cd_letters "$prefix64" "d=$ATAPI_DEV" "e=$SCSI_DEBUG_DEV"
  if in_wine x86_64 "$prefix64" start_wine x86_64; then
    in_wine x86_64 "$prefix64" run_checks x86_64 "$checks64"
  fi
  in_wine x86_64 "$prefix64" stop_wine
fi
# The x86_64 whole run, beside the i686 checks, once L:'s node is gone (its
# drive search would wait on it).
x86_64_run() {
  while [ -n "$silent64" ] && kill -0 "$silent64" 2>/dev/null && [ ! -s "$out/node6" ]; do sleep 0.2; done
  [ -s "$out/node6" ] || return 0
  in_wine x86_64 "$P64D" wine_run 5 K "$drives/four64.exe"
  judge 5
  check_run "x86_64: a four-bank run under 64-bit Wine: \"Flash Completed.\", exactly the BIN's bytes programmed" \
    5 0 262144
}
x86_64_run &
run64=$!
if [ -n "$i686_ready" ] && prefix_twin "$P32" "$P32C"; then
  map_cd_letters "$P32C" "d=$ATAPI_DEV" "e=$SCSI_DEBUG_DEV"
  if in_wine i686 "$P32C" start_wine i686; then
    in_wine i686 "$P32C" run_checks i686 "$checks32"
    in_wine i686 "$P32C" check_shipped_list "$cdflash32"
  fi
  in_wine i686 "$P32C" stop_wine
fi

# ---- whole runs beside the silent commits --------------------------------------
if [ -n "$i686_runs" ]; then
  check_claim_under_wine "$drives/four.exe"
  in_wine i686 "$P32D" wine_run 0 F "$drives/four.exe"
  judge 0
  check_run "i686: a four-bank run of cdflash.exe --flash F: --yes: \"Flash Completed.\", exactly the BIN's bytes programmed" \
    0 0 262144
  in_wine i686 "$P32D" wine_run 1 G "$drives/four.exe"
  judge 1
  check_run "i686: a corrupt read-back byte: exit 3, no commit" 1 3 uncommitted
  in_wine i686 "$P32D" wine_run 3 I "$drives/five.exe"
  judge 3
  check_run "i686: a five-bank run with a profile: \"Flash Completed.\", exactly the BIN's bytes programmed" \
    3 0 327680
  check "i686: five-bank: the profile went to the drive and was read back" "" \
    eval '[ "$(since_mark 3 | received "DF 11")" = 1 ] && [ "$(since_mark 3 | received "3C 01 01 08")" = 1 ]'
fi

# ---- the commits that never answered ---------------------------------------------
# judge_silent ARCH PREFIX N LETTER FLASHER: run N's commit never answered;
# a second run while this computer runs is refused, nothing sent to the drive.
judge_silent() {
  local arch=$1 prefix=$2 n=$3 letter=$4 flasher=$5 commit_failed
  show_node "$n"
  judge "$n"
  check_run "$arch: a commit that never answers: exit 6, not \"Flash Completed.\"" "$n" 6 -
  commit_failed=$(jq -r --arg c "$COMMIT_CDB" \
    '[ .commands[] | select(.cdb | startswith($c)) ] | last | .succeeded == false' "$out/r$n.json" 2>/dev/null)
  check "$arch: a commit that never answers: the record says it did not succeed" "" [ "$commit_failed" = true ]
  in_wine "$arch" "$prefix" wine_run "$n" "$letter" "$flasher"
  check_run "$arch: a second run to the drive whose commit never answered: exit 6, nothing sent to it" "$n" 6 unsent
  in_wine "$arch" "$prefix" stop_wine
}
# Both at once: their drives and prefixes are apart.
judged64=
wait "$run64"
if [ -n "$silent64" ]; then
  wait "$silent64"
  if [ -s "$out/node6" ]; then
    judge_silent x86_64 "$P64D" 6 L "$drives/four64.exe" &
    judged64=$!
  else
    problem "x86_64: no run to L: (the x86_64 prefix for the drives did not start)"
    in_wine x86_64 "$P64D" stop_wine
  fi
fi
if [ -n "$i686_runs" ]; then
  wait "$holder"
  wait "$silent32"
  judge_silent i686 "$P32D" 2 H "$drives/four.exe"
fi
[ -z "$judged64" ] || wait "$judged64"
for n in "${!server_pid[@]}"; do
  [ -s "$out/server$n.err" ] && problem "drive $n said: $(head -c 300 "$out/server$n.err")"
  kill -TERM "${server_pid[$n]}" 2>/dev/null
done
[ -z "$keep32_job" ] || wait "$keep32_job"
mark_time "guest script end"
