#!/usr/bin/env bash
# The window at collection scale beside tunewright-cli on the same files:
# analysis of FILES small MP3s against `check --jobs 1`, adding them against
# `info` (one process, and one per core), the time from Cancel to the
# dialog's closing, memory, and a working list of TRACKS tracks (sort,
# removal, refresh, scrolling).
# Usage: bench/compare_window.sh [FILES] [TRACKS] [RUNS]
# Runs offscreen; with TW_XVFB=1 in a real window under xvfb-run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
files=${1:-10000}
tracks=${2:-100000}
runs=${3:-3}
build="$root/${TW_BUILD_DIR:-build}"
# shellcheck source=bench/lib.sh
source "$root/bench/lib.sh"

build_targets tunewright-cli tw-bench-window
cli="$build/app/tunewright-cli"
bench="$build/bench/tw-bench-window"
cores=$(nproc)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bench" make "$work/small" "$files" 64
"$bench" make "$work/big" "$tracks" 16 --links
cat "$work"/small/*.mp3 >/dev/null
export TUNEWRIGHT_SETTINGS="$work/settings.ini"

if [[ ${TW_XVFB:-0} == 1 ]]; then
  need_tools xvfb-run
  window=(xvfb-run -a -s "-screen 0 1600x1000x24" "$bench")
else
  window=(env QT_QPA_PLATFORM=offscreen "$bench")
fi
"${window[@]}" run "$work/small" "$work/big" 2>/dev/null >"$work/window.txt"
figure() { awk -v n="$1" '$1 == n {print $2}' "$work/window.txt"; }
ms() { awk -v s="$(figure "$1")" 'BEGIN {printf "%.0f ms", s * 1000}'; }

check_one=$(median_us "$cli" check --tsv --jobs 1 "$work/small")
info_one=$(median_us "$cli" info "$work"/small/*.mp3)
info_all=$(median_us sh -c "ls '$work'/small/*.mp3 | xargs -P $cores -n $(((files + cores - 1) / cores)) '$cli' info")

echo "$files small MP3s (64 kB), $cores cores; the CLI's median of $runs runs:"
printf '  analysis:   window %s   cli check --jobs 1 %d ms\n' "$(ms analysis_small)" $((check_one / 1000))
printf '  adding:     window 1 job %s, %d jobs %s   cli info %d ms, %d processes %d ms\n' \
  "$(ms add_small_1_job)" "$cores" "$(ms add_small_all_cores)" $((info_one / 1000)) "$cores" $((info_all / 1000))
printf '  cancel:     %s from Cancel to the dialog closing (%s files checked)\n' \
  "$(ms cancel_to_close)" "$(figure files_checked_before_cancel)"
printf '  memory:     %s MB at start, %s MB after the first track, %s MB after adding and emptying,\n' \
  "$(figure memory_at_start)" "$(figure memory_after_first_track)" "$(figure memory_after_adding_and_emptying)"
printf '              %s MB after runs and emptying (%s %%), %s MB after another round\n' \
  "$(figure memory_after_emptying)" "$(figure memory_growth)" "$(figure memory_after_second_run)"
echo "A working list of $tracks tracks (added in $(ms add_big_all_cores), $(figure memory_per_track) bytes a track):"
printf '  sort by File %s, by Length %s; remove 1,000 selected %s; refresh after a run %s\n' \
  "$(ms sort_by_file)" "$(ms sort_by_length)" "$(ms remove_1000_selected)" "$(ms refresh_after_run)"
printf '  scrolling: %s a page, %s to the end\n' "$(ms scroll_page)" "$(ms scroll_to_end)"
