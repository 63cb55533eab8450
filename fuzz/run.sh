#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer and the address and undefined
# behaviour sanitizers, writes the seed corpora and runs each target for a
# bounded time. Not part of CI: run it by hand (scripts/setup installs clang).
#
# Usage: fuzz/run.sh [seconds per target] [target...]
#   TW_FUZZ_BUILD_DIR  build folder (default build-fuzz)
#   TW_FUZZ_WORK_DIR   corpora, findings and logs (default <build folder>/fuzz-work)
# Findings (crash-*, timeout-*, leak-*, oom-*) land in <work>/findings/<target>/.
# Exits 1 when any target found something.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
all_targets=(FuzzMp3Walk FuzzWaveFile FuzzOggRewrite FuzzMp3Tags FuzzMp3Decode FuzzMp3DeepCheck)
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=("${all_targets[@]}")

build_dir=${TW_FUZZ_BUILD_DIR:-build-fuzz}
work_dir=${TW_FUZZ_WORK_DIR:-$build_dir/fuzz-work}

# Largest input per target: big enough for a few seconds of audio with its
# headers, small enough to keep each run fast.
max_len_of() {
  case $1 in
    FuzzMp3Walk) echo 65536 ;;
    FuzzOggRewrite) echo 32768 ;;
    *) echo 20000 ;;
  esac
}

for tool in clang clang++; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/setup" >&2; exit 2; }
done

# The preset "fuzz" instruments every library for coverage and the sanitizers;
# only the targets link libFuzzer's main (fuzz/CMakeLists.txt adds
# -fsanitize=fuzzer).
cmake --preset fuzz -B "$build_dir" >/dev/null
cmake --build "$build_dir" --target tw_fuzz_seeds "${targets[@]}"

seeds="$work_dir/seeds"
rm -rf "$seeds"
"$build_dir/fuzz/tw_fuzz_seeds" "$seeds"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/fuzz/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

found=0
summary=()
for target in "${targets[@]}"; do
  corpus="$work_dir/corpus/$target"
  findings="$work_dir/findings/$target"
  log="$work_dir/logs/$target.log"
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  stamp="$work_dir/logs/$target.start"
  touch "$stamp"
  echo "== $target: ${seconds}s" >&2
  # The corpus folder keeps what earlier runs learned; the seeds are read
  # alongside it. A finding ends a run; -fork would go on but hides stats.
  # Suppressing the Vorbis library's own leaks (fuzz/lsan.supp) needs the
  # full stack of each allocation.
  asan=$ASAN_OPTIONS
  [[ $target != FuzzOggRewrite ]] || asan="$asan:fast_unwind_on_malloc=0"
  set +e
  ASAN_OPTIONS=$asan "$build_dir/fuzz/$target" "$corpus" "$seeds/$target" \
    -max_total_time="$seconds" -max_len="$(max_len_of "$target")" -timeout=10 \
    -rss_limit_mb=2560 -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1
  rc=$?
  set -e
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  artifacts=$(find "$findings" -type f -newer "$stamp" | wc -l)
  [[ $rc -eq 0 && $artifacts -eq 0 ]] || found=1
  summary+=("$(printf '%-15s executions %-10s exit %-3s findings %s' "$target" "${execs:-?}" "$rc" "$artifacts")")
  if [[ $rc -ne 0 ]]; then
    grep -m1 -E 'ERROR: (AddressSanitizer|libFuzzer|LeakSanitizer)|runtime error|property broken' "$log" >&2 || true
  fi
done

printf '%s\n' "${summary[@]}"
exit $found
