#!/usr/bin/env bash
# Times `tunewright-cli check --decode` (one job) beside `mpg123 -t` (decode,
# no output) on the same files in the page cache: a CBR and a VBR encoding of
# generated music, and the real-time factor of each.
# Usage: bench/compare_decode.sh [SECONDS] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
runs=${2:-7}
build="$root/${TW_BUILD_DIR:-build}"
# shellcheck source=bench/lib.sh
source "$root/bench/lib.sh"

need_tools sox lame mpg123
build_targets tunewright-cli
cli="$build/app/tunewright-cli"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
make_music "$work/music.wav"
lame --quiet -b 128 "$work/music.wav" "$work/cbr.mp3"
lame --quiet -V 2 "$work/music.wav" "$work/vbr.mp3"

# Median processor time (user + system) of a command over $runs runs, in
# milliseconds: on a shared machine it says more about speed per core than
# the wall time does.
median_cpu_ms() {
  local times=() i
  for ((i = 0; i < runs; i++)); do
    times+=($(/usr/bin/time -f "%U %S" "$@" 2>&1 >/dev/null | tail -1 |
      awk '{printf "%.0f", ($1 + $2) * 1000}'))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'
}

echo "$seconds s of music, median of $runs runs, one core each:"
for kind in cbr vbr; do
  file="$work/$kind.mp3"
  cat "$file" >/dev/null
  walk_us=$(median_us "$cli" check --tsv --jobs 1 "$file")
  tw_us=$(median_us "$cli" check --tsv --decode --jobs 1 "$file")
  mpg_us=$(median_us mpg123 -q -t "$file")
  echo "  $kind: check $((walk_us / 1000)) ms; check --decode $((tw_us / 1000)) ms" \
    "($(realtime "$tw_us")x real time); mpg123 -t $((mpg_us / 1000)) ms" \
    "($(realtime "$mpg_us")x); speed ratio decode/mpg123: $(ratio "$mpg_us" "$tw_us")"
  if [[ -x /usr/bin/time ]]; then
    tw_cpu=$(median_cpu_ms "$cli" check --tsv --decode --jobs 1 "$file")
    mpg_cpu=$(median_cpu_ms mpg123 -q -t "$file")
    echo "  $kind processor time: check --decode $tw_cpu ms; mpg123 -t $mpg_cpu ms;" \
      "ratio decode/mpg123: $(ratio "$mpg_cpu" "$tw_cpu")"
  fi
done
