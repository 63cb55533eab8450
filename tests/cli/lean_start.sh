#!/bin/sh
# `check`, `--help` and `--version` start without the audio libraries, TagLib,
# SQLite or Qt; `info` opens the commands module that has them, which also
# shows that the loader's trace is read right. Then the same program,
# installed, still finds its module.
# Usage: lean_start.sh PROGRAM BUILD_DIR WORK_DIR CMAKE
set -u
program=$1 build=$2 work=$3/lean-start cmake=$4
rm -rf "$work" && mkdir -p "$work" || exit 1
file="$work/twenty-frames.mp3"
for i in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20; do
  printf '\377\373\220\144'; head -c 413 /dev/zero
done > "$file"

heavy='file=([^ ]*/)?lib(Qt6Core|tag|mp3lame|vorbis|mpg123|soxr|sqlite3|tunewright-commands)[.-]'
loaded() { LD_DEBUG=files "$@" 2>&1 >/dev/null | grep -E "$heavy" | sed "s/.*file=//; s/ .*//" | sort -u | tr "\n" " "; }

status=0
for args in "check $file" "check --tsv -v $file" "--help" "--version" "check --help"; do
  libraries=$(loaded "$program" $args)
  [ -z "$libraries" ] || { echo "'$args' loaded: $libraries"; status=1; }
done
loaded "$program" info "$file" | grep -q tunewright-commands || { echo "'info' did not load the module"; status=1; }

"$cmake" --install "$build" --component cli --prefix "$work/prefix" >/dev/null || exit 1
"$work/prefix/bin/$(basename "$program")" info "$file" >/dev/null || { echo "the installed program cannot run 'info'"; status=1; }
exit $status
