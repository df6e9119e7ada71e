#!/usr/bin/env bash
# Kills the live logger again and again while a made-up receiver drives across a local
# midnight, then checks that the day files hold only whole, well-formed lines, none twice,
# with the waypoint numbers running on across every restart. Then starts two replays and
# two loggers on one folder at once and checks the same.
#   tools/soak.sh                 200 kills (about eleven minutes)
#   tools/soak.sh --kills N       another number of kills
# Needs a built kestrave in build/ (tools/test.sh makes it).
set -euo pipefail
cd "$(dirname "$0")/.."

kills=200
if [ "${1:-}" = "--kills" ]; then kills=$2; fi
kestrave=$PWD/build/kestrave
[ -x "$kestrave" ] || { echo "soak: build kestrave first (tools/test.sh)" >&2; exit 2; }

work=$(mktemp -d /tmp/kestrave-soak-XXXXXX)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
# The drive starts at 21:45 UTC, sent at fifteen times real time, and a logger lives
# 3.25 s on average: a zone is chosen whose local midnight comes a third of the way in.
speedup=15
ahead=$((135 - kills * 13 * speedup / 4 / 60 / 3))
export TZ="SOAK-$((ahead / 60)):$(printf %02d $((ahead % 60)))" LC_ALL=C

# Checks the day files of a folder; prints counts, returns 1 on any fault. With "shared",
# two writers filled the folder: lines may come twice and numbers repeat.
check_folder() {
  local file
  for file in "$1"/*.plt "$1"/*.rte; do
    if [ "$(tail -c 2 "$file" | od -An -c | tr -d ' ')" != '\r\n' ]; then
      echo "cut last line in $file"; return 1
    fi
  done
  awk -v folder="$1" -v shared="${2:-}" '
    BEGIN {
      d2 = "[0-9][0-9]"; d8 = d2 d2 d2 d2
      point = "^-?[0-9]+\\." d8 ", *-?[0-9]+\\." d8 ",0, *-?[0-9]+\\.[0-9][0-9], [0-9]+\\." d8 ", " \
              d2 "\\." d2 "\\." d2 ", " d2 ":" d2 ":" d2 "$"
      waypoint = "^W,1, *[0-9]+, *[0-9]+,R[A-Z][A-Z][0-9][0-9][0-9],-?[0-9]+\\." d8 ",-?[0-9]+\\." d8 \
                 ",[0-9]+\\." d8 ",0,1,3,0,65535,,0,0, $"
    }
    function fault(text) { if (++faults <= 10) print text; bad = 1 }
    FNR == 1 { file = FILENAME; number = 0; track = file ~ /\.plt$/ }
    {
      if ($0 !~ /\r$/) fault("line without CR LF in " file ": " $0)
      line = $0; sub(/\r$/, "", line)
      if (track && FNR > 6) {
        if (line !~ point) fault("malformed track line in " file ": " line)
        if (seen[file, line]++ && !shared) fault("track line twice in " file ": " line)
        points++
      } else if (!track && line ~ /^W,/) {
        if (line !~ waypoint) fault("malformed waypoint in " file ": " line)
        split(line, field, ",")
        n = field[3] + 0
        if (seen[file, field[8]]++ && !shared) fault("waypoint time twice in " file ": " line)
        if (n == 1 && number > 0) restarts++
        else if (n != number + 1 && !shared) fault("waypoint " n " after " number " in " file)
        number = n; waypoints++
      } else if (!track && FNR > 6) {
        fault("unexpected route line in " file ": " line)
      }
    }
    END {
      printf "%s: %d track points, %d waypoints, %d numbering restarts\n", folder, points, waypoints, restarts
      exit bad
    }' "$1"/*.plt "$1"/*.rte
}

# A live receiver on a pseudo-terminal; prints its tty path first.
"$kestrave" simulate --pty --speed-up "$speedup" --minutes 900 --out "$work/sent.nmea" >"$work/sim.out" &
for _ in $(seq 50); do grep -q 'Receiver on' "$work/sim.out" 2>/dev/null && break; sleep 0.1; done
tty=$(sed -n 's/^Receiver on \([^ ]*\) .*/\1/p' "$work/sim.out")
[ -n "$tty" ] || { echo "soak: the made-up receiver did not start" >&2; exit 1; }

echo "soak: $kills kills of kestrave log on $tty, in the zone $TZ"
started=$SECONDS
for i in $(seq "$kills"); do
  "$kestrave" log --device "$tty" --out "$work/days" --config "$work/config" >>"$work/log.out" 2>&1 &
  pid=$!
  # Between 0.5 and 6 s: sometimes before the first tick, sometimes in the middle of a flush.
  sleep "$(awk -v r=$RANDOM 'BEGIN { printf "%.2f", 0.5 + r % 551 / 100 }')"
  kill -9 "$pid"
  wait "$pid" 2>/dev/null || true
done
echo "soak: $kills kills in $((SECONDS - started)) s; days: $(cd "$work/days" && ls | tr '\n' ' ')"
check_folder "$work/days"

# Two replays and two loggers on one folder at once.
for i in 1 2; do "$kestrave" replay examples/drive.nmea --out "$work/replays" --config "$work/c$i" >"$work/replay$i.out" 2>&1 & done
wait_codes=0
for job in $(jobs -p | tail -2); do wait "$job" || wait_codes=$?; done
echo "soak: two replays on one folder: exit codes $wait_codes"
check_folder "$work/replays" shared
single=$(mktemp -d "$work/single-XXXX")
"$kestrave" replay examples/drive.nmea --out "$single" --config "$work/c3" >/dev/null
for f in "$single"/*.plt; do
  name=$(basename "$f")
  # Every point of the day is there; a replay leaves out what the file held when it first
  # looked, so a point comes once or, written by both after their looks, twice; and
  # nothing else is there.
  if [ "$(tail -n +7 "$work/replays/$name" | sort | uniq -c | awk '$1 < 1 || $1 > 2' | wc -l)" != 0 ] ||
    [ "$(tail -n +7 "$work/replays/$name" | sort -u)" != "$(tail -n +7 "$f" | sort -u)" ]; then
    echo "soak: two replays on one folder did not leave every line of $name once or twice" >&2; exit 1
  fi
done

"$kestrave" log --device "$tty" --out "$work/loggers" --config "$work/c4" >"$work/logger1.out" 2>&1 &
first=$!
sleep 0.5
set +e
"$kestrave" log --device "$tty" --out "$work/loggers" --config "$work/c5" >"$work/logger2.out" 2>&1
second=$?
set -e
sleep 3
kill -TERM "$first"; wait "$first" || true
echo "soak: a second logger on the folder: exit code $second: $(head -1 "$work/logger2.out")"
[ "$second" != 0 ] || { echo "soak: the second logger was not refused" >&2; exit 1; }
check_folder "$work/loggers"
echo "soak: passed"
