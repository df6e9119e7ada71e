#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and the sanitizers in build-fuzz/, seeds them
# from the real recordings and the simulator, and runs each for a fixed time.
#   fuzz/run.sh [--smoke]   30 seconds per target (what CI runs)
#   fuzz/run.sh --long      30 minutes per target
#   FUZZ_SECONDS=N overrides the time; FUZZ_PARALLEL=N targets at once (default 2).
# A finding is left in build-fuzz/findings/<target>/; the run then fails. Copy the
# input into fuzz/regressions/<target>/ with the fix, where the test suite replays it.
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:---smoke}" in
  --smoke) seconds=30 ;;
  --long) seconds=1800 ;;
  *) echo "usage: fuzz/run.sh [--smoke|--long]" >&2; exit 2 ;;
esac
seconds=${FUZZ_SECONDS:-$seconds}
parallel=${FUZZ_PARALLEL:-2}

# The fuzzer runtime comes with clang's runtime libraries; only this script needs them.
tools/install-deps.sh clang libclang-rt-dev time

dir=build-fuzz
targets=(pipeline sentence continue_route settings_file)
cmake -S . -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKESTRAVE_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
ninja -C "$dir" kestrave "${targets[@]/#/fuzz_}"

fuzz/make-corpus.sh "$dir/kestrave" "$dir/seeds"

# Longest input per target: a sentence is at most 128 bytes on the wire, a route
# continuation reads only the file's end, a settings file is small.
max_len() {
  case $1 in
    pipeline) echo 16384 ;;
    sentence) echo 256 ;;
    continue_route) echo 2048 ;;
    settings_file) echo 4096 ;;
  esac
}

run_target() {
  local target=$1
  local corpus=$dir/corpus/$target findings=$dir/findings/$target
  mkdir -p "$corpus" "$findings" "$dir/logs"
  # The working corpus grows across runs; the fresh seeds join it each time.
  /usr/bin/time -f '%U %S' -o "$dir/logs/$target.time" \
    "$dir/fuzz_$target" -max_total_time="$seconds" -max_len="$(max_len "$target")" -timeout=25 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "$dir/seeds/$target" \
    >"$dir/logs/$target.log" 2>&1
}

rm -rf "$dir/findings"
status=0
failed_targets=0
pids=()
names=()
for target in "${targets[@]}"; do
  run_target "$target" &
  pids+=($!)
  names+=("$target")
  if [ ${#pids[@]} -ge "$parallel" ]; then
    wait "${pids[0]}" || status=1
    pids=("${pids[@]:1}")
  fi
done
for pid in "${pids[@]}"; do wait "$pid" || status=1; done

printf '%-16s %14s %10s %8s %s\n' target executions cpu-s corpus findings
total_cpu=0
for target in "${targets[@]}"; do
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/logs/$target.log")
  cpu=$(awk '{ printf "%.0f", $1 + $2 }' "$dir/logs/$target.time" 2>/dev/null || echo 0)
  total_cpu=$((total_cpu + cpu))
  found=$(find "$dir/findings/$target" -type f | wc -l)
  printf '%-16s %14s %10s %8s %s\n' "$target" "${execs:-?}" "$cpu" "$(find "$dir/corpus/$target" -type f | wc -l)" "$found"
  if [ "$found" -gt 0 ]; then
    status=1
    failed_targets=$((failed_targets + 1))
    echo "  $target failed: see $dir/logs/$target.log and $dir/findings/$target/" >&2
  fi
done
echo "total CPU time: ${total_cpu} s"
[ $status -ne 0 ] && [ $failed_targets -eq 0 ] && failed_targets=${#targets[@]}
echo "fuzz: $((${#targets[@]} - failed_targets)) passed, $failed_targets failed"
exit $status
