// kvo-teacher-flite: reads English training sentences (the words our own
// front end pronounces, kvo-voicetrain-labels --english), lets Flite's
// cmu_us_slt voice speak each one, and writes its 16 kHz audio with the
// phone segments of its utterance for the trainer.
//
// Usage: kvo-teacher-flite SCRIPT.tsv OUTDIR
// Writes OUTDIR/<id>.wav and OUTDIR/<id>.align ("seg <index> <phone>
// <start> <end>", samples); prints a summary with the sentences skipped.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

extern "C" {
#include <flite/flite.h>
cst_voice* register_cmu_us_slt(const char* voxdir);
}

#include "teacher/wav_file.h"

namespace {

constexpr int kRate = 16000;

struct Segment {
  std::string name;
  int end;  // samples
};

// One sentence; false with a reason when the teacher gives no usable
// utterance.
bool Speak(cst_voice* voice, const std::string& text, std::vector<int16_t>* audio, std::vector<Segment>* segments,
           std::string* reason) {
  cst_utterance* utt = flite_synth_text(text.c_str(), voice);
  if (utt == nullptr) {
    *reason = "teacher produced no utterance";
    return false;
  }
  const cst_wave* wave = utt_wave(utt);
  if (wave == nullptr || wave->num_samples <= 0 || wave->num_channels != 1 || wave->sample_rate != kRate) {
    delete_utterance(utt);
    *reason = "teacher audio missing or not 16 kHz mono";
    return false;
  }
  audio->assign(wave->samples, wave->samples + wave->num_samples);
  segments->clear();
  cst_relation* rel = utt_relation(utt, "Segment");
  for (cst_item* s = rel ? relation_head(rel) : nullptr; s != nullptr; s = item_next(s)) {
    const double end = item_feat_float(s, "end");
    const int at = static_cast<int>(std::lround(end * kRate));
    segments->push_back({item_feat_string(s, "name"), std::min(at, wave->num_samples)});
  }
  delete_utterance(utt);
  if (segments->empty()) {
    *reason = "teacher utterance without segments";
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s SCRIPT.tsv OUTDIR\n", argv[0]);
    return 2;
  }
  std::ifstream script(argv[1]);
  if (!script) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  flite_init();
  cst_voice* voice = register_cmu_us_slt(nullptr);
  if (voice == nullptr) {
    std::fprintf(stderr, "cannot load the cmu_us_slt voice\n");
    return 1;
  }
  const std::string out = argv[2];
  std::map<std::string, int> skipped;
  int written = 0, total = 0;
  for (std::string line; std::getline(script, line);) {
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    ++total;
    const std::string id = line.substr(0, tab), text = line.substr(tab + 1);
    std::vector<int16_t> audio;
    std::vector<Segment> segments;
    std::string reason;
    if (!Speak(voice, text, &audio, &segments, &reason)) {
      ++skipped[reason];
      continue;
    }
    FILE* align = std::fopen((out + "/" + id + ".align").c_str(), "w");
    if (align == nullptr || !voicetrain::WriteWav16(out + "/" + id + ".wav", audio, kRate)) {
      if (align != nullptr) std::fclose(align);
      ++skipped["cannot write the audio or alignment"];
      continue;
    }
    std::fprintf(align, "rate %d\nsamples %zu\n", kRate, audio.size());
    int start = 0;
    for (size_t k = 0; k < segments.size(); ++k) {
      std::fprintf(align, "seg %zu %s %d %d\n", k, segments[k].name.c_str(), start, segments[k].end);
      start = segments[k].end;
    }
    std::fclose(align);
    ++written;
    if (written % 100 == 0) std::fprintf(stderr, "\rteacher: %d/%d", written, total);
  }
  std::fprintf(stderr, "\n");
  std::printf("spoken %d of %d sentences\n", written, total);
  for (const auto& r : skipped) std::printf("skipped %d: %s\n", r.second, r.first.c_str());
  return written > 0 ? 0 : 1;
}
