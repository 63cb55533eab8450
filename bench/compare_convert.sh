#!/usr/bin/env bash
# Times `tunewright-cli convert` on a batch of generated files for each
# target, beside the command-line tools on the same libraries doing the same
# work file by file (lame, oggenc, mpg123), and shows the converter's peak
# memory for a short and a ten times longer file.
# Usage: bench/compare_convert.sh [FILES] [SECONDS] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
files=${1:-5}
seconds=${2:-30}
runs=${3:-3}
build="$root/${TW_BUILD_DIR:-build}"
# shellcheck source=bench/lib.sh
source "$root/bench/lib.sh"

need_tools sox lame oggenc mpg123
build_targets tunewright-cli
cli="$build/app/tunewright-cli"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/out" "$work/tools"
make_music "$work/in/track0.wav"
for ((i = 1; i < files; i++)); do cp "$work/in/track0.wav" "$work/in/track$i.wav"; done
for f in "$work"/in/*.wav; do lame --quiet -b 128 -q 5 --nores "$f" "${f%.wav}.mp3"; done
export TUNEWRIGHT_SETTINGS="$work/settings.ini" # a private store with the defaults

each() { # each TOOL... : runs the tool line for every input file
  local f
  for f in "$work"/in/*."$ext"; do "$@" "$f"; done
}
ours() { "$cli" convert --yes --out "$work/out" "$@" "$work"/in/*."$ext"; }
lame_one() { lame --quiet -b 128 -q 5 --nores "$1" "$work/tools/$(basename "${1%.*}").mp3"; }
oggenc_one() { oggenc -Q --managed -b 160 -m 160 -M 160 -o "$work/tools/$(basename "${1%.*}").ogg" "$1"; }
mpg123_one() { mpg123 -q -w "$work/tools/$(basename "${1%.*}").wav" "$1"; }

total=$((files * seconds))
report() { # label ours_us theirs_us tool
  echo "  $1: tunewright $(seconds=$total realtime "$2")x," \
    "$4 $(seconds=$total realtime "$3")x real time;" \
    "speed ratio tunewright/$4 $(ratio "$3" "$2")"
}

echo "$files files of $seconds s of 44.1 kHz stereo, median of $runs runs:"
ext=wav
report "WAV -> MP3 128 kbit/s" "$(median_us ours --to mp3 --bitrate 128 --quality normal --cbr)" \
  "$(median_us each lame_one)" lame
report "WAV -> Ogg 160 kbit/s" "$(median_us ours --to ogg --ogg-cbr 160)" \
  "$(median_us each oggenc_one)" oggenc
ext=mp3
report "MP3 -> WAV" "$(median_us ours --to wav --pcm --no-normalize)" \
  "$(median_us each mpg123_one)" mpg123

if command -v python3 >/dev/null; then
  peak_kb() {
    python3 -c 'import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)' "$@"
  }
  seconds=$((seconds * 10)) make_music "$work/long.wav"
  echo "Peak memory of one conversion:"
  for target in mp3 ogg wav; do
    short=$(peak_kb "$cli" convert --yes --out "$work/out" --to "$target" --no-normalize "$work/in/track0.wav")
    long=$(peak_kb "$cli" convert --yes --out "$work/out" --to "$target" --no-normalize "$work/long.wav")
    echo "  to $target: $short KiB for $seconds s, $long KiB for $((seconds * 10)) s"
  done
fi
