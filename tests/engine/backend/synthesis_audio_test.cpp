// Whole-engine synthesis over the generated library: audio in every output
// format, the per-item factors, output piece sizes, continuity, syllable
// reports, stopping, effects and background, and the arena level.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "backend/audio/g711.h"
#include "backend_engine.h"

namespace {

double Rms(const std::vector<int16_t>& s) {
  if (s.empty()) return 0;
  double sum = 0;
  for (int16_t v : s) sum += static_cast<double>(v) * v;
  return std::sqrt(sum / static_cast<double>(s.size()));
}

// Median F0 of the voiced 32-ms windows, by normalised autocorrelation.
double MedianF0(const std::vector<int16_t>& s, int rate) {
  const size_t window = static_cast<size_t>(rate) * 32 / 1000;
  std::vector<double> f0;
  for (size_t at = 0; at + 2 * window < s.size(); at += window) {
    double energy = 0;
    for (size_t i = 0; i < window; ++i) energy += static_cast<double>(s[at + i]) * s[at + i];
    if (std::sqrt(energy / window) < 300) continue;
    std::vector<double> r(static_cast<size_t>(rate / 60 + 2), 0.0);
    int bestLag = 0;
    // F0 lies between 60 and 600 Hz; shorter lags would catch the first formant.
    for (int lag = rate / 600; lag <= rate / 60 + 1; ++lag) {
      double c = 0, e = 0;
      for (size_t i = 0; i < window; ++i) {
        const double later = s[at + i + static_cast<size_t>(lag)];
        c += static_cast<double>(s[at + i]) * later;
        e += later * later;
      }
      r[static_cast<size_t>(lag)] = e > 0 ? c / std::sqrt(energy * e) : 0;
      if (lag <= rate / 60 && (bestLag == 0 || r[static_cast<size_t>(lag)] > r[static_cast<size_t>(bestLag)]))
        bestLag = lag;
    }
    if (r[static_cast<size_t>(bestLag)] < 0.5) continue;
    // The shortest lag that nearly matches the best is the period; the
    // best itself may be a multiple of it.
    for (int lag = rate / 600 + 1; lag < bestLag; ++lag) {
      const size_t k = static_cast<size_t>(lag);
      if (r[k] >= 0.85 * r[static_cast<size_t>(bestLag)] && r[k] >= r[k - 1] && r[k] >= r[k + 1]) {
        bestLag = lag;
        break;
      }
    }
    if (bestLag <= rate / 600) continue;
    // Parabolic refinement of the peak between whole lags.
    const double a = r[static_cast<size_t>(bestLag - 1)], b = r[static_cast<size_t>(bestLag)],
                 c = r[static_cast<size_t>(bestLag + 1)];
    const double denom = a - 2 * b + c;
    const double shift = denom < 0 ? 0.5 * (a - c) / denom : 0.0;
    f0.push_back(static_cast<double>(rate) / (bestLag + shift));
  }
  if (f0.empty()) return 0;
  std::sort(f0.begin(), f0.end());
  return f0[f0.size() / 2];
}

// Largest sample-to-sample step at the given boundaries and elsewhere.
struct Jumps {
  int atBoundaries = 0;
  int within = 0;
};
Jumps MeasureJumps(const std::vector<int16_t>& s, size_t period) {
  Jumps j;
  for (size_t n = 1; n < s.size(); ++n) {
    const int d = std::abs(s[n] - s[n - 1]);
    int& slot = n % period == 0 ? j.atBoundaries : j.within;
    slot = std::max(slot, d);
  }
  return j;
}

void ExpectArenaBack(const BackendEngine& e) {
  EXPECT_EQ(e.arenaAfter, e.arenaBefore);
  EXPECT_EQ(e.instance()->arena_discipline_faults, 0);
}

class BackendSynthesis : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(engine.Init(), QVTTS_ERR_OK);
    // The first group after init shortens its edge phones (a model change);
    // every later synthesis of the same text is the same.
    ASSERT_EQ(engine.Speak(kGbkText), QVTTS_ERR_OK);
  }
  // Plain 16-bit output of kGbkText with the given parameters.
  std::vector<int16_t> Speak16(int id = -1, intptr_t value = 0) {
    engine.Set(QVTTS_PARAM_AUDIO_FORMAT, 4);
    if (id >= 0) {
      EXPECT_EQ(engine.Set(id, value), QVTTS_ERR_OK);
    }
    EXPECT_EQ(engine.Speak(kGbkText), QVTTS_ERR_OK);
    ExpectArenaBack(engine);
    if (id >= 0) {
      engine.Set(id, 0);
    }
    return engine.Samples16();
  }
  BackendEngine engine;
};

TEST_F(BackendSynthesis, SpeechIsLoudAndClickFree) {
  const std::vector<int16_t> s = Speak16();
  ASSERT_GT(s.size(), 8000u);
  const double rms = Rms(s);
  EXPECT_GT(rms, 500.0);
  // Blocks are 4096 bytes: a discontinuity where a block (and often an
  // item) ends would stand out against the steps inside the speech.
  const Jumps j = MeasureJumps(s, 2048);
  EXPECT_LE(j.atBoundaries, j.within);
  EXPECT_EQ(engine.finalCalls, 1);
  std::printf("[measure] 16k16 samples %zu rms %.0f max jump at block boundaries %d within %d F0 %.0f Hz\n", s.size(),
              rms, j.atBoundaries, j.within, MedianF0(s, 16000));
}

// Bytes of every format relative to the 16-bit output at the voice rate.
struct FormatCase {
  int code;
  double bytesPerVoiceSample;  // expected bytes per 16-kHz sample
  double tolerance;            // relative
  enum Decode { kPcm16, kPcm8, kAlaw, kUlaw, kCoded } decode;
};

const FormatCase kFormats[] = {
    {0, 2.0, 0.0, FormatCase::kPcm16},
    {1, 0.5, 0.01, FormatCase::kPcm8},
    {2, 1.0, 0.01, FormatCase::kPcm16},
    {3, 1.0, 0.0, FormatCase::kPcm8},
    {4, 2.0, 0.0, FormatCase::kPcm16},
    {5, 11025.0 / 16000, 0.01, FormatCase::kPcm8},
    {6, 2 * 11025.0 / 16000, 0.01, FormatCase::kPcm16},
    {7, 22050.0 / 16000, 0.01, FormatCase::kPcm8},
    {8, 2 * 22050.0 / 16000, 0.01, FormatCase::kPcm16},
    {9, 44100.0 / 16000, 0.01, FormatCase::kPcm8},
    {10, 2 * 44100.0 / 16000, 0.01, FormatCase::kPcm16},
    {13, 0.5, 0.01, FormatCase::kAlaw},
    {14, 0.5, 0.01, FormatCase::kUlaw},
};

TEST_F(BackendSynthesis, EveryPcmAndG711FormatHasItsSizeAndSound) {
  const size_t voiceSamples = Speak16().size();
  for (const FormatCase& f : kFormats) {
    SCOPED_TRACE(f.code);
    engine.Set(QVTTS_PARAM_AUDIO_FORMAT, f.code);
    ASSERT_EQ(engine.Speak(kGbkText), QVTTS_ERR_OK);
    ExpectArenaBack(engine);
    const double expected = f.bytesPerVoiceSample * static_cast<double>(voiceSamples);
    EXPECT_NEAR(static_cast<double>(engine.audio.size()), expected, expected * f.tolerance + 2);
    std::vector<int16_t> decoded;
    if (f.decode == FormatCase::kPcm16) {
      decoded = engine.Samples16();
    } else {
      for (uint8_t b : engine.audio) {
        if (f.decode == FormatCase::kPcm8) decoded.push_back(static_cast<int16_t>((b - 128) * 256));
        if (f.decode == FormatCase::kAlaw) decoded.push_back(kvo::backend::AlawToLinear(b));
        if (f.decode == FormatCase::kUlaw) decoded.push_back(kvo::backend::UlawToLinear(b));
      }
    }
    EXPECT_GT(Rms(decoded), 400.0);
    std::printf("[measure] format %d bytes %zu rms %.0f\n", f.code, engine.audio.size(), Rms(decoded));
  }
}

// An 8-kHz voice: its own rate passes through, other rates are converted.
TEST(BackendSynthesis8k, FormatsOfAnEightKilohertzVoice) {
  BackendEngine engine(BackendLibrary("cn8k.lib"));
  ASSERT_EQ(engine.Init(), QVTTS_ERR_OK);
  ASSERT_EQ(engine.Speak(kGbkText), QVTTS_ERR_OK);  // past the first group after init
  engine.Set(QVTTS_PARAM_AUDIO_FORMAT, 0);
  ASSERT_EQ(engine.Speak(kGbkText), QVTTS_ERR_OK);
  const size_t voiceSamples = engine.audio.size() / 2;
  ASSERT_GT(voiceSamples, 4000u);
  // The model's narrow-band spectra come out quieter than at 16 kHz.
  EXPECT_GT(Rms(engine.Samples16()), 100.0);
  std::printf("[measure] 8k voice samples %zu rms %.0f\n", voiceSamples, Rms(engine.Samples16()));
  struct Case {
    int code;
    double bytesPerVoiceSample;
  } cases[] = {{2, 2.0}, {1, 1.0}, {4, 4.0}, {13, 1.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    engine.Set(QVTTS_PARAM_AUDIO_FORMAT, c.code);
    ASSERT_EQ(engine.Speak(kGbkText), QVTTS_ERR_OK);
    ExpectArenaBack(engine);
    const double expected = c.bytesPerVoiceSample * static_cast<double>(voiceSamples);
    EXPECT_NEAR(static_cast<double>(engine.audio.size()), expected, expected * 0.01 + 2);
  }
}

TEST_F(BackendSynthesis, CodedFormatsCarryData) {
  const size_t voiceSamples = Speak16().size();
  struct Coded {
    int code;
    size_t leastBytes;  // the data alone, without rest tails or pending samples
  } cases[] = {{11, voiceSamples * 6000 / 16000 / 2}, {12, voiceSamples * 8000 / 16000 / 2}, {15, 0}};
  for (const Coded& c : cases) {
    SCOPED_TRACE(c.code);
    engine.Set(QVTTS_PARAM_AUDIO_FORMAT, c.code);
    ASSERT_EQ(engine.Speak(kGbkText), QVTTS_ERR_OK);
    ExpectArenaBack(engine);
    EXPECT_GE(engine.audio.size(), c.leastBytes);
    if (c.code == 15) {
      // Whole 256-byte blocks of 505 samples; at most one block per group is lost to pending samples.
      ASSERT_EQ(engine.audio.size() % 256, 0u);
      EXPECT_GE(engine.audio.size(), voiceSamples / 505 * 256 - 4 * 256);
      for (size_t b = 0; b < engine.audio.size(); b += 256) EXPECT_EQ(engine.audio[b + 3], 0) << b;
    }
    // Speech, not a run of one rest code.
    std::vector<int> seen(256, 0);
    for (uint8_t b : engine.audio) seen[b] = 1;
    EXPECT_GT(std::count(seen.begin(), seen.end(), 1), 16);
    std::printf("[measure] format %d bytes %zu\n", c.code, engine.audio.size());
  }
}

// Speed, pitch and volume of every item, against the neutral rendering.
TEST_F(BackendSynthesis, SpeedPitchAndVolumeScaleTheSpeech) {
  const std::vector<int16_t> base = Speak16();
  const double baseF0 = MedianF0(base, 16000);
  ASSERT_GT(baseF0, 100.0);
  struct Case {
    int id;
    int value;
    enum Measure { kLength, kF0, kRms } measure;
    double ratio;
    double tolerance;
  } cases[] = {
      {QVTTS_PARAM_SPEED, 32767, Case::kLength, 512.0 / 1023, 0.03},
      {QVTTS_PARAM_SPEED, -32768, Case::kLength, 2047.0 / 1023, 0.03},
      // The autocorrelation estimate is coarse; the bound still tells a
      // doubled or halved pitch from an unchanged or inverted one.
      {QVTTS_PARAM_PITCH, 32767, Case::kF0, 2.0, 0.2},
      {QVTTS_PARAM_PITCH, -32768, Case::kF0, 0.5, 0.2},
      {QVTTS_PARAM_VOLUME, 32767, Case::kRms, 2.0, 0.05},
      {QVTTS_PARAM_VOLUME, -32768, Case::kRms, 0.5, 0.05},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "param " << c.id << " = " << c.value);
    const std::vector<int16_t> s = Speak16(c.id, c.value);
    double measured = 0;
    if (c.measure == Case::kLength) measured = static_cast<double>(s.size()) / base.size();
    if (c.measure == Case::kF0) measured = MedianF0(s, 16000) / baseF0;
    if (c.measure == Case::kRms) measured = Rms(s) / Rms(base);
    EXPECT_NEAR(measured, c.ratio, c.ratio * c.tolerance);
    std::printf("[measure] param %d = %d ratio %.3f\n", c.id, c.value, measured);
  }
}

TEST_F(BackendSynthesis, DoubleSpeedModeQuartersTheLength) {
  const size_t base = Speak16().size();
  engine.Set(QVTTS_PARAM_SPEED_MODE, 1);
  const size_t fast = Speak16(QVTTS_PARAM_SPEED, 32767).size();
  EXPECT_NEAR(static_cast<double>(fast) / base, 256.0 / 1023, 0.02);
}

TEST_F(BackendSynthesis, OutputChunkSizeLimitsEveryCallAndKeepsTheAudio) {
  const std::vector<uint8_t> whole = (Speak16(), engine.audio);
  for (int size : {2, 4096}) {
    SCOPED_TRACE(size);
    ASSERT_EQ(engine.Set(QVTTS_PARAM_OUTPUT_CHUNK_SIZE, size), QVTTS_ERR_OK);
    ASSERT_EQ(engine.Speak(kGbkText), QVTTS_ERR_OK);
    ExpectArenaBack(engine);
    EXPECT_EQ(engine.audio, whole);
    for (int32_t piece : engine.pieces) EXPECT_LE(piece, size);
    if (size == 2) {
      EXPECT_TRUE(std::all_of(engine.pieces.begin(), engine.pieces.end(), [](int32_t p) { return p == 2; }));
    }
  }
}

// Each item once, in order, as its sound goes out; syllables with their
// spelling and tone digit, the pause with an empty spelling.
TEST_F(BackendSynthesis, SyllableReportsFollowTheSoundInOrder) {
  engine.Set(QVTTS_PARAM_OUTPUT_CHUNK_SIZE, 2);
  Speak16();
  const std::string text = kGbkText;
  const char* const kSpoken[] = {"zhong1", "guo2", "ren2", "min2"};
  ASSERT_EQ(engine.reports.size(), 5u);
  size_t audioBefore = 0;
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const SyllableReport& r = engine.reports[i];
    EXPECT_EQ(r.character, text.substr(2 * i, 2));
    EXPECT_EQ(r.spelling, kSpoken[i]);
    EXPECT_GT(r.audioBefore, audioBefore);
    audioBefore = r.audioBefore;
  }
  EXPECT_EQ(engine.reports[4].character, "\xA1\xA3");  // the closing point is a full stop
  EXPECT_EQ(engine.reports[4].spelling, "");
  EXPECT_EQ(engine.reports.back().audioBefore, engine.audio.size());
}

TEST_F(BackendSynthesis, StopInsideOutputEndsAfterTheCurrentBlock) {
  const size_t whole = Speak16().size() * 2;
  for (int size : {4096, 2}) {
    SCOPED_TRACE(size);
    engine.Set(QVTTS_PARAM_OUTPUT_CHUNK_SIZE, size);
    engine.stopAtFirstOutput = true;
    EXPECT_EQ(engine.Speak(kGbkText), QVTTS_ERR_OK);
    ExpectArenaBack(engine);
    EXPECT_EQ(engine.finalCalls, 1);
    EXPECT_GT(engine.audio.size(), 0u);
    EXPECT_LE(engine.audio.size(), 4096u);
    // The next synthesis starts afresh and runs to the end.
    engine.stopAtFirstOutput = false;
    EXPECT_EQ(engine.Speak(kGbkText), QVTTS_ERR_OK);
    EXPECT_EQ(engine.audio.size(), whole);
  }
}

// Samples of the audio of the last synthesis in a PCM or G.711 format.
size_t SampleCount(const BackendEngine& e, int code) {
  const bool sixteen = code == 0 || code == 2 || code == 4 || code == 6 || code == 8 || code == 10;
  return sixteen ? e.audio.size() / 2 : e.audio.size();
}

// Every PCM and G.711 format of one rate gives the same number of samples
// for the same text, with and without an effect.
TEST_F(BackendSynthesis, FormatsOfOneRateGiveTheSameSampleCount) {
  const int rates[][4] = {{2, 1, 13, 14}, {6, 5, -1, -1}, {4, 3, 0, -1}, {8, 7, -1, -1}};
  for (int effect : {0, 2}) {
    engine.Set(QVTTS_PARAM_SOUND_EFFECT, effect);
    for (const auto& codes : rates) {
      size_t first = 0;
      for (int code : codes) {
        if (code < 0) continue;
        SCOPED_TRACE(::testing::Message() << "effect " << effect << " format " << code);
        engine.Set(QVTTS_PARAM_AUDIO_FORMAT, code);
        ASSERT_EQ(engine.Speak(kGbkText), QVTTS_ERR_OK);
        const size_t n = SampleCount(engine, code);
        if (first == 0) first = n;
        EXPECT_EQ(n, first);
        std::printf("[measure] effect %d format %d samples %zu\n", effect, code, n);
      }
    }
  }
  engine.Set(QVTTS_PARAM_SOUND_EFFECT, 0);
}

// Every effect changes the audio in every format; without one the audio
// is as before.
TEST_F(BackendSynthesis, EffectsApplyInEveryFormat) {
  const int formats[] = {0, 1, 2, 3, 4, 5, 6, 13, 14, 12, 15};
  for (int code : formats) {
    engine.Set(QVTTS_PARAM_SOUND_EFFECT, 0);
    engine.Set(QVTTS_PARAM_AUDIO_FORMAT, code);
    ASSERT_EQ(engine.Speak(kGbkText), QVTTS_ERR_OK);
    const std::vector<uint8_t> plain = engine.audio;
    for (int kind = 1; kind <= 5; ++kind) {
      SCOPED_TRACE(::testing::Message() << "format " << code << " effect " << kind);
      engine.Set(QVTTS_PARAM_SOUND_EFFECT, kind);
      engine.Set(QVTTS_PARAM_AUDIO_FORMAT, code);
      ASSERT_EQ(engine.Speak(kGbkText), QVTTS_ERR_OK);
      ExpectArenaBack(engine);
      EXPECT_NE(engine.audio, plain);
      // Reverb, echo and chorus ring out after the text; the others keep its length.
      if (kind == 4 || kind == 5) {
        EXPECT_EQ(engine.audio.size(), plain.size());
      } else {
        EXPECT_GE(engine.audio.size(), plain.size());
      }
    }
    engine.Set(QVTTS_PARAM_SOUND_EFFECT, 0);
    ASSERT_EQ(engine.Speak(kGbkText), QVTTS_ERR_OK);
    EXPECT_EQ(engine.audio, plain) << code;
  }
}

// The echo's tail sounds after the text: four delays of the level's
// delay, and the next synthesis starts without the previous one's echo.
TEST_F(BackendSynthesis, EchoRingsOutAtTheEndOfTheText) {
  const std::vector<int16_t> plain = Speak16();
  engine.Set(QVTTS_PARAM_MIX_SOUND, 0);  // echo, 60 ms
  const std::vector<int16_t> echoed = Speak16();
  ASSERT_EQ(echoed.size(), plain.size() + 4 * 960);
  // The speech ends in its trailing pause; what sounds past it is the echo.
  const std::vector<int16_t> tail(echoed.end() - 4 * 960, echoed.end());
  const std::vector<int16_t> lastOfText(plain.end() - 4 * 960, plain.end());
  EXPECT_GT(Rms(tail), 0.0);
  std::printf("[measure] echo tail rms %.1f, the text's last %d samples rms %.1f\n", Rms(tail), 4 * 960,
              Rms(lastOfText));
  // Cleared after the flush: a second synthesis gives the same audio.
  EXPECT_EQ(Speak16(), echoed);
  // A stopped synthesis does not ring out.
  engine.stopAtFirstOutput = true;
  ASSERT_EQ(engine.Speak(kGbkText), QVTTS_ERR_OK);
  EXPECT_LE(engine.audio.size(), 4096u);
  engine.stopAtFirstOutput = false;
  engine.Set(QVTTS_PARAM_SOUND_EFFECT, 0);
}

TEST_F(BackendSynthesis, BackgroundIsAddedOnceWhenPlayOnce) {
  const std::vector<int16_t> plain = Speak16();
  const std::string path = std::string(KVO_TEST_BINARY_DIR) + "/tests/engine/backend/background.wav";
  {
    std::ofstream wav(path, std::ios::binary);
    std::vector<char> bytes(44 + 2 * 1000, 0);
    for (size_t i = 44; i < bytes.size(); i += 2) bytes[i] = 100;  // +100 per sample
    wav.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  engine.Set(QVTTS_PARAM_BACKGROUND_FILE, reinterpret_cast<intptr_t>(path.c_str()));
  engine.Set(QVTTS_PARAM_BACKGROUND_LENGTH, 44 + 2 * 1000);
  engine.Set(QVTTS_PARAM_BACKGROUND_PLAY_ONCE, 1);
  const std::vector<int16_t> mixed = Speak16();
  engine.Set(QVTTS_PARAM_BACKGROUND_FILE, 0);
  ASSERT_EQ(mixed.size(), plain.size());
  for (size_t i = 0; i < mixed.size(); ++i) {
    const int added = mixed[i] - plain[i];
    if (std::abs(plain[i]) > 32000) continue;  // saturated
    ASSERT_EQ(added, i < 1000 ? 100 : 0) << i;
  }
}

// A background file read through the engine's cache and then replaced by
// another: the second file's samples are mixed, never cached bytes of the
// first (the new file may well get the closed file's FILE address).
TEST_F(BackendSynthesis, ReplacedBackgroundFileIsReadAfresh) {
  const std::vector<int16_t> plain = Speak16();
  const std::string dir = std::string(KVO_TEST_BINARY_DIR) + "/tests/engine/backend/";
  for (int level : {100, -50}) {
    const std::string path = dir + "background" + std::to_string(level) + ".wav";
    std::ofstream wav(path, std::ios::binary);
    std::vector<int16_t> samples(22 + 1000, static_cast<int16_t>(level));
    wav.write(reinterpret_cast<const char*>(samples.data()), static_cast<std::streamsize>(2 * samples.size()));
  }
  engine.Set(QVTTS_PARAM_BACKGROUND_LENGTH, 44 + 2 * 1000);
  engine.Set(QVTTS_PARAM_BACKGROUND_PLAY_ONCE, 1);
  for (int level : {100, -50}) {
    const std::string path = dir + "background" + std::to_string(level) + ".wav";
    engine.Set(QVTTS_PARAM_BACKGROUND_FILE, reinterpret_cast<intptr_t>(path.c_str()));
    const std::vector<int16_t> mixed = Speak16();
    ASSERT_EQ(mixed.size(), plain.size());
    for (size_t i = 0; i < 1000; ++i) {
      if (std::abs(plain[i]) > 32000) continue;  // saturated
      ASSERT_EQ(mixed[i] - plain[i], level) << i;
    }
  }
  engine.Set(QVTTS_PARAM_BACKGROUND_FILE, 0);
}

// The engine keeps voice data it has read (file blocks, spectrum records)
// for later syntheses: what it read before must never change what a text
// sounds like. One engine speaks the text right after its warm-up, another
// after other texts have filled its caches.
TEST_F(BackendSynthesis, EarlierTextsDoNotChangeTheAudio) {
  const std::string text = std::string(kGbkText) + " 89";
  ASSERT_EQ(engine.Speak(text), QVTTS_ERR_OK);
  const std::vector<uint8_t> fresh = engine.audio;
  ASSERT_FALSE(fresh.empty());

  BackendEngine other;
  ASSERT_EQ(other.Init(), QVTTS_ERR_OK);
  EXPECT_EQ(other.instance()->cache.blocks, kReadCacheBlocks);  // the arena had room for them
  for (const char* earlier : {kGbkText, "123 ABC xyz 4567.", "9876, 5.", "Q 0"})
    ASSERT_EQ(other.Speak(earlier), QVTTS_ERR_OK);
  ASSERT_EQ(other.Speak(text), QVTTS_ERR_OK);
  EXPECT_EQ(other.audio, fresh);
}

}  // namespace
