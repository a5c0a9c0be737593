// Speed of the local engine module through the public API on a long Chinese
// text, against eSpeak NG (cmn-latn-pinyin) reading the same text as pinyin:
// real-time factor, time to the first audio callback and peak memory. Each
// synthesiser runs in a child process of its own so that the peak resident
// size is its own.
//
// usage: kvo_module_bench [DATA_FOLDER [CAPKEY [REPEATS [zh|en]]]]
// With "en" the text is an English paragraph, read by eSpeak NG's en-us
// voice for comparison.
#include <espeak-ng/speak_lib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "kvo_sys.h"
#include "kvo_tts.h"

namespace {

// One paragraph in characters and in the pinyin eSpeak NG reads.
const char kParagraph[] =
    "今天天气很好，我们一起去公园散步。春天来了，花儿都开了，小鸟在树上唱歌。"
    "下午我们在湖边喝茶，聊了很多有意思的事情。";
const char kPinyin[] =
    "jin1 tian1 tian1 qi4 hen3 hao3, wo3 men5 yi4 qi3 qu4 gong1 yuan2 san4 bu4. "
    "chun1 tian1 lai2 le5, hua1 er2 dou1 kai1 le5, xiao3 niao3 zai4 shu4 shang4 chang4 ge1. "
    "xia4 wu3 wo3 men5 zai4 hu2 bian1 he1 cha2, liao2 le5 hen3 duo1 you3 yi4 si5 de5 shi4 qing5. ";

const char kEnglishParagraph[] =
    "The weather is fine today, so we are going for a walk in the park. Spring has come, the flowers are out, "
    "and the birds are singing in the trees. In the afternoon we had tea by the lake and talked about many "
    "interesting things. ";

using Clock = std::chrono::steady_clock;

// What a child reports back through its pipe.
struct Result {
  int ok = 0;
  double seconds_of_audio = 0;
  double wall_seconds = 0;
  double first_audio_seconds = -1;
};

struct KvoRun {
  Clock::time_point start;
  double first_audio = -1;
  unsigned long long bytes = 0;
};

bool OnKvoResult(void* user, const TtsSynthResult* result, int) {
  KvoRun& run = *static_cast<KvoRun*>(user);
  if (result->voice_size > 0) {
    if (run.first_audio < 0) run.first_audio = std::chrono::duration<double>(Clock::now() - run.start).count();
    run.bytes += result->voice_size;
  }
  return true;
}

Result RunKvo(const std::string& data, const std::string& capkey, const std::string& text) {
  Result out;
  if (kvo_init(("logLevel=0,dataPath=" + data).c_str()) != 0) return out;
  if (kvo_tts_init(("datapath=" + data).c_str()) != 0) return out;
  int session = -1;
  if (kvo_tts_session_start(("capkey=" + capkey + ",audioformat=pcm16k16bit").c_str(), &session) != 0) return out;
  KvoRun run;
  run.start = Clock::now();
  const int code = kvo_tts_synth(session, text.c_str(), nullptr, OnKvoResult, &run);
  out.wall_seconds = std::chrono::duration<double>(Clock::now() - run.start).count();
  kvo_tts_session_stop(session);
  kvo_tts_release();
  kvo_release();
  out.ok = code == 0;
  out.seconds_of_audio = run.bytes / 32000.0;
  out.first_audio_seconds = run.first_audio;
  return out;
}

struct EspeakRun {
  Clock::time_point start;
  double first_audio = -1;
  unsigned long long samples = 0;
};
EspeakRun* g_espeak = nullptr;

int OnEspeakAudio(short* samples, int count, espeak_EVENT*) {
  if (samples != nullptr && count > 0) {
    if (g_espeak->first_audio < 0) {
      g_espeak->first_audio = std::chrono::duration<double>(Clock::now() - g_espeak->start).count();
    }
    g_espeak->samples += static_cast<unsigned long long>(count);
  }
  return 0;
}

Result RunEspeak(const std::string& text, const char* voice) {
  Result out;
  const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0);
  if (rate <= 0 || espeak_SetVoiceByName(voice) != EE_OK) return out;
  EspeakRun run;
  g_espeak = &run;
  espeak_SetSynthCallback(OnEspeakAudio);
  run.start = Clock::now();
  // One sentence per call: eSpeak NG drops syllables from long inputs.
  espeak_ERROR code = EE_OK;
  for (size_t begin = 0; begin < text.size() && code == EE_OK;) {
    size_t end = text.find(". ", begin);
    end = end == std::string::npos ? text.size() : end + 2;
    const std::string sentence = text.substr(begin, end - begin);
    code = espeak_Synth(sentence.c_str(), sentence.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
    begin = end;
  }
  espeak_Synchronize();
  out.wall_seconds = std::chrono::duration<double>(Clock::now() - run.start).count();
  espeak_Terminate();
  out.ok = code == EE_OK;
  out.seconds_of_audio = static_cast<double>(run.samples) / rate;
  out.first_audio_seconds = run.first_audio;
  return out;
}

// Runs job in a child; returns its result and its peak resident size in KiB.
template <typename Job>
Result InChild(Job job, long& peak_kib) {
  Result result;
  peak_kib = -1;
  int fds[2];
  if (pipe(fds) != 0) return result;
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    const Result r = job();
    const ssize_t written = write(fds[1], &r, sizeof(r));
    _exit(written == static_cast<ssize_t>(sizeof(r)) ? 0 : 1);
  }
  close(fds[1]);
  if (child < 0 || read(fds[0], &result, sizeof(result)) != static_cast<ssize_t>(sizeof(result))) result = Result();
  close(fds[0]);
  int status = 0;
  struct rusage usage;
  if (child > 0 && wait4(child, &status, 0, &usage) == child) peak_kib = usage.ru_maxrss;
  return result;
}

void Report(const char* name, const Result& r, long peak_kib) {
  if (!r.ok || r.seconds_of_audio <= 0) {
    std::printf("%-22s failed\n", name);
    return;
  }
  std::printf("%-22s audio %8.2f s  wall %7.3f s  RTF %.4f  first audio %7.1f ms  peak RSS %7.1f MiB\n", name,
              r.seconds_of_audio, r.wall_seconds, r.wall_seconds / r.seconds_of_audio, r.first_audio_seconds * 1000.0,
              peak_kib / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string data = argc > 1 ? argv[1] : KVO_BENCH_DEFAULT_DATA;
  const std::string capkey = argc > 2 ? argv[2] : "tts.local.synth";
  const int repeats = argc > 3 ? std::atoi(argv[3]) : 40;
  const bool english = argc > 4 && std::strcmp(argv[4], "en") == 0;
  std::string chinese, pinyin;
  for (int i = 0; i < repeats; ++i) {
    chinese += english ? kEnglishParagraph : kParagraph;
    pinyin += english ? kEnglishParagraph : kPinyin;
  }
  std::printf("text: %d paragraphs, %zu bytes of UTF-8; data %s, %s\n", repeats, chinese.size(), data.c_str(),
              capkey.c_str());
  long kvo_peak = 0, espeak_peak = 0;
  const Result kvo = InChild([&] { return RunKvo(data, capkey, chinese); }, kvo_peak);
  const Result espeak = InChild([&] { return RunEspeak(pinyin, english ? "en-us" : "cmn-latn-pinyin"); }, espeak_peak);
  Report(capkey.c_str(), kvo, kvo_peak);
  Report(english ? "eSpeak NG (en-us)" : "eSpeak NG (pinyin)", espeak, espeak_peak);
  if (kvo.ok && espeak.ok && kvo.seconds_of_audio > 0 && espeak.seconds_of_audio > 0) {
    const double kvo_rtf = kvo.wall_seconds / kvo.seconds_of_audio;
    const double espeak_rtf = espeak.wall_seconds / espeak.seconds_of_audio;
    std::printf("ratio kvo/eSpeak NG:   RTF %.2f  first audio %.2f  peak RSS %.2f\n", kvo_rtf / espeak_rtf,
                kvo.first_audio_seconds / espeak.first_audio_seconds,
                static_cast<double>(kvo_peak) / static_cast<double>(espeak_peak));
  }
  return kvo.ok && espeak.ok ? 0 : 1;
}
