#!/usr/bin/env bash
# Times Ogg Vorbis encoding of a generated stretch of 44.1 kHz stereo by our
# encoder and by oggenc with the same settings, whole programs, file in and
# file out, as real-time factors; then times a comment rewrite of a large
# Ogg Vorbis file against a plain copy of it.
# Usage: bench/compare_ogg.sh [SECONDS] [RUNS] [REWRITE_MB]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
runs=${2:-5}
rewrite_mb=${3:-50}
build="$root/${TW_BUILD_DIR:-build}"
# shellcheck source=bench/lib.sh
source "$root/bench/lib.sh"

need_tools sox oggenc
build_targets tw-bench-ogg
bench="$build/bench/tw-bench-ogg"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
in="$work/in.wav"

make_music "$in"



# Like for like: our modes and the oggenc options that set the encoder up
# the same way (constant 160; range 128 / 160 / 192; quality 0.5).
compare() {
  local label=$1 mode=$2
  shift 2
  local ours theirs
  ours=$(median_us "$bench" --encode "$in" "$work/ours.ogg" "$mode")
  theirs=$(median_us oggenc -Q "$@" -o "$work/theirs.ogg" "$in")
  printf '  %-28s tunewright %6sx  oggenc %6sx  speed ratio tunewright/oggenc %s\n' \
    "$label" "$(realtime "$ours")" "$(realtime "$theirs")" "$(ratio "$theirs" "$ours")"
  printf '  %-28s sizes: tunewright %s bytes, oggenc %s bytes\n' "" \
    "$(stat -c %s "$work/ours.ogg")" "$(stat -c %s "$work/theirs.ogg")"
}

echo "Ogg Vorbis encoding of $seconds s of 44.1 kHz stereo, median of $runs runs (x real time):"
compare "constant 160 kbit/s" cbr160 --managed -b 160 -m 160 -M 160
compare "managed 128/160/192 kbit/s" managed160 --managed -b 160 -m 128 -M 192
compare "quality 5" q5 -q 5
plain=$(median_us oggenc -Q --managed -b 160 -o "$work/theirs.ogg" "$in")
echo "  (oggenc --managed -b 160 with no bounds: $(realtime "$plain")x)"

# A single Vorbis stream of about $rewrite_mb MB: white noise at the top quality.
big="$work/big.ogg"
big_seconds=$((rewrite_mb * 1000000 / 48800 + 1))
sox -V1 -n -r 44100 -c 2 -b 16 "$work/noise.wav" synth "$big_seconds" whitenoise gain -n -1
oggenc -Q -q 10 -o "$big" "$work/noise.wav"
rm -f "$work/noise.wav"
size=$(stat -c %s "$big")
cat "$big" >/dev/null
"$bench" --retag "$big" # the first rewrite changes the comments; later ones repeat it
retag_us=$(median_us "$bench" --retag "$big")
copy_us=$(median_us cp "$big" "$work/copy.ogg")
echo "Comment rewrite of a $((size / 1000000)) MB file, median of $runs runs:"
echo "  rewrite $((retag_us / 1000)) ms, plain copy (cp) $((copy_us / 1000)) ms," \
  "ratio $(ratio "$retag_us" "$copy_us")"
