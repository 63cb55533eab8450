#!/usr/bin/env bash
# Re-checking a collection whose files have not changed: `check -i`, which
# answers from the history of checks, against a full check of the same
# files (hard links of a few small MP3s).
# Usage: bench/compare_history.sh [FILES] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
files=${1:-100000}
runs=${2:-3}
build="$root/${TW_BUILD_DIR:-build}"
# shellcheck source=bench/lib.sh
source "$root/bench/lib.sh"

build_targets tunewright-cli tw-make-frame-file
cli="$build/app/tunewright-cli"
cores=$(nproc)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/seed" "$work/music"
for i in 0 1 2 3; do
  "$build/bench/tw-make-frame-file" "$work/seed/s$i.mp3" 1
done
per_folder=1000
mkdir "$work/music/f0"
for ((i = 0; i < per_folder; i++)); do
  ln "$work/seed/s$((i % 4)).mp3" "$work/music/f0/t$i.mp3"
done
for ((f = 1; f < (files + per_folder - 1) / per_folder; f++)); do
  cp -al "$work/music/f0" "$work/music/f$f"
done
export XDG_STATE_HOME="$work/state"
export TUNEWRIGHT_SETTINGS="$work/settings.ini"

start=$(date +%s%N)
"$cli" check -i -r --tsv "$work/music" >/dev/null
first=$((($(date +%s%N) - start) / 1000))
again=$(median_us "$cli" check -i -r --tsv "$work/music")
again_one=$(median_us "$cli" check -i -r --tsv --jobs 1 "$work/music")
full_one=$(median_us "$cli" check -r --tsv --jobs 1 "$work/music")
full_all=$(median_us "$cli" check -r --tsv --jobs "$cores" "$work/music")
echo "$files unchanged files (1 MB MP3s, hard links), median of $runs runs:"
printf '  check -i, first run (checks and records): %d ms\n' $((first / 1000))
printf '  check -i, unchanged:                      %d ms (%d ms with --jobs 1)\n' $((again / 1000)) $((again_one / 1000))
printf '  full check, 1 job:                        %d ms\n' $((full_one / 1000))
printf '  full check, %d jobs:                       %d ms\n' "$cores" $((full_all / 1000))
