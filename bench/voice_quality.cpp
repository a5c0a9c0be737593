// kvo_voice_quality: how close a trained voice comes to its training
// targets on held-out sentences (never trained on).
//
//   kvo_voice_quality --library LIB --sentences HELDOUT.tsv --labels DIR --audio DIR
//                     --train-labels DIR --train-audio DIR [--pitch P] [--volume V]
//   kvo_voice_quality --language en --library LIB --english ENLIB --sentences HELDOUT.tsv
//                     --labels DIR --audio DIR [--wav-out DIR]
//
// English (tools/voicetrain/build_english_voice.sh): the targets are the
// teacher's own features (log-F0 from its audio), durations are per word,
// there are no tones; --wav-out keeps each synthesis as DIR/<id>.wav for
// the recogniser (bench/english_wer.sh).
//
// DIR/labels.txt and the teacher's audio come from the same pipeline as
// training (tools/voicetrain/build_voice.sh writes them for the held-out
// sentences); the training ones teach the tone classifier. For each
// sentence the engine speaks the text; the audio is analysed like the
// teacher's and aligned to the targets by DTW over the spectra. Reported:
//   - F0 RMSE (Hz) on frames voiced in both, against the tone model's contour
//     (the synthesised F0 median-smoothed over five frames against octave
//     errors of the estimate)
//   - voicing error: share of aligned frames whose voicing differs
//   - log-spectral distance (dB) between the LPC envelopes, the synthesis
//     taken back to the level the voice is trained at (kVoiceLevel, volume)
//   - duration error per syllable (ms), syllable spans mapped through DTW
//   - tone recognisability: each syllable's F0 contour classified as level,
//     rising, low/dipping or falling (tone_classifier.h, fitted on the
//     training sentences' targets) and compared with its tone (neutral
//     tones left out); the same classifier on the held-out targets is shown
//     as the ceiling of the measure, and how often synthesis and target
//     land in the same class.
//   - level: peak, clipped samples (at full scale) and RMS of the speech.
// --pitch and --volume take the API's 0 ... 9.99 values (5 is the default);
// at another pitch the synthesis is analysed with its pitch search range
// moved by the pitch factor and the F0 error is taken against the targets
// moved likewise. --rate 8000 measures an 8 kHz voice: the teacher's
// audio is resampled to it and analysed with the vocoder's order there.
// A library of another rate is heard through that rate: its synthesis is
// resampled too (a 16 kHz voice measured at 8000 shows what the 8 kHz
// measurement alone loses).
#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "align/phone_alignment.h"
#include "align/segment_alignment.h"
#include "backend/waveform/prosody_factors.h"
#include "backend/waveform/waveform_assembly.h"
#include "core/qvtts.h"
#include "features/lpc_analysis.h"
#include "teacher/resampler.h"
#include "teacher/wav_file.h"
#include "tone_classifier.h"
#include "train/utterance_features.h"

namespace {

using namespace voicetrain;

struct Engine {
  void* block = nullptr;
  qvTTS_HANDLE handle = nullptr;
  std::string text;
  size_t offset = 0;
  std::vector<int16_t> samples;

  static int Feed(void* user, char* buffer, int32_t* length) {
    Engine* e = static_cast<Engine*>(user);
    const size_t n = std::min(e->text.size() - e->offset, static_cast<size_t>(*length));
    std::memcpy(buffer, e->text.data() + e->offset, n);
    e->offset += n;
    *length = static_cast<int32_t>(n);
    return 0;
  }
  static int Collect(void* user, int32_t, const void* data, int32_t bytes) {
    Engine* e = static_cast<Engine*>(user);
    const int16_t* p = static_cast<const int16_t*>(data);
    if (p != nullptr) e->samples.insert(e->samples.end(), p, p + bytes / 2);
    return 0;
  }
  bool Open(const std::string& library, const char* english, int pitch, int volume) {
    int32_t size = 0;
    if (qvTTS_GetExtBufSize(library.c_str(), english, nullptr, &size) != QVTTS_ERR_OK) return false;
    block = std::aligned_alloc(16, (static_cast<size_t>(size) + 15) & ~size_t{15});
    if (qvTTS_Init(library.c_str(), english, nullptr, &handle, block) != QVTTS_ERR_OK) return false;
    qvTTS_SetParam(handle, QVTTS_PARAM_CODEPAGE, 65001);
    qvTTS_SetParam(handle, QVTTS_PARAM_INPUT_MODE, QVTTS_INPUT_MODE_CALLBACK);
    qvTTS_SetParam(handle, QVTTS_PARAM_INPUT_TEXT_PROC, reinterpret_cast<intptr_t>(&Feed));
    qvTTS_SetParam(handle, QVTTS_PARAM_OUTPUT_VOICE_PROC, reinterpret_cast<intptr_t>(&Collect));
    qvTTS_SetParam(handle, QVTTS_PARAM_USER_DATA, reinterpret_cast<intptr_t>(this));
    qvTTS_SetParam(handle, QVTTS_PARAM_PITCH, pitch);
    qvTTS_SetParam(handle, QVTTS_PARAM_VOLUME, volume);
    return true;
  }
  std::vector<int16_t> Speak(const std::string& t) {
    text = t;
    offset = 0;
    samples.clear();
    qvTTS_SynthesizeText(handle);
    return samples;
  }
  ~Engine() {
    if (handle != nullptr) qvTTS_End(handle);
    std::free(block);
  }
};

// LPC envelope in dB (with the frame's level) at 32 frequencies.
std::vector<double> Envelope(const uint16_t* lsfUnits, int order, double rms) {
  std::vector<double> lsf(static_cast<size_t>(order));
  for (int i = 0; i < order; ++i) lsf[i] = lsfUnits[i] * M_PI / 65536.0;
  const std::vector<double> a = LsfToLpcFloat(lsf);
  std::vector<double> out;
  for (int k = 0; k < 32; ++k) {
    const double w = M_PI * (k + 0.5) / 32;
    std::complex<double> s = 0;
    for (size_t i = 0; i < a.size(); ++i) s += a[i] * std::polar(1.0, -w * double(i));
    out.push_back(20 * std::log10(std::max(rms, 1.0)) - 20 * std::log10(std::max(std::abs(s), 1e-6)));
  }
  return out;
}

// Spectral distance for DTW: LSF vectors, normalised.
double FrameDistance(const uint16_t* a, const uint16_t* b, int order) {
  double d = 0;
  for (int i = 0; i < order; ++i) {
    const double x = (double(a[i]) - double(b[i])) / 1000.0;
    d += x * x;
  }
  return d;
}

// DTW path as, per reference frame, the synthesised frame it maps to.
std::vector<int> Dtw(const std::vector<uint16_t>& ref, int n, const std::vector<uint16_t>& syn, int m, int order) {
  const double inf = 1e300;
  std::vector<double> cost(static_cast<size_t>(n) * m, inf);
  std::vector<uint8_t> step(static_cast<size_t>(n) * m, 0);
  auto at = [&](int i, int j) -> double& { return cost[static_cast<size_t>(i) * m + j]; };
  // A band around the diagonal keeps the search short and sane.
  const int band = std::max(50, std::abs(n - m) + 50);
  for (int i = 0; i < n; ++i) {
    const int centre = static_cast<int>(static_cast<long>(i) * m / std::max(n, 1));
    for (int j = std::max(0, centre - band); j < std::min(m, centre + band); ++j) {
      const double d = FrameDistance(&ref[static_cast<size_t>(i) * order], &syn[static_cast<size_t>(j) * order], order);
      if (i == 0 && j == 0) {
        at(i, j) = d;
        continue;
      }
      double best = inf;
      uint8_t s = 0;
      if (i > 0 && at(i - 1, j) < best) best = at(i - 1, j), s = 1;
      if (j > 0 && at(i, j - 1) < best) best = at(i, j - 1), s = 2;
      if (i > 0 && j > 0 && at(i - 1, j - 1) <= best) best = at(i - 1, j - 1), s = 3;
      if (best < inf) {
        at(i, j) = best + d;
        step[static_cast<size_t>(i) * m + j] = s;
      }
    }
  }
  std::vector<int> map(static_cast<size_t>(n), 0);
  int i = n - 1, j = m - 1;
  if (at(i, j) >= inf) {
    for (int k = 0; k < n; ++k) map[k] = static_cast<int>(static_cast<long>(k) * m / n);
    return map;
  }
  while (i >= 0 && j >= 0) {
    map[i] = j;
    const uint8_t s = step[static_cast<size_t>(i) * m + j];
    if (s == 1)
      --i;
    else if (s == 2)
      --j;
    else if (s == 3)
      --i, --j;
    else
      break;
  }
  return map;
}

// Frames of each syllable's sounds (pauses excluded), its tone and whether
// a phrase ends with it (a pause follows, or the sentence ends).
struct SyllableSpan {
  int first = -1, last = -1;  // [first, last)
  int tone = 5;
  bool phraseFinal = false;
};

std::vector<SyllableSpan> SyllableSpans(const Utterance& u) {
  std::vector<SyllableSpan> spans(static_cast<size_t>(u.syllables));
  for (const LabelledPhone& p : u.phones) {
    SyllableSpan& s = spans[static_cast<size_t>(p.syllable)];
    if (p.pause == PauseKind::kTrailing) s.phraseFinal = true;
    if (p.pause == PauseKind::kLeading && p.syllable > 0) spans[static_cast<size_t>(p.syllable) - 1].phraseFinal = true;
    if (p.pause != PauseKind::kNone) continue;
    if (s.first < 0) s.first = p.start;
    s.last = p.end;
    const char digit = p.spelling.empty() ? '5' : p.spelling.back();
    s.tone = digit >= '1' && digit <= '5' ? digit - '0' : 5;
  }
  if (!spans.empty()) spans.back().phraseFinal = true;
  return spans;
}

double Semitones(int32_t logF0) { return 12 * std::log2(std::exp(logF0 / 4096.0)); }

// Median of the target's voiced frames in semitones.
double TargetMedian(const UtteranceFeatures& f) {
  std::vector<double> st;
  for (int t = 0; t < f.frames; ++t)
    if (f.logF0[t] > 0) st.push_back(Semitones(f.logF0[t]));
  if (st.empty()) return 0.0;
  std::sort(st.begin(), st.end());
  return st[st.size() / 2];
}

std::vector<double> TargetContour(const UtteranceFeatures& f, const SyllableSpan& s) {
  std::vector<double> st;
  for (int t = s.first; t < s.last && t < f.frames; ++t)
    if (f.logF0[t] > 0) st.push_back(Semitones(f.logF0[t]));
  return st;
}

// The targets of one sentence from its teacher audio and alignment in
// `audioDir`, exactly as training takes them; false when they are missing
// or do not fit the labels.
bool ReferenceFeatures(const std::string& audioDir, Utterance& u, const AnalysisSettings& analysis,
                       UtteranceFeatures* out) {
  TeacherAlignment teacher;
  std::vector<int16_t> audio;
  int rate = 0;
  std::string reason;
  if (!ReadTeacherAlignment(audioDir + "/" + u.id + ".align", teacher) ||
      !ReadWav16(audioDir + "/" + u.id + ".wav", audio, rate) || rate % 200 != 0)
    return false;
  // A teacher with phone segments is the English one, whose F0 is usable.
  // Its alignment is in its own samples, 5-ms frames at any rate.
  const bool english = !teacher.segments.empty();
  const int hop = rate / 200;
  if (english ? !AlignSegments(teacher, hop, u, reason) : !AlignPhones(teacher, hop, u, reason)) return false;
  if (rate != analysis.rate) audio = Resample(audio, rate, analysis.rate);
  *out = ExtractFeatures(u, audio, analysis, english ? F0Source::kRecording : F0Source::kToneModel);
  return true;
}

// Fits the tone classifier on the targets of every fourth training
// sentence (plenty for five-dimensional Gaussians, and quick).
bool FitToneClassifier(const std::string& labelsDir, const std::string& audioDir, const AnalysisSettings& analysis,
                       kvo_bench::ToneClassifier* classifier) {
  int malformed = 0;
  std::vector<Utterance> utterances = ReadLabels(labelsDir + "/labels.txt", &malformed);
  for (size_t i = 0; i < utterances.size(); i += 4) {
    Utterance& u = utterances[i];
    UtteranceFeatures f;
    if (!ReferenceFeatures(audioDir, u, analysis, &f)) continue;
    const double median = TargetMedian(f);
    std::vector<double> before;
    for (const SyllableSpan& s : SyllableSpans(u)) {
      if (s.first < 0) continue;
      const std::vector<double> contour = TargetContour(f, s);
      kvo_bench::ToneFeatures features;
      if (kvo_bench::ToneFeaturesOf(contour, before, median, &features))
        classifier->Add(s.tone, s.phraseFinal, features);
      before = s.phraseFinal ? std::vector<double>() : contour;
    }
  }
  return classifier->Fit();
}

// Median F0 of the voiced frames within `radius` frames of t; 0 when none.
double NeighbourhoodMedianF0(const std::vector<FrameAnalysis>& frames, size_t t, size_t radius) {
  std::vector<double> near;
  for (size_t k = t >= radius ? t - radius : 0; k <= t + radius && k < frames.size(); ++k)
    if (frames[k].voiced && frames[k].f0 > 0) near.push_back(frames[k].f0);
  if (near.empty()) return 0.0;
  std::sort(near.begin(), near.end());
  return near[near.size() / 2];
}

// Octave errors of the frame-wise estimate: each voiced frame's F0 is
// replaced by the median of the voiced frames within two frames of it.
void SmoothF0(std::vector<FrameAnalysis>& frames) {
  std::vector<double> smoothed(frames.size(), 0.0);
  for (size_t t = 0; t < frames.size(); ++t) {
    if (!frames[t].voiced) continue;
    const double median = NeighbourhoodMedianF0(frames, t, 2);
    smoothed[t] = median > 0 ? median : frames[t].f0;
  }
  for (size_t t = 0; t < frames.size(); ++t)
    if (frames[t].voiced) frames[t].f0 = smoothed[t];
}

// Octave jumps the median filter cannot reach (runs longer than two
// frames): a voiced frame near twice or half the median of its 100-ms
// neighbourhood is moved back by an octave.
void CorrectOctaves(std::vector<FrameAnalysis>& frames) {
  std::vector<double> corrected(frames.size(), 0.0);
  for (size_t t = 0; t < frames.size(); ++t) {
    if (!frames[t].voiced || frames[t].f0 <= 0) continue;
    const double ratio = frames[t].f0 / NeighbourhoodMedianF0(frames, t, 10);
    corrected[t] = frames[t].f0;
    if (ratio > 1.7 && ratio < 2.3)
      corrected[t] = frames[t].f0 / 2;
    else if (ratio > 0.43 && ratio < 0.59)
      corrected[t] = frames[t].f0 * 2;
  }
  for (size_t t = 0; t < frames.size(); ++t)
    if (frames[t].voiced && frames[t].f0 > 0) frames[t].f0 = corrected[t];
}

// The sample rate in a library's header (int32 at byte 20); 0 when unreadable.
int LibraryRate(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char b[24] = {};
  if (!in.read(reinterpret_cast<char*>(b), sizeof b)) return 0;
  return static_cast<int>(b[20] | b[21] << 8 | b[22] << 16 | static_cast<unsigned>(b[23]) << 24);
}

// An API value 0 ... 9.99 as the engine module passes it on.
int EngineValue(const std::string& apiValue) {
  return static_cast<int>((std::atof(apiValue.c_str()) - 5.0) * 65535.0 / 10.0);
}

std::map<std::string, std::string> Options(int argc, char** argv) {
  std::map<std::string, std::string> o;
  for (int i = 1; i + 1 < argc; i += 2) o[argv[i]] = argv[i + 1];
  return o;
}

}  // namespace

int main(int argc, char** argv) {
  auto opt = Options(argc, argv);
  const bool english = opt.count("--language") && opt["--language"] == "en";
  if (!opt.count("--library") || !opt.count("--sentences") || !opt.count("--labels") || !opt.count("--audio") ||
      (english ? !opt.count("--english") : !opt.count("--train-labels") || !opt.count("--train-audio"))) {
    std::fprintf(stderr,
                 "usage: %s --library LIB --sentences HELDOUT.tsv --labels DIR --audio DIR\n"
                 "       --train-labels DIR --train-audio DIR [--pitch P] [--volume V] [--rate 8000|16000]\n"
                 "   or: %s --language en --library LIB --english ENLIB --sentences HELDOUT.tsv\n"
                 "       --labels DIR --audio DIR [--wav-out DIR] [--pitch P] [--volume V]\n",
                 argv[0], argv[0]);
    return 2;
  }
  const int rate = opt.count("--rate") ? std::atoi(opt["--rate"].c_str()) : 16000;
  AnalysisSettings analysis;
  if (!AnalysisForRate(rate, &analysis)) {
    std::fprintf(stderr, "no analysis at %d Hz\n", rate);
    return 2;
  }
  kvo_bench::ToneClassifier classifier;
  if (!english && !FitToneClassifier(opt["--train-labels"], opt["--train-audio"], analysis, &classifier)) {
    std::fprintf(stderr, "too few training syllables for the tone classifier\n");
    return 1;
  }
  std::vector<std::string> texts;
  {
    std::ifstream in(opt["--sentences"]);
    for (std::string line; std::getline(in, line);) {
      const size_t tab = line.find('\t');
      texts.push_back(tab == std::string::npos ? line : line.substr(tab + 1));
    }
  }
  int malformed = 0;
  std::vector<Utterance> utterances = ReadLabels(opt["--labels"] + "/labels.txt", &malformed);
  const int pitch = opt.count("--pitch") ? EngineValue(opt["--pitch"]) : 0;
  const int volume = opt.count("--volume") ? EngineValue(opt["--volume"]) : 0;
  const int pitchFactor = kvo::backend::PitchFactor(pitch);
  Engine engine;
  if (!engine.Open(opt["--library"], english ? opt["--english"].c_str() : nullptr, pitch, volume)) {
    std::fprintf(stderr, "cannot open %s\n", opt["--library"].c_str());
    return 1;
  }
  const int libraryRate = LibraryRate(opt["--library"]);
  if (libraryRate <= 0) {
    std::fprintf(stderr, "no sample rate in %s\n", opt["--library"].c_str());
    return 1;
  }
  const int order = analysis.order;
  // The synthesis at another pitch is searched for its pitch where it is.
  AnalysisSettings spokenAnalysis = analysis;
  spokenAnalysis.min_f0 = analysis.min_f0 * pitchFactor / 1024;
  spokenAnalysis.max_f0 = analysis.max_f0 * pitchFactor / 1024;
  spokenAnalysis.pitch_span = (analysis.pitch_span * 1024 / pitchFactor + 3) / 4 * 4;
  // The engine renders below the level the voice is trained at (and the
  // volume scales it): the spectral distance is taken at the trained level.
  const double volumeGain = volume >= 0 ? (volume + 32767.0) / 32767.0 : 32768.0 / (32768.0 - volume);
  const double renderedLevel = kvo::backend::kVoiceLevel / 32768.0 * volumeGain;
  long clipped = 0, samples = 0;
  int peak = 0;
  double sumSq = 0, voicedSq = 0;
  long voicedFrames = 0;
  double f0Sq = 0, f0FineSq = 0, lsdSum = 0, durSum = 0;
  long f0Gross = 0;
  long f0N = 0, frames = 0, voicingErrors = 0, lsdN = 0, durN = 0;
  long voicingBy[4][2] = {};  // voicing class of the target phone; target voiced, unvoiced
  int toneTotal = 0, toneRight = 0, targetRight = 0, agree = 0, sentences = 0, skipped = 0;
  std::map<int, std::pair<int, int>> perTone;  // tone -> (right, total)
  int confusion[4][4] = {};                    // intended tone, heard tone
  for (Utterance& u : utterances) {
    const int index = std::atoi(u.id.c_str() + 1) - 1;
    if (index < 0 || index >= static_cast<int>(texts.size())) {
      ++skipped;
      continue;
    }
    std::vector<int16_t> spoken = engine.Speak(texts[static_cast<size_t>(index)]);
    if (libraryRate != rate) spoken = Resample(spoken, libraryRate, rate);
    // Every sentence the teacher spoke is kept for the recogniser, also
    // those whose phones do not match the teacher's.
    if (opt.count("--wav-out")) WriteWav16(opt["--wav-out"] + "/" + u.id + ".wav", spoken, rate);
    UtteranceFeatures ref;
    if (!ReferenceFeatures(opt["--audio"], u, analysis, &ref) || spoken.size() < 800) {
      ++skipped;
      continue;
    }
    for (int16_t v : spoken) {
      const int a = std::abs(static_cast<int>(v));
      peak = std::max(peak, a);
      if (a >= 32767) ++clipped;
      sumSq += double(v) * v;
    }
    samples += static_cast<long>(spoken.size());
    std::vector<FrameAnalysis> syn = AnalyseSignal(spoken, spokenAnalysis);
    for (const FrameAnalysis& f : syn)
      if (f.voiced) voicedSq += f.rms * f.rms, ++voicedFrames;
    SmoothF0(syn);
    CorrectOctaves(syn);
    const int n = ref.frames, m = static_cast<int>(syn.size());
    std::vector<uint16_t> synLsf(static_cast<size_t>(m) * order);
    for (int j = 0; j < m; ++j)
      std::copy(syn[j].lsf.begin(), syn[j].lsf.end(), synLsf.begin() + static_cast<long>(j) * order);
    const std::vector<int> map = Dtw(ref.lsf, n, synLsf, m, order);
    ++sentences;

    const double refMedian = TargetMedian(ref);
    std::vector<double> synSt;
    for (const FrameAnalysis& f : syn)
      if (f.voiced && f.f0 > 0) synSt.push_back(12 * std::log2(f.f0));
    std::sort(synSt.begin(), synSt.end());
    const double synMedian = synSt.empty() ? 0 : synSt[synSt.size() / 2];

    // Voicing class of the target phone at each frame (label byte 53:
    // 0 voiceless consonant, 1 vowel, 2 sonorant consonant, 3 pause).
    std::vector<int> phoneClass(static_cast<size_t>(n), 3);
    for (const LabelledPhone& p : u.phones)
      for (int t = std::max(0, p.start); t < std::min(n, p.end); ++t)
        phoneClass[static_cast<size_t>(t)] = PhoneVoicing(p);
    for (int t = 0; t < n; ++t) {
      const FrameAnalysis& s = syn[static_cast<size_t>(map[t])];
      const bool refVoiced = ref.logF0[t] > 0;
      ++frames;
      if (refVoiced != s.voiced) ++voicingErrors;
      if (refVoiced != s.voiced) {
        const int cls = std::clamp(phoneClass[static_cast<size_t>(t)], 0, 3);
        ++voicingBy[cls][refVoiced ? 0 : 1];
      }
      if (refVoiced && s.voiced && s.f0 > 0) {
        const double want = std::exp(ref.logF0[t] / 4096.0) * pitchFactor / 1024.0;
        f0Sq += (s.f0 - want) * (s.f0 - want);
        ++f0N;
        if (std::fabs(s.f0 - want) > 0.2 * want)
          ++f0Gross;
        else
          f0FineSq += (s.f0 - want) * (s.f0 - want);
      }
      const double synRms = s.rms / renderedLevel;
      if (ref.rms[t] > 100 && synRms > 100) {
        const auto a = Envelope(&ref.lsf[static_cast<size_t>(t) * order], order, ref.rms[t]);
        const auto b = Envelope(s.lsf.data(), order, synRms);
        double d = 0;
        for (size_t k = 0; k < a.size(); ++k) d += (a[k] - b[k]) * (a[k] - b[k]);
        lsdSum += std::sqrt(d / double(a.size()));
        ++lsdN;
      }
    }
    // Per syllable: duration through the path, and tone classes.
    std::vector<double> gotBefore, wantBefore;
    for (const SyllableSpan& span : SyllableSpans(u)) {
      if (span.first < 0 || span.last <= span.first) continue;
      const int synFrames = map[span.last - 1] - map[span.first] + 1;
      durSum += std::fabs(synFrames - (span.last - span.first)) * 5.0;
      ++durN;
      std::vector<double> got;
      for (int j = map[span.first]; j <= map[span.last - 1]; ++j)
        if (syn[static_cast<size_t>(j)].voiced && syn[static_cast<size_t>(j)].f0 > 0)
          got.push_back(12 * std::log2(syn[static_cast<size_t>(j)].f0));
      const std::vector<double> want = TargetContour(ref, span);
      const std::vector<double> heardContext = gotBefore, wantContext = wantBefore;
      gotBefore = span.phraseFinal ? std::vector<double>() : got;
      wantBefore = span.phraseFinal ? std::vector<double>() : want;
      if (span.tone < 1 || span.tone > 4) continue;
      kvo_bench::ToneFeatures heardFeatures, wantFeatures;
      if (!kvo_bench::ToneFeaturesOf(got, heardContext, synMedian, &heardFeatures)) continue;
      const int heard = classifier.Classify(heardFeatures);
      ++toneTotal;
      confusion[span.tone - 1][heard > 0 ? heard - 1 : 0]++;
      perTone[span.tone].second++;
      if (heard == span.tone) {
        ++toneRight;
        perTone[span.tone].first++;
      }
      if (!kvo_bench::ToneFeaturesOf(want, wantContext, refMedian, &wantFeatures)) continue;
      const int target = classifier.Classify(wantFeatures);
      if (target == span.tone) ++targetRight;
      if (target == heard) ++agree;
    }
  }
  std::printf("held-out sentences %d (skipped %d); pitch value %d (F0 x %d/1024), volume value %d\n", sentences,
              skipped, pitch, pitchFactor, volume);
  std::printf("F0 RMSE on voiced frames: %.1f Hz (%ld frames)\n", f0N ? std::sqrt(f0Sq / f0N) : 0.0, f0N);
  std::printf(
      "  of which %.1f%% gross errors (more than 20%% off);"
      " RMSE of the others %.1f Hz\n",
      f0N ? 100.0 * f0Gross / f0N : 0.0, f0N > f0Gross ? std::sqrt(f0FineSq / double(f0N - f0Gross)) : 0.0);
  std::printf("voicing error: %.1f%% of %ld frames\n", frames ? 100.0 * voicingErrors / frames : 0.0, frames);
  const char* classNames[4] = {"voiceless consonants", "vowels", "sonorant consonants", "pauses"};
  for (int c = 0; c < 4; ++c)
    std::printf("  in %s: %.2f%% of all frames heard unvoiced where voiced, %.2f%% heard voiced where unvoiced\n",
                classNames[c], frames ? 100.0 * voicingBy[c][0] / frames : 0.0,
                frames ? 100.0 * voicingBy[c][1] / frames : 0.0);
  std::printf("log-spectral distance: %.2f dB (%ld frames)\n", lsdN ? lsdSum / lsdN : 0.0, lsdN);
  const char* unit = english ? "word" : "syllable";
  std::printf("duration error: %.1f ms per %s (%ld %ss)\n", durN ? durSum / durN : 0.0, unit, durN, unit);
  if (english) {
    std::printf("level: peak %d, %ld clipped samples (at full scale) of %ld; RMS %.0f, on voiced frames %.0f\n", peak,
                clipped, samples, samples ? std::sqrt(sumSq / samples) : 0.0,
                voicedFrames ? std::sqrt(voicedSq / voicedFrames) : 0.0);
    return sentences > 0 ? 0 : 1;
  }
  std::printf(
      "tone recognisability: %.1f%% of %d syllables (the same classifier on the targets: %.1f%%;"
      " synthesised and target contours in the same class: %.1f%%)\n",
      toneTotal ? 100.0 * toneRight / toneTotal : 0.0, toneTotal, toneTotal ? 100.0 * targetRight / toneTotal : 0.0,
      toneTotal ? 100.0 * agree / toneTotal : 0.0);
  for (const auto& t : perTone)
    std::printf("  tone %d: %.1f%% of %d (heard as 1/2/3/4: %d %d %d %d)\n", t.first,
                t.second.second ? 100.0 * t.second.first / t.second.second : 0.0, t.second.second,
                confusion[t.first - 1][0], confusion[t.first - 1][1], confusion[t.first - 1][2],
                confusion[t.first - 1][3]);
  std::printf("tone classifier fitted on %d syllables of training targets\n", classifier.Examples());
  std::printf("level: peak %d, %ld clipped samples (at full scale) of %ld; RMS %.0f, on voiced frames %.0f\n", peak,
              clipped, samples, samples ? std::sqrt(sumSq / samples) : 0.0,
              voicedFrames ? std::sqrt(voicedSq / voicedFrames) : 0.0);
  return sentences > 0 ? 0 : 1;
}
