#!/usr/bin/env bash
# Times MP3 encoding (WAV -> MP3, 128 kbit/s, quality 5, no bit reservoir) and
# decoding (MP3 -> WAV) of a generated stretch of 44.1 kHz stereo by our audio
# classes and by the lame and mpg123 tools on the same libraries: whole
# programs, file in and file out, as real-time factors.
# Usage: bench/compare_mp3.sh [SECONDS] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
runs=${2:-5}
build="$root/${TW_BUILD_DIR:-build}"

for tool in sox lame mpg123; do
  command -v "$tool" >/dev/null || { echo "$tool is needed (scripts/setup installs it)" >&2; exit 1; }
done
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target tw-mp3-tool >/dev/null
ours="$build/bench/tw-mp3-tool"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sox -n -r 44100 -c 2 -b 16 "$work/in.wav" synth "$seconds" sine 220 sine 330 \
  synth "$seconds" sine mix 277 sine mix 415 synth "$seconds" pinknoise mix \
  tremolo 0.5 60 gain -n -3
lame --quiet -b 128 -q 5 --nores "$work/in.wav" "$work/in.mp3"

median_us() {
  local times=() start end
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    times+=($(((end - start) / 1000)))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'
}
realtime() { awk -v s="$seconds" -v us="$1" 'BEGIN {printf "%.0f", s * 1e6 / us}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.3f", a / b}'; }

lame_us=$(median_us lame --quiet -b 128 -q 5 --nores "$work/in.wav" "$work/lame.mp3")
ours_enc_us=$(median_us "$ours" --encode "$work/in.wav" "$work/ours.mp3")
mpg123_us=$(median_us mpg123 -q -w "$work/mpg123.wav" "$work/in.mp3")
ours_dec_us=$(median_us "$ours" --decode "$work/in.mp3" "$work/ours.wav")

echo "$seconds s of 44.1 kHz stereo, median of $runs runs:"
echo "  encode: lame $(realtime "$lame_us")x, tunewright $(realtime "$ours_enc_us")x real time;" \
  "speed ratio tunewright/lame $(ratio "$lame_us" "$ours_enc_us")"
echo "  decode: mpg123 $(realtime "$mpg123_us")x, tunewright $(realtime "$ours_dec_us")x real time;" \
  "speed ratio tunewright/mpg123 $(ratio "$mpg123_us" "$ours_dec_us")"
