# Drives of our own in a QEMU guest: the simulated drive model served by
# cdflash-tcmu-drive behind a TCM-User backstore, shown to the same kernel by
# the tcm_loop fabric as /dev/srN. Sourced by the guests' scripts, which
# define problem and note and set server (the drive-model program) and out
# (a folder for the drives' logs and verdicts).

target=/sys/kernel/config/target
tpg=$target/loopback/naa.5001405000000001/tpgt_1
mount -t configfs configfs /sys/kernel/config 2>/dev/null

declare -A sr=() server_pid=()
nexus=

# add_drive N FAULT BIN: backstore user_N served by a drive-model process with
# FAULT, then LUN N; sets sr[N] to the device node the kernel made for it.
add_drive() {
  local n=$1 fault=$2 bin=$3 dev=$target/core/user_$1/drive$1 uio= u i b id
  note "drive $n ($fault): set-up"
  mkdir -p "$dev" &&
    echo "dev_config=drive$n/info,dev_size=734003200,hw_block_size=2048" > "$dev/control" &&
    echo 600 > "$dev/attrib/cmd_time_out" && echo 1 > "$dev/enable" ||
    { problem "drive $n: backstore set-up"; return 1; }
  for u in /sys/class/uio/uio*; do
    grep -q "/drive$n/drive$n/" "$u/name" 2>/dev/null && uio=${u##*/}
  done
  [ -n "$uio" ] || { problem "drive $n: no uio device"; return 1; }
  # The scan's INQUIRY goes to the ring: the drive must be served first.
  "$server" --uio "$uio" --log "$out/drive$n.log" --verdict "$out/drive$n.verdict" \
    --bin "$bin" --fault "$fault" 2>"$out/server$n.err" &
  server_pid[$n]=$!
  sleep 0.2
  kill -0 "${server_pid[$n]}" 2>/dev/null ||
    { problem "drive $n: the drive model did not start: $(head -c 300 "$out/server$n.err")"; return 1; }
  note "drive $n: served on $uio"
  mkdir -p "$tpg/lun/lun_$n" || { problem "drive $n: LUN"; return 1; }
  if [ -z "$nexus" ]; then
    echo naa.5001405000000002 > "$tpg/nexus" || { problem "no tcm_loop nexus"; return 1; }
    nexus=1
  fi
  note "drive $n: linking LUN $n"
  ln -s "$dev" "$tpg/lun/lun_$n/drive$n" && echo 1 > "$dev/attrib/tmr_notification" ||
    { problem "drive $n: linking the LUN"; return 1; }
  note "drive $n: linked"
  for i in $(seq 1 100); do
    for b in /sys/block/sr*; do
      id=$(basename "$(readlink -f "$b/device")")
      if [ "${id##*:}" = "$n" ] && grep -q '^ACME' "$b/device/vendor" 2>/dev/null; then
        sr[$n]=${b##*/}
        chmod 0666 "/dev/${sr[$n]}"
        return 0
      fi
    done
    sleep 0.1
  done
  problem "drive $n: no /dev/srN appeared"
  return 1
}

# judge N: the drive-model process writes its verdict and goes on answering:
# every later run's drive search opens each drive's node.
judge() {
  rm -f "$out/drive$1.verdict"
  kill -USR1 "${server_pid[$1]}" 2>/dev/null
  for _ in $(seq 1 50); do [ -s "$out/drive$1.verdict" ] && return 0; sleep 0.1; done
  problem "drive $1: no verdict"
}

