#!/usr/bin/env bash
# How many small faults in production code does the test suite catch?
#
#   bench/mutants.sh [list] [number...]
#
# Applies each mutant of the list (default bench/mutants.txt, one per line:
# path<TAB>line<TAB>original text<TAB>replacement text) in the tree it is run
# in, one at a time: incremental build in ./build, the whole ctest suite, then
# the file is put back. A mutant is "caught" when a test fails, "survived" when
# all pass, "no-build" when it does not compile. Numbers pick mutants (1-based)
# to run only those. The lines were drawn by bench/mutants_draw.py
# (random.Random(20) over the layers). Logs go to build/mutants/.
# The format check is left out: a mutant that only upsets the line layout
# is no fault found. MUTANTS_FAST=1 stops the suite at its first failure.
set -u
cd "$(git rev-parse --show-toplevel)" || exit 2
list=bench/mutants.txt
if [[ $# -gt 0 && ! $1 =~ ^[0-9]+$ ]]; then
    list=$1
    shift
fi
wanted=" $* "
logs=build/mutants
mkdir -p "$logs"

saved="" # the file now mutated; its clean copy is $logs/saved
restore()
{
    if [[ -n $saved ]]; then
        cp -p "$logs/saved" "$saved" && touch "$saved"
        saved=""
    fi
}
trap restore EXIT
trap 'restore; exit 130' INT TERM

# Replaces the first occurrence of $3 on line $2 of file $1 by $4; fails
# (changing nothing) when the line does not hold it.
apply_mutant()
{
    python3 - "$@" <<'EOF'
import sys
path, number, original, replacement = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
with open(path, encoding='utf-8') as f:
    lines = f.readlines()
if number > len(lines) or original not in lines[number - 1]:
    sys.exit(f'{path}:{number} does not hold "{original}"')
lines[number - 1] = lines[number - 1].replace(original, replacement, 1)
with open(path, 'w', encoding='utf-8') as f:
    f.writelines(lines)
EOF
}

caught=0
total=0
table=()
n=0
while IFS=$'\t' read -r path line original replacement; do
    [[ -z $path || $path == \#* ]] && continue
    n=$((n + 1))
    [[ $wanted != "  " && $wanted != *" $n "* ]] && continue
    total=$((total + 1))
    log=$logs/$n.log
    cp -p "$path" "$logs/saved"
    saved=$path
    if ! apply_mutant "$path" "$line" "$original" "$replacement" 2>"$log"; then
        restore
        echo "the list is out of date: $(cat "$log")" >&2
        exit 2
    fi
    echo "[$n] $path:$line  $original  ->  $replacement" | tee -a "$log"
    if ! cmake --build build -j2 >>"$log" 2>&1; then
        result=no-build
        by=""
    elif ctest --test-dir build -j2 -E '^format\.' ${MUTANTS_FAST:+--stop-on-failure} >>"$log" 2>&1; then
        result=survived
        by=""
    else
        result=caught
        caught=$((caught + 1))
        failed=$(sed -n '/The following tests FAILED:/,$p' "$log" | grep -cE '^\s+[0-9]+ - ')
        by="$(sed -n '/The following tests FAILED:/,$p' "$log" | grep -m1 -E '^\s+[0-9]+ - ' |
            sed -E 's/^\s+[0-9]+ - //; s/ +#.*//; s/ \(.*\)$//') (+$((failed - 1)) more)"
    fi
    restore
    echo "    $result $by"
    table+=("$(printf '%2d  %-9s %s:%s  %s -> %s\n      %s' "$n" "$result" "$path" "$line" \
        "$original" "$replacement" "$by")")
done <"$list"

# Put the binaries back in step with the clean sources.
cmake --build build -j2 >"$logs/clean-build.log" 2>&1
echo
printf '%s\n' "${table[@]}"
echo "caught $caught of $total"
