#!/usr/bin/env bash
# Times `tunewright-cli check` on a large generated MP3 file in the page cache,
# beside `cat` (the cost of reading the file at all) and mp3val when present.
# Usage: bench/compare_check.sh [MEGABYTES] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
megabytes=${1:-200}
runs=${2:-21}
build="$root/${TW_BUILD_DIR:-build}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target tunewright-cli tw-make-frame-file >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Median wall time of a command over $runs runs, in microseconds.
median_us() {
  local times=() start end
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 || true
    end=$(date +%s%N)
    times+=($(((end - start) / 1000)))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'
}

mbps() { awk -v b="$1" -v us="$2" 'BEGIN {printf "%.0f", b / us}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }

for kind in cbr vbr; do
  file="$work/$kind.mp3"
  flag=""; [[ $kind == vbr ]] && flag=--vbr
  "$build/bench/tw-make-frame-file" "$file" "$megabytes" $flag
  bytes=$(stat -c %s "$file")
  cat "$file" >/dev/null # into the page cache

  cat_us=$(median_us cat "$file")
  tw_us=$(median_us "$build/app/tunewright-cli" check --tsv "$file")
  echo "$kind file, $bytes bytes, median of $runs runs:"
  echo "  cat                  $(mbps "$bytes" "$cat_us") MB/s  ($cat_us us)"
  echo "  tunewright-cli check $(mbps "$bytes" "$tw_us") MB/s  ($tw_us us)"
  echo "  time ratio tunewright/cat: $(ratio "$tw_us" "$cat_us")"
  if command -v mp3val >/dev/null; then
    val_us=$(median_us mp3val "$file")
    echo "  mp3val               $(mbps "$bytes" "$val_us") MB/s  ($val_us us)"
    echo "  speed ratio tunewright/mp3val: $(ratio "$val_us" "$tw_us")"
  fi
done
