// kvo-domain-build: a domain library from a folder of WAV recordings and a
// phrase list. Each recording is mixed to mono, resampled to 8 kHz, encoded
// with G.729 (bcg729) and stored with its text, allowed positions, readings
// and tag; one line per phrase reports its length and level.
//
//   kvo-domain-build --list phrases.tsv --wavs DIR --out FILE [--library CN.kvl] [--name NAME]
//
// phrases.tsv (UTF-8, '#' starts a comment line), tab-separated:
//   text  positions  wav-file  [pinyin with tone digits]  [tag]
// positions: the allowed position classes as digits, "0123" for anywhere
// (0 starts the sentence, 1 inside, 2 ends it, 3 the whole sentence).
extern "C" {
#include <bcg729/encoder.h>
}
#include <iconv.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "domain_writer.h"

using kvo::domain::DomainPhrase;

namespace {

bool ReadFile(const std::string& path, std::vector<uint8_t>* out) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return false;
  out->assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  return true;
}

uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// 16-bit PCM WAV, mixed to mono.
bool ReadWav(const std::string& path, std::vector<double>* samples, int* rate, std::string* error) {
  std::vector<uint8_t> b;
  if (!ReadFile(path, &b) || b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 ||
      std::memcmp(b.data() + 8, "WAVE", 4) != 0) {
    *error = "not a WAV file";
    return false;
  }
  int channels = 0, bits = 0;
  size_t pos = 12;
  while (pos + 8 <= b.size()) {
    const uint32_t size = Le32(b.data() + pos + 4);
    const size_t body = pos + 8;
    if (size > b.size() - body) break;
    if (std::memcmp(b.data() + pos, "fmt ", 4) == 0 && size >= 16) {
      if (Le16(b.data() + body) != 1) {
        *error = "not PCM";
        return false;
      }
      channels = Le16(b.data() + body + 2);
      *rate = static_cast<int>(Le32(b.data() + body + 4));
      bits = Le16(b.data() + body + 14);
    } else if (std::memcmp(b.data() + pos, "data", 4) == 0) {
      if (bits != 16 || channels <= 0 || *rate <= 0) {
        *error = "needs 16-bit PCM";
        return false;
      }
      const size_t frames = size / (2 * static_cast<size_t>(channels));
      samples->resize(frames);
      for (size_t i = 0; i < frames; ++i) {
        double s = 0;
        for (int c = 0; c < channels; ++c)
          s += static_cast<int16_t>(Le16(b.data() + body + 2 * (i * static_cast<size_t>(channels) + c)));
        (*samples)[i] = s / channels;
      }
      return true;
    }
    pos = body + size + (size & 1);
  }
  *error = "no data chunk";
  return false;
}

// Windowed-sinc resampling to 8 kHz (low-passed below the new Nyquist rate).
std::vector<int16_t> To8k(const std::vector<double>& x, int rate) {
  const double ratio = rate / 8000.0;
  const double fc = (ratio > 1 ? 1 / ratio : 1.0) * 0.94;
  const int half = static_cast<int>(std::ceil(12 / fc));
  const size_t n = static_cast<size_t>(std::floor(x.size() / ratio));
  std::vector<int16_t> out(n);
  for (size_t i = 0; i < n; ++i) {
    const double t = i * ratio;
    const long c = static_cast<long>(std::floor(t));
    double s = 0;
    for (long k = c - half + 1; k <= c + half; ++k) {
      if (k < 0 || k >= static_cast<long>(x.size())) continue;
      const double u = t - k;
      const double a = M_PI * fc * u;
      const double sinc = u == 0 ? 1.0 : std::sin(a) / a;
      const double w = 0.5 + 0.5 * std::cos(M_PI * u / half);
      s += x[static_cast<size_t>(k)] * fc * sinc * w;
    }
    out[i] = static_cast<int16_t>(std::lround(std::fmax(-32768.0, std::fmin(32767.0, s))));
  }
  return out;
}

// G.729 frames in our layout: bcg729 packs the 80 bits byte by byte; we
// store 16-bit little-endian words with the same bit order.
std::vector<uint8_t> Encode(std::vector<int16_t> pcm) {
  pcm.resize((pcm.size() + 79) / 80 * 80, 0);
  bcg729EncoderChannelContextStruct* enc = initBcg729EncoderChannel(0);
  std::vector<uint8_t> coded;
  for (size_t i = 0; i < pcm.size(); i += 80) {
    uint8_t bits[10];
    uint8_t len = 0;
    bcg729Encoder(enc, &pcm[i], bits, &len);
    for (int k = 0; k < 5; ++k) {
      coded.push_back(bits[2 * k + 1]);
      coded.push_back(bits[2 * k]);
    }
  }
  closeBcg729EncoderChannel(enc);
  return coded;
}

// UTF-8 to internal codes (ASCII as is, GBK with the lead byte low).
bool InternalCodes(const std::string& utf8, std::vector<uint16_t>* out) {
  iconv_t cd = iconv_open("GBK", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string in = utf8;
  std::vector<char> buf(in.size() * 2 + 4);
  char* src = in.data();
  size_t src_left = in.size();
  char* dst = buf.data();
  size_t dst_left = buf.size();
  const size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1)) return false;
  const size_t n = buf.size() - dst_left;
  out->clear();
  for (size_t i = 0; i < n; ++i) {
    const uint8_t b = static_cast<uint8_t>(buf[i]);
    if (b < 0x80 || i + 1 >= n) {
      out->push_back(b);
    } else {
      out->push_back(static_cast<uint16_t>(b | (static_cast<uint8_t>(buf[i + 1]) << 8)));
      ++i;
    }
  }
  return true;
}

// Syllable spellings of a Chinese library (section 8) and its tone count.
bool LoadSyllables(const std::string& path, std::map<std::string, int>* index, int* tones) {
  std::vector<uint8_t> b;
  if (!ReadFile(path, &b) || b.size() < 64) return false;
  *tones = b[31] == 1 ? 6 : 5;
  size_t pos = 64;
  for (int section = 1; section <= 8; ++section) {
    if (pos + 8 > b.size()) return false;
    const uint32_t size = Le32(b.data() + pos + 4);
    if (Le32(b.data() + pos) != pos || size < 8 || size > b.size() - pos) return false;
    if (section == 8) {
      const uint8_t* p = b.data() + pos + 8;
      const size_t bytes = size - 8;
      if (bytes < 4) return false;
      const uint32_t count = Le32(p);
      size_t at = 4;
      for (uint32_t i = 0; i < count && at < bytes; ++i) {
        const char* s = reinterpret_cast<const char*>(p + at);
        const size_t len = strnlen(s, bytes - at);
        (*index)[std::string(s, len)] = static_cast<int>(i);
        at += len + 1;
      }
      return true;
    }
    pos += size;
  }
  return false;
}

std::vector<std::string> Split(const std::string& line, char sep) {
  std::vector<std::string> parts;
  std::string cur;
  std::istringstream in(line);
  while (std::getline(in, cur, sep)) parts.push_back(cur);
  return parts;
}

double Db(double v) { return v > 0 ? 20 * std::log10(v / 32768.0) : -120.0; }

}  // namespace

int main(int argc, char** argv) {
  std::string list, wavs, out, library, name = "domain";
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string k = argv[i];
    if (k == "--list")
      list = argv[i + 1];
    else if (k == "--wavs")
      wavs = argv[i + 1];
    else if (k == "--out")
      out = argv[i + 1];
    else if (k == "--library")
      library = argv[i + 1];
    else if (k == "--name")
      name = argv[i + 1];
  }
  if (list.empty() || wavs.empty() || out.empty()) {
    std::fprintf(stderr, "usage: %s --list phrases.tsv --wavs DIR --out FILE [--library CN.kvl] [--name NAME]\n",
                 argv[0]);
    return 2;
  }
  std::map<std::string, int> syllables;
  int tones = 5;
  if (!library.empty() && !LoadSyllables(library, &syllables, &tones)) {
    std::fprintf(stderr, "cannot read the syllable table of %s\n", library.c_str());
    return 1;
  }
  std::ifstream in(list);
  if (!in) {
    std::fprintf(stderr, "cannot open %s\n", list.c_str());
    return 1;
  }
  std::vector<DomainPhrase> phrases;
  std::string line;
  int line_no = 0, errors = 0;
  std::printf("phrase\tframes\tms\trms_dbfs\tpeak_dbfs\n");
  while (std::getline(in, line)) {
    ++line_no;
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string> f = Split(line, '\t');
    if (f.size() < 3) {
      std::fprintf(stderr, "%s:%d: needs text, positions and wav\n", list.c_str(), line_no);
      ++errors;
      continue;
    }
    DomainPhrase p;
    if (!InternalCodes(f[0], &p.text) || p.text.empty() || p.text.size() > 128) {
      std::fprintf(stderr, "%s:%d: text not convertible to GBK (or empty, or over 128 characters)\n", list.c_str(),
                   line_no);
      ++errors;
      continue;
    }
    p.positions = 0;
    for (char c : f[1])
      if (c >= '0' && c <= '3') p.positions = static_cast<uint16_t>(p.positions | (1u << (c - '0')));
    if (f.size() > 3 && !f[3].empty()) {
      for (const std::string& syl : Split(f[3], ' ')) {
        if (syl.empty()) continue;
        const int tone = syl.back() - '0';
        const auto it = syllables.find(syl.substr(0, syl.size() - 1));
        if (it == syllables.end() || tone < 1 || tone > tones) {
          p.pinyin.push_back(0xFFFF);
        } else {
          p.pinyin.push_back(static_cast<uint16_t>(it->second * tones + tone - 1));
        }
      }
    }
    if (f.size() > 4 && !f[4].empty()) p.tag = f[4];
    std::vector<double> samples;
    int rate = 0;
    std::string error;
    if (!ReadWav(wavs + "/" + f[2], &samples, &rate, &error)) {
      std::fprintf(stderr, "%s:%d: %s: %s\n", list.c_str(), line_no, f[2].c_str(), error.c_str());
      ++errors;
      continue;
    }
    const std::vector<int16_t> pcm = To8k(samples, rate);
    p.coded = Encode(pcm);
    double energy = 0, peak = 0;
    for (int16_t s : pcm) {
      energy += double(s) * s;
      peak = std::fmax(peak, std::fabs(double(s)));
    }
    const double rms = pcm.empty() ? 0 : std::sqrt(energy / pcm.size());
    std::printf("%s\t%zu\t%zu\t%.1f\t%.1f\n", f[0].c_str(), p.coded.size() / 10, p.coded.size(), Db(rms), Db(peak));
    phrases.push_back(std::move(p));
  }
  if (errors > 0) return 1;
  if (phrases.empty()) {
    std::fprintf(stderr, "no phrases\n");
    return 1;
  }
  kvo::domain::DomainHeader header;
  header.name = name;
  size_t dropped = 0;
  const std::vector<uint8_t> bytes = kvo::domain::DomainLibrary(phrases, header, &dropped);
  if (dropped > 0)
    std::fprintf(stderr, "warning: %zu phrases left out of the dictionary (a character's block would pass %zu bytes)\n",
                 dropped, kvo::domain::kMaxDictionaryBlockBytes);
  std::ofstream o(out, std::ios::binary);
  o.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!o) {
    std::fprintf(stderr, "cannot write %s\n", out.c_str());
    return 1;
  }
  std::fprintf(stderr, "%zu phrases, %zu bytes -> %s\n", phrases.size(), bytes.size(), out.c_str());
  return 0;
}
