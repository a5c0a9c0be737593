// Throughput of the vocoder, the format converter and the effects, in
// samples of speech per second (real time at 16 kHz is 16000/s).
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "backend/audio/audio_format.h"
#include "backend/audio/format_converter.h"
#include "backend/audio/sound_effect.h"
#include "backend/vocoder/vocoder.h"

namespace {

using namespace kvo::backend;

// One second of 16-kHz frames: voiced with a gliding F0, every fifth frame unvoiced.
std::vector<int16_t> SpeechLikeFrames(int order, int count) {
  std::vector<int16_t> frames;
  for (int f = 0; f < count; ++f) {
    for (int k = 0; k < order; ++k) {
      double base = (k + 1) * 65536.0 / (order + 1);
      frames.push_back(static_cast<int16_t>(static_cast<uint16_t>(base + 800 * std::sin(0.05 * f + k))));
    }
    frames.push_back(static_cast<int16_t>(f % 5 == 4 ? 0 : 110 + (f % 40) * 2));
    frames.push_back(120);
  }
  return frames;
}

void BM_Vocoder(benchmark::State& state) {
  const int32_t rate = static_cast<int32_t>(state.range(0));
  int32_t order = 0, pulse = 0;
  VocoderRateConstants(rate, &order, &pulse);
  const std::vector<int16_t> frames = SpeechLikeFrames(order, 200);
  auto voc = std::make_unique<VocoderState>();
  auto tail = std::make_unique<VocoderTail>();
  std::vector<int16_t> buf(2048);
  int64_t samples = 0;
  for (auto _ : state) {
    VocoderStart(voc.get(), tail.get(), rate, frames.data(), static_cast<int32_t>(frames.size() * 2), 1024, 1024);
    bool done = false;
    while (!done) {
      int32_t completed = 0;
      done = VocoderRun(voc.get(), buf.data(), static_cast<int32_t>(buf.size()), &completed);
      samples += completed;
      benchmark::DoNotOptimize(buf.data());
    }
  }
  state.SetItemsProcessed(samples);
}
BENCHMARK(BM_Vocoder)->Arg(8000)->Arg(16000)->Arg(22050);

void BM_ConvertSamples(benchmark::State& state) {
  const int32_t code = static_cast<int32_t>(state.range(0));
  FormatConverterState conv;
  FormatConverterInit(&conv, code, 16000, 16);
  std::vector<int16_t> in(2048);
  for (size_t i = 0; i < in.size(); ++i) in[i] = static_cast<int16_t>(8000 * std::sin(0.3 * i));
  std::vector<uint8_t> out(ConvertedBytesMax(&conv, 2048) + kImaBlockBytes);
  for (auto _ : state) {
    int32_t n = ConvertSamples(&conv, in.data(), 2048, out.data(), static_cast<int32_t>(out.size()));
    benchmark::DoNotOptimize(n);
  }
  state.SetItemsProcessed(state.iterations() * 2048);
}
BENCHMARK(BM_ConvertSamples)
    ->Arg(kAudioFormatPcm16k16bit)
    ->Arg(kAudioFormatPcm8k16bit)
    ->Arg(kAudioFormatPcm11k16bit)
    ->Arg(kAudioFormatPcm44k16bit)
    ->Arg(kAudioFormatAlaw8k8bit)
    ->Arg(kAudioFormatVox8k4bit)
    ->Arg(kAudioFormatImaAdpcm);

void BM_ApplyEffect(benchmark::State& state) {
  auto fx = std::make_unique<SoundEffectState>();
  SelectSoundEffect(fx.get(), static_cast<int32_t>(state.range(0)));
  std::vector<int16_t> block(2048, 1000);
  for (auto _ : state) {
    ApplyEffect(fx.get(), block.data(), 2048, 16000);
    benchmark::DoNotOptimize(block.data());
  }
  state.SetItemsProcessed(state.iterations() * 2048);
}
BENCHMARK(BM_ApplyEffect)->DenseRange(kEffectReverb, kEffectRobot);

}  // namespace
