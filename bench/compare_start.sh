#!/usr/bin/env bash
# Times the start of `tunewright-cli check` on one small MP3 file beside
# mp3val on the same file: the cost a script pays per file (find -exec, a
# file manager's action). The runs of all programs are interleaved, so that
# load from elsewhere on the machine falls on each alike; both the wall time
# and the processor time (user + system) are reported, median of RUNS each.
# TW_OTHER_CLI=/path/to/tunewright-cli adds another build (an older one) to
# the comparison.
# Usage: bench/compare_start.sh [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-50}
seconds=2
build="$root/${TW_BUILD_DIR:-build}"
# shellcheck source=bench/lib.sh
source "$root/bench/lib.sh"

need_tools sox lame mp3val python3
build_targets tunewright-cli
cli="$build/app/tunewright-cli"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
make_music "$work/small.wav"
lame --quiet -b 128 --tt Title --ta Artist "$work/small.wav" "$work/small.mp3"
file="$work/small.mp3"

# NAME, then the program and its arguments, apart by the unit separator.
us=$'\x1f'
commands=("mp3val${us}mp3val${us}$file" "check${us}$cli${us}check${us}$file"
          "--help${us}$cli${us}--help" "--version${us}$cli${us}--version")
if [[ -n ${TW_OTHER_CLI:-} ]]; then
  commands+=("other check${us}$TW_OTHER_CLI${us}check${us}$file")
fi

python3 - "$runs" "${commands[@]}" <<'PY'
import os, statistics, sys, time

runs = int(sys.argv[1])
named = [(entry.split("\x1f")[0], entry.split("\x1f")[1:]) for entry in sys.argv[2:]]
quiet = [(os.POSIX_SPAWN_OPEN, fd, os.devnull, os.O_WRONLY, 0) for fd in (1, 2)]

def run_once(argv):
    """Wall and processor time of one run, in microseconds."""
    start = time.perf_counter_ns()
    pid = os.posix_spawnp(argv[0], argv, os.environ, file_actions=quiet)
    _, _, usage = os.wait4(pid, 0)
    wall = (time.perf_counter_ns() - start) / 1000
    return wall, (usage.ru_utime + usage.ru_stime) * 1e6

wall = {name: [] for name, _ in named}
cpu = {name: [] for name, _ in named}
for round_ in range(runs + 5):
    for name, command in named:
        w, c = run_once(command)
        if round_ >= 5:  # the first rounds fill the caches
            wall[name].append(w)
            cpu[name].append(c)

base_wall = statistics.median(wall["mp3val"])
base_cpu = statistics.median(cpu["mp3val"])
print(f"one small MP3 file, median of {runs} interleaved runs each")
print(f"  {'':14} {'wall us':>9} {'x mp3val':>9} {'cpu us':>9} {'x mp3val':>9}")
for name, _ in named:
    w, c = statistics.median(wall[name]), statistics.median(cpu[name])
    print(f"  {name:14} {w:9.0f} {w / base_wall:9.2f} {c:9.0f} {c / base_cpu:9.2f}")
print("goal: check within 1.1 x mp3val")
PY
