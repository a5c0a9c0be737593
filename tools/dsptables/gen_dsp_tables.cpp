// Generator of the designed signal-processing tables of the speech back end.
//
//   kvo_dsptables [OUTPUT.cpp]        write the table file (stdout without argument)
//   kvo_dsptables --check FILE.cpp    exit 1 when FILE differs from what would be written
//
// The output is committed as engine/backend/vocoder/dsp_tables_generated.cpp, so the
// engine never depends on this program or on the floating-point library.
// Every table is a closed formula or a seeded, fully deterministic draw:
//
// cosine      4096 entries, round(32767 cos(pi k / 4096)).
// windows     192 and 256 entries, symmetric; zero up to entry Z (9 / 12),
//             a raised-cosine rise (rounded down, at least 1) reaching 255 at
//             entry R (52 / 66), flat to the mirror of R, then the mirrored fall.
// pulse       256 entries: an impulse of height 1768 at entry 128 on a
//             negative raised-cosine lobe over entries 48..208 (without its
//             centre) whose area cancels the impulse, so the pulse has (almost) no DC and a flat
//             spectrum above ~100 Hz; the LPC filter shapes the envelope.
//             The rounding remainder is spread over the lobe: the sum is exactly 0.
// noise       40 bursts of 16 Gaussian values (Box-Muller over a 64-bit LCG),
//             each burst made zero-mean and scaled to a standard deviation of
//             620; a burst whose peak would exceed 1730 is drawn again; the
//             rounding remainder goes to the burst's smallest magnitude value.
// anti-alias  8 filters of 41 taps: ratio * sinc(ratio/10000 * n) * Hamming(n),
//             n = -20..20 (Hamming over 41 points); centre tap = ratio, DC sum
//             close to 10000.
// nearfar     314 gains, round(21845 + 16384 cos(2 pi k / 314)).
// chorus      three triangle sweeps lo + round((hi - lo)(1 - |2i/len - 1|)):
//             447..510 over 250 entries, 763..834 and 1099..1138 over 125.
// robot       160 entries, round(32768 cos(2 pi k / 160)).
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const double kPi = 3.14159265358979323846;

std::string out;

void Emit(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void Emit(const char* fmt, ...) {
  char buf[512];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  out += buf;
}

void EmitArray(const char* decl, const std::vector<long>& v, int perLine) {
  Emit("%s = {\n", decl);
  for (size_t i = 0; i < v.size(); ++i) {
    if (i % perLine == 0) Emit("    ");
    Emit("%ld,", v[i]);
    Emit((i % perLine == static_cast<size_t>(perLine - 1) || i + 1 == v.size()) ? "\n" : " ");
  }
  Emit("};\n\n");
}

long Round(double x) { return std::lround(x); }

std::vector<long> CosineTable() {
  std::vector<long> v(4096);
  for (int k = 0; k < 4096; ++k) v[k] = Round(32767.0 * std::cos(kPi * k / 4096.0));
  return v;
}

std::vector<long> Window(int n, int lastZero, int firstFull) {
  std::vector<long> v(n, 0);
  for (int j = 0; j < n / 2; ++j) {
    long w;
    if (j <= lastZero) {
      w = 0;
    } else if (j >= firstFull) {
      w = 255;
    } else {
      double t = static_cast<double>(j - lastZero) / (firstFull - lastZero);
      w = static_cast<long>(std::floor(255.0 * 0.5 * (1.0 - std::cos(kPi * t))));
      if (w < 1) w = 1;
    }
    v[j] = w;
    v[n - 1 - j] = w;
  }
  return v;
}

std::vector<long> ExcitationPulse() {
  const int kLobeFirst = 48, kLobeLast = 208, kPeak = 1768;
  std::vector<double> lobe(256, 0.0);
  double area = 0;
  for (int n = kLobeFirst; n <= kLobeLast; ++n) {
    double t = static_cast<double>(n - kLobeFirst) / (kLobeLast - kLobeFirst);
    lobe[n] = 0.5 * (1.0 - std::cos(2.0 * kPi * t));
    area += lobe[n];
  }
  area -= lobe[128];  // the centre holds the peak alone
  std::vector<long> v(256, 0);
  long sum = kPeak;
  for (int n = 0; n < 256; ++n) {
    if (n == 128) continue;
    v[n] = Round(-kPeak * lobe[n] / area);
    sum += v[n];
  }
  v[128] = kPeak;
  // Spread the rounding remainder over the lobe, outward from its middle.
  for (int step = 0; sum != 0; ++step) {
    int n = 128 + ((step % 2) ? -(step / 2 + 1) : (step / 2 + 1));
    long d = sum > 0 ? -1 : 1;
    v[n] += d;
    sum += d;
  }
  return v;
}

struct Lcg {
  uint64_t s = 0x4b564f2d44535021ULL;  // fixed seed: the tables never change
  double Uniform() {
    s = s * 6364136223846793005ULL + 1442695040888963407ULL;
    return (static_cast<double>(s >> 11) + 0.5) / 9007199254740992.0;
  }
  double Gauss() {
    double u1 = Uniform(), u2 = Uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * kPi * u2);
  }
};

std::vector<long> NoiseBursts() {
  const int kBursts = 40, kLen = 16;
  const double kStd = 620.0, kMaxPeak = 1730.0;
  Lcg rng;
  std::vector<long> v;
  for (int b = 0; b < kBursts;) {
    double x[kLen], mean = 0, var = 0, peak = 0;
    for (double& e : x) {
      e = rng.Gauss();
      mean += e;
    }
    mean /= kLen;
    for (double& e : x) {
      e -= mean;
      var += e * e;
    }
    double scale = kStd / std::sqrt(var / kLen);
    long r[kLen], sum = 0;
    for (int i = 0; i < kLen; ++i) {
      peak = std::fmax(peak, std::fabs(x[i] * scale));
      r[i] = Round(x[i] * scale);
      sum += r[i];
    }
    if (peak > kMaxPeak) continue;
    int smallest = 0;
    for (int i = 1; i < kLen; ++i)
      if (std::labs(r[i]) < std::labs(r[smallest])) smallest = i;
    r[smallest] -= sum;
    v.insert(v.end(), r, r + kLen);
    ++b;
  }
  return v;
}

const int kRatios[8] = {1814, 2500, 3330, 3628, 5000, 6890, 7256, 7500};

std::vector<long> AntiAliasFilters() {
  std::vector<long> v;
  for (int ratio : kRatios) {
    double fc = ratio / 10000.0;
    for (int j = 0; j < 41; ++j) {
      int n = j - 20;
      double sinc = n == 0 ? 1.0 : std::sin(kPi * fc * n) / (kPi * fc * n);
      double hamming = 0.54 + 0.46 * std::cos(2.0 * kPi * n / 40.0);
      v.push_back(Round(ratio * sinc * hamming));
    }
  }
  return v;
}

std::vector<long> NearFarGains() {
  std::vector<long> v(314);
  for (int k = 0; k < 314; ++k) v[k] = Round(21845.0 + 16384.0 * std::cos(2.0 * kPi * k / 314.0));
  return v;
}

std::vector<long> Triangle(int len, int lo, int hi) {
  std::vector<long> v(len);
  for (int i = 0; i < len; ++i) v[i] = lo + Round((hi - lo) * (1.0 - std::fabs(2.0 * i / len - 1.0)));
  return v;
}

std::vector<long> RobotCarrier() {
  std::vector<long> v(160);
  for (int k = 0; k < 160; ++k) v[k] = Round(32768.0 * std::cos(2.0 * kPi * k / 160.0));
  return v;
}

void Generate() {
  Emit("// Generated by tools/dsptables/gen_dsp_tables.cpp (target kvo_dsptables).\n");
  Emit("// Do not edit: change the generator, run it and commit its output.\n");
  Emit("#include \"backend/vocoder/dsp_tables.h\"\n\nnamespace kvo::backend {\n\n");
  EmitArray("const int16_t kCosineTable[kCosineTableSize]", CosineTable(), 12);
  EmitArray("const uint8_t kPulseWindow192[192]", Window(192, 9, 52), 16);
  EmitArray("const uint8_t kPulseWindow256[256]", Window(256, 12, 66), 16);
  EmitArray("const int16_t kExcitationPulse[kExcitationPulseSize]", ExcitationPulse(), 12);
  EmitArray("const int16_t kNoiseBursts[kNoiseBurstCount * kNoiseBurstLength]", NoiseBursts(), 16);
  std::vector<long> ratios(kRatios, kRatios + 8);
  EmitArray("const int16_t kAntiAliasRatios[kAntiAliasFilterCount]", ratios, 8);
  EmitArray("const int16_t kAntiAliasFilters[kAntiAliasFilterCount * kAntiAliasTaps]", AntiAliasFilters(), 41);
  EmitArray("const int32_t kNearFarGains[kNearFarGainCount]", NearFarGains(), 12);
  EmitArray("const int16_t kChorusDelay1[kChorusDelay1Count]", Triangle(250, 447, 510), 16);
  EmitArray("const int16_t kChorusDelay2[kChorusDelay23Count]", Triangle(125, 763, 834), 16);
  EmitArray("const int16_t kChorusDelay3[kChorusDelay23Count]", Triangle(125, 1099, 1138), 16);
  EmitArray("const int32_t kRobotCarrier[kRobotCarrierCount]", RobotCarrier(), 12);
  Emit("}  // namespace kvo::backend\n");
}

bool ReadFile(const char* path, std::string* text) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text->append(buf, n);
  std::fclose(f);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Generate();
  if (argc == 3 && std::strcmp(argv[1], "--check") == 0) {
    std::string committed;
    if (!ReadFile(argv[2], &committed)) {
      std::fprintf(stderr, "cannot read %s\n", argv[2]);
      return 2;
    }
    if (committed != out) {
      std::fprintf(stderr, "%s is out of date: regenerate it with kvo_dsptables\n", argv[2]);
      return 1;
    }
    return 0;
  }
  FILE* f = argc == 2 ? std::fopen(argv[1], "wb") : stdout;
  if (!f) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 2;
  }
  std::fwrite(out.data(), 1, out.size(), f);
  if (f != stdout) std::fclose(f);
  return 0;
}
