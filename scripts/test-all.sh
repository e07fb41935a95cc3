#!/usr/bin/env bash
# Builds and runs every test: Linux (plain and with sanitizers), Windows under
# Wine, and the SG_IO route against a real kernel in a QEMU guest. Each stage
# keeps its log in build/logs/; the last line sums up all stages.
set -uo pipefail
cd "$(dirname "$0")/.."
mkdir -p build/logs

scripts/install-deps.sh || { echo "install-deps failed"; echo "0 passed, 1 failed"; exit 1; }

passed=0
failed=0
summary=()

# Counts from ctest ("N% tests passed, F tests failed out of T") or from a
# plain "P passed, F failed" line; a stage that ends badly without counts
# counts as one failure.
tally() {
  local name=$1 log=$2 status=$3 p=0 f=0 line
  while IFS= read -r line; do
    if [[ $line =~ tests\ passed,\ ([0-9]+)\ tests?\ failed\ out\ of\ ([0-9]+) ]]; then
      f=$((f + BASH_REMATCH[1])); p=$((p + BASH_REMATCH[2] - BASH_REMATCH[1]))
    elif [[ $line =~ ^([A-Za-z-]+:\ )?([0-9]+)\ passed,\ ([0-9]+)\ failed ]]; then
      p=$((p + BASH_REMATCH[2])); f=$((f + BASH_REMATCH[3]))
    fi
  done < "$log"
  if [ "$status" -ne 0 ] && [ "$f" -eq 0 ]; then f=1; fi
  passed=$((passed + p)); failed=$((failed + f))
  summary+=("$(printf '%-12s %4d passed, %d failed (%ss)' "$name" "$p" "$f" "$4")")
}

stage() {
  local name=$1; shift
  local log=build/logs/$name.log start=$SECONDS status
  echo "=== $name"
  ( "$@" ) 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  tally "$name" "$log" "$status" $((SECONDS - start))
}

ctest_preset() {
  cmake --preset "$1" >/dev/null &&
  cmake --build --preset "$1" -j2 &&
  ctest --preset "$1" -j2
}

stage linux ctest_preset linux
stage linux-asan ctest_preset linux-asan
[ -x scripts/test-win32.sh ] && stage windows scripts/test-win32.sh
[ -x scripts/test-kernel.sh ] && stage kernel scripts/test-kernel.sh
stage release tests/release/check-release.sh
stage fuzz scripts/fuzz.sh 15

echo
echo "=== summary"
printf '%s\n' "${summary[@]}"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
