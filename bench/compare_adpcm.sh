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
# shellcheck source=bench/lib.sh
source "$root/bench/lib.sh"

need_tools sox
build_targets tw-bench-adpcm
bench="$build/bench/tw-bench-adpcm"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
in="$work/in.wav"

make_music "$in"



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
