#!/usr/bin/env bash
# Writes the seed corpora of the four fuzz targets into OUT/<target>/, made at run time
# from the real recordings (when present) and from the simulator; nothing is committed.
#   fuzz/make-corpus.sh KESTRAVE_BINARY OUT [RECORDINGS_DIR]
set -euo pipefail
kestrave=$1
out=$2
recordings=${3:-$(cd "$(dirname "$0")/.." && pwd)/../shared/testdata/nmea}

rm -rf "$out"
mkdir -p "$out"/{pipeline,sentence,continue_route,settings_file}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The simulator's drive: every kind of event, across local and UTC midnight.
"$kestrave" simulate --out "$work/simulated.nmea" --seed 7 >/dev/null
sources=("$work/simulated.nmea")
if [ -d "$recordings" ]; then
  sources+=("$recordings"/*.nmea)
else
  echo "make-corpus: no recordings in $recordings; seeding from the simulator only" >&2
fi

for source in "${sources[@]}"; do
  name=$(basename "$source" .nmea)
  size=$(stat -c %s "$source")
  # Byte stream: the start and the middle of each recording, 8 KiB each.
  head -c 8192 "$source" >"$out/pipeline/$name-start"
  if [ "$size" -gt 16384 ]; then
    dd if="$source" of="$out/pipeline/$name-middle" bs=8192 skip=$((size / 2)) count=8192 \
      iflag=skip_bytes,count_bytes status=none
  fi
  # Single sentences: the first RMC and GGA lines of each recording, without line ends.
  awk -v dir="$out/sentence" -v name="$name" '/^\$GP(RMC|GGA),/ && n < 40 {
      sub(/\r$/, ""); file = dir "/" name "-" ++n; printf "%s", $0 > file; close(file) }' "$source"
  # Route day files as the program writes them, whole when short, else their two ends.
  mkdir -p "$work/out-$name"
  "$kestrave" replay "$source" --out "$work/out-$name" --config "$work/config" >/dev/null 2>&1 || true
  for route in "$work/out-$name"/*.rte; do
    [ -e "$route" ] || continue
    day=$(basename "$route" .rte)
    if [ "$(stat -c %s "$route")" -le 2048 ]; then
      cp "$route" "$out/continue_route/$name-$day"
    else
      head -c 1024 "$route" >"$out/continue_route/$name-$day-head"
      tail -c 1024 "$route" >"$out/continue_route/$name-$day-tail"
    fi
  done
done
: >"$out/continue_route/empty"

# Settings files: what the program writes, and the other shapes a regedit export takes.
header='Windows Registry Editor Version 5.00'
key='[HKEY_CURRENT_USER\Software\Zolvet\Kestrave]'
printf '%s\n\n%s\n"OutputDir"="\\\\Kestrave"\n"PortNumber"=dword:00000001\n"PortSpeed"=dword:000012c0\n' \
  "$header" "$key" >"$out/settings_file/typical"
printf '%s\r\n\r\n%s\r\n"PortNumber"=dword:ffffffff\r\n"PortSpeed"=dword:0001c200\r\n"OutputDir"="\\\\Storage Card\\\\GPS \\"logs\\""\r\n' \
  "$header" "$key" >"$out/settings_file/crlf-escapes"
printf '%s\n\n; kept as it stands\n[HKEY_CURRENT_USER\\Software\\Other]\n@="unnamed"\n\n%s\n"OutputDir"=hex(2):5c,00,4b,00,00,00\n"Blob"=hex:01,02,\\\n  03,04\n"PortNumber"=hex(4):03,00,00,00\n' \
  "$header" "$key" >"$out/settings_file/other-types"
printf '%s\n\n%s\n"OutputDir"="\\\\Gr\xc3\xbc\xc3\x9fe\\\\\xe6\x97\xa5\xe8\xa8\x98"\n"PortSpeed"=dword:000004b0\n' \
  "$header" "$key" >"$out/settings_file/utf8-folder"
printf '%s\n' "$header" >"$out/settings_file/header-only"

for target in pipeline sentence continue_route settings_file; do
  echo "seed corpus $target: $(find "$out/$target" -type f | wc -l) inputs"
done
