#!/usr/bin/env bash
# Average bit rate of variable-bitrate MP3 files from `tunewright-cli convert
# --vbr` for every offered bit rate, on pink noise and on a mixed signal
# (chords, silence, noise bursts, a music-like stretch), with CBR beside them.
# A setting means its rate when both averages lie between it and 1.3 times it.
# Usage: bench/compare_vbr.sh [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
runs=1
build="$root/${TW_BUILD_DIR:-build}"
# shellcheck source=bench/lib.sh
source "$root/bench/lib.sh"

need_tools sox
build_targets tunewright-cli
cli="$build/app/tunewright-cli"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/out"
export TUNEWRIGHT_SETTINGS="$work/settings.ini" # a private store with the defaults

sox -n -r 44100 -c 2 -b 16 "$work/in/pink.wav" synth "$seconds" pinknoise
# The mixed signal in four parts: 8/30 chords, 4/30 silence, 8/30 noise
# bursts, 10/30 the benchmarks' music.
part() { awk -v s="$seconds" -v n="$1" 'BEGIN {printf "%.3f", s * n / 30}'; }
sox -n -r 44100 -c 2 -b 16 "$work/a.wav" synth "$(part 8)" sine 220 sine 330 \
  synth "$(part 8)" sine mix 277 sine mix 415 tremolo 0.5 60 gain -n -3
sox -n -r 44100 -c 2 -b 16 "$work/b.wav" trim 0 "$(part 4)"
sox -n -r 44100 -c 2 -b 16 "$work/c.wav" synth "$(part 8)" pinknoise tremolo 1.5 100 gain -n -6
seconds=$(part 10) make_music "$work/d.wav"
sox "$work/a.wav" "$work/b.wav" "$work/c.wav" "$work/d.wav" "$work/in/mixed.wav"

# kbit/s of an MP3 file from its size and the length of its source.
kbps() {
  awk -v b="$(stat -c %s "$1")" -v s="$(sox --i -D "$2")" 'BEGIN {printf "%.1f", b * 8 / s / 1000}'
}

printf '%-8s %10s %10s %10s %10s  %s\n' setting pink mixed pink-cbr mixed-cbr "in range"
for rate in 64 96 128 160 192 256 320; do
  row=()
  for mode in --vbr --cbr; do
    "$cli" convert --to mp3 --bitrate "$rate" "$mode" --quality normal --yes \
      --out "$work/out" "$work/in/pink.wav" "$work/in/mixed.wav" >/dev/null
    row+=("$(kbps "$work/out/pink.mp3" "$work/in/pink.wav")")
    row+=("$(kbps "$work/out/mixed.mp3" "$work/in/mixed.wav")")
  done
  verdict=$(awk -v r="$rate" -v p="${row[0]}" -v m="${row[1]}" \
    'BEGIN {print (p >= r && m >= r && p <= 1.3 * r && m <= 1.3 * r) ? "yes" : "NO"}')
  printf '%-8s %10s %10s %10s %10s  %s\n' "$rate" "${row[0]}" "${row[1]}" "${row[2]}" "${row[3]}" "$verdict"
done
