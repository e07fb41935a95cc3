#!/usr/bin/env bash
# Whole flash runs of the Linux program through the guest kernel's SCSI stack
# to drives of our own (tests/kernel/drive_setup.sh), in the QEMU guest on
# the host's root, as root (scripts/kernel-drive-runs.sh).
#
# usage: drive_runs.sh SERVER WORK
#   WORK holds four.flasher/four.bin (a four-bank package) and five.flasher/
#   five.bin (five-bank, with the flash profile). What the drive makes of each
#   command is the fault matrix's; here, what a real kernel does with them.
# Prints "PASS name: detail" / "FAIL name: detail" per check and "N passed,
# N failed"; exit status 0 only when every check passed.
set -u
server=$1
work=$2
out=/tmp/drive-runs
passed=0
failed=0
mkdir -p "$out"

# check NAME DETAIL COMMAND...: PASS when COMMAND succeeds.
check() {
  local name=$1 detail=$2 verdict=FAIL
  shift 2
  "$@" && verdict=PASS
  echo "$verdict $name${detail:+: $detail}"
  note "$verdict $name${detail:+: $detail}"
  if [ $verdict = PASS ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
}
problem() { echo "FAIL $*"; note "FAIL $*"; failed=$((failed + 1)); }
# Progress on the guest's console: its log shows how far a guest got.
note() { echo "drive-runs: $(cut -d' ' -f1 /proc/uptime) $*" >> /dev/console 2>/dev/null; }

# shellcheck source=drive_setup.sh
. "$(dirname "${BASH_SOURCE[0]}")/drive_setup.sh"
# shellcheck source=drive_checks.sh
. "$(dirname "${BASH_SOURCE[0]}")/drive_checks.sh"

# flash N FLASHER [PREFIX...]: one run on drive N, PREFIX (a command) before
# the flasher; its exit code in x$N, its output in o$N, its record in r$N.json.
flash() {
  local n=$1 flasher=$2
  shift 2
  wc -l < "$out/drive$n.log" > "$out/mark$n"
  note "drive $n: run of $flasher"
  timeout 300 "$@" env QT_QPA_PLATFORM=offscreen "$flasher" --flash "/dev/${sr[$n]}" --yes --json \
    --log "$out/r$n.json" >"$out/o$n" 2>&1
  echo $? > "$out/x$n"
  note "drive $n: run ended with $(cat "$out/x$n")"
}

[ -d "$target" ] || { problem "no LIO target in configfs"; echo "$passed passed, $failed failed"; exit 1; }

four=$work/four.flasher
five=$work/five.flasher
# The unanswered commit waits out the program's commit timeout: its drive
# first, its run beside all the others.
add_drive 6 silent-commit "$work/four.bin"
started=$SECONDS
flash 6 "$four" &
six=$!
add_drive 0 none "$work/four.bin"
add_drive 1 none "$work/five.bin"
add_drive 3 refuse-read-back "$work/four.bin"
add_drive 7 never-ready "$work/four.bin"
check "five drives of our own attached as CD-ROMs" "${sr[*]}" [ "${#sr[@]}" -eq 5 ]
# While the kernel waits for the commit, sr holds the drive's lock, and any
# open of its node waits as long: the other runs' drive search would. Its node
# goes away for them once the commit is sent, and comes back after them.
for _ in $(seq 1 600); do
  [ "$(received "3B 05 01 00 00 00 00 00 00 80" < "$out/drive6.log")" = 1 ] && break
  sleep 0.2
done
silent_node=$(cat "/sys/block/${sr[6]}/dev")
rm -f "/dev/${sr[6]}"
check "sr calls a drive of ours an MMC drive" "" grep -q "scsi3-mmc drive" <(dmesg)

# The kernel's media polling on the four-bank drive, every 2 s, as a desktop's
# udev rules set it: it reaches the drive before and after the run, never
# within it, while the run's exclusive claim is held.
echo 2000 > "/sys/block/${sr[0]}/events_poll_msecs"
sleep 3
flash 0 "$four"
sleep 5
judge 0
check_run "four-bank: \"Flash Completed.\", exactly the BIN's bytes programmed" 0 0 262144
check "media polling reached the drive after the run, while no claim held it" "" \
  eval '[ "$(since_mark 0 | received "4A")" -gt 0 ]'

flash 1 "$five"
judge 1
check_run "five-bank with a profile: \"Flash Completed.\", exactly the BIN's bytes programmed" 1 0 327680

# The drive's sense data through the kernel's SCSI stack after writing
# began (how each fault ends a run is the fault matrix's): no commit, exit 3.
flash 3 "$four"
judge 3
check_run "a refused read-back: exit 3, no commit" 3 3 uncommitted

# A stop during a disc poll that never ends: the drive always says it is
# becoming ready. Ctrl-C two seconds into the poll ends the run at once.
wc -l < "$out/drive7.log" > "$out/mark7"
note "drive 7: run of $four, stopped during the disc poll"
QT_QPA_PLATFORM=offscreen "$four" --flash "/dev/${sr[7]}" --yes --json --log "$out/r7.json" >"$out/o7" 2>&1 &
poller=$!
for _ in $(seq 1 300); do
  [ "$(since_mark 7 | received "00")" -ge 20 ] && break
  sleep 0.1
done
sleep 2
kill -INT "$poller"
stop_sent=$SECONDS
for _ in $(seq 1 300); do kill -0 "$poller" 2>/dev/null || break; sleep 0.1; done
wait "$poller"
echo $? > "$out/x7"
stop_seconds=$((SECONDS - stop_sent))
check "a stop during a disc poll that never ends: exit 2 within seconds, nothing written" \
  "exit $(exit_code 7) $stop_seconds s after Ctrl-C, $(since_mark 7 | received "00") polls" \
  eval '[ "$stop_seconds" -le 5 ] && run_ended 7 2 unwritten >/dev/null'

mknod -m 0666 "/dev/${sr[6]}" b "${silent_node%%:*}" "${silent_node##*:}"
wait "$six"
judge 6
check_run "a commit that never answers: exit 6, not \"Flash Completed.\" ($((SECONDS - started)) s)" 6 6 -
check "a commit that never answers: the kernel aborted it and the drive answered at once" \
  "$(grep '"task"' "$out/drive6.log" | head -n 1)" \
  eval 'jq -s -e "any(.[]; .task == 1)" "$out/drive6.log" >/dev/null && [ "$(verdict 6 .unanswered)" = 0 ]'
check "a commit that never answers: the record does not count it as answered" "" \
  eval 'jq -e "[.commands[] | select(.cdb | startswith(\"3B 05 01 00 00 00 00 00 00 80\"))] | last | .succeeded == false" "$out/r6.json" >/dev/null'
# A second run while this computer runs: refused, the drive sent nothing.
cp "$out/o6" "$out/o6-first"
flash 6 "$four"
check_run "a second run to the drive whose commit never answered: exit 6, nothing sent to it" 6 6 unsent

for n in "${!sr[@]}"; do
  [ -s "$out/server$n.err" ] && problem "drive $n said: $(head -c 300 "$out/server$n.err")"
done
if [ "$failed" -ne 0 ]; then
  for n in "${!sr[@]}"; do
    echo "---- drive $n: the program's output, then the drive's verdict"
    tail -n 8 "$out/o$n" 2>/dev/null
    cat "$out/drive$n.verdict" 2>/dev/null
    echo "the drive's last commands:"
    tail -n 4 "$out/drive$n.log" 2>/dev/null
  done
fi
echo 0 > "/sys/block/${sr[0]}/events_poll_msecs"
for n in "${!server_pid[@]}"; do kill -TERM "${server_pid[$n]}" 2>/dev/null; done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
