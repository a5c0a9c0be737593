#!/usr/bin/env bash
# Where the CPU time of the synthesis path goes, stage by stage, per second
# of speech: runs kvo_module_bench on the Chinese (or English) paragraph
# under perf (call graphs from DWARF) with ours alone, and prints for each
# stage its inclusive share of the samples and the CPU milliseconds that
# share stands for per second of speech. Build without sanitizers
# (RelWithDebInfo) first.
#
# usage: bench/profile_stages.sh BUILD_DIR [DATA [zh|en [REPEATS [CPU]]]]
# Needs perf; the shares of a loaded machine wander by a few points.
set -euo pipefail
build=${1:?build folder}
data=${2:-data}
language=${3:-zh}
repeats=${4:-40}
cpu=${5:-1}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

"$build/bin/kvo_module_bench" "$data" tts.local.synth "$repeats" "$language" --cpu "$cpu" --sessions 0 --only-kvo \
  >"$out/bench.txt"
perf record -q -F 4000 --call-graph dwarf,16384 -o "$out/perf.data" -- \
  "$build/bin/kvo_module_bench" "$data" tts.local.synth "$repeats" "$language" --cpu "$cpu" --sessions 0 --only-kvo \
  >/dev/null 2>&1
perf report -i "$out/perf.data" --children --sort symbol --stdio -g none 2>/dev/null >"$out/report.txt"

# CPU seconds of the long text and its seconds of speech (the bench's own
# figures from the run without perf).
read -r audio cpu_s < <(awk '/tts.local.synth /{print $2, $5}' "$out/bench.txt")
total=$(awk '/\] qvTTS_SynthesizeText/{gsub("%","",$1); print $1; exit}' "$out/report.txt")
echo "$(grep -E '^(Chinese|English)' "$out/bench.txt")"
echo "long text: $audio s of speech, $cpu_s s of CPU ($(awk -v c="$cpu_s" -v a="$audio" 'BEGIN{printf "%.3f", c / a * 1000}') ms per second of speech)"
printf '%-44s %8s %14s\n' "stage (inclusive)" "share" "ms per s"
stage() {
  local label=$1 symbol=$2
  local share
  # A symbol may appear on its own and inlined: the larger share counts.
  share=$(awk -v s="$symbol" 'BEGIN{n = split(s, alt, "|")}
    {line=$0; sub(/^ *[0-9.]+% +[0-9.]+% +\[[.k]\] /, "", line); sub(/ +- +- *$/, "", line); sub(/ \(inlined\)$/, "", line)
     for (i = 1; i <= n; ++i) if (line == alt[i]) {v = $1; gsub("%", "", v); if (v + 0 > best) best = v + 0}}
    END{print best + 0}' "$out/report.txt")
  share=${share:-0}
  awk -v l="$label" -v p="$share" -v t="$total" -v c="$cpu_s" -v a="$audio" \
    'BEGIN{r = t > 0 ? p / t : 0; printf "%-44s %7.1f%% %14.3f\n", l, 100 * r, r * c / a * 1000}'
}
stage "whole synthesis" "qvTTS_SynthesizeText"
stage "front end (text to analysis items)" "qvFrontEnd_Process"
stage "  word building (lexicon)" "kvo::frontend::BuildWords"
stage "  prosodic boundaries" "kvo::frontend::PredictBoundaries"
stage "back end: planning a group" "kvo::backend::GenerateGroup"
stage "  SpeechItems" "kvo::backend::PrepareSpeechItems"
stage "  phones and context labels" "kvo::backend::BuildGroupLabels"
stage "  decision-tree lookups" "kvo::backend::FindLeaf"
stage "  state durations" "kvo::backend::ComputeStateDurations"
stage "  log-F0 trajectory" "kvo::backend::GenerateLogF0"
stage "  spectrum and gain trajectories" "kvo::backend::GenerateSpectrum"
stage "    band solver (all trajectories)" "kvo::backend::SolveTrajectory"
stage "library reads (front and back end)" "ReadFileRange|(anonymous namespace)::ReadFileRange"
stage "vocoder" "kvo::backend::VocoderRun"
stage "  all-pole filter" "kvo::backend::(anonymous namespace)::Synthesize"
stage "  LSF to LPC (with the stability check)" "kvo::backend::LsfToLpc"
stage "    stability check" "kvo::backend::LpcIsStable"
stage "format conversion" "kvo::backend::ConvertSamples"
stage "callbacks (adapter, SDK, application)" "TtsLocalEngine::QvExamOutputVoiceProc"
