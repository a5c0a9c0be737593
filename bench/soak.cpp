// Soak of the speech API: several threads run sessions that synthesise
// random real texts with random session and synthesis configurations and
// random early stops, until N syntheses are done. A monitor samples the
// resident size and the open file descriptors; the report gives their growth
// after the warm-up, the results by code, and the throughput. Exit status 1
// when a call gave another code than expected (0, or the refusal its
// configuration asks for on purpose) or a limit was passed.
//
// usage: kvo_soak [--data DIR] [--threads T] [--syntheses N] [--warmup W]
//                 [--seed S] [--max-rss-growth-kb K] [--texts FILE]
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "kvo_sys.h"
#include "kvo_tts.h"

namespace {

using Clock = std::chrono::steady_clock;

// Real sentences: news, numbers, dates, units, addresses, names, English.
const char* const kTexts[] = {
    "今天天气很好，我们一起去公园散步。",
    "春天来了，花儿都开了，小鸟在树上唱歌。",
    "银行行长说，今年第一季度的利润增长了百分之十二点五。",
    "会议定于2024年3月15日上午9:30在北京市海淀区中关村大街27号举行。",
    "请拨打客服电话400-123-4567，或发送邮件至service@example.com。",
    "这件衣服原价￥1,299元，现在打八折，只要1039.2元。",
    "重庆长江大桥全长1,234.5米，于1980年7月1日建成通车。",
    "李小明和王芳是大学同学，他们都在上海工作。",
    "The quick brown fox jumps over the lazy dog.",
    "Dr. Smith arrived at 10:45 a.m. on Jan. 3rd, 2023, and paid $12.50.",
    "我们使用的是Windows 11操作系统和Intel Core i7处理器。",
    "气温从-5℃上升到了23.6℃，湿度为65%。",
    "第一，要认真学习；第二，要努力工作；第三，要注意身体。",
    "他问：“你什么时候回来？”她说：“下个星期。”",
    "长城是中国古代的军事防御工程，全长约21196千米。",
    "学而时习之，不亦说乎？有朋自远方来，不亦乐乎？",
    "航班CA1831将于14:20从首都机场T3航站楼起飞，请旅客提前两小时到达。",
    "数学公式：3+5=8，10÷2=5，2的平方是4。",
    "The meeting starts at 3 p.m.; please bring the Q3 report and your ID card.",
    "火车站到了，请带好您的随身物品，从右侧车门下车。",
    "中华人民共和国成立于1949年10月1日。",
    "这部手机的屏幕尺寸是6.1英寸，重量约为174克，电池容量3,279mAh。",
    "Hello, 世界! 这是一个中英文混合的句子, OK?",
    "α、β和γ是希腊字母；ABC是英文字母。",
    "小王的身份证号码是110101199003071234，请核对。",
    "经过三个小时的讨论，双方终于达成了一致意见。",
    "行人请走人行横道，车辆请减速慢行。",
    "我的电脑坏了，明天要拿去修理，可能需要两三天。",
};

const char* const kCapkeys[] = {"tts.local.synth", "tts.local.synth.n6"};
const char* const kFormats[] = {"pcm16k16bit", "pcm16k8bit", "pcm8k16bit", "pcm8k8bit", "pcm11k16bit",
                                "pcm11k8bit",  "alaw8k8bit", "ulaw8k8bit", "vox6k4bit", "auto"};
const char* const kPunc[] = {"off", "on", "off_rtn", "on_rtn"};
const char* const kDigit[] = {"auto_number", "auto_telegram", "number", "telegram"};
const char* const kEng[] = {"auto", "english", "letter"};
const char* const kStyle[] = {"clear", "vivid", "normal", "plain"};
const char* const kEffect[] = {"base", "reverb", "echo", "chorus", "nearfar", "robot"};

struct Options {
  std::string data = KVO_SOAK_DEFAULT_DATA;
  int threads = 8;
  long syntheses = 10000;
  long warmup = 500;
  unsigned seed = 1;
  long max_rss_growth_kb = 1024;
  std::string texts_file;
};

struct Shared {
  std::vector<std::string> texts;
  std::atomic<long> started{0};
  std::atomic<long> finished{0};
  std::atomic<long> audio_bytes{0};
  std::atomic<long> stops{0};
  std::atomic<long> contract_faults{0};
  std::mutex mutex;
  std::map<std::string, long> codes;          // "call:code" -> count
  std::map<std::string, std::string> sample;  // "call:code" -> the first configuration with it
};

// expected: the code the call must give for this configuration; a result
// that differs is marked with "!" and reported as unexpected.
void Count(Shared& shared, const char* call, int code, int expected, const std::string& config) {
  std::lock_guard<std::mutex> lock(shared.mutex);
  const std::string key = std::string(call) + ":" + std::to_string(code) + (code == expected ? "" : "!");
  if (++shared.codes[key] == 1) shared.sample[key] = config;
}

// Refusals the soak asks for on purpose: VOX has no name in the
// audioformat rules (3), and the n6 engine takes puncmode off and on only (7).
int ExpectedStart(const std::string& config) {
  if (config.find("vox") != std::string::npos) return KVO_TTS_ERR_CONFIG;
  if (config.find(".n6,") != std::string::npos && config.find("_rtn") != std::string::npos) {
    return KVO_TTS_ERR_ENGINE_PARAM;
  }
  return KVO_TTS_OK;
}

// An out-of-range speed (3).
int ExpectedSynth(const std::string& config) {
  return config.find("speed=12") != std::string::npos ? KVO_TTS_ERR_CONFIG : KVO_TTS_OK;
}

struct Synthesis {
  const char* text = nullptr;
  size_t text_size = 0;
  size_t progress_end = 0;
  long calls = 0;
  long stop_at = -1;  // answer false from this call on; -1 never
  long audio = 0;
  int finals = 0;
  bool fault = false;
};

bool OnResult(void* user, const TtsSynthResult* r, int error_code) {
  Synthesis* s = static_cast<Synthesis*>(user);
  if (error_code != 0 || s->finals != 0) s->fault = true;
  ++s->calls;
  if (!r->has_more) {
    if (r->voice_data != nullptr || r->text != nullptr) s->fault = true;
    ++s->finals;
    return true;
  }
  if (r->text != nullptr) {
    if (r->text != s->text + s->progress_end) s->fault = true;
    s->progress_end += r->text_len;
    if (s->progress_end > s->text_size) s->fault = true;
  }
  if (r->voice_data != nullptr) s->audio += r->voice_size;
  return s->stop_at < 0 || s->calls <= s->stop_at;
}

std::string Level(std::mt19937& rng) {
  const int hundredths = static_cast<int>(rng() % 1000);
  return std::to_string(hundredths / 100) + "." + std::to_string(hundredths / 10 % 10) +
         std::to_string(hundredths % 10);
}

template <size_t N>
const char* Pick(std::mt19937& rng, const char* const (&list)[N]) {
  return list[rng() % N];
}

std::string SessionConfig(std::mt19937& rng) {
  std::string config = std::string("capkey=") + Pick(rng, kCapkeys) + ",audioformat=" + Pick(rng, kFormats);
  if (rng() % 2) config += ",speed=" + Level(rng) + ",pitch=" + Level(rng) + ",volume=" + Level(rng);
  if (rng() % 3 == 0) config += std::string(",puncmode=") + Pick(rng, kPunc) + ",digitmode=" + Pick(rng, kDigit);
  if (rng() % 3 == 0) config += std::string(",engmode=") + Pick(rng, kEng) + ",voicestyle=" + Pick(rng, kStyle);
  if (rng() % 4 == 0) config += std::string(",soundeffect=") + Pick(rng, kEffect);
  return config;
}

std::string SynthConfig(std::mt19937& rng) {
  std::string config;
  if (rng() % 2) config += "speed=" + Level(rng) + ",";
  if (rng() % 3 == 0) config += "pitch=" + Level(rng) + ",";
  if (rng() % 4 == 0) config += std::string("digitmode=") + Pick(rng, kDigit) + ",";
  if (rng() % 4 == 0) config += std::string("engmode=") + Pick(rng, kEng) + ",";
  // A few configurations the API refuses (3): an out-of-range speed.
  if (rng() % 50 == 0) config += "speed=12,";
  return config;
}

// Takes one of the limit syntheses; false when all are taken.
bool Claim(Shared& shared, long limit) {
  long taken = shared.started.load();
  while (taken < limit) {
    if (shared.started.compare_exchange_weak(taken, taken + 1)) return true;
  }
  return false;
}

void Worker(long limit, Shared& shared, unsigned seed) {
  std::mt19937 rng(seed);
  while (shared.started.load() < limit) {
    int id = -1;
    const std::string session_config = SessionConfig(rng);
    const int start = kvo_tts_session_start(session_config.c_str(), &id);
    Count(shared, "start", start, ExpectedStart(session_config), session_config);
    if (start != KVO_TTS_OK) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      continue;
    }
    const int per_session = 1 + static_cast<int>(rng() % 5);
    for (int i = 0; i < per_session && Claim(shared, limit); ++i) {
      const std::string& text = shared.texts[rng() % shared.texts.size()];
      Synthesis s;
      s.text = text.c_str();
      s.text_size = text.size();
      if (rng() % 4 == 0) s.stop_at = static_cast<long>(rng() % 12);
      const std::string config = SynthConfig(rng);
      const int code = kvo_tts_synth(id, s.text, config.c_str(), &OnResult, &s);
      Count(shared, "synth", code, ExpectedSynth(config), session_config + " / " + config);
      // Every synthesis that reached the engine ends with exactly one last call.
      if (code == KVO_TTS_OK && s.finals != 1) s.fault = true;
      if (s.fault) shared.contract_faults.fetch_add(1);
      if (s.stop_at >= 0 && s.calls > s.stop_at) shared.stops.fetch_add(1);
      shared.audio_bytes.fetch_add(s.audio);
      shared.finished.fetch_add(1);
    }
    Count(shared, "stop", kvo_tts_session_stop(id), KVO_TTS_OK, session_config);
  }
}

long ResidentKb() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int OpenDescriptors() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (dirent* entry = readdir(dir)) {
      if (entry->d_name[0] != '.') ++count;
    }
    closedir(dir);
  }
  return count - 1;  // the directory's own descriptor
}

struct Sample {
  double seconds;
  long finished;
  long rss_kb;
  int fds;
};

int Usage() {
  std::fprintf(stderr,
               "usage: kvo_soak [--data DIR] [--threads T] [--syntheses N] [--warmup W] [--seed S]\n"
               "                [--max-rss-growth-kb K] [--texts FILE]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) return Usage();
    const char* value = argv[++i];
    if (arg == "--data") {
      options.data = value;
    } else if (arg == "--threads") {
      options.threads = std::max(1, std::atoi(value));
    } else if (arg == "--syntheses") {
      options.syntheses = std::atol(value);
    } else if (arg == "--warmup") {
      options.warmup = std::atol(value);
    } else if (arg == "--seed") {
      options.seed = static_cast<unsigned>(std::strtoul(value, nullptr, 10));
    } else if (arg == "--max-rss-growth-kb") {
      options.max_rss_growth_kb = std::atol(value);
    } else if (arg == "--texts") {
      options.texts_file = value;
    } else {
      return Usage();
    }
  }
  Shared shared;
  if (!options.texts_file.empty()) {
    std::ifstream in(options.texts_file);
    for (std::string line; std::getline(in, line);) {
      if (!line.empty()) shared.texts.push_back(line);
    }
  }
  if (shared.texts.empty()) shared.texts.assign(std::begin(kTexts), std::end(kTexts));

  const std::string sys = "logLevel=0,maxSessionCount=" + std::to_string(options.threads) + ",dataPath=" + options.data;
  if (const int code = kvo_init(sys.c_str()); code != 0) {
    std::fprintf(stderr, "kvo_init: %d\n", code);
    return 1;
  }
  if (const int code = kvo_tts_init(("datapath=" + options.data).c_str()); code != 0) {
    std::fprintf(stderr, "kvo_tts_init: %d\n", code);
    return 1;
  }

  const Clock::time_point begin = Clock::now();
  std::vector<Sample> samples;
  std::atomic<bool> done{false};
  std::thread monitor([&] {
    while (!done.load()) {
      samples.push_back({std::chrono::duration<double>(Clock::now() - begin).count(), shared.finished.load(),
                         ResidentKb(), OpenDescriptors()});
      for (int i = 0; i < 20 && !done.load(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
  });
  // Both phases end with every session stopped, so that the resident size
  // and the descriptors after the warm-up and at the end compare like with like.
  auto run_phase = [&](long limit, unsigned phase) {
    std::vector<std::thread> workers;
    for (int t = 0; t < options.threads; ++t) {
      workers.emplace_back(Worker, limit, std::ref(shared),
                           (options.seed * 7919u + phase) * 131u + static_cast<unsigned>(t));
    }
    for (std::thread& worker : workers) worker.join();
  };
  run_phase(std::min(options.warmup, options.syntheses), 0);
  const Sample base{std::chrono::duration<double>(Clock::now() - begin).count(), shared.finished.load(), ResidentKb(),
                    OpenDescriptors()};
  run_phase(options.syntheses, 1);
  const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
  done.store(true);
  monitor.join();
  const Sample last{seconds, shared.finished.load(), ResidentKb(), OpenDescriptors()};
  const int release = kvo_tts_release();
  kvo_release();

  long peak_after = base.rss_kb;
  int fds_peak = base.fds;
  for (const Sample& s : samples) {
    if (s.seconds >= base.seconds) {
      peak_after = std::max(peak_after, s.rss_kb);
      fds_peak = std::max(fds_peak, s.fds);
    }
  }
  const long growth = last.rss_kb - base.rss_kb;
  const int fd_growth = last.fds - base.fds;

  std::printf("syntheses      %ld on %d threads in %.1f s: %.1f per second\n", shared.finished.load(), options.threads,
              seconds, shared.finished.load() / seconds);
  std::printf("audio          %.1f MB; %ld syntheses stopped early by the callback\n",
              shared.audio_bytes.load() / 1048576.0, shared.stops.load());
  std::printf(
      "resident       %ld KB at rest after %ld warm-up syntheses (%.1f s), %ld KB at rest at the end, "
      "peak %ld KB under load: growth %+ld KB\n",
      base.rss_kb, base.finished, base.seconds, last.rss_kb, peak_after, growth);
  std::printf("descriptors    %d at rest after warm-up, %d at the end, peak %d under load: growth %+d\n", base.fds,
              last.fds, fds_peak, fd_growth);
  std::printf("contract       %ld callback contract faults\n", shared.contract_faults.load());
  std::printf("results        (call:code count; the refusals asked for on purpose included)\n");
  bool unexpected = false;
  for (const auto& entry : shared.codes) {
    const bool expected = entry.first.back() != '!';
    unexpected = unexpected || !expected;
    std::printf("  %-12s %ld%s\n", entry.first.c_str(), entry.second, expected ? "" : "  UNEXPECTED");
    if (!expected) std::printf("               first with: %s\n", shared.sample[entry.first].c_str());
  }
  std::printf("release        %d\n", release);
  const bool failed = unexpected || release != 0 || shared.contract_faults.load() != 0 ||
                      growth > options.max_rss_growth_kb || fd_growth > 0;
  std::printf("verdict        %s\n", failed ? "FAILED" : "passed");
  return failed ? 1 : 0;
}
