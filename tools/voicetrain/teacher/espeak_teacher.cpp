// kvo-teacher-espeak: reads training sentences (tone-numbered pinyin from our
// own front end), lets eSpeak NG's Mandarin pinyin voice speak each one, and
// writes 16 kHz audio with syllable, phone and pause times for the trainer.
//
// Usage: kvo-teacher-espeak SCRIPT.tsv OUTDIR [--rate HZ]
// Writes OUTDIR/<id>.wav and OUTDIR/<id>.align; prints a summary with the
// sentences skipped and why.
#include <espeak-ng/speak_lib.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "teacher/pinyin_script.h"
#include "teacher/resampler.h"
#include "teacher/wav_file.h"

namespace {

struct Event {
  enum Kind { kWord, kPhoneme, kEnd } kind;
  int sample;
  int text_position;
  std::string name;
};

struct Capture {
  std::vector<int16_t> samples;
  std::vector<Event> events;
};

Capture* g_capture = nullptr;

int OnSynth(short* wav, int count, espeak_EVENT* events) {
  if (wav != nullptr && count > 0) g_capture->samples.insert(g_capture->samples.end(), wav, wav + count);
  for (; events != nullptr && events->type != espeakEVENT_LIST_TERMINATED; ++events) {
    if (events->type == espeakEVENT_WORD && events->length == 0) {
      // A word event without text: the teacher marks the end of a
      // clause after a trailing pause mark; no syllable starts here.
      continue;
    } else if (events->type == espeakEVENT_WORD) {
      g_capture->events.push_back({Event::kWord, events->sample, events->text_position, ""});
    } else if (events->type == espeakEVENT_PHONEME) {
      char name[9] = {0};
      std::memcpy(name, events->id.string, 8);
      g_capture->events.push_back({Event::kPhoneme, events->sample, 0, name});
    } else if (events->type == espeakEVENT_END || events->type == espeakEVENT_MSG_TERMINATED) {
      g_capture->events.push_back({Event::kEnd, events->sample, 0, ""});
    }
  }
  return 0;
}

struct Segment {
  std::string name;
  int start;
  int end;
};

struct SyllableTiming {
  std::string pinyin;
  int start = 0;
  int end = 0;
  std::vector<Segment> phones;
  Segment pause{"", -1, -1};  // a pause after the syllable, if any
};

bool IsBoundary(const std::string& phoneme) { return phoneme == "_|"; }
bool IsPause(const std::string& phoneme) { return !phoneme.empty() && phoneme[0] == '_' && !IsBoundary(phoneme); }

// Turns the event stream into per-syllable timings; false when the teacher's
// syllables do not match the script (it dropped or merged some).
bool Align(const voicetrain::ScriptLine& line, const Capture& capture, std::vector<SyllableTiming>& out,
           std::string& error) {
  std::map<int, std::string> syllable_at;  // text position -> pinyin
  for (const auto& token : line.tokens) {
    if (!token.is_pause) syllable_at[token.text_position] = token.text;
  }
  const int total = static_cast<int>(capture.samples.size());
  for (size_t i = 0; i < capture.events.size(); ++i) {
    const Event& e = capture.events[i];
    if (e.kind != Event::kWord) continue;
    const auto found = syllable_at.find(e.text_position);
    if (found == syllable_at.end()) {
      error = "teacher word at an unexpected text position " + std::to_string(e.text_position);
      return false;
    }
    SyllableTiming timing;
    timing.pinyin = found->second;
    timing.start = e.sample;
    int next_word = total;
    for (size_t j = i + 1; j < capture.events.size(); ++j) {
      if (capture.events[j].kind == Event::kWord) {
        next_word = capture.events[j].sample;
        break;
      }
    }
    timing.end = next_word;
    for (size_t j = i + 1; j < capture.events.size() && capture.events[j].kind != Event::kWord; ++j) {
      const Event& p = capture.events[j];
      if (p.kind != Event::kPhoneme) continue;
      if (IsBoundary(p.name)) continue;
      if (IsPause(p.name)) {
        if (timing.pause.start < 0) {
          timing.end = p.sample;
          timing.pause = {"pau", p.sample, next_word};
        }
        continue;
      }
      if (timing.pause.start >= 0) continue;  // voice after a pause: not expected
      if (!timing.phones.empty()) timing.phones.back().end = p.sample;
      timing.phones.push_back({p.name, p.sample, timing.end});
    }
    if (!timing.phones.empty()) timing.phones.back().end = timing.end;
    if (timing.phones.empty() || timing.end <= timing.start) {
      error = "teacher gave no sound for " + timing.pinyin;
      return false;
    }
    out.push_back(timing);
  }
  if (static_cast<int>(out.size()) != line.syllable_count) {
    error = "teacher spoke " + std::to_string(out.size()) + " of " + std::to_string(line.syllable_count) + " syllables";
    return false;
  }
  return true;
}

int Rescale(int position, int from, int to) {
  return static_cast<int>(voicetrain::MapSamplePosition(position, from, to));
}

bool WriteAlignment(const std::string& path, const std::vector<SyllableTiming>& timings, int samples, int from,
                    int to) {
  FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return false;
  std::fprintf(f, "rate %d\nsamples %d\n", to, samples);
  for (size_t i = 0; i < timings.size(); ++i) {
    const SyllableTiming& t = timings[i];
    std::fprintf(f, "syl %zu %s %d %d\n", i, t.pinyin.c_str(), Rescale(t.start, from, to), Rescale(t.end, from, to));
    for (const Segment& p : t.phones)
      std::fprintf(f, "ph %zu %s %d %d\n", i, p.name.c_str(), Rescale(p.start, from, to), Rescale(p.end, from, to));
    if (t.pause.start >= 0)
      std::fprintf(f, "pause %zu %d %d\n", i, Rescale(t.pause.start, from, to), Rescale(t.pause.end, from, to));
  }
  return std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s SCRIPT.tsv OUTDIR [--rate HZ]\n", argv[0]);
    return 2;
  }
  const std::string script_path = argv[1];
  const std::string out_dir = argv[2];
  int out_rate = 16000;
  for (int i = 3; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--rate") == 0) out_rate = std::atoi(argv[i + 1]);
  }
  std::ifstream script(script_path);
  if (!script) {
    std::fprintf(stderr, "cannot read %s\n", script_path.c_str());
    return 1;
  }
  std::vector<std::string> lines;
  for (std::string line; std::getline(script, line);) {
    if (!line.empty() && line[0] != '#') lines.push_back(line);
  }

  const int teacher_rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_PHONEME_EVENTS);
  if (teacher_rate <= 0 || espeak_SetVoiceByName("cmn-latn-pinyin") != EE_OK) {
    std::fprintf(stderr, "eSpeak NG or its cmn-latn-pinyin voice is not available\n");
    return 1;
  }
  espeak_SetSynthCallback(OnSynth);

  int written = 0;
  std::map<std::string, int> skipped;
  for (size_t n = 0; n < lines.size(); ++n) {
    voicetrain::ScriptLine line;
    std::string error;
    if (!voicetrain::ParseScriptLine(lines[n], line, error)) {
      ++skipped["malformed line: " + error];
      continue;
    }
    Capture capture;
    g_capture = &capture;
    const std::string& text = line.teacher_text;
    // The teacher starts speaking at its first sample; 100 ms of
    // silence before and after give the sentence-edge pauses of our
    // items real time to align with.
    const int edge = teacher_rate / 10;
    capture.samples.assign(static_cast<size_t>(edge), 0);
    const espeak_ERROR result =
        espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
    espeak_Synchronize();
    g_capture = nullptr;
    for (Event& e : capture.events) e.sample += edge;
    capture.samples.insert(capture.samples.end(), static_cast<size_t>(edge), 0);
    std::vector<SyllableTiming> timings;
    if (result != EE_OK) {
      ++skipped["teacher refused the text"];
      continue;
    }
    if (!Align(line, capture, timings, error)) {
      ++skipped[error.substr(0, error.find_first_of("0123456789"))];
      continue;
    }
    const std::vector<int16_t> audio = voicetrain::Resample(capture.samples, teacher_rate, out_rate);
    const std::string base = out_dir + "/" + line.id;
    if (!voicetrain::WriteWav16(base + ".wav", audio, out_rate) ||
        !WriteAlignment(base + ".align", timings, static_cast<int>(audio.size()), teacher_rate, out_rate)) {
      std::fprintf(stderr, "cannot write %s.*\n", base.c_str());
      return 1;
    }
    ++written;
    if ((n + 1) % 50 == 0 || n + 1 == lines.size())
      std::fprintf(stderr, "\rteacher: %zu/%zu sentences", n + 1, lines.size());
  }
  std::fprintf(stderr, "\n");
  std::printf("written %d of %zu sentences\n", written, lines.size());
  for (const auto& reason : skipped) std::printf("skipped %d: %s\n", reason.second, reason.first.c_str());
  espeak_Terminate();
  return written > 0 ? 0 : 1;
}
