#!/usr/bin/env bash
# Kills the live logger again and again while a made-up receiver drives across a local
# midnight, then checks that the day files hold only whole, well-formed lines, none twice,
# with the waypoint numbers running on across every restart. Then kills replays of the
# example as often, each into the folder the last left, and checks that the one that ends
# leaves the track of a single whole replay. Then starts two replays and two loggers on one
# folder at once and checks the same. After every kill each GPX file must pass the schema,
# and at the end each day's GPX holds the points of its track file, at the same times.
#   tools/soak.sh                 200 kills of each (about thirteen minutes)
#   tools/soak.sh --kills N       another number of kills
# Needs a built kestrave in build/ (tools/test.sh makes it) and xmllint (tools/install-deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

kills=200
if [ "${1:-}" = "--kills" ]; then kills=$2; fi
kestrave=$PWD/build/kestrave
[ -x "$kestrave" ] || { echo "soak: build kestrave first (tools/test.sh)" >&2; exit 2; }
schema=$(realpath -e ../shared/schema/gpx/gpx11-tpx2.xsd 2>/dev/null) &&
  command -v xmllint >/dev/null || { echo "soak: needs xmllint and ../shared/schema (tools/install-deps.sh)" >&2; exit 2; }

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

# Every GPX file of a folder against the schema, as a mapping tool would open it at this
# instant. A failing file is kept for a look and counted; the soak goes on. A kill can
# stop a write between two pages (the kernel looks for it there): a GPX torn at a page
# boundary right after a kill is counted apart (lenient), and the next run's first flush
# must cut it back to its last whole point, which the strict checks after whole runs see.
gpx_checked=0 gpx_matched=0 gpx_failures=0 gpx_torn=0
validate_gpx() {
  local file
  for file in "$1"/*.gpx; do
    [ -e "$file" ] || continue
    gpx_checked=$((gpx_checked + 1))
    if ! xmllint --noout --schema "$schema" "$file" >"$work/xmllint.out" 2>&1; then
      if [ "${3:-}" = lenient ] && [ $(($(stat -c %s "$file") % 4096)) = 0 ]; then
        gpx_torn=$((gpx_torn + 1))
        continue
      fi
      gpx_failures=$((gpx_failures + 1))
      kept=$(mktemp /tmp/kestrave-soak-invalid-XXXXXX.gpx)
      cp "$file" "$kept"
      echo "soak: $file is not valid GPX $2 (kept as $kept):"
      grep -v 'fails to validate$' "$work/xmllint.out" | head -3
    fi
  done
}

# Each day's GPX holds the points of its track file, in order, at the same whole seconds.
gpx_matches_track() {
  local track gpx
  for track in "$1"/*.plt; do
    gpx=${track%.plt}.gpx
    tail -n +7 "$track" | tr -d '\r' | awk -F', *' '{ print $6 ", " $7 }' >"$work/track.times"
    grep -o '<time>[^<]*' "$gpx" 2>/dev/null |
      sed -E 's/^<time>20(..)-(..)-(..)T(..:..:..)(\.[0-9]+)?Z$/\3.\2.\1, \4/' >"$work/gpx.times" || true
    if cmp -s "$work/track.times" "$work/gpx.times"; then
      gpx_matched=$((gpx_matched + 1))
    else
      gpx_failures=$((gpx_failures + 1))
      echo "soak: the points of $gpx are not those of its track file:"
      diff "$work/track.times" "$work/gpx.times" | head -4 || true
    fi
  done
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
  validate_gpx "$work/days" "after kill $i of the logger" lenient
done
# A run stopped cleanly mends what the last kill tore.
"$kestrave" log --device "$tty" --out "$work/days" --config "$work/config" >>"$work/log.out" 2>&1 &
pid=$!
sleep 4
kill -TERM "$pid"
wait "$pid" 2>/dev/null || true
validate_gpx "$work/days" "after a clean run of the logger"
echo "soak: $kills kills in $((SECONDS - started)) s; days: $(cd "$work/days" && ls | tr '\n' ' ')"
check_folder "$work/days"
gpx_matches_track "$work/days"

single=$(mktemp -d "$work/single-XXXX")
took=$(date +%s%N)
"$kestrave" replay examples/drive.nmea --out "$single" --config "$work/c3" >/dev/null
took=$((($(date +%s%N) - took) / 1000000))
validate_gpx "$single" "after a whole replay"

# A replay is over in a few hundredths of a second, and sooner where kills left it less to
# write: the kills fall at random within three quarters of the time the whole one took, so
# that most fall while it writes, some before its first write or after its end. A replay that ended must have left the track of one
# whole replay; the next starts on an empty folder.
started=$SECONDS
replay_kills=0 replays_whole=0
killed=$work/killed-0
for i in $(seq "$kills"); do
  "$kestrave" replay examples/drive.nmea --out "$killed" --config "$work/c6" >>"$work/killed.out" 2>&1 &
  pid=$!
  sleep "$(awk -v r=$RANDOM -v took="$took" 'BEGIN { printf "%.3f", r % (took * 3 / 4 + 1) / 1000 }')"
  kill -9 "$pid" 2>/dev/null || true
  code=0
  wait "$pid" 2>/dev/null || code=$?
  if [ "$code" = 137 ]; then
    validate_gpx "$killed" "after kill $i of a replay" lenient
    replay_kills=$((replay_kills + 1))
    continue
  fi
  [ "$code" = 0 ] || { echo "soak: a replay failed with exit code $code:" >&2; tail -3 "$work/killed.out" >&2; exit 1; }
  validate_gpx "$killed" "after a replay that ended"
  check_folder "$killed" >/dev/null || { check_folder "$killed"; exit 1; }
  for f in "$single"/*.plt; do
    cmp -s "$f" "$killed/$(basename "$f")" ||
      { echo "soak: killed replays did not leave the track of one whole replay in $killed" >&2; exit 1; }
  done
  gpx_matches_track "$killed"
  replays_whole=$((replays_whole + 1))
  killed=$work/killed-$i
done
echo "soak: $replay_kills kills of kestrave replay in $((SECONDS - started)) s; $replays_whole replays ended on" \
  "folders that earlier kills left"

# Two replays and two loggers on one folder at once.
for i in 1 2; do "$kestrave" replay examples/drive.nmea --out "$work/replays" --config "$work/c$i" >"$work/replay$i.out" 2>&1 & done
wait_codes=0
for job in $(jobs -p | tail -2); do wait "$job" || wait_codes=$?; done
echo "soak: two replays on one folder: exit codes $wait_codes"
check_folder "$work/replays" shared
validate_gpx "$work/replays" "after two replays on one folder"
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
validate_gpx "$work/loggers" "after two loggers on one folder"
gpx_matches_track "$work/loggers"
echo "soak: $gpx_checked checks of GPX files against the schema, $gpx_torn torn at a page boundary by a kill" \
  "(mended by the next run), $gpx_matched GPX files held the points of their track files; $gpx_failures GPX failures"
[ "$gpx_failures" = 0 ] || exit 1
echo "soak: passed"
