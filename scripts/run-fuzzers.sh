#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a bounded time each, starting
# from its committed seed corpus (fuzz/corpus/<target>/) and growing a
# working corpus in the build folder. Fails on the first finding; the input
# that caused it is left in BUILD/fuzz-findings/.
#
#   scripts/run-fuzzers.sh BUILD [SECONDS_EACH] [TARGET...]
#
# Prints one line per target: executions, corpus size, findings.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
seconds=${2:-45}
shift $(( $# >= 2 ? 2 : 1 ))
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for exe in "$build"/fuzz/fuzz_*; do targets+=("$(basename "$exe" | sed 's/^fuzz_//')"); done
fi
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp" QT_QPA_PLATFORM=offscreen
findings="$build/fuzz-findings"
mkdir -p "$findings"
status=0
for target in "${targets[@]}"; do
  exe="$build/fuzz/fuzz_$target"
  work="$build/fuzz-corpus/$target"
  mkdir -p "$work"
  dict=()
  [ -f "fuzz/$target.dict" ] && dict=(-dict="fuzz/$target.dict")
  log="$build/fuzz-$target.log"
  if "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="$findings/$target-" "${dict[@]}" "$work" "fuzz/corpus/$target" >"$log" 2>&1; then
    result=ok
  else
    result=FINDING
    status=1
    tail -40 "$log" >&2
  fi
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
  echo "fuzz $target: $result, $runs executions in ${seconds} s, corpus $(ls "$work" | wc -l) inputs"
done
exit $status
