#!/usr/bin/env bash
# Intelligibility of the English voice: pocketsphinx (en-us model) listens
# to our synthesis and to the teacher's audio of the same held-out
# sentences, and the word error rate of each is taken against the words
# our front end pronounced (the teacher was given the same words).
#
#   bench/english_wer.sh DIR
#
# DIR is the held-out folder of tools/voicetrain/build_english_voice.sh:
# labels/script.tsv (id, words), audio/<id>.wav (the teacher), ours/<id>.wav
# (kvo_voice_quality --wav-out). Only sentences present in both are scored.
# Needs pocketsphinx and pocketsphinx-en-us
# (scripts/install-voicetrain-deps.sh --english).
set -euo pipefail
dir="$(cd "$1" && pwd)"
model=/usr/share/pocketsphinx/model/en-us
work="$dir/wer"
mkdir -p "$work"
# Sentences spoken by both, in script order.
: > "$work/ids"
while IFS=$'\t' read -r id _; do
  [ -f "$dir/audio/$id.wav" ] && [ -f "$dir/ours/$id.wav" ] && echo "$id" >> "$work/ids"
done < "$dir/labels/script.tsv"
for side in audio ours; do
  pocketsphinx_batch -adcin yes -adchdr 44 -cepext .wav -cepdir "$dir/$side" -ctl "$work/ids" \
    -hmm "$model/en-us" -lm "$model/en-us.lm.bin" -dict "$model/cmudict-en-us.dict" \
    -hyp "$work/$side.hyp" > "$work/$side.log" 2>&1
done
python3 - "$dir/labels/script.tsv" "$work/audio.hyp" "$work/ours.hyp" <<'PY'
import re
import sys


def words(text):
    return re.findall(r"[a-z']+", text.lower())


def distance(a, b):
    row = list(range(len(b) + 1))
    for i, x in enumerate(a, 1):
        prev, row[0] = row[0], i
        for j, y in enumerate(b, 1):
            prev, row[j] = row[j], min(row[j] + 1, row[j - 1] + 1, prev + (x != y))
    return row[len(b)]


refs = {}
for line in open(sys.argv[1]):
    sid, text = line.rstrip('\n').split('\t', 1)
    refs[sid] = words(text)


def hyps(path):
    out = {}
    for line in open(path):
        m = re.match(r'^(.*) \((\S+)(?: -?\d+)?\)$', line.strip())
        if m:
            out[m.group(2)] = words(m.group(1))
    return out


teacher, ours = hyps(sys.argv[2]), hyps(sys.argv[3])
ids = [i for i in refs if i in teacher and i in ours]
total = sum(len(refs[i]) for i in ids)
wt = sum(distance(refs[i], teacher[i]) for i in ids)
wo = sum(distance(refs[i], ours[i]) for i in ids)
print(f'pocketsphinx WER on {len(ids)} held-out sentences ({total} words): '
      f'teacher {100.0 * wt / max(total, 1):.1f}%, ours {100.0 * wo / max(total, 1):.1f}%, '
      f'ratio {wo / max(wt, 1):.2f}')
PY
