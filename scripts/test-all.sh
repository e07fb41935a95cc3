#!/usr/bin/env bash
# Builds and runs every test: Linux (plain and with sanitizers), Windows under
# Wine, the SG_IO route against a real kernel in a QEMU guest, and the Windows
# NT route under Wine in that guest. Each stage keeps its log in build/logs/;
# the last line sums up all stages.
#
# The stages run in three lanes side by side: one compiles and runs the local
# tests, the two others boot the QEMU guests, whose runs spend minutes waiting
# out a drive's commit timeout with the CPU idle. Two stages that build in the
# same folder never run at the same time. Each stage's log is shown whole when
# it ends; the summary lists the stages in their usual order.
set -uo pipefail
cd "$(dirname "$0")/.."
mkdir -p build/logs

scripts/install-deps.sh || { echo "install-deps failed"; echo "0 passed, 1 failed, 0 skipped"; exit 1; }

# The same sources are compiled by several stages and again by the next run:
# ccache serves what it has seen, in this clone or another (paths are hashed
# relative to the clone, debug information keeping the first build's folder).
if command -v ccache >/dev/null; then
  export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
  export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
fi

passed=0
failed=0
skipped=0
stages=(linux linux-asan windows kernel wine-kernel release fuzz)
declare -A line_of skips_of
marks=build/logs/marks
rm -rf "$marks"
mkdir -p "$marks"

# A stage's counts are its last "P passed, F failed[, S skipped]" line
# (optionally after "stage: "); its "skipped: NAME: REASON" lines name what
# it skipped. A stage that ends badly without counts counts as one failure.
tally() {
  local name=$1 log=$2 status=$3 p=0 f=0 s=0 line
  skips_of[$name]=
  while IFS= read -r line; do
    if [[ $line =~ ^([A-Za-z0-9_-]+:\ )?([0-9]+)\ passed,\ ([0-9]+)\ failed(,\ ([0-9]+)\ skipped)?$ ]]; then
      p=${BASH_REMATCH[2]}; f=${BASH_REMATCH[3]}; s=${BASH_REMATCH[5]:-0}
    elif [[ $line == skipped:\ * ]]; then
      skips_of[$name]+="  $name: ${line#skipped: }"$'\n'
    fi
  done < "$log"
  if [ "$status" -ne 0 ] && [ "$f" -eq 0 ]; then f=1; fi
  passed=$((passed + p)); failed=$((failed + f)); skipped=$((skipped + s))
  line_of[$name]=$(printf '%-12s %4d passed, %d failed, %d skipped (%ss, CPU %ss)' "$name" "$p" "$f" "$s" "$4" "$5")
}

# cpu_seconds VAR: the CPU seconds (user and system) of this shell's
# finished children, read in this shell itself (a subshell has its own).
cpu_seconds() {
  local stat
  read -r -a stat < "/proc/$BASHPID/stat"
  printf -v "$1" '%d' $(((stat[15] + stat[16]) / ticks))
}
ticks=$(getconf CLK_TCK)

# stage NAME COMMAND...: runs one stage, its output in its log; then marks
# it done with its exit status, its seconds and the CPU seconds it took.
# Run inside a lane.
stage() {
  local name=$1; shift
  local log=build/logs/$name.log start=$SECONDS status
  local cpu_before cpu_after
  cpu_seconds cpu_before
  ( "$@" ) >"$log" 2>&1 </dev/null
  status=$?
  cpu_seconds cpu_after
  echo "$status $((SECONDS - start)) $((cpu_after - cpu_before))" > "$marks/$name.tmp"
  touch "$marks/$name.built"  # for those that wait for its build, if it ended before building
  mv "$marks/$name.tmp" "$marks/$name.done"
}

# after MARK...: waits until each mark is set (a stage done, a build made).
after() {
  local mark
  for mark in "$@"; do
    until [ -e "$marks/$mark" ]; do sleep 1; done
  done
}

# A CTest preset, summed up from its JUnit file (skipped tests named).
ctest_preset() {
  local junit=$PWD/build/logs/$1.xml status=0
  cmake --preset "$1" >/dev/null &&
  cmake --build --preset "$1" -j2 || status=$?
  [ "$status" -eq 0 ] || return $status
  rm -f "$junit"
  ctest --preset "$1" -j2 --output-junit "$junit" || status=$?
  python3 scripts/ctest-summary.py "$1" "$junit" || status=1
  return $status
}

# Ctrl-C or a TERM ends the lanes and what they started.
trap 'trap - INT TERM; kill -TERM 0 2>/dev/null; exit 130' INT TERM

# The local lane: compiling is what takes its time. The Windows build comes
# first: the NT route's guest waits for it.
(
  CDFLASH_BUILT_MARK=$marks/windows.built stage windows scripts/test-windows.sh
  stage linux ctest_preset linux
  stage linux-asan ctest_preset linux-asan
  stage fuzz scripts/fuzz.sh 15
) &
# The guest lanes, whose runs spend minutes waiting out a drive's commit
# timeout: the kernel stage at once; the Windows NT route once the Windows
# stage has built (its tests then only read the build folder) and the kernel
# stage has built the drive model's program, then the release files once
# both Windows builds are made.
(
  CDFLASH_BUILT_MARK=$marks/kernel.built stage kernel scripts/test-kernel.sh
) &
(
  after windows.built kernel.built
  stage wine-kernel scripts/test-wine-kernel.sh
  stage release tests/release/check-release.sh
) &

# Each stage's log as it ends.
shown=()
while [ ${#shown[@]} -lt ${#stages[@]} ]; do
  for name in "${stages[@]}"; do
    [[ " ${shown[*]} " == *" $name "* ]] && continue
    [ -e "$marks/$name.done" ] || continue
    read -r status seconds cpu < "$marks/$name.done"
    echo "=== $name ($seconds s)"
    cat "build/logs/$name.log"
    tally "$name" "build/logs/$name.log" "$status" "$seconds" "$cpu"
    shown+=("$name")
  done
  sleep 2
done
wait

echo
echo "=== summary"
skips=
for name in "${stages[@]}"; do
  echo "${line_of[$name]}"
  skips+=${skips_of[$name]}
done
cpu_seconds cpu
echo "all stages: $SECONDS s, CPU $cpu s (3 lanes)"
if [ -n "$skips" ]; then
  echo "skipped, and why:"
  printf '%s' "$skips"
fi
echo "$passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
