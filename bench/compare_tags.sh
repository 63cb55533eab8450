#!/usr/bin/env bash
# Times a tag edit (`tunewright-cli tags --title`) of a large file of each
# format beside `cp` of the same file, which is what a rewrite through a
# safe copy costs at least.
# Usage: bench/compare_tags.sh [MB] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mb=${1:-200}
runs=${2:-3}
build="$root/${TW_BUILD_DIR:-build}"
seconds=1
# shellcheck source=bench/lib.sh
source "$root/bench/lib.sh"

need_tools sox lame oggenc
build_targets tunewright-cli
cli="$build/app/tunewright-cli"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TUNEWRIGHT_SETTINGS="$work/settings.ini" XDG_STATE_HOME="$work/state"
seconds=60 make_music "$work/piece.wav"
lame --quiet -b 320 "$work/piece.wav" "$work/piece.mp3"
oggenc -Q -q 10 -o "$work/piece.ogg" "$work/piece.wav"
# Large files from copies of one piece: a WAV of that length, MP3 frames one
# after another, Ogg streams chained.
sox "$work/piece.wav" "$work/big.wav" repeat $((mb * 1024 * 1024 / $(stat -c %s "$work/piece.wav")))
for ext in mp3 ogg; do
  piece="$work/piece.$ext"
  copies=$((mb * 1024 * 1024 / $(stat -c %s "$piece") + 1))
  for ((i = 0; i < copies; i++)); do cat "$piece"; done >"$work/big.$ext"
done

echo "Tag edit of a large file, median of $runs runs:"
for ext in wav mp3 ogg; do
  file="$work/big.$ext"
  size=$(($(stat -c %s "$file") / 1024 / 1024))
  n=0
  edit() { n=$((n + 1)); "$cli" tags --title "Title $n" "$file"; }
  ours=$(median_us edit)
  theirs=$(median_us cp "$file" "$work/copy")
  echo "  $ext ($size MB): tunewright $((ours / 1000)) ms, cp $((theirs / 1000)) ms;" \
    "ratio $(ratio "$ours" "$theirs")"
done
