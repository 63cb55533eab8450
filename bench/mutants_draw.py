#!/usr/bin/env python3
"""Draws the production lines for bench/mutants.txt, reproducibly.

Every non-comment line of src/<layer>/**.cpp and app/**.cpp that holds a
comparison, a logical operator, +/- 1, true/false or a return is a candidate;
they are shuffled with random.Random(20) and taken in that order, at most two
per layer, keeping a slot for every layer not yet drawn, until there are 20.
Lines that only print text (start with <<) are skipped; so are those named in
REDRAWN (declarations with nothing to flip, messages, code only reached when
the program cannot start).  The mutation on each line is chosen by hand.
"""
import random
import re
import subprocess

LAYERS = ['src/io', 'src/check', 'src/audio', 'src/repair', 'src/state', 'src/tracks',
          'src/conversion', 'src/cli', 'src/settings', 'src/ui', 'app']
REDRAWN = {'src/cli/CheckCommand.cpp:571', 'src/io/Text.cpp:93', 'src/repair/MP3Repair.cpp:288',
           'src/check/MP3DecodeCheck.cpp:189', 'app/cli/LoadedCliModule.cpp:53'}
MUTABLE = re.compile(r'(<=|>=|==|!=|&&|\|\||\+ 1|- 1|\btrue\b|\bfalse\b|[<>]|return )')

files = subprocess.run(['git', 'ls-files'] + [l + '/*.cpp' for l in LAYERS],
                       capture_output=True, text=True, check=True).stdout.split()
candidates = []
for path in sorted(files):
    with open(path, encoding='utf-8') as source:
        for number, text in enumerate(source, 1):
            line = text.strip()
            if not line.startswith(('//', '*', '/*', '#')) and MUTABLE.search(line):
                candidates.append((path, number, line))
random.Random(20).shuffle(candidates)

drawn, per_layer = [], {}
for path, number, line in candidates:
    layer = next(l for l in LAYERS if path.startswith(l + '/'))
    uncovered = sum(1 for l in LAYERS if l not in per_layer and l != layer)
    if per_layer.get(layer, 0) >= 2 or 20 - len(drawn) - 1 < uncovered:
        continue
    if line.startswith('<<') or f'{path}:{number}' in REDRAWN:
        continue
    per_layer[layer] = per_layer.get(layer, 0) + 1
    drawn.append((path, number, line))
    if len(drawn) == 20:
        break
for path, number, line in drawn:
    print(f'{path}\t{number}\t{line}')
