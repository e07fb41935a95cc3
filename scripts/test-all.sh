#!/usr/bin/env bash
# Builds and runs every test: Linux (plain and with sanitizers), Windows under
# Wine, the SG_IO route against a real kernel in a QEMU guest, and the Windows
# NT route under Wine in that guest. Each stage keeps its log in build/logs/;
# the last line sums up all stages.
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
summary=()
skips=()

# A stage's counts are its last "P passed, F failed[, S skipped]" line
# (optionally after "stage: "); its "skipped: NAME: REASON" lines name what
# it skipped. A stage that ends badly without counts counts as one failure.
tally() {
  local name=$1 log=$2 status=$3 p=0 f=0 s=0 line
  while IFS= read -r line; do
    if [[ $line =~ ^([A-Za-z0-9_-]+:\ )?([0-9]+)\ passed,\ ([0-9]+)\ failed(,\ ([0-9]+)\ skipped)?$ ]]; then
      p=${BASH_REMATCH[2]}; f=${BASH_REMATCH[3]}; s=${BASH_REMATCH[5]:-0}
    elif [[ $line == skipped:\ * ]]; then
      skips+=("$name: ${line#skipped: }")
    fi
  done < "$log"
  if [ "$status" -ne 0 ] && [ "$f" -eq 0 ]; then f=1; fi
  passed=$((passed + p)); failed=$((failed + f)); skipped=$((skipped + s))
  summary+=("$(printf '%-12s %4d passed, %d failed, %d skipped (%ss)' "$name" "$p" "$f" "$s" "$4")")
}

stage() {
  local name=$1; shift
  local log=build/logs/$name.log start=$SECONDS status
  echo "=== $name"
  ( "$@" ) 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  tally "$name" "$log" "$status" $((SECONDS - start))
}

# A CTest preset, summed up from its JUnit file (skipped tests named).
ctest_preset() {
  local junit=$PWD/build/logs/$1.xml status=0
  cmake --preset "$1" >/dev/null &&
  cmake --build --preset "$1" -j2 || return
  rm -f "$junit"
  ctest --preset "$1" -j2 --output-junit "$junit" || status=$?
  python3 scripts/ctest-summary.py "$1" "$junit" || status=1
  return $status
}

stage linux ctest_preset linux
stage linux-asan ctest_preset linux-asan
stage windows scripts/test-windows.sh
stage kernel scripts/test-kernel.sh
stage wine-kernel scripts/test-wine-kernel.sh
stage release tests/release/check-release.sh
stage fuzz scripts/fuzz.sh 15

echo
echo "=== summary"
printf '%s\n' "${summary[@]}"
if [ ${#skips[@]} -gt 0 ]; then
  echo "skipped, and why:"
  printf '  %s\n' "${skips[@]}"
fi
echo "$passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
