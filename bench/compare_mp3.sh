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
# shellcheck source=bench/lib.sh
source "$root/bench/lib.sh"

need_tools sox lame mpg123
build_targets tw-mp3-tool
ours="$build/bench/tw-mp3-tool"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
make_music "$work/in.wav"
lame --quiet -b 128 -q 5 --nores "$work/in.wav" "$work/in.mp3"


lame_us=$(median_us lame --quiet -b 128 -q 5 --nores "$work/in.wav" "$work/lame.mp3")
ours_enc_us=$(median_us "$ours" --encode "$work/in.wav" "$work/ours.mp3")
mpg123_us=$(median_us mpg123 -q -w "$work/mpg123.wav" "$work/in.mp3")
ours_dec_us=$(median_us "$ours" --decode "$work/in.mp3" "$work/ours.wav")

echo "$seconds s of 44.1 kHz stereo, median of $runs runs:"
echo "  encode: lame $(realtime "$lame_us")x, tunewright $(realtime "$ours_enc_us")x real time;" \
  "speed ratio tunewright/lame $(ratio "$lame_us" "$ours_enc_us")"
echo "  decode: mpg123 $(realtime "$mpg123_us")x, tunewright $(realtime "$ours_dec_us")x real time;" \
  "speed ratio tunewright/mpg123 $(ratio "$mpg123_us" "$ours_dec_us")"
