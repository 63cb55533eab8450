#!/usr/bin/env bash
# Resampling quality and speed of `tunewright-cli convert` beside sox:
# THD+N of a 1 kHz sine from several rates (median and worst 50 ms window,
# so a click at block boundaries shows as a worst window far above the
# median), what is left of a 30 kHz tone from 96 kHz, the speed of
# 48 -> 44.1 kHz, conversion to MP3 from 48 kHz against lame on the same
# file resampled beforehand, and the WAV -> MP3 -> WAV length difference.
# Usage: bench/compare_resample.sh [SECONDS] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
runs=${2:-3}
build="$root/${TW_BUILD_DIR:-build}"
# shellcheck source=bench/lib.sh
source "$root/bench/lib.sh"

need_tools sox lame
build_targets tunewright-cli tw-measure
cli="$build/app/tunewright-cli"
measure="$build/bench/tw-measure"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/out" "$work/sox"
export TUNEWRIGHT_SETTINGS="$work/settings.ini" # a private store with the defaults
ours_wav() { "$cli" convert --yes --to wav --pcm --no-normalize --out "$work/out" "$@" >/dev/null; }

echo "THD+N of a 1 kHz sine at -6 dBFS, 10 s, in dB (median / worst 50 ms window):"
for rate in 8000 22050 48000 96000 192000; do
  src="$work/in/sine$rate.wav"
  sox -r "$rate" -n -c 2 -b 16 "$src" synth 10 sine 1000 vol 0.5
  ours_wav "$src"
  sox "$src" -r 44100 "$work/sox/sine$rate.wav"
  echo "  from $rate Hz: tunewright $("$measure" thdn "$work/out/sine$rate.wav" 1000)," \
    "sox $("$measure" thdn "$work/sox/sine$rate.wav" 1000)"
done

sox -r 96000 -n -c 2 -b 16 "$work/in/alias.wav" synth 10 sine 30000 vol 0.9
ours_wav "$work/in/alias.wav"
sox "$work/in/alias.wav" -r 44100 "$work/sox/alias.wav"
echo "A 30 kHz tone at -1 dBFS from 96 kHz leaves: tunewright" \
  "$("$measure" level "$work/out/alias.wav") dBFS, sox $("$measure" level "$work/sox/alias.wav") dBFS"

sox -r 48000 -n -c 2 -b 16 "$work/in/music48.wav" synth "$seconds" sine 220 sine 330 \
  synth "$seconds" pinknoise mix gain -n -3
sox "$work/in/music48.wav" -r 44100 "$work/in/music44.wav"
to_mp3() { "$cli" convert --yes --to mp3 --bitrate 128 --quality normal --cbr --out "$work/out" "$@" >/dev/null; }
ours_us=$(median_us ours_wav "$work/in/music48.wav")
sox_us=$(median_us sox "$work/in/music48.wav" -r 44100 "$work/sox/music.wav")
echo "48 -> 44.1 kHz stereo, $seconds s, median of $runs runs: tunewright $(realtime "$ours_us")x," \
  "sox $(realtime "$sox_us")x real time"
ours_us=$(median_us to_mp3 "$work/in/music48.wav")
lame_us=$(median_us lame --quiet -b 128 -q 5 --nores "$work/in/music44.wav" "$work/sox/music.mp3")
echo "To MP3 128 kbit/s: tunewright from 48 kHz $(realtime "$ours_us")x, lame from 44.1 kHz" \
  "$(realtime "$lame_us")x real time; time ratio $(ratio "$ours_us" "$lame_us") (goal <= 1.05)"

sox -r 44100 -n -c 2 -b 16 "$work/in/round.wav" synth 7.3217 sine 440 vol 0.5
to_mp3 "$work/in/round.wav"
mkdir -p "$work/back"
"$cli" convert --yes --to wav --pcm --no-normalize --out "$work/back" "$work/out/round.mp3" >/dev/null
before=$("$measure" frames "$work/in/round.wav")
after=$("$measure" frames "$work/back/round.wav")
echo "WAV -> MP3 -> WAV: $before frames in, $after out (difference $((after - before)))"
