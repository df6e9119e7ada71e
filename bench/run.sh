#!/usr/bin/env bash
# The benchmarks of the replay; their own command, not part of the tests.
#
#   bench/run.sh              a 24-hour recording (about 35 MB at 1 Hz), 7 rounds: the replay
#                             against GPSBabel and against a plain byte scan, medians, MB/s
#                             and ratios; then the per-epoch micro-benchmark
#   bench/run.sh --quick      the same with a 1-hour recording and 3 rounds: a smoke test
#   bench/run.sh --callgrind  instructions per epoch under valgrind, and what dominates them
#   bench/run.sh --exactness  the fast number routines against snprintf and strtod, over
#                             tens of millions of values (the test run checks a sample)
#   bench/run.sh [--quick] --compare OTHER_KESTRAVE
#                             also times another build of kestrave in the same rounds,
#                             for a before-and-after table
#
# Everything is built with Release flags in build-bench/. The byte scan reads the file with
# read() in 64 KiB chunks, as the replay's file reads do, and adds up every byte: the floor
# that no reader of the file can beat. A second scan reads 1 KiB at a time, one system
# call per replay chunk, which is what the replay did before it read ahead. Each round
# runs every contender once, in a rotating order, so that a slow moment of the machine
# does not fall on one of them only. The replay is also timed with its GPX file and
# without (--no-gpx), both writing to a tmpfs, so that the disk weighs on neither: what
# the GPX file costs the replay.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=full
other=""
while [ $# -gt 0 ]; do
  case "$1" in
    --quick) mode=quick ;;
    --callgrind) mode=callgrind ;;
    --exactness) mode=exactness ;;
    --compare)
      other=$(realpath "${2:-}" 2>/dev/null || true)
      if [ -z "${2:-}" ] || [ ! -x "$other" ]; then
        echo "bench/run.sh: --compare needs the path of another kestrave binary." >&2
        exit 2
      fi
      shift ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "bench/run.sh: unknown option '$1'; see bench/run.sh --help." >&2; exit 2 ;;
  esac
  shift
done

tools/install-deps.sh --bench

dir=build-bench
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRAVE_BENCH=ON >/dev/null
targets=(kestrave kestrave_bytescan kestrave_epoch_bench)
[ "$mode" = exactness ] && targets+=(kestrave_tests)
ninja -C "$dir" "${targets[@]}" >"$dir/ninja.log" || { cat "$dir/ninja.log" >&2; exit 1; }

if [ "$mode" = exactness ]; then
  echo "Fast number routines against the C library, 20 million values per test:"
  KESTRAVE_EXACTNESS_SAMPLES=20000000 "$dir/kestrave_tests" --gtest_filter='*Exactness*'
  exit 0
fi

# Instructions counted by callgrind only inside SentenceAssembler::Feed, which is where
# every epoch's work happens; two passes over the simulated hour.
if [ "$mode" = callgrind ]; then
  epochs=7200
  out=$(mktemp -d "$dir/callgrind.XXXXXX")
  trap 'rm -rf "$out"' EXIT
  valgrind --tool=callgrind --callgrind-out-file="$out/epochs.out" --toggle-collect='SentenceAssembler::Feed*' \
    "$dir/bench/kestrave_epoch_bench" --epochs "$epochs" >"$out/stdout" 2>"$out/stderr"
  total=$(sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$out/stderr")
  cat "$out/stdout"
  awk -v total="$total" -v epochs="$epochs" \
    'BEGIN { printf "Instructions per epoch: %.0f (callgrind, %d epochs of the simulated drive)\n\n", total / epochs, epochs }'
  echo "Where they go (own instructions per epoch, by function):"
  callgrind_annotate --inclusive=no "$out/epochs.out" 2>/dev/null |
    awk -v epochs="$epochs" '/^ *[0-9,]+ +\(/ && !/PROGRAM TOTALS/ {
      n = $1; gsub(",", "", n); $1 = ""; $2 = "";
      sub(/^ +/, ""); sub(/ \[.*$/, ""); sub(/^.*:/, "");
      if (n / epochs >= 20) printf "%8.0f  %s\n", n / epochs, $0 }' | head -25
  echo
  echo "By concern:"
  callgrind_annotate --inclusive=no "$out/epochs.out" 2>/dev/null |
    awk -v epochs="$epochs" '/^ *[0-9,]+ +\(/ && !/PROGRAM TOTALS/ {
      n = $1; gsub(",", "", n);
      c = "other (pairing, jump filter, pacing, route selection, day files)";
      if ($0 ~ /SentenceAssembler/) c = "cutting sentences (assembler)";
      else if ($0 ~ /Checksum/) c = "checksums";
      else if ($0 ~ /ParseDecimal|ReadInt|ReadWidthInt|ReadDegrees|ReadUtcTime|strto/) c = "number conversion (reading fields)";
      else if ($0 ~ /FindComma|HasPrefix|SkipBytes|ParseRmc|ParseGga/) c = "walking the fields";
      else if ($0 ~ /FormatFixed|FormatInteger|BoundedText|printf|FixStatusText|TrackWriter|RouteWriter|mem(cpy|move)/) c = "formatting (status text, track and route lines)";
      else if ($0 ~ /ToLocalTime|ToOleDate|Calendar|SystemTime|FileTime|Zone/) c = "local time and date stamps";
      sum[c] += n } END { for (c in sum) printf "%8.0f  %s\n", sum[c] / epochs, c }' | sort -rn
  exit 0
fi

if [ "$mode" = quick ]; then minutes=60; rounds=3; else minutes=1440; rounds=7; fi

# The recording is made once and kept until the program changes.
data="$dir/bench-data"
mkdir -p "$data"
recording="$data/drive-${minutes}min.nmea"
if [ ! -s "$recording" ] || [ "$dir/kestrave" -nt "$recording" ]; then
  echo "Making a ${minutes}-minute recording with kestrave simulate..."
  "$dir/kestrave" simulate --out "$recording" --seed 1 --minutes "$minutes" >/dev/null
fi
bytes=$(stat -c %s "$recording")

# Outputs go to the same disk as the recording, but for the GPX figures.
work=$(mktemp -d "$dir/bench-run.XXXXXX")
shm=$(mktemp -d /dev/shm/kestrave-bench.XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$work" "$shm"' EXIT

# Runs a command with its output thrown away and prints its wall-clock seconds.
timed() {
  local start end
  start=$(date +%s%N)
  if ! "$@" >"$work/last.out" 2>&1; then
    echo "bench/run.sh: this failed: $*" >&2
    cat "$work/last.out" >&2
    exit 1
  fi
  end=$(date +%s%N)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.4f\n", ns / 1e9 }'
}

# replay KESTRAVE FOLDER [OPTION...]: a replay into an empty FOLDER/days.
replay() {
  local program=$1 folder=$2
  shift 2
  rm -rf "$folder/days" && mkdir "$folder/days"
  timed "$program" replay "$recording" --out "$folder/days" --root "$folder" --config "$folder/config" "$@"
}

run() {
  case "$1" in
    kestrave) replay "$dir/kestrave" "$work" ;;
    other) replay "$other" "$work" ;;
    gpx) replay "$dir/kestrave" "$shm" ;;
    nogpx) replay "$dir/kestrave" "$shm" --no-gpx ;;
    gpsbabel)
      rm -f "$work/gpsbabel.plt"
      timed gpsbabel -i nmea -f "$recording" -o ozi -F "$work/gpsbabel.plt" ;;
    bytescan)
      timed "$dir/bench/kestrave_bytescan" "$recording" ;;
    bytescan1k)
      timed "$dir/bench/kestrave_bytescan" "$recording" 1024 ;;
  esac
}

contenders=(kestrave gpsbabel bytescan bytescan1k gpx nogpx)
[ -n "$other" ] && contenders+=(other)
n=${#contenders[@]}
echo "Recording: $recording, $bytes bytes; $rounds rounds"
for ((round = 0; round < rounds; round++)); do
  for ((i = 0; i < n; i++)); do
    c=${contenders[$(((round + i) % n))]}
    run "$c" >>"$work/$c.times"
  done
  printf '.'
done
echo

median() { sort -g "$1" | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
k=$(median "$work/kestrave.times")
g=$(median "$work/gpsbabel.times")
s=$(median "$work/bytescan.times")
s1=$(median "$work/bytescan1k.times")
o=$([ -n "$other" ] && median "$work/other.times" || echo 0)
x=$(median "$work/gpx.times")
n0=$(median "$work/nogpx.times")

echo
awk -v bytes="$bytes" -v k="$k" -v g="$g" -v s="$s" -v s1="$s1" -v o="$o" -v x="$x" -v n0="$n0" -v other="$other" \
  -v rounds="$rounds" -v mode="$mode" 'BEGIN {
  mb = bytes / 1e6
  printf "Medians of %d runs, %.1f MB (1 MB = 10^6 bytes):\n\n", rounds, mb
  printf "| contender | median time | MB/s | ratio |\n"
  printf "|---|---|---|---|\n"
  printf "| kestrave replay --out DIR | %.3f s | %.1f | 1 |\n", k, mb / k
  printf "| gpsbabel -i nmea -o ozi | %.3f s | %.1f | Kestrave %.1fx faster |\n", g, mb / g, g / k
  printf "| byte scan (read 64 KiB, sum) | %.3f s | %.1f | Kestrave takes %.2fx its time |\n", s, mb / s, k / s
  printf "| byte scan (read 1 KiB, sum) | %.3f s | %.1f | Kestrave takes %.2fx its time |\n", s1, mb / s1, k / s1
  if (o > 0) printf "| %s | %.3f s | %.1f | %.2fx the time of this build; GPSBabel %.1fx, scan %.2fx |\n", other, o, mb / o, o / k, g / o, o / s
  printf "| kestrave replay, to tmpfs | %.3f s | %.1f | |\n", x, mb / x
  printf "| kestrave replay --no-gpx, to tmpfs | %.3f s | %.1f | with GPX %.2fx its time |\n", n0, mb / n0, x / n0
  # An hour of recording is over in a few hundredths of a second, mostly process start:
  # the goals are for the day-long recording.
  if (mode == "quick") { printf "\nA smoke run: the goals are judged on the 24-hour recording (bench/run.sh).\n"; exit }
  printf "\nGoal, at least 40x faster than GPSBabel: %.1fx, %s\n", g / k, (g / k >= 40) ? "met" : "MISSED"
  printf "Goal, within 5x of the byte scan:        %.2fx, %s\n", k / s, (k / s <= 5) ? "met" : "MISSED"
  printf "Goal, GPX at most 1.3x --no-gpx:         %.2fx, %s\n", x / n0, (x / n0 <= 1.3) ? "met" : "MISSED"
}'

echo
echo "Micro-benchmark, one epoch (RMC, GGA, GSA, 3 GSV) from bytes to the day files:"
if [ "$mode" = quick ]; then
  bench_args=(--benchmark_repetitions=3 --benchmark_min_time=0.05)
else
  bench_args=(--benchmark_repetitions=5)
fi
"$dir/bench/kestrave_epoch_bench" "${bench_args[@]}" --benchmark_report_aggregates_only=true 2>&1 | grep -E 'Benchmark|---|median'
