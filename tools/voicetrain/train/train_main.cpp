// kvo-voicetrain: trains a voice model (Chinese, or English with
// --language en) from our engine's labels and aligned audio, and writes the
// voice library.
//
//   kvo-voicetrain --labels LABELS.txt --audio DIR --questions FILE
//                  --sections DIR --out LIBRARY [options]
//
// DIR holds <id>.wav (mono) and <id>.align per labelled sentence
// (kvo-teacher-espeak writes them; a real corpus with a forced aligner can
// write the same). --sections is a folder of sectionNN.bin payloads 1 ... 18
// or an existing Chinese library whose sections are kept; the model becomes
// section 19. With --language en the labels are English phones, the .align
// files carry the teacher's phone segments, --sections names an English
// library (or a folder of its payloads 1 ... 8), the model becomes its
// ninth section, log-F0 comes from the recording and no onset is moved.
//
// Options: --f0 tone|recording (log-F0 targets from the tone model, the
// default, or from the recording), --leaves N (most leaves per spectrum and
// log-F0 tree), --duration-leaves N, --mdl X (least error drop per split,
// in units of dims x ln(count)), --state-alignment N (passes that re-align
// the five states of every phone against the previous models and retrain;
// 0 keeps the equal split), --voicing-weight X (weight of the teacher's
// voicing in that alignment), --onset-frames N (how far a final's start may
// move back to where the recording starts voicing, 0 keeps the events'
// boundary), --rate HZ (the voice rate, 16000 by default, or 8000; audio
// at another rate is resampled to it), --order N (the LPC order; by
// default the vocoder's for the rate: 12 at 8000, 20 at 16000),
// --report FILE.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "align/phone_alignment.h"
#include "align/segment_alignment.h"
#include "cluster/decision_tree.h"
#include "core/library_format.h"
#include "library_writer.h"
#include "model_writer.h"
#include "teacher/resampler.h"
#include "teacher/wav_file.h"
#include "train/model_quantiser.h"
#include "train/pass_models.h"
#include "train/state_realignment.h"
#include "train/state_statistics.h"
#include "train/utterance_features.h"
#include "train/voice_information.h"
#include "train/voicing_onsets.h"

namespace {

using namespace voicetrain;
namespace mw = kvo::modelwriter;

struct Options {
  std::string labels, audio, questions, sections, out, report;
  F0Source f0 = F0Source::kToneModel;
  int leaves = 400;
  int durationLeaves = 300;
  double mdl = 1.0;
  int statePasses = 1;  // state alignments after the equal split
  double voicingWeight = StateAlignmentSettings().voicingWeight;
  int onsetFrames = 2;
  bool english = false;
  int rate = 16000;
  int order = 0;  // 0: the vocoder's order for the rate
  int SpectrumDims() const { return order + 1; }
};

bool ParseOptions(int argc, char** argv, Options* o) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string k = argv[i], v = argv[i + 1];
    if (k == "--labels")
      o->labels = v;
    else if (k == "--audio")
      o->audio = v;
    else if (k == "--questions")
      o->questions = v;
    else if (k == "--sections")
      o->sections = v;
    else if (k == "--out")
      o->out = v;
    else if (k == "--report")
      o->report = v;
    else if (k == "--f0")
      o->f0 = v == "recording" ? F0Source::kRecording : F0Source::kToneModel;
    else if (k == "--leaves")
      o->leaves = std::max(1, std::atoi(v.c_str()));
    else if (k == "--duration-leaves")
      o->durationLeaves = std::max(1, std::atoi(v.c_str()));
    else if (k == "--mdl")
      o->mdl = std::atof(v.c_str());
    else if (k == "--state-alignment")
      o->statePasses = std::clamp(std::atoi(v.c_str()), 0, 5);
    else if (k == "--voicing-weight")
      o->voicingWeight = std::max(0.0, std::atof(v.c_str()));
    else if (k == "--onset-frames")
      o->onsetFrames = std::clamp(std::atoi(v.c_str()), 0, 4);
    else if (k == "--rate")
      o->rate = std::atoi(v.c_str());
    else if (k == "--order")
      o->order = std::atoi(v.c_str());
    else if (k == "--language" && (v == "zh" || v == "en"))
      o->english = v == "en";
    else
      return false;
  }
  if (o->english) {
    // The teacher's own F0 is usable and its segment ends are exact.
    o->f0 = F0Source::kRecording;
    o->onsetFrames = 0;
  }
  // The engine renders a frame with the order its rate implies: a model of
  // any other order would be read with the wrong frame size.
  const int vocoderOrder = LpcOrderForRate(o->rate);
  AnalysisSettings analysis;
  if (!AnalysisForRate(o->rate, &analysis)) return false;
  if (o->order == 0) o->order = vocoderOrder;
  if (o->order != vocoderOrder) return false;
  return !o->labels.empty() && !o->audio.empty() && !o->questions.empty() && !o->sections.empty() && !o->out.empty();
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void Progress(const char* step, size_t done, size_t total) {
  if (done % 25 == 0 || done == total) std::fprintf(stderr, "\r%s: %zu/%zu", step, done, total);
  if (done == total) std::fputc('\n', stderr);
}

struct Report {
  std::map<std::string, int> skipped;
  int used = 0;
  long frames = 0;
  long thinStates = 0;  // states without frames: left out of the statistics
  std::vector<std::string> lines;
  void Line(const std::string& s) {
    lines.push_back(s);
    std::fprintf(stderr, "%s\n", s.c_str());
  }
};

struct Training {
  std::vector<Utterance> utterances;
  std::vector<UtteranceFeatures> features;
};

// A tree over state (or phone) samples, returned as model nodes.
mw::Tree ToModelTree(const GrownTree& grown, std::vector<int>* usedQuestions) {
  mw::Tree tree;
  std::vector<int> index(grown.nodes.size(), -1);
  int next = 0;
  for (size_t n = 0; n < grown.nodes.size(); ++n)
    if (grown.nodes[n].question >= 0) index[n] = next++;
  // Node numbering must keep the root first: internal nodes are already in
  // creation order with the root at 0.
  auto child = [&](int n) {
    return grown.nodes[n].question >= 0 ? mw::Child::Node(index[n]) : mw::Child::Leaf(grown.nodes[n].leaf + 1);
  };
  for (size_t n = 0; n < grown.nodes.size(); ++n) {
    const GrownNode& g = grown.nodes[n];
    if (g.question < 0) continue;
    mw::TreeNode node;
    node.question = g.question;  // remapped by the caller
    node.yes = child(g.yes);
    node.no = child(g.no);
    tree.nodes.push_back(node);
    usedQuestions->push_back(g.question);
  }
  return tree;
}

std::vector<uint8_t> ReadPayload(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Section payloads 1 ... count (18 Chinese, 8 English): the files
// sectionNN.bin of a folder, or the sections of an existing library (to
// retrain only its model).
bool ReadSections(const std::string& from, int count, std::vector<std::vector<uint8_t>>* sections) {
  sections->assign(static_cast<size_t>(count), {});
  std::error_code ec;
  if (std::filesystem::is_directory(from, ec)) {
    for (int k = 1; k <= count; ++k) {
      char name[32];
      std::snprintf(name, sizeof name, "/section%02d.bin", k);
      (*sections)[k - 1] = ReadPayload(from + name);
    }
    return true;
  }
  return kvo_libtool::SectionPayloads(ReadPayload(from), count, sections);
}

// One training pass on the phones' current state boundaries: statistics,
// trees and the quantised model; `models` keeps the trees and their leaf
// statistics for a state alignment.
void TrainPass(const Training& data, const std::vector<ContextQuestion>& questions, const Options& opt, Report* report,
               mw::VoiceModelDescription* model, std::vector<int>* used, PassModels* models) {
  report->thinStates = 0;
  // Samples per state and their global statistics.
  std::vector<ClusterSample> durationSamples;
  std::vector<ClusterSample> spectrumSamples[kStates], logF0Samples[kStates];
  struct Occurrence {
    int utterance, phone;
  };
  std::vector<Occurrence> durationOcc, stateOcc[kStates];
  LeafMoments spectrumGlobal(opt.SpectrumDims());
  std::vector<Moments> logF0Global(kWindows);
  Moments durationGlobal[kStates];
  for (size_t u = 0; u < data.utterances.size(); ++u) {
    const UtteranceFeatures& f = data.features[u];
    for (int t = 0; t < f.frames; ++t) {
      double dl = 0, ddl = 0;
      for (int d = 0; d < opt.SpectrumDims(); ++d) {
        spectrumGlobal.At(d, 0).Add(SpectrumValue(f, t, d));
        if (Windows(
                t, f.frames, [&](int k) { return SpectrumValue(f, k, d); }, [](int) { return true; }, &dl, &ddl)) {
          spectrumGlobal.At(d, 1).Add(dl);
          spectrumGlobal.At(d, 2).Add(ddl);
        }
      }
      if (f.logF0[t] > 0) {
        logF0Global[0].Add(f.logF0[t]);
        if (Windows(
                t, f.frames, [&](int k) { return double(f.logF0[k]); }, [&](int k) { return f.logF0[k] > 0; }, &dl,
                &ddl)) {
          logF0Global[1].Add(dl);
          logF0Global[2].Add(ddl);
        }
      }
    }
    for (const LabelledPhone& p : data.utterances[u].phones)
      for (int s = 0; s < kStates; ++s) {
        int a, b;
        StateFrames(p, s, &a, &b);
        durationGlobal[s].Add(b - a);
      }
  }
  const double lf0Mean = logF0Global[0].Mean();
  for (size_t u = 0; u < data.utterances.size(); ++u) {
    const UtteranceFeatures& f = data.features[u];
    const Utterance& utt = data.utterances[u];
    for (size_t pi = 0; pi < utt.phones.size(); ++pi) {
      const LabelledPhone& p = utt.phones[pi];
      ClusterSample ds;
      ds.label = p.label;
      ds.count.assign(kStates, 1.0);
      ds.sum.resize(kStates);
      for (int s = 0; s < kStates; ++s) {
        int a, b;
        StateFrames(p, s, &a, &b);
        ds.sum[s] = (b - a) - durationGlobal[s].Mean();
        if (b <= a) {
          ++report->thinStates;
          continue;
        }
        ClusterSample ss;
        ss.label = p.label;
        ss.count.assign(opt.SpectrumDims(), double(b - a));
        ss.sum.assign(opt.SpectrumDims(), 0.0);
        ClusterSample fs;
        fs.label = p.label;
        fs.count.assign(2, 0.0);
        fs.sum.assign(2, 0.0);
        for (int t = a; t < b; ++t) {
          for (int d = 0; d < opt.SpectrumDims(); ++d)
            ss.sum[d] += SpectrumValue(f, t, d) - spectrumGlobal.At(d, 0).Mean();
          fs.count[0] += 1;
          fs.sum[0] += (TargetVoiced(f, p, t) ? 1.0 : 0.0) - 0.5;
          if (f.logF0[t] > 0) {
            fs.count[1] += 1;
            fs.sum[1] += f.logF0[t] - lf0Mean;
          }
        }
        spectrumSamples[s].push_back(ss);
        logF0Samples[s].push_back(fs);
        stateOcc[s].push_back({static_cast<int>(u), static_cast<int>(pi)});
      }
      durationSamples.push_back(ds);
      durationOcc.push_back({static_cast<int>(u), static_cast<int>(pi)});
    }
  }

  // Trees.
  model->windows = kWindows;
  model->order = opt.order;
  std::vector<double> spectrumVar(opt.SpectrumDims()), f0Var{0.25, std::max(logF0Global[0].Variance(), 1.0)};
  for (int d = 0; d < opt.SpectrumDims(); ++d) spectrumVar[d] = std::max(spectrumGlobal.At(d, 0).Variance(), 1.0);
  std::vector<double> durVar(kStates);
  for (int s = 0; s < kStates; ++s) durVar[s] = std::max(durationGlobal[s].Variance(), 0.25);

  TreeSettings durSettings;
  durSettings.maxLeaves = opt.durationLeaves;
  durSettings.minCount = 10;
  durSettings.thresholdPerDim = opt.mdl;
  std::fprintf(stderr, "clustering durations (%zu phones)\n", durationSamples.size());
  const GrownTree durTree = GrowTree(durationSamples, questions, durVar, durSettings);
  model->duration = ToModelTree(durTree, used);
  std::vector<LeafMoments> durLeaves(static_cast<size_t>(durTree.leaves), LeafMoments(kStates));
  for (size_t i = 0; i < durationOcc.size(); ++i) {
    const LabelledPhone& p = data.utterances[durationOcc[i].utterance].phones[durationOcc[i].phone];
    for (int s = 0; s < kStates; ++s) {
      int a, b;
      StateFrames(p, s, &a, &b);
      durLeaves[durTree.leafOf[i]].At(s, 0).Add(b - a);
    }
  }
  QuantiseDurations(durLeaves, model);

  std::vector<std::vector<LeafMoments>> spectrumLeaves(kStates), logF0Leaves(kStates);
  std::vector<std::vector<double>> voicedShare(kStates);
  char line[200];
  for (int s = 0; s < kStates; ++s) {
    std::fprintf(stderr, "clustering state %d (%zu samples)\n", s, spectrumSamples[s].size());
    TreeSettings settings;
    settings.maxLeaves = opt.leaves;
    settings.minCount = 40;  // frames
    settings.thresholdPerDim = opt.mdl;
    const GrownTree spectrumTree = GrowTree(spectrumSamples[s], questions, spectrumVar, settings);
    const GrownTree lf0 = GrowTree(logF0Samples[s], questions, f0Var, settings);
    model->spectrum[s] = ToModelTree(spectrumTree, used);
    model->logF0[s] = ToModelTree(lf0, used);
    spectrumLeaves[s].assign(static_cast<size_t>(spectrumTree.leaves), LeafMoments(opt.SpectrumDims()));
    logF0Leaves[s].assign(static_cast<size_t>(lf0.leaves), LeafMoments(1));
    std::vector<double> voicedFrames(static_cast<size_t>(lf0.leaves), 0.0),
        allFrames(static_cast<size_t>(lf0.leaves), 0.0);
    for (size_t i = 0; i < stateOcc[s].size(); ++i) {
      const UtteranceFeatures& f = data.features[stateOcc[s][i].utterance];
      const LabelledPhone& p = data.utterances[stateOcc[s][i].utterance].phones[stateOcc[s][i].phone];
      int a, b;
      StateFrames(p, s, &a, &b);
      LeafMoments& sl = spectrumLeaves[s][spectrumTree.leafOf[i]];
      LeafMoments& fl = logF0Leaves[s][lf0.leafOf[i]];
      for (int t = a; t < b; ++t) {
        double dl, ddl;
        for (int d = 0; d < opt.SpectrumDims(); ++d) {
          sl.At(d, 0).Add(SpectrumValue(f, t, d));
          if (Windows(
                  t, f.frames, [&](int k) { return SpectrumValue(f, k, d); }, [](int) { return true; }, &dl, &ddl)) {
            sl.At(d, 1).Add(dl);
            sl.At(d, 2).Add(ddl);
          }
        }
        allFrames[lf0.leafOf[i]] += 1;
        if (f.logF0[t] > 0) {
          voicedFrames[lf0.leafOf[i]] += 1;
          fl.At(0, 0).Add(f.logF0[t]);
          if (Windows(
                  t, f.frames, [&](int k) { return double(f.logF0[k]); }, [&](int k) { return f.logF0[k] > 0; }, &dl,
                  &ddl)) {
            fl.At(0, 1).Add(dl);
            fl.At(0, 2).Add(ddl);
          }
        }
      }
    }
    voicedShare[s].resize(static_cast<size_t>(lf0.leaves));
    for (int l = 0; l < lf0.leaves; ++l) voicedShare[s][l] = allFrames[l] > 0 ? voicedFrames[l] / allFrames[l] : 0.0;
    models->spectrum[s] = spectrumTree;
    models->spectrumLeaves[s] = spectrumLeaves[s];
    models->logF0[s] = lf0;
    models->voicedShare[s] = voicedShare[s];
    std::snprintf(line, sizeof line, "state %d: %d spectrum leaves, %d log-F0 leaves", s, spectrumTree.leaves,
                  lf0.leaves);
    report->Line(line);
  }
  QuantiseSpectrum(spectrumLeaves, spectrumGlobal, model);
  QuantiseLogF0(logF0Leaves, voicedShare, logF0Global, model);
  std::snprintf(line, sizeof line, "durations: %d leaves", durTree.leaves);
  report->Line(line);
  models->duration = durTree;
  models->durationLeaves = durLeaves;
  models->spectrumVariance = spectrumVar;
}

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  if (!ParseOptions(argc, argv, &opt)) {
    std::fprintf(stderr,
                 "usage: %s --labels LABELS --audio DIR --questions FILE --sections DIR --out LIBRARY\n"
                 "       [--f0 tone|recording] [--leaves N] [--duration-leaves N] [--mdl X]\n"
                 "       [--state-alignment PASSES] [--voicing-weight X] [--onset-frames N]\n"
                 "       [--language zh|en] [--rate 8000|16000] [--order N] [--report FILE]\n"
                 "       (--order must be the vocoder's for the rate: 12 at 8000, 20 at 16000)\n",
                 argv[0]);
    return 2;
  }
  Report report;
  std::vector<ContextQuestion> questions;
  std::string error;
  if (!ParseQuestions(ReadText(opt.questions), &questions, &error)) {
    std::fprintf(stderr, "%s: %s\n", opt.questions.c_str(), error.c_str());
    return 1;
  }
  int malformed = 0;
  std::vector<Utterance> all = ReadLabels(opt.labels, &malformed);
  if (malformed > 0) report.skipped["malformed label records"] += malformed;

  // 1. Alignment and analysis.
  Training data;
  AnalysisSettings analysis;
  AnalysisForRate(opt.rate, &analysis);
  analysis.lag_window_hz = TrainingLagWindowHz(opt.rate);
  long movedOnsets = 0;
  for (size_t i = 0; i < all.size(); ++i) {
    Progress("analysis", i + 1, all.size());
    Utterance& u = all[i];
    TeacherAlignment teacher;
    std::vector<int16_t> audio;
    int rate = 0;
    if (!ReadTeacherAlignment(opt.audio + "/" + u.id + ".align", teacher) ||
        !ReadWav16(opt.audio + "/" + u.id + ".wav", audio, rate)) {
      ++report.skipped["no audio or alignment (the teacher failed)"];
      continue;
    }
    if (rate != teacher.rate || rate % 200 != 0 || static_cast<int>(audio.size()) != teacher.samples) {
      ++report.skipped["audio rate or length differs from the alignment"];
      continue;
    }
    // The alignment is in the teacher's samples; its 5-ms frames are the
    // voice's frames whatever the two rates.
    const int teacherHop = rate / 200;
    std::string reason;
    const bool aligned = opt.english ? !teacher.segments.empty() && AlignSegments(teacher, teacherHop, u, reason)
                                     : !teacher.syllables.empty() && AlignPhones(teacher, teacherHop, u, reason);
    if (!aligned) {
      if (reason.empty()) reason = "the teacher's timing is of the other language";
      ++report.skipped["alignment misfit: " + reason];
      continue;
    }
    if (rate != opt.rate) audio = Resample(audio, rate, opt.rate);
    data.features.push_back(ExtractFeatures(u, audio, analysis, opt.f0));
    // The moved frames are voiced in the recording, so their targets
    // stay as they are: only the phones' spans change.
    movedOnsets += MoveOnsetsToVoicing(u, data.features.back(), opt.onsetFrames);
    data.utterances.push_back(u);
  }
  {
    char line[160];
    std::snprintf(line, sizeof line, "voice onsets: %ld finals start earlier, where the recording starts voicing",
                  movedOnsets);
    report.Line(line);
  }
  report.used = static_cast<int>(data.utterances.size());
  if (report.used == 0) {
    std::fprintf(stderr, "no usable sentences\n");
    for (const auto& r : report.skipped) std::fprintf(stderr, "skipped %d: %s\n", r.second, r.first.c_str());
    return 1;
  }

  // 2. Gains by analysis by synthesis through our vocoder.
  for (size_t u = 0; u < data.features.size(); ++u) {
    Progress("gains", u + 1, data.features.size());
    ApplyGains(data.features[u], opt.rate);
  }
  {
    // How loud the frames render with the gains as the model stores them.
    double sum = 0, sq = 0;
    int n = 0;
    for (size_t u = 0; u < data.features.size(); u += 7) {
      const UtteranceFeatures& f = data.features[u];
      for (int t = 0; t < f.frames; t += 37) {
        const double gain = GainOfLogValue(f.logGain[t]);
        if (f.rms[t] < 30 || gain < 3 || gain >= 255) continue;
        std::vector<uint16_t> lsf(f.lsf.begin() + static_cast<long>(t) * opt.order,
                                  f.lsf.begin() + static_cast<long>(t + 1) * opt.order);
        const double rendered = RenderedRms(lsf, f.renderF0[t], static_cast<int>(std::lround(gain)), opt.rate);
        if (rendered <= 0) continue;
        const double db = 20 * std::log10(rendered / f.rms[t]);
        sum += db;
        sq += db * db;
        ++n;
      }
    }
    char line[200];
    std::snprintf(line, sizeof line,
                  "gains: rendered level minus recorded level %.2f dB mean, %.2f dB rms over %d frames",
                  n ? sum / n : 0.0, n ? std::sqrt(sq / n) : 0.0, n);
    report.Line(line);
  }

  for (const UtteranceFeatures& f : data.features) report.frames += f.frames;

  // 3. Training passes: the first on equal state splits, each further one
  // on the states the previous models align.
  mw::VoiceModelDescription model;
  std::vector<int> used;
  PassModels models;
  StateAlignmentSettings alignment;
  alignment.voicingWeight = opt.voicingWeight;
  char line[200];
  for (int pass = 0;; ++pass) {
    model = mw::VoiceModelDescription();
    used.clear();
    TrainPass(data, questions, opt, &report, &model, &used, &models);
    const VoicingAgreement v = MeasureStateVoicing(models, questions, data.features, data.utterances);
    std::snprintf(line, sizeof line,
                  "pass %d: state voicing differs from the teacher's in %.2f%% of all frames, %.2f%% of "
                  "voiceless-consonant frames",
                  pass, 100.0 * v.disagree / std::max(1L, v.frames),
                  100.0 * v.voicelessDisagree / std::max(1L, v.voicelessFrames));
    report.Line(line);
    if (pass == opt.statePasses) break;
    std::fprintf(stderr, "state alignment %d\n", pass + 1);
    const RealignmentCounts c = RealignStates(models, questions, data.features, alignment, &data.utterances);
    std::snprintf(line, sizeof line,
                  "state alignment %d: %ld phones aligned, %ld shorter than %d frames and %ld without a path keep "
                  "their split; boundaries moved %.2f frames on average",
                  pass + 1, c.aligned, c.shortPhones, kStates, c.failed,
                  c.boundaries ? c.shiftFrames / c.boundaries : 0.0);
    report.Line(line);
  }

  // Only the questions the trees use go into the model, in file order.
  std::sort(used.begin(), used.end());
  used.erase(std::unique(used.begin(), used.end()), used.end());
  if (used.empty()) used.push_back(0);
  std::vector<int> remap(questions.size(), -1);
  for (size_t i = 0; i < used.size(); ++i) {
    remap[used[i]] = static_cast<int>(i);
    const ContextQuestion& q = questions[used[i]];
    model.questions.push_back(mw::Question{q.test, q.labelByte, q.values});
  }
  auto remapTree = [&](mw::Tree& t) {
    for (mw::TreeNode& n : t.nodes) n.question = remap[n.question];
  };
  remapTree(model.duration);
  for (int s = 0; s < kStates; ++s) {
    remapTree(model.spectrum[s]);
    remapTree(model.logF0[s]);
  }

  // 4. The library.
  std::vector<std::vector<uint8_t>> sections;
  const int sectionCount = (opt.english ? kvo_library::kEnglishSectionCount : kvo_library::kChineseSectionCount) - 1;
  if (!ReadSections(opt.sections, sectionCount, &sections)) {
    std::fprintf(stderr, "cannot read the sections of %s\n", opt.sections.c_str());
    return 1;
  }
  // Sections of a library at another rate name that rate.
  const size_t voiceInformation = opt.english ? 1 : 17;
  if (!SetVoiceRate(sections[voiceInformation], opt.rate)) {
    std::fprintf(stderr, "%s: the voice information section is too short\n", opt.sections.c_str());
    return 1;
  }
  mw::LibraryHeader header;
  header.sampleRate = opt.rate;
  header.language = opt.english ? kvo_library::kLanguageEnglish : kvo_library::kLanguageChinese;
  uint32_t position = 0;
  const std::vector<uint8_t> library = mw::WriteLibrary(header, sections, model, &position, &error);
  if (library.empty()) {
    std::fprintf(stderr, "model writer: %s\n", error.c_str());
    return 1;
  }
  std::ofstream out(opt.out, std::ios::binary);
  out.write(reinterpret_cast<const char*>(library.data()), static_cast<std::streamsize>(library.size()));
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", opt.out.c_str());
    return 1;
  }
  std::snprintf(line, sizeof line,
                "sentences used %d of %zu, %ld frames (%.1f min), %zu questions used, library %zu bytes, model from %u",
                report.used, all.size(), report.frames, report.frames * 0.005 / 60.0, used.size(), library.size(),
                position);
  report.Line(line);
  std::snprintf(line, sizeof line, "states without frames (left out of spectrum and log-F0 statistics): %ld",
                report.thinStates);
  report.Line(line);
  for (const auto& s : report.skipped) {
    std::snprintf(line, sizeof line, "skipped %d: %s", s.second, s.first.c_str());
    report.Line(line);
  }
  if (!opt.report.empty()) {
    std::ofstream r(opt.report);
    for (const std::string& l : report.lines) r << l << '\n';
  }
  return 0;
}
