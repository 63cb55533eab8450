#!/usr/bin/env bash
# Builds a corpus of MP3 files with sox and lame, damages copies of them in
# seeded ways (junk inserted, the end cut off, bytes zeroed, the VBR header
# broken, junk before the first frame), and repairs every copy the check
# calls corrupt twice over: with `tunewright-cli repair` and with `mp3val -f`
# on a separate copy. For each, how many files are sound by our check
# afterwards and how much audio was lost against the undamaged file
# (decoded frames, mpg123 without gapless trimming), and how many frames
# each kept that are no frame of the clean file (damage kept inside).
# Usage: bench/compare_repair.sh [FILES_PER_DAMAGE] [SEED]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
per_kind=${1:-8}
seed=${2:-19}
build="$root/${TW_BUILD_DIR:-build}"
runs=1
seconds=30
# shellcheck source=bench/lib.sh
source "$root/bench/lib.sh"
need_tools sox lame mpg123 mp3val python3
[[ -n ${TW_SKIP_BUILD:-} ]] || build_targets tunewright-cli
cli="$build/app/tunewright-cli"

work=$(mktemp -d)
[[ -n ${TW_KEEP_WORK:-} ]] && echo "work folder: $work" || trap 'rm -rf "$work"' EXIT
mkdir -p "$work/clean" "$work/ours" "$work/theirs"

# Clean files: music-like and noisy signals in CBR, VBR, mono MPEG-2, with
# and without tags.
make_music "$work/music.wav"
sox -n -r 44100 -c 2 -b 16 "$work/noise.wav" synth "$seconds" pinknoise gain -n -6
sox -n -r 22050 -c 1 -b 16 "$work/voice.wav" synth "$seconds" sine 200-2000 tremolo 3 80 gain -n -3
encode() { lame --quiet --noreplaygain "$@"; }
encode -b 128 "$work/music.wav" "$work/clean/music-cbr128.mp3"
encode -V 2 "$work/music.wav" "$work/clean/music-vbr2.mp3"
encode -V 5 --tt Title --ta Artist --tl Album --add-id3v2 "$work/noise.wav" "$work/clean/noise-vbr5-tags.mp3"
encode -b 320 "$work/noise.wav" "$work/clean/noise-cbr320.mp3"
encode -V 4 "$work/voice.wav" "$work/clean/voice-mpeg2-vbr.mp3"
encode -b 64 --tt Voice --id3v1-only "$work/voice.wav" "$work/clean/voice-mpeg2-cbr64-v1.mp3"

python3 - "$work" "$per_kind" "$seed" <<'PY'
import os, random, sys
work, per_kind, seed = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
rng = random.Random(seed)
clean = sorted(os.listdir(f"{work}/clean"))

def audio_span(data):
    start = 0
    if data[:3] == b"ID3":
        size = 0
        for b in data[6:10]:
            size = size << 7 | b
        start = 10 + size
    end = len(data) - (128 if data[-128:-125] == b"TAG" else 0)
    return start, end

def junk(n):
    # Random bytes with a few sync-like pairs, as found in real damage.
    out = bytearray(rng.randrange(256) for _ in range(n))
    for _ in range(max(1, n // 200)):
        at = rng.randrange(max(1, n - 1))
        out[at] = 0xFF
    return bytes(out)

def insert_junk(d, s, e):
    for _ in range(rng.randint(1, 3)):
        at = rng.randrange(s + 2000, e)
        d = d[:at] + junk(rng.randint(10, 2000)) + d[at:]
        e += 0
    return d

def truncate_and_junk(d, s, e):
    cut = rng.randint(100, 3000)
    d = d[: e - cut] + d[e:]  # the end of the audio goes, tags stay
    at = rng.randrange(s + 2000, e - cut - 2000)
    return d[:at] + junk(rng.randint(10, 400)) + d[at:]

def zero(d, s, e):
    d = bytearray(d)
    for _ in range(rng.randint(1, 3)):
        at = rng.randrange(s + 2000, e - 6000)
        n = rng.randint(50, 5000)
        d[at:at + n] = bytes(n)
    return bytes(d)

def broken_header(d, s, e):
    d = bytearray(d)
    # The first frame's Xing/Info counts and table become garbage ...
    for i in range(s + 36, s + 156):
        d[i] = rng.randrange(256)
    # ... and junk lies between frames further on.
    return insert_junk(bytes(d), s, e)

def junk_before(d, s, e):
    return d[:s] + b"\xff\xff\xff\xff" + junk(rng.randint(20, 3000)) + d[s:]

kinds = {"junk": insert_junk, "truncated": truncate_and_junk, "zeroed": zero,
         "vbrheader": broken_header, "leadingjunk": junk_before}
for kind, damage in kinds.items():
    for i in range(per_kind):
        name = clean[i % len(clean)]
        data = open(f"{work}/clean/{name}", "rb").read()
        s, e = audio_span(data)
        out = damage(data, s, e)
        for folder in ("ours", "theirs"):
            with open(f"{work}/{folder}/{kind}-{i:02d}-{name}", "wb") as f:
                f.write(out)
PY

frames() { mpg123 -q --no-gapless -s "$1" 2>/dev/null | wc -c; }

# How many audio frames of the second file are no frame of the first: the
# frames a repair kept with damage inside (information frames aside).
foreign_frames() {
  python3 - "$1" "$2" <<'PY'
import sys
def frames(path):
    data = open(path, "rb").read()
    rates = {3: (44100, 48000, 32000), 2: (22050, 24000, 16000), 0: (11025, 12000, 8000)}
    kbps = {3: (0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320),
            2: (0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160)}
    at = 0
    if data[:3] == b"ID3":
        size = 0
        for b in data[6:10]:
            size = size << 7 | b
        at = 10 + size
    out = []
    while at + 4 <= len(data):
        h = int.from_bytes(data[at:at + 4], "big")
        version, index, rate = h >> 19 & 3, h >> 12 & 15, h >> 10 & 3
        if h >> 21 != 0x7FF or version == 1 or index in (0, 15) or rate == 3:
            at += 1
            continue
        bitrate = kbps[3 if version == 3 else 2][index] * 1000
        factor = 144 if version == 3 else 72
        length = factor * bitrate // rates[version][rate] + (h >> 9 & 1)
        frame = data[at:at + length]
        if b"Xing" not in frame[:64] and b"Info" not in frame[:64]:
            out.append(frame)
        at += length
    return out
clean = set(frames(sys.argv[1]))
print(sum(1 for f in frames(sys.argv[2]) if f not in clean))
PY
}
declare -A clean_bytes
for f in "$work"/clean/*.mp3; do clean_bytes[$(basename "$f")]=$(frames "$f"); done

"$cli" check --tsv "$work/ours" >"$work/before.tsv" || true
mapfile -t corrupt < <(awk -F'\t' '$1 == "Corrupt" {print $2}' "$work/before.tsv")
echo "${#corrupt[@]} of $(wc -l <"$work/before.tsv") damaged files are corrupt by the check"

"$cli" repair --jobs 2 --backup "$work/backup" "${corrupt[@]}" >"$work/ours.txt" || true
for f in "${corrupt[@]}"; do
  mp3val -f -nb "${f/\/ours\//\/theirs\/}" >/dev/null 2>&1 || true
done

# One row per file: kind, tool, sound afterwards, milliseconds lost.
for f in "${corrupt[@]}"; do
  base=$(basename "$f")
  kind=${base%%-*}
  original=${base#*-*-}
  channels=2 rate=44100
  [[ $base != *voice* ]] || { channels=1 rate=22050; }
  # What our repair said it lost, in milliseconds.
  said=$(grep -F "/$base: " "$work/ours.txt" | sed -n 's/.* \([0-9]*\):\([0-9][0-9]\)\.\([0-9][0-9]\) of audio lost.*/\1 \2 \3/p' |
    awk '{print ($1 * 60 + $2) * 1000 + $3 * 10}')
  for tool in ours theirs; do
    file=${f/\/ours\//\/$tool\/}
    verdict=$("$cli" check --tsv "$file" | cut -f1 || true)
    got=$(frames "$file")
    foreign=$(foreign_frames "$work/clean/$original" "$file")
    echo "$kind $tool ${verdict:-Corrupt} ${clean_bytes[$original]} $got $channels $rate ${said:-0} $foreign"
  done
done >"$work/rows.txt"

echo
echo "tunewright-cli repair lines (first 12):"
head -12 "$work/ours.txt" | sed "s|$work/ours/||"
echo
awk '
  {
    lost_ms = ($4 - $5) / (2 * $6) / ($7 / 1000)
    key = $1 " " $2
    n[key]++; if ($3 == "OK") ok[key]++
    sum[key] += lost_ms; if (lost_ms > max[key]) max[key] = lost_ms
    said[key] += $8; foreign[key] += $9
    kinds[$1] = 1
    tn[$2]++; if ($3 == "OK") tok[$2]++; tsum[$2] += lost_ms; tforeign[$2] += $9
  }
  END {
    printf "%-12s %-14s %6s %8s %14s %12s %14s %13s\n", "damage", "tool", "files", "sound", "mean ms lost", "max ms lost", "mean ms said", "damaged kept"
    for (k in kinds) for (t = 0; t < 2; t++) {
      tool = t == 0 ? "ours" : "theirs"; key = k " " tool
      printf "%-12s %-14s %6d %8d %14.1f %12.1f %14s %13d\n", k, (t == 0 ? "tunewright" : "mp3val -f"), n[key], ok[key], sum[key] / n[key], max[key], (t == 0 ? sprintf("%.1f", said[key] / n[key]) : "-"), foreign[key]
    }
    for (t = 0; t < 2; t++) {
      tool = t == 0 ? "ours" : "theirs"
      printf "%-12s %-14s %6d %8d %14.1f %12s %14s %13d\n", "all", (t == 0 ? "tunewright" : "mp3val -f"), tn[tool], tok[tool], tsum[tool] / tn[tool], "", "", tforeign[tool]
    }
  }' "$work/rows.txt"
