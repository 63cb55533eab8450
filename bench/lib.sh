# Shared pieces of the comparison scripts; source it after setting `runs`
# (and `seconds` for real-time factors).

# Builds the named targets in the benchmark build folder ($build).
build_targets() {
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" --target "$@" >/dev/null
}

# Stops with a message unless every named tool is installed.
need_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "$tool is needed (scripts/setup installs it)" >&2; exit 1; }
  done
}

# Writes $seconds of music-like 44.1 kHz stereo: two chords a fifth apart
# that swell and fade, over a little pink noise.
make_music() {
  sox -n -r 44100 -c 2 -b 16 "$1" synth "$seconds" sine 220 sine 330 \
    synth "$seconds" sine mix 277 sine mix 415 synth "$seconds" pinknoise mix \
    tremolo 0.5 60 gain -n -3
  cat "$1" >/dev/null # into the page cache
}

# Median wall time of a command over $runs runs, in microseconds.
median_us() {
  local times=() start end i
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 || true
    end=$(date +%s%N)
    times+=($(((end - start) / 1000)))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'
}

realtime() { awk -v s="$seconds" -v us="$1" 'BEGIN {printf "%.0f", s * 1e6 / us}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.3f", a / b}'; }
mbps() { awk -v b="$1" -v us="$2" 'BEGIN {printf "%.0f", b / us}'; }
