// Speed of the local engine module through the public API, side by side with
// eSpeak NG (Chinese: cmn-latn-pinyin reading the same text as pinyin;
// English: en-us) and, for English, Flite's cmu_us_slt on the same sentences:
// real-time factor and time to the first audio callback on a long text, time
// to the first audio callback of one 100-character sentence, peak memory, and
// the throughput of N sessions on N threads against one session. The
// real-time factor is given on wall time and on the thread's CPU time. Each
// synthesiser runs in a child process of its own so that the peak resident
// size is its own. The PCM of the long text is hashed (FNV-1a, 64 bits) so
// that a speed-up can be checked to leave the audio bit-identical.
//
// usage: kvo_module_bench [DATA [CAPKEY [REPEATS [zh|en|all]]]] [options]
//   --cpu K            run the one-core figures pinned to CPU K
//   --sessions N       sessions (threads) of the scaling figure, 0 for none (default 2)
//   --expect-hash HEX  fail unless the Chinese long text's PCM hash is HEX
//   --only-kvo         leave the other synthesisers out (for profiling)
#include <espeak-ng/speak_lib.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#ifdef KVO_BENCH_FLITE
extern "C" {
#include <flite/flite.h>
cst_voice* register_cmu_us_slt(const char* voxdir);
}
#endif

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

// One sentence of 100 characters, for the time to the first audio.
const char kSentence[] =
    "春天来了，公园里的花儿都开了，小鸟在树上唱歌，孩子们在草地上跑来跑去，老人们坐在湖边的长椅上喝茶聊天，"
    "年轻人骑着自行车从桥上经过，山上还有一点白雪，风吹过来的时候带着淡淡的花香，大家说这是最好的季节。";
const char kSentencePinyin[] =
    "chun1 tian1 lai2 le5, gong1 yuan2 li3 de5 hua1 er2 dou1 kai1 le5, xiao3 niao3 zai4 shu4 shang4 chang4 ge1, "
    "hai2 zi5 men5 zai4 cao3 di4 shang4 pao3 lai2 pao3 qu4, lao3 ren2 men5 zuo4 zai4 hu2 bian1 de5 chang2 yi3 "
    "shang4 he1 cha2 liao2 tian1, nian2 qing1 ren2 qi2 zhe5 zi4 xing2 che1 cong2 qiao2 shang4 jing1 guo4, shan1 "
    "shang4 hai2 you3 yi4 dian3 bai2 xue3, feng1 chui1 guo4 lai2 de5 shi2 hou5 dai4 zhe5 dan4 dan4 de5 hua1 "
    "xiang1, da4 jia1 shuo1 zhe4 shi4 zui4 hao3 de5 ji4 jie2. ";
const char kEnglishSentence[] =
    "The weather is fine today, so we are going for a walk in the park and we will have tea by the river.";

// Runs of the 100-character sentence; the median is reported.
constexpr int kSentenceRuns = 21;

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// CPU time of the calling thread: on a shared machine the wall time also
// counts what other programs take from the core.
double ThreadCpuSeconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

uint64_t Fnv1a(uint64_t hash, const void* data, size_t bytes) {
  const auto* p = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < bytes; ++i) hash = (hash ^ p[i]) * 1099511628211ull;
  return hash;
}
constexpr uint64_t kFnvBasis = 14695981039346656037ull;

double Median(std::vector<double> v) {
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void PinTo(int cpu) {
  if (cpu < 0) return;
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(cpu, &set);
  sched_setaffinity(0, sizeof(set), &set);
}

// What a child reports back through its pipe.
struct Result {
  int ok = 0;
  double seconds_of_audio = 0;
  double wall_seconds = 0;
  double cpu_seconds = 0;
  double first_audio_seconds = -1;   // long text, first synthesis of the process
  double sentence_first_audio = -1;  // 100-character sentence, median
  uint64_t hash = 0;                 // PCM of the long text (ours only)
  double single_throughput = 0;      // seconds of audio per second, one session
  double single_cpu = 0;             // CPU seconds per second of audio, one session
  double multi_cpu = 0;              // the same with N sessions
  double multi_throughput = 0;       // the same with N sessions on N threads
};

struct KvoRun {
  Clock::time_point start;
  double first_audio = -1;
  unsigned long long bytes = 0;
  bool hashing = false;  // the timed runs leave the hash out: eSpeak NG's callback has none
  uint64_t hash = kFnvBasis;
};

bool OnKvoResult(void* user, const TtsSynthResult* result, int) {
  KvoRun& run = *static_cast<KvoRun*>(user);
  if (result->voice_size > 0) {
    if (run.first_audio < 0) run.first_audio = Since(run.start);
    run.bytes += result->voice_size;
    if (run.hashing) run.hash = Fnv1a(run.hash, result->voice_data, result->voice_size);
  }
  return true;
}

bool KvoStart(const std::string& data) {
  return kvo_init(("logLevel=0,dataPath=" + data).c_str()) == 0 && kvo_tts_init(("datapath=" + data).c_str()) == 0;
}

void KvoEnd() {
  kvo_tts_release();
  kvo_release();
}

// One synthesis in an open session; false on failure.
bool KvoSpeak(int session, const std::string& text, KvoRun* run, double* wall) {
  run->start = Clock::now();
  const int code = kvo_tts_synth(session, text.c_str(), nullptr, OnKvoResult, run);
  if (wall) *wall = Since(run->start);
  return code == 0;
}

Result RunKvo(const std::string& data, const std::string& capkey, const std::string& text,
              const std::string& sentence) {
  Result out;
  if (!KvoStart(data)) return out;
  int session = -1;
  unsigned long long timed_bytes = 0;
  if (kvo_tts_session_start(("capkey=" + capkey + ",audioformat=pcm16k16bit").c_str(), &session) == 0) {
    KvoRun run;
    const double cpu = ThreadCpuSeconds();
    out.ok = KvoSpeak(session, text, &run, &out.wall_seconds);
    out.cpu_seconds = ThreadCpuSeconds() - cpu;
    out.seconds_of_audio = run.bytes / 32000.0;
    timed_bytes = run.bytes;
    out.first_audio_seconds = run.first_audio;
    std::vector<double> firsts;
    for (int i = 0; i < kSentenceRuns && out.ok; ++i) {
      KvoRun one;
      out.ok = KvoSpeak(session, sentence, &one, nullptr);
      firsts.push_back(one.first_audio);
    }
    out.sentence_first_audio = Median(firsts);
    kvo_tts_session_stop(session);
  }
  // The hash of the long text's audio, from a run of its own in a new
  // session (a session's first text starts and ends with shorter pauses).
  if (out.ok && kvo_tts_session_start(("capkey=" + capkey + ",audioformat=pcm16k16bit").c_str(), &session) == 0) {
    KvoRun hashed;
    hashed.hashing = true;
    out.ok = KvoSpeak(session, text, &hashed, nullptr) && hashed.bytes == timed_bytes;
    out.hash = hashed.hash;
    kvo_tts_session_stop(session);
  }
  KvoEnd();
  return out;
}

// Seconds of audio per second of wall time with `sessions` sessions, each
// on a thread of its own, all reading the text at the same time; *cpu gets
// the threads' CPU time per second of audio. With one core per session the
// throughput grows with the sessions; where it does not, an unchanged CPU
// time per second of audio shows that the cores were not free (a lock or
// false sharing would raise it).
double KvoThroughput(const std::string& capkey, const std::string& text, int sessions, double* cpu) {
  std::vector<int> ids(static_cast<size_t>(sessions), -1);
  for (int& id : ids) {
    if (kvo_tts_session_start(("capkey=" + capkey + ",audioformat=pcm16k16bit").c_str(), &id) != 0) return 0;
  }
  std::vector<KvoRun> runs(static_cast<size_t>(sessions));
  std::vector<int> ok(static_cast<size_t>(sessions), 0);
  std::vector<double> cpus(static_cast<size_t>(sessions), 0.0);
  const Clock::time_point start = Clock::now();
  std::vector<std::thread> threads;
  for (int i = 0; i < sessions; ++i) {
    threads.emplace_back([&, i] {
      const double begin = ThreadCpuSeconds();
      ok[i] = KvoSpeak(ids[i], text, &runs[i], nullptr);
      cpus[i] = ThreadCpuSeconds() - begin;
    });
  }
  for (std::thread& t : threads) t.join();
  const double wall = Since(start);
  double audio = 0, used = 0;
  for (int i = 0; i < sessions; ++i) {
    kvo_tts_session_stop(ids[i]);
    if (!ok[i]) return 0;
    audio += runs[i].bytes / 32000.0;
    used += cpus[i];
  }
  if (cpu) *cpu = audio > 0 ? used / audio : 0;
  return audio / wall;
}

Result RunKvoScaling(const std::string& data, const std::string& capkey, const std::string& text, int sessions) {
  Result out;
  if (!KvoStart(data)) return out;
  // Warm the file cache and the code first.
  KvoThroughput(capkey, text, 1, nullptr);
  out.single_throughput = KvoThroughput(capkey, text, 1, &out.single_cpu);
  out.multi_throughput = KvoThroughput(capkey, text, sessions, &out.multi_cpu);
  out.ok = out.single_throughput > 0 && out.multi_throughput > 0;
  KvoEnd();
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
    if (g_espeak->first_audio < 0) g_espeak->first_audio = Since(g_espeak->start);
    g_espeak->samples += static_cast<unsigned long long>(count);
  }
  return 0;
}

// One sentence per call: eSpeak NG drops syllables from long inputs.
bool EspeakSpeak(const std::string& text, EspeakRun* run, double* wall) {
  g_espeak = run;
  run->start = Clock::now();
  espeak_ERROR code = EE_OK;
  for (size_t begin = 0; begin < text.size() && code == EE_OK;) {
    size_t end = text.find(". ", begin);
    end = end == std::string::npos ? text.size() : end + 2;
    const std::string sentence = text.substr(begin, end - begin);
    code = espeak_Synth(sentence.c_str(), sentence.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
    begin = end;
  }
  espeak_Synchronize();
  if (wall) *wall = Since(run->start);
  return code == EE_OK;
}

Result RunEspeak(const std::string& text, const std::string& sentence, const char* voice) {
  Result out;
  const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0);
  if (rate <= 0 || espeak_SetVoiceByName(voice) != EE_OK) return out;
  espeak_SetSynthCallback(OnEspeakAudio);
  EspeakRun run;
  const double cpu = ThreadCpuSeconds();
  out.ok = EspeakSpeak(text, &run, &out.wall_seconds);
  out.cpu_seconds = ThreadCpuSeconds() - cpu;
  out.seconds_of_audio = static_cast<double>(run.samples) / rate;
  out.first_audio_seconds = run.first_audio;
  std::vector<double> firsts;
  for (int i = 0; i < kSentenceRuns && out.ok; ++i) {
    EspeakRun one;
    out.ok = EspeakSpeak(sentence, &one, nullptr);
    firsts.push_back(one.first_audio);
  }
  out.sentence_first_audio = Median(firsts);
  espeak_Terminate();
  return out;
}

#ifdef KVO_BENCH_FLITE
struct FliteRun {
  Clock::time_point start;
  double first_audio = -1;
  unsigned long long samples = 0;
  int rate = 0;
};

int OnFliteAudio(const cst_wave* w, int, int size, int, cst_audio_streaming_info* asi) {
  FliteRun& run = *static_cast<FliteRun*>(asi->userdata);
  if (size > 0) {
    if (run.first_audio < 0) run.first_audio = Since(run.start);
    run.samples += static_cast<unsigned long long>(size);
    run.rate = w->sample_rate;
  }
  return CST_AUDIO_STREAM_CONT;
}

// Sentence by sentence as for eSpeak NG; audio arrives through Flite's
// streaming callback, so the first audio is what a streaming caller sees.
bool FliteSpeak(cst_voice* voice, const std::string& text, FliteRun* run, double* wall) {
  run->start = Clock::now();
  bool ok = true;
  for (size_t begin = 0; begin < text.size() && ok;) {
    size_t end = text.find(". ", begin);
    end = end == std::string::npos ? text.size() : end + 2;
    const std::string sentence = text.substr(begin, end - begin);
    ok = flite_text_to_speech(sentence.c_str(), voice, "none") >= 0;
    begin = end;
  }
  if (wall) *wall = Since(run->start);
  return ok;
}

Result RunFlite(const std::string& text, const std::string& sentence) {
  Result out;
  flite_init();
  cst_voice* voice = register_cmu_us_slt(nullptr);
  if (voice == nullptr) return out;
  cst_audio_streaming_info* asi = new_audio_streaming_info();
  asi->asc = OnFliteAudio;
  feat_set(voice->features, "streaming_info", audio_streaming_info_val(asi));
  FliteRun run;
  asi->userdata = &run;
  const double cpu = ThreadCpuSeconds();
  out.ok = FliteSpeak(voice, text, &run, &out.wall_seconds);
  out.cpu_seconds = ThreadCpuSeconds() - cpu;
  out.seconds_of_audio = run.rate > 0 ? static_cast<double>(run.samples) / run.rate : 0;
  out.first_audio_seconds = run.first_audio;
  std::vector<double> firsts;
  for (int i = 0; i < kSentenceRuns && out.ok; ++i) {
    FliteRun one;
    asi->userdata = &one;
    out.ok = FliteSpeak(voice, sentence, &one, nullptr);
    firsts.push_back(one.first_audio);
  }
  out.sentence_first_audio = Median(firsts);
  return out;
}
#endif

// Runs job in a child; returns its result and its peak resident size in KiB.
template <typename Job>
Result InChild(Job job, int cpu, long& peak_kib) {
  Result result;
  peak_kib = -1;
  int fds[2];
  if (pipe(fds) != 0) return result;
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    PinTo(cpu);
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

double Rtf(const Result& r) { return r.ok && r.seconds_of_audio > 0 ? r.wall_seconds / r.seconds_of_audio : 0; }
double CpuRtf(const Result& r) { return r.ok && r.seconds_of_audio > 0 ? r.cpu_seconds / r.seconds_of_audio : 0; }

void Report(const char* name, const Result& r, long peak_kib) {
  if (!r.ok || r.seconds_of_audio <= 0) {
    std::printf("  %-20s failed\n", name);
    return;
  }
  std::printf("  %-20s %8.2f %8.3f  %.4f %8.3f  %.4f %9.2f %11.2f %9.1f\n", name, r.seconds_of_audio, r.wall_seconds,
              Rtf(r), r.cpu_seconds, CpuRtf(r), r.first_audio_seconds * 1000.0, r.sentence_first_audio * 1000.0,
              peak_kib / 1024.0);
}

void Ratio(const char* name, const Result& ours, const Result& other) {
  if (!ours.ok || !other.ok || Rtf(other) <= 0 || other.sentence_first_audio <= 0) return;
  std::printf("  ours / %-13s RTF %.2f   CPU RTF %.2f   first audio (100 chars) %.2f\n", name, Rtf(ours) / Rtf(other),
              CpuRtf(ours) / CpuRtf(other), ours.sentence_first_audio / other.sentence_first_audio);
}

struct Options {
  std::string data = KVO_BENCH_DEFAULT_DATA;
  std::string capkey = "tts.local.synth";
  int repeats = 40;
  std::string languages = "all";
  int cpu = -1;
  int sessions = 2;
  std::string expect_hash;
  bool only_kvo = false;
};

// Returns false when the language's figures failed (or the hash differs).
bool RunLanguage(const Options& o, bool english) {
  std::string text, other;
  for (int i = 0; i < o.repeats; ++i) {
    text += english ? kEnglishParagraph : kParagraph;
    other += english ? kEnglishParagraph : kPinyin;
  }
  const std::string sentence = english ? kEnglishSentence : kSentence;
  const std::string other_sentence = english ? kEnglishSentence : kSentencePinyin;
  std::printf("%s: %d paragraphs, %zu bytes of UTF-8; data %s, %s%s\n", english ? "English" : "Chinese", o.repeats,
              text.size(), o.data.c_str(), o.capkey.c_str(), o.cpu >= 0 ? "" : " (not pinned: use --cpu)");
  std::printf("  %-20s %8s %8s  %-6s %8s  %-7s %8s %11s %9s\n", "", "audio s", "wall s", "RTF", "cpu s", "CPU RTF",
              "first ms", "100 chars ms", "peak MiB");
  long peak = 0;
  const Result kvo = InChild([&] { return RunKvo(o.data, o.capkey, text, sentence); }, o.cpu, peak);
  Report(o.capkey.c_str(), kvo, peak);
  bool ok = kvo.ok;
  if (!o.only_kvo) {
    const char* voice = english ? "en-us" : "cmn-latn-pinyin";
    const Result espeak = InChild([&] { return RunEspeak(other, other_sentence, voice); }, o.cpu, peak);
    Report(english ? "eSpeak NG (en-us)" : "eSpeak NG (pinyin)", espeak, peak);
    ok = ok && espeak.ok;
#ifdef KVO_BENCH_FLITE
    Result flite;
    if (english) {
      flite = InChild([&] { return RunFlite(text, sentence); }, o.cpu, peak);
      Report("Flite (cmu_us_slt)", flite, peak);
      ok = ok && flite.ok;
    }
#endif
    Ratio("eSpeak NG", kvo, espeak);
#ifdef KVO_BENCH_FLITE
    if (english) Ratio("Flite", kvo, flite);
#endif
  }
  if (o.sessions > 0) {
    const Result s = InChild([&] { return RunKvoScaling(o.data, o.capkey, text, o.sessions); }, -1, peak);
    if (s.ok) {
      std::printf(
          "  %d sessions on %d threads: %.0f s of audio per second against %.0f with one session: %.2fx"
          " (CPU per second of audio %.3f ms against %.3f: %.2fx)\n",
          o.sessions, o.sessions, s.multi_throughput, s.single_throughput, s.multi_throughput / s.single_throughput,
          s.multi_cpu * 1000, s.single_cpu * 1000, s.multi_cpu / s.single_cpu);
    } else {
      std::printf("  %d sessions on %d threads: failed\n", o.sessions, o.sessions);
      ok = false;
    }
  }
  char hash[17];
  std::snprintf(hash, sizeof hash, "%016" PRIx64, kvo.hash);
  std::printf("  PCM hash of the long text (FNV-1a 64): %s", hash);
  if (!english && !o.expect_hash.empty()) {
    const bool same = o.expect_hash == hash;
    std::printf("  %s", same ? "as expected" : ("EXPECTED " + o.expect_hash).c_str());
    ok = ok && same;
  }
  std::printf("\n");
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  int positional = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--cpu" && i + 1 < argc) {
      o.cpu = std::atoi(argv[++i]);
    } else if (a == "--sessions" && i + 1 < argc) {
      o.sessions = std::atoi(argv[++i]);
    } else if (a == "--expect-hash" && i + 1 < argc) {
      o.expect_hash = argv[++i];
    } else if (a == "--only-kvo") {
      o.only_kvo = true;
    } else if (a.rfind("--", 0) == 0) {
      std::fprintf(stderr, "unknown option %s\n", a.c_str());
      return 2;
    } else {
      switch (positional++) {
        case 0:
          o.data = a;
          break;
        case 1:
          o.capkey = a;
          break;
        case 2:
          o.repeats = std::atoi(a.c_str());
          break;
        case 3:
          o.languages = a;
          break;
        default:
          std::fprintf(stderr, "too many arguments\n");
          return 2;
      }
    }
  }
  if (o.repeats <= 0 || o.sessions < 0 || (o.languages != "zh" && o.languages != "en" && o.languages != "all")) {
    std::fprintf(stderr,
                 "usage: kvo_module_bench [DATA [CAPKEY [REPEATS [zh|en|all]]]] [--cpu K] [--sessions N] "
                 "[--expect-hash HEX] [--only-kvo]\n");
    return 2;
  }
  bool ok = true;
  if (o.languages != "en") ok = RunLanguage(o, false) && ok;
  if (o.languages != "zh") ok = RunLanguage(o, true) && ok;
  return ok ? 0 : 1;
}
