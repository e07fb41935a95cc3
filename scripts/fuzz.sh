#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz preset: clang, ASan, UBSan) and runs
# each for SECONDS (default 60) from its checked-in seed corpus, printing
# executions and coverage. A crash leaves its input in build/fuzz/crashes/
# and fails the run: fix it, then add the input to tests/fuzz/corpus/.
#   scripts/fuzz.sh [SECONDS]
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
seconds=${1:-60}
scripts/install-deps.sh linux fuzz || exit 1
cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j2 --target fuzz_all >/dev/null || {
  echo "fuzz: building the targets failed"; echo "fuzz: 0 passed, 1 failed"; exit 1; }

work=build/fuzz/run
crashes=build/fuzz/crashes
rm -rf "$work"
mkdir -p "$work" "$crashes"
# fuzz_one NAME: one target from its seeds; its line of results in
# $work/NAME.result, its exit status in $work/NAME.status.
fuzz_one() {
  local name=$1 corpus=$work/$1 log=$work/$1.log status runs cov
  mkdir -p "$corpus"
  cp "tests/fuzz/corpus/$name/"* "$corpus/"
  build/fuzz/bin/${name}_fuzz -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$crashes/$name-" "$corpus" >"$log" 2>&1
  status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1)
  if [ "$status" -eq 0 ]; then
    printf 'fuzz %-14s %10s runs in %ss, %s, corpus %d files: no crash\n' "$name" "${runs:-?}" "$seconds" "${cov:-?}" "$(ls "$corpus" | wc -l)"
  else
    printf 'fuzz %-14s FAILED after %s runs (log %s):\n' "$name" "${runs:-?}" "$log"
    grep -E 'invariant broken|ERROR|runtime error|SUMMARY' "$log" | head -5 | sed 's/^/    /'
  fi >"$work/$name.result"
  echo "$status" >"$work/$name.status"
}

# Two targets at a time, one for each processor.
names=()
for seeds in tests/fuzz/corpus/*/; do
  names+=("$(basename "$seeds")")
  fuzz_one "${names[-1]}" &
  [ "$(jobs -rp | wc -l)" -lt 2 ] || wait -n
done
wait
passed=0
failed=0
for name in "${names[@]}"; do
  cat "$work/$name.result"
  if [ "$(cat "$work/$name.status" 2>/dev/null)" = 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
