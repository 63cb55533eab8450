#!/usr/bin/env bash
# Peak memory of `tunewright-cli check` over many damaged files, each with
# more damage events than a result keeps (so every result holds its full
# list), with one job and with two: with jobs, a result must be freed once
# shown, so the peak does not grow with the number of files.
# Usage: bench/measure_check_memory.sh [FILES]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
files=${1:-3000}
build="$root/${TW_BUILD_DIR:-build}"
# shellcheck source=bench/lib.sh
source "$root/bench/lib.sh"

need_tools python3
[[ -x /usr/bin/time ]] || { echo "/usr/bin/time is needed (apt-get install time)" >&2; exit 1; }
build_targets tunewright-cli
cli="$build/app/tunewright-cli"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/in"
# 50 sound frames, then 1,500 unusable headers: 1,501 errors, 1,000 kept.
python3 - "$work/in/0.mp3" <<'PY'
import sys
frame = b"\xff\xfb\x90\x64" + bytes(413)
open(sys.argv[1], "wb").write(frame * 50 + b"\xff\xff\xff\xff" * 1500)
PY
for ((i = 1; i < files; i++)); do ln "$work/in/0.mp3" "$work/in/$i.mp3"; done

peak_kb() {
  /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F': ' '/Maximum resident set size/ {print $2}'
}
echo "$files damaged files, peak resident memory of check -v:"
for jobs in 1 2; do
  echo "  --jobs $jobs: $(peak_kb "$cli" check -v --jobs "$jobs" "$work/in") kB"
done
half=$((files / 2))
mkdir "$work/half"
for ((i = 0; i < half; i++)); do ln "$work/in/$i.mp3" "$work/half/$i.mp3"; done
echo "  --jobs 2 on $half files: $(peak_kb "$cli" check -v --jobs 2 "$work/half") kB"
