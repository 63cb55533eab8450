#!/usr/bin/env bash
# Times `tunewright-cli check` and `convert` on a batch of files with one job
# and with one job per processor core, and prints the speed-up.
# Usage: bench/compare_jobs.sh [FILES] [SECONDS] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
files=${1:-20}
seconds=${2:-20}
runs=${3:-3}
build="$root/${TW_BUILD_DIR:-build}"
# shellcheck source=bench/lib.sh
source "$root/bench/lib.sh"

need_tools sox lame
build_targets tunewright-cli tw-make-frame-file
cli="$build/app/tunewright-cli"
cores=$(nproc)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/out"
make_music "$work/in/t0.wav"
lame --quiet -b 128 "$work/in/t0.wav" "$work/in/t0.mp3"
"$build/bench/tw-make-frame-file" "$work/big0.mp3" 100
for ((i = 1; i < files; i++)); do
  cp "$work/in/t0.wav" "$work/in/t$i.wav"
  cp "$work/in/t0.mp3" "$work/in/t$i.mp3"
  cp "$work/big0.mp3" "$work/big$i.mp3"
done
cat "$work"/big*.mp3 >/dev/null
export TUNEWRIGHT_SETTINGS="$work/settings.ini"

echo "$files files, median of $runs runs, $cores cores:"
one=$(median_us "$cli" check --tsv --jobs 1 "$work"/big*.mp3)
all=$(median_us "$cli" check --tsv --jobs "$cores" "$work"/big*.mp3)
echo "  check of ${files} x 100 MB: 1 job $((one / 1000)) ms, $cores jobs $((all / 1000)) ms, speed-up $(ratio "$one" "$all")"
one=$(median_us "$cli" convert --to mp3 --yes --out "$work/out" --jobs 1 "$work"/in/*.wav)
all=$(median_us "$cli" convert --to mp3 --yes --out "$work/out" --jobs "$cores" "$work"/in/*.wav)
echo "  WAV -> MP3 of ${files} x ${seconds} s: 1 job $((one / 1000)) ms, $cores jobs $((all / 1000)) ms, speed-up $(ratio "$one" "$all")"
one=$(median_us "$cli" convert --to wav --no-normalize --yes --out "$work/out" --jobs 1 "$work"/in/*.mp3)
all=$(median_us "$cli" convert --to wav --no-normalize --yes --out "$work/out" --jobs "$cores" "$work"/in/*.mp3)
echo "  MP3 -> WAV of ${files} x ${seconds} s: 1 job $((one / 1000)) ms, $cores jobs $((all / 1000)) ms, speed-up $(ratio "$one" "$all")"
