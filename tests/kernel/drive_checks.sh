# shellcheck shell=bash
# What a whole run to a drive of our own left behind, judged the same way in
# every guest (tests/kernel/drive_runs.sh, scripts/wine-kernel-guest.sh).
# Sourced after drive_setup.sh. Run N leaves in $out: x$N (its exit code),
# o$N (its output), r$N.json (its record, when it wrote one), mark$N (the
# length of the drive's log when it started), and after `judge N` the
# drive's verdict in drive$N.verdict.

COMMIT_CDB="3B 05 01 00 00 00 00 00 00 80"

# A run is named by its drive's number, unless run_drive maps its name to
# the drive (a second run beside the first, to the same drive).
declare -A run_drive=()
drive_of() { echo "${run_drive[$1]:-$1}"; }

# The drive's commands since the run's mark, as JSON lines.
since_mark() { tail -n +"$(($(cat "$out/mark$1") + 1))" "$out/drive$(drive_of "$1").log"; }
verdict() { jq -r "$2" "$out/drive$(drive_of "$1").verdict" 2>/dev/null; }
exit_code() { cat "$out/x$1" 2>/dev/null; }
said() { grep -qF "$2" "$out/o$1"; }
# received PREFIX: how many of the drive-log lines on standard input are
# commands whose CDB begins with PREFIX.
received() { jq -s --arg p "$1" '[ .[] | select(.cdb? and (.cdb | startswith($p))) ] | length'; }
# No command of the program's reached drive N since the mark: opening a node
# lets the kernel check for a disc (TEST UNIT READY, GET EVENT STATUS
# NOTIFICATION), and the program's own first command is INQUIRY.
program_sent_nothing() {
  [ "$(since_mark "$1" | jq -s '[ .[] | select(.cdb? and (.cdb | (startswith("00 ") or startswith("4A ")) | not)) ] | length')" = 0 ]
}

# The run's record, command for command, is a run of consecutive commands
# in the drive's own log: nothing else reached the drive in between, and each
# answer the drive gave is the status the program recorded.
record_matches_drive() {
  local n=$1
  [ -s "$out/r$n.json" ] || return 1
  since_mark "$n" | jq -s -e --slurpfile record "$out/r$n.json" '
    def key: "\(.cdb) \(if .length > 0 then "\(.direction) \(.length)" else "" end)";
    [ .[] | select(.cdb?) ] as $drive
    | [ $record[0].commands[] | select(.fate == "sent") ] as $run
    | ($run | map(key)) as $want
    | [ range(0; ($drive | length) - ($want | length) + 1)
        | select(($drive[.:. + ($want | length)] | map(key)) == $want) ] as $at
    | ($at | length) > 0 and ($want | length) > 0 and
      ([ range(0; $want | length) as $i | $drive[$at[0] + $i] as $d | $run[$i] as $r
         | select($d.answered and $r.delivered) | $d.status == $r.status ] | all)' >/dev/null
}

# run_ended N EXIT DRIVE: run N ended as a user must see it and the drive
# holds what it should. EXIT is the exit code wanted; "Flash Completed." is
# said exactly when it is 0. DRIVE: a byte count (the drive programmed exactly
# that many bytes, equal to the BIN's, and is not bricked), "uncommitted"
# (never told to program its flash), "unwritten" (no WRITE BUFFER reached it),
# "unsent" (no command of the program's reached it) or "-" (whatever the
# drive made of it). A record the run wrote must be the drive's own log,
# command for command, unless nothing was sent. Prints what it saw.
run_ended() {
  local n=$1 want=$2 drive=$3 code completed=no record=none ok=0
  code=$(exit_code "$n")
  said "$n" "Flash Completed." && completed=yes
  [ "$code" = "$want" ] && [ "$completed" = "$([ "$want" = 0 ] && echo yes || echo no)" ] || ok=1
  case $drive in
    -) ;;
    uncommitted) [ "$(verdict "$n" .commits)" = 0 ] || ok=1 ;;
    unwritten) [ "$(since_mark "$n" | received "3B")" = 0 ] || ok=1 ;;
    unsent) program_sent_nothing "$n" || ok=1 ;;
    *) { [ "$(verdict "$n" .equalsBin)" = true ] && [ "$(verdict "$n" .programmed)" = "$drive" ] &&
         [ "$(verdict "$n" .bricked)" = false ]; } || ok=1 ;;
  esac
  if [ -s "$out/r$n.json" ] && [ "$drive" != unsent ] && [ "$drive" != unwritten ]; then
    record=differs
    record_matches_drive "$n" && record=matches || ok=1
  fi
  echo "exit $code, \"Flash Completed.\" $completed, drive $(cat "$out/drive$(drive_of "$n").verdict" 2>/dev/null | tr -d '\n'), record $record the drive's log"
  return $ok
}

# check_run NAME N EXIT DRIVE: one check (the guest's own `check NAME DETAIL
# COMMAND...`) of run_ended N EXIT DRIVE, with what it saw as the detail.
check_run() {
  local name=$1 detail status
  shift
  detail=$(run_ended "$@")
  status=$?
  check "$name" "$detail" [ "$status" = 0 ]
}
