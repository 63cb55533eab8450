#!/usr/bin/env bash
# Times IMA ADPCM encoding of a generated minute of 44.1 kHz stereo by our
# encoder, sox and, when installed, ffmpeg: whole programs, file in and file
# out, as real-time factors (seconds of audio per second of wall time).
# Usage: bench/compare_adpcm.sh [SECONDS] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
runs=${2:-9}
build="$root/${TW_BUILD_DIR:-build}"

command -v sox >/dev/null || { echo "sox is needed" >&2; exit 1; }
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target tw-bench-adpcm >/dev/null
bench="$build/bench/tw-bench-adpcm"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
in="$work/in.wav"

# Two chords a fifth apart that swell and fade, over a little pink noise.
sox -n -r 44100 -c 2 -b 16 "$in" synth "$seconds" sine 220 sine 330 \
  synth "$seconds" sine mix 277 sine mix 415 synth "$seconds" pinknoise mix \
  tremolo 0.5 60 gain -n -3
cat "$in" >/dev/null # into the page cache

# Median wall time of a command over $runs runs, in microseconds.
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
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }

ours_us=$(median_us "$bench" --encode "$in" "$work/ours.wav")
sox "$work/ours.wav" -n 2>/dev/null || { echo "sox cannot read our output" >&2; exit 1; }
sox_us=$(median_us sox "$in" -e ima-adpcm "$work/sox.wav")

echo "IMA ADPCM encoding of $seconds s of 44.1 kHz stereo, median of $runs runs:"
echo "  tunewright  $(realtime "$ours_us")x real time  ($ours_us us)"
echo "  sox         $(realtime "$sox_us")x real time  ($sox_us us)"
if command -v ffmpeg >/dev/null; then
  ffmpeg_us=$(median_us ffmpeg -loglevel error -y -i "$in" -c:a adpcm_ima_wav "$work/ffmpeg.wav")
  echo "  ffmpeg      $(realtime "$ffmpeg_us")x real time  ($ffmpeg_us us)"
  echo "  speed ratio tunewright/ffmpeg: $(ratio "$ffmpeg_us" "$ours_us")"
else
  echo "  ffmpeg      not installed"
fi
echo "  speed ratio tunewright/sox:    $(ratio "$sox_us" "$ours_us")"

echo "Codec alone, in memory (10 s of stereo per iteration):"
"$bench" --benchmark_filter=Stereo 2>/dev/null |
  awk '/^(Encode|Decode)Stereo/ {for (i = 1; i <= NF; i++) if ($i ~ /^x_realtime=/) {
         v = substr($i, 12); sub(/\/s$/, "", v); if (v ~ /k$/) {sub(/k$/, "", v); v *= 1000}
         printf "  %-12s %.0fx real time\n", $1, v}}'
