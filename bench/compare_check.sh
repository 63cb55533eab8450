#!/usr/bin/env bash
# Times `tunewright-cli check` on a large generated MP3 file in the page cache,
# beside `cat` (the cost of reading the file at all) and mp3val when present.
# Usage: bench/compare_check.sh [MEGABYTES] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
megabytes=${1:-200}
runs=${2:-21}
build="$root/${TW_BUILD_DIR:-build}"
# shellcheck source=bench/lib.sh
source "$root/bench/lib.sh"

build_targets tunewright-cli tw-make-frame-file

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT



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
