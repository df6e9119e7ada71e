#!/usr/bin/env bash
# The Windows program end to end: kestrave.exe runs under Wine on a virtual X display,
# reads a made-up receiver through COM1 (a pseudo-terminal), and is driven from outside
# by kestrave_window_driver.exe and xdotool: folder dialog, port and speed menus, Flush,
# About, a line that goes away and comes back, "None", and Exit. At the end its day
# files must equal, byte for byte, what the Linux replay makes of the bytes sent.
#   tools/windows-e2e.sh [--build-dir DIR] [--screenshots] [--speed-up N]
# Needs DIR/kestrave.exe and DIR/kestrave_window_driver.exe (tools/build-windows.sh;
# DIR defaults to build-windows). --screenshots keeps the pictures in docs/; without it
# they go with the work folder. --speed-up: the receiver's epochs a second (default 15,
# about 6 KB a second; a tick's ten reads of 1024 bytes keep up to about 25).
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

build="build-windows"
keep_shots=0
speedup=15
while [ $# -gt 0 ]; do
  case $1 in
    --build-dir) build=$2; shift 2 ;;
    --screenshots) keep_shots=1; shift ;;
    --speed-up) speedup=$2; shift 2 ;;
    *) echo "usage: tools/windows-e2e.sh [--build-dir DIR] [--screenshots] [--speed-up N]" >&2; exit 2 ;;
  esac
done
exe=$repo/$build/kestrave.exe
driver=$repo/$build/kestrave_window_driver.exe
for file in "$exe" "$driver"; do
  [ -f "$file" ] || { echo "windows-e2e: $file is missing; build it with tools/build-windows.sh $build" >&2; exit 2; }
done
if [ ! -x build/kestrave ]; then
  cmake -S . -B build -G Ninja >/dev/null
  ninja -C build kestrave >/dev/null
fi
linux=$repo/build/kestrave

work=$(mktemp -d "${TMPDIR:-/tmp}/kestrave-win-e2e-XXXXXX")
shots=$work/shots
[ "$keep_shots" -eq 1 ] && shots=$repo/docs
mkdir -p "$shots"
mkdir -p "$work/tmp"
# Wine's server keeps its socket folder under TMPDIR: inside the work folder it goes with it.
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" TZ=Europe/Berlin LC_ALL=C \
  TMPDIR=$work/tmp
started=$(date +%s)

xvfb_pid="" sim_pid="" socat_pid="" exe_pid=""
cleanup() {
  set +e
  [ -n "$sim_pid" ] && kill -TERM "$sim_pid" 2>/dev/null && kill -CONT "$sim_pid" 2>/dev/null
  [ -n "$socat_pid" ] && kill "$socat_pid" 2>/dev/null
  wineserver -k 2>/dev/null
  [ -n "$exe_pid" ] && kill "$exe_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

count=0 failures=0
# check WHAT COMMAND...: one numbered result line; on failure the driver's last answer.
check() {
  local what=$1
  shift
  count=$((count + 1))
  if "$@"; then
    echo "ok $count - $what"
  else
    failures=$((failures + 1))
    echo "not ok $count - $what"
    [ -s "$work/driver.out" ] && sed 's/^/#   /' "$work/driver.out" | tr -d '\r'
  fi
  return 0
}
note() { echo "# $*"; }
now() { date +%s.%N; }
since() { awk -v from="$1" -v to="$(now)" 'BEGIN { printf "%.1f", to - from }'; }

# Wine's own processes keep inherited pipes open: its output goes to files, never a pipe.
win() { wine "$@" </dev/null >"$work/wine.out" 2>"$work/wine.err"; }
drive() { wine "$driver" "$@" </dev/null >"$work/driver.out" 2>"$work/driver.err"; }
said() { tr -d '\r' <"$work/driver.out"; }
has() { grep -qF -- "$1" <(said); }
lacks() { ! has "$1"; }
last_line() { said | sed '/^$/d' | tail -n 1; }

wait_for_file() {  # PATH SECONDS
  local tries=$(($2 * 10))
  while [ ! -e "$1" ] && [ "$tries" -gt 0 ]; do sleep 0.1; tries=$((tries - 1)); done
  [ -e "$1" ]
}

# An NMEA sentence with its checksum and CR LF.
nmea() {
  local body=$1 sum=0 i code
  for ((i = 0; i < ${#body}; i++)); do
    printf -v code '%d' "'${body:i:1}"
    sum=$((sum ^ code))
  done
  printf '$%s*%02X\r\n' "$body" "$sum"
}

# The receiver is held still around every open and close of the port, and the program
# given two ticks to take what is on the line: bytes that the port's close throws away,
# or that arrive before the port is set up, are in the simulator's copy but were never
# read, and the byte comparison at the end could not hold.
hold_receiver() { kill -STOP "$sim_pid"; sleep 2.5; }
release_receiver() { kill -CONT "$sim_pid"; }

# Without data the timer puts "No data" into the status box every sixth tick, and that
# could hide a message appended in the same tick: commands whose message is awaited are
# sent just after such a replacement.
after_no_data() {
  drive clear 1001 || true
  drive wait-text 1001 "No data" 10 || true
}

# COMMAND OPENED FIXED: a menu command, given while the receiver is held, that (re)opens
# COM1; once it says so the receiver goes on, and the fixes must come again.
reopen_com1() {
  drive command "$1" || true
  check "$2" drive wait-text 1001 "COM1 opening..." 10
  sleep 1.5
  release_receiver
  check "$3" drive wait-text 1001 "Lat:" 20
}

shoot() {  # NAME X Y W H: the screen cut to one window's area
  import -window root "$work/screen.png"
  convert "$work/screen.png" -crop "${4}x${5}+${2}+${3}" +repage "$shots/$1.png"
  note "screenshot $shots/$1.png (${4}x${5})"
}

# --- the virtual display, a fresh Wine prefix, the lines ---------------------------------
display=20
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=:$display
# A display taken in the meantime by another run makes this Xvfb end at once.
if ! wait_for_file "/tmp/.X11-unix/X$display" 10 || ! sleep 0.5 || ! kill -0 "$xvfb_pid" 2>/dev/null; then
  echo "windows-e2e: Xvfb :$display did not start: $(tail -n 2 "$work/xvfb.log")" >&2
  exit 1
fi

t0=$(now)
wineboot -i </dev/null >"$work/wineboot.txt" 2>&1
note "fresh Wine prefix in $(since "$t0") s"

# COM2 is a link held by socat, so the line can go away and come back under the same path.
start_socat() {
  rm -f "$work/gps" "$work/feed"
  socat "pty,link=$work/gps,raw,echo=0" "pty,link=$work/feed,raw,echo=0" >"$work/socat.log" 2>&1 &
  socat_pid=$!
  wait_for_file "$work/feed" 5
}
start_socat

"$linux" simulate --pty --speed-up "$speedup" --out "$work/sent.nmea" >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
tries=50
while ! grep -qs '^Receiver on ' "$work/sim.out" && [ "$tries" -gt 0 ]; do sleep 0.1; tries=$((tries - 1)); done
pty=$(sed -n 's/^Receiver on \([^ ]*\) .*/\1/p' "$work/sim.out")
[ -n "$pty" ] || { echo "windows-e2e: the simulator gave no line: $(cat "$work/sim.err")" >&2; exit 1; }
note "receiver on $pty at $speedup times real time; COM2 is the socat link $work/gps"

# Wine makes its COM links from this key each time the prefix starts.
win reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$pty" /f
win reg add 'HKLM\Software\Wine\Ports' /v COM2 /t REG_SZ /d "$work/gps" /f
# No port at first, so the output folder is chosen before any data arrives; a speed other
# than the one chosen later, so the saved settings show the choice.
key='HKCU\Software\Zolvet\Kestrave'
win reg add "$key" /v PortNumber /t REG_DWORD /d 4294967295 /f
win reg add "$key" /v PortSpeed /t REG_DWORD /d 9600 /f
win reg add "$key" /v OutputDir /t REG_SZ /d '\e2e-start' /f
wineserver -k || true

# Started from inside drive C:, the design's "\folder" paths land in the prefix's drive_c.
drive_c=$WINEPREFIX/drive_c
(cd "$drive_c" && exec wine "$exe" </dev/null >"$work/exe.out" 2>"$work/exe.err") &
exe_pid=$!

# --- the window ---------------------------------------------------------------------------
check "the main window KESTRAVE \"Kestrave\" appears" drive wait-window 60
drive wait-window 1 || { echo "windows-e2e: no window, nothing more to test" >&2; exit 1; }
sleep 2
drive text 1001 || true
check "with PortNumber None stored, nothing is opened" lacks "opening"

# --- output folder dialog, before any data ------------------------------------------------
dialog="Select output folder"
drive command 40007 || true
check "\"Select Output folder\" opens the folder dialog" drive wait-dialog "$dialog" 10
drive dialog-text "$dialog" 1007 || true
check "the path box starts with the stored folder \\e2e-start" test "$(last_line)" = '\e2e-start'
drive rows "$dialog" 1006 || true
check "the list shows drive C:'s folders (read from the program's memory)" has windows
drive set-text "$dialog" 1009 e2e-out || true
drive dialog-click "$dialog" 1008 || true
check "Create makes the folder C:\\e2e-out on disk" wait_for_file "$drive_c/e2e-out" 5
sleep 0.5
drive rows "$dialog" 1006 || true
row=$(said | grep -nx 'e2e-out' | cut -d: -f1 || true)
check "the new folder is a row of the list" test -n "$row"

if drive rect "$dialog"; then
  read -r dx dy dw dh < <(said)
  shoot windows-folder-dialog "$dx" "$dy" "$dw" "$dh"
fi

# Into the new folder with a real double click, make a sub-folder there, and pick it
# with a single click.
drive row-point "$dialog" 1006 $((${row:-1} - 1)) || true
read -r x y < <(said)
xdotool mousemove "$x" "$y" sleep 0.3 click --repeat 2 --delay 80 1
sleep 0.5
drive dialog-text "$dialog" 1007 || true
check "a double click enters the folder: the path box shows \\e2e-out" test "$(last_line)" = '\e2e-out'
drive set-text "$dialog" 1009 logs || true
drive dialog-click "$dialog" 1008 || true
check "Create inside it makes C:\\e2e-out\\logs" wait_for_file "$drive_c/e2e-out/logs" 5
sleep 0.5
drive rows "$dialog" 1006 || true
check "the list in the folder is \"..\" and \"logs\"" test "$(said | paste -sd,)" = "..,logs"
drive row-point "$dialog" 1006 1 || true
read -r x y < <(said)
xdotool mousemove "$x" "$y" sleep 0.3 click 1
sleep 0.5
drive dialog-text "$dialog" 1007 || true
check "a click on \"logs\" puts \\e2e-out\\logs into the path box" test "$(last_line)" = '\e2e-out\logs'
drive dialog-click "$dialog" 1010 || true
check "OK closes the dialog" drive wait-gone "$dialog" 5
win reg query "$key" /v OutputDir || true
check "OK stores OutputDir \\e2e-out\\logs at once" grep -qF '\e2e-out\logs' "$work/wine.out"
out_dir=$drive_c/e2e-out/logs
track_size() { cat "$out_dir"/*.plt 2>/dev/null | wc -c; }

# --- COM1: opening, fixes -----------------------------------------------------------------
kill -STOP "$sim_pid"
after_no_data
reopen_com1 40012 "\"COM1\" shows \"COM1 opening...\"" "a fix appears in the status box"
check "the port opened without an error" lacks "error"
utc=$(said | sed -n 's/^UTC: *[0-9.]* \([0-9][0-9]\):.*/\1/p')
local_hour=$(said | sed -n 's/^Local: *[0-9.]* \([0-9][0-9]\):.*/\1/p')
check "Local is UTC+1 h under TZ=Europe/Berlin in January (UTC $utc, local $local_hour)" \
  test "$(((10#${local_hour:-99} - 10#${utc:-0} + 24) % 24))" -eq 1
sleep 2
mx=0 my=0 mw=200 mh=200
drive rect Kestrave && read -r mx my mw mh < <(said)
shoot windows-main "$mx" "$my" "$mw" "$mh"

# The serial path's pace: what the receiver sends in ten one-second ticks.
s0=$(stat -c %s "$work/sent.nmea")
l0=$(wc -l <"$work/sent.nmea")
sleep 10
s1=$(stat -c %s "$work/sent.nmea")
l1=$(wc -l <"$work/sent.nmea")
per_tick=$(((s1 - s0) / 10))
note "serial: $per_tick bytes and $(((l1 - l0) / 10)) sentences per one-second tick at $speedup epochs a second"
check "a tick's ten reads of 1024 bytes keep up with the line ($per_tick bytes per tick)" test "$per_tick" -lt 10240 -a "$per_tick" -gt 0

# --- keyboard: the Tools menu and About -----------------------------------------------------
# No window manager: the focus follows the pointer.
# A busy machine may lose a key between the menu's opening and its first paint: the keys
# are tried again, slower, after closing whatever opened.
menus=0
for pause in 0.5 1 2; do
  xdotool mousemove $((mx + mw / 2)) $((my + mh / 2))
  sleep 0.3
  xdotool key F10 sleep $pause key Down sleep $pause key --delay 250 Down Down Down Down sleep $pause key Right
  sleep 1
  menus=0
  drive rect-menus && read -r menus ux uy uw uh < <(said)
  [ "$menus" -eq 2 ] && break
  xdotool key Escape sleep 0.3 key Escape sleep 0.3 key Escape
  sleep 1
done
check "F10 and the arrow keys open Tools and \"Select input port\" ($menus menus open)" test "$menus" -eq 2
[ "$menus" -gt 0 ] && shoot windows-tools-menu "$ux" "$uy" "$uw" "$uh"
xdotool key Escape sleep 0.2 key Escape sleep 0.2 key Escape
sleep 0.3
xdotool key F10 sleep 0.3 key Down sleep 0.3 key Return
check "F10, Down, Enter opens \"About Kestrave\"" drive wait-dialog "About Kestrave" 5
xdotool key Return
check "Enter closes the About box" drive wait-gone "About Kestrave" 5
xdotool mousemove $((mx + mw / 2)) $((my + mh / 2)) sleep 0.3 key ctrl+a
check "Ctrl+A opens the About box too" drive wait-dialog "About Kestrave" 5
drive dialog-click "About Kestrave" 1 || true
drive wait-gone "About Kestrave" 5 || true

# --- the speed again, then Flush ------------------------------------------------------------
hold_receiver
reopen_com1 40027 "\"4800\" closes the port and the next tick reopens it" \
  "after the speed change the fixes come again"
sleep 3
before=$(find "$out_dir" -type f -printf '%f:%s ' | sort)
track_before=$(track_size)
drive click 1003 || true
sleep 2
after=$(find "$out_dir" -type f -printf '%f:%s ' | sort)
note "day files before Flush: ${before:-none}; after: $after"
flushed() { [ "$(track_size)" -gt "$track_before" ] && compgen -G "$out_dir/*.rte" >/dev/null; }
check "Flush writes the buffered track points into \\e2e-out\\logs" flushed

# --- COM2: the line goes away and comes back ------------------------------------------------
hold_receiver
after_no_data
drive command 40013 || true
check "\"COM2\" shows \"COM2 opening...\"" drive wait-text 1001 "COM2 opening..." 10
sleep 2
drive text 1001 || true
check "COM2, the socat link, opens without an error" lacks "error"
nmea 'GPRMC,120000.00,V,,,,,,,140126,,,N' >"$work/feed"
sleep 0.5
nmea 'GPRMC,120001.00,V,,,,,,,140126,,,N' >"$work/feed"
check "sentences written into the link arrive (\"No fix\")" drive wait-text 1001 "No fix" 5
kill "$socat_pid"
wait "$socat_pid" 2>/dev/null || true
socat_pid=""
drive watch 1001 8 || true
cp "$work/driver.out" "$work/gone.txt"
if grep -qF "COM-port read error!" "$work/gone.txt"; then
  note "serial: the line going away gave \"COM-port read error!\""
else
  note "serial: the line going away gave no read error: Wine reports a hung-up pty as an empty read"
fi
check "the line going away: \"COM-port read error!\", or \"No data\" where the system reports nothing" \
  grep -qE "COM-port read error!|No data" "$work/gone.txt"
start_socat
nmea 'GPRMC,120010.00,V,,,,,,,140126,,,N' >"$work/feed"
sleep 3
drive text 1001 || true
if has "12:00:10"; then
  note "serial: the program took up the line by itself when it came back"
else
  note "serial: the line back under the same path is not read until the port is chosen again (last: $(last_line))"
fi
after_no_data
drive command 40013 || true
# The sentence left waiting on the new line may be shown in the very tick that opens it.
check "choosing COM2 again opens the line that came back" drive wait-text 1001 "COM2 opening...|No fix" 10
sleep 1.5
nmea 'GPRMC,120020.00,V,,,,,,,140126,,,N' >"$work/feed"
sleep 0.5
nmea 'GPRMC,120021.00,V,,,,,,,140126,,,N' >"$work/feed"
check "and its sentences arrive" drive wait-text 1001 "12:00:2" 5

# --- None ----------------------------------------------------------------------------------
drive command 40010 || true
drive watch 1001 9 || true
no_port() { has "No data" && lacks "opening"; }
check "\"None\": \"No data\" appears and no port is opened" no_port

# --- back to COM1 and Exit -----------------------------------------------------------------
reopen_com1 40012 "back on COM1 it opens" "back on COM1 the fixes come again"
sleep 3
hold_receiver
drive command 40004 || true
check "\"Exit\" asks \"Are you sure?\" and takes Yes" drive answer-yes 10
asked=$(now)
check "the window goes after Yes" drive wait-exit 20
note "the window went $(since "$asked") s after Yes"
tries=200
while kill -0 "$exe_pid" 2>/dev/null && [ "$tries" -gt 0 ]; do sleep 0.1; tries=$((tries - 1)); done
note "the process ended $(since "$asked") s after Yes"
rc=0
wait "$exe_pid" || rc=$?
exe_pid=""
check "kestrave.exe ends with exit code 0" test "$rc" -eq 0

kill -TERM "$sim_pid"
kill -CONT "$sim_pid"
wait "$sim_pid" || true
sim_pid=""
note "simulator: $(tail -n 1 "$work/sim.out")"

# --- the day files against the Linux replay, the saved settings -------------------------------
"$linux" replay "$work/sent.nmea" --out "$work/ref" --config "$work/ref-config" >"$work/replay.txt" 2>&1 ||
  note "the Linux replay failed: $(tail -n 3 "$work/replay.txt")"
files=$(find "$work/ref" -type f -printf '%f (%s bytes) ' 2>/dev/null | sort || true)
same=1
for name in $( (ls "$work/ref" "$out_dir" 2>/dev/null || true) | grep -v -e '^$' -e ':$' | sort -u); do
  if ! cmp -s "$work/ref/$name" "$out_dir/$name"; then
    same=0
    note "differs: $name ($(stat -c %s "$work/ref/$name" 2>/dev/null || echo missing) bytes from the replay," \
      "$(stat -c %s "$out_dir/$name" 2>/dev/null || echo missing) from the window program)"
  fi
done
note "$(wc -l <"$work/sent.nmea") sentences, $(stat -c %s "$work/sent.nmea") bytes sent; day files: $files;" \
  "$(cat "$work/ref"/*.rte 2>/dev/null | grep -c '^W,' || true) route points"
check "the day files equal the Linux replay of the bytes sent, byte for byte" test "$same" -eq 1 -a -n "$files"

win reg query "$key" || true
tr -d '\r' <"$work/wine.out" | sed '/^$/d; s/^/# /'
saved() {
  local settings
  settings=$(tr -d '\r' <"$work/wine.out")
  grep -qE 'PortNumber +REG_DWORD +0x1$' <<<"$settings" && grep -qE 'PortSpeed +REG_DWORD +0x12c0$' <<<"$settings" &&
    grep -qE 'OutputDir +REG_SZ +\\e2e-out\\logs$' <<<"$settings"
}
check "saved: PortNumber 1, PortSpeed 4800, OutputDir \\e2e-out\\logs" saved

echo "1..$count"
echo "# $((count - failures)) of $count passed in $(($(date +%s) - started)) s"
[ "$failures" -eq 0 ]
