#include "english/english_normalisation.h"

#include <cstring>

namespace kvo::english {

namespace {

const char* const kUnits[] = {"zero", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine"};
const char* const kTeens[] = {"ten",     "eleven",  "twelve",    "thirteen", "fourteen",
                              "fifteen", "sixteen", "seventeen", "eighteen", "nineteen"};
const char* const kTens[] = {"", "ten", "twenty", "thirty", "forty", "fifty", "sixty", "seventy", "eighty", "ninety"};

struct OrdinalPair {
  const char* cardinal;
  const char* ordinal;
};
const OrdinalPair kOrdinals[] = {
    {"zero", "zeroth"},         {"one", "first"},           {"two", "second"},
    {"three", "third"},         {"four", "fourth"},         {"five", "fifth"},
    {"six", "sixth"},           {"seven", "seventh"},       {"eight", "eighth"},
    {"nine", "ninth"},          {"ten", "tenth"},           {"eleven", "eleventh"},
    {"twelve", "twelfth"},      {"thirteen", "thirteenth"}, {"fourteen", "fourteenth"},
    {"fifteen", "fifteenth"},   {"sixteen", "sixteenth"},   {"seventeen", "seventeenth"},
    {"eighteen", "eighteenth"}, {"nineteen", "nineteenth"}, {"twenty", "twentieth"},
    {"thirty", "thirtieth"},    {"forty", "fortieth"},      {"fifty", "fiftieth"},
    {"sixty", "sixtieth"},      {"seventy", "seventieth"},  {"eighty", "eightieth"},
    {"ninety", "ninetieth"},    {"hundred", "hundredth"},   {"thousand", "thousandth"},
    {"million", "millionth"},   {"billion", "billionth"},
};

const char* const kContractions[] = {"'s", "'ll", "'ve", "'d", nullptr};
const char* const kSectionWords[] = {"section", "chapter", "part", "phrase", "verse", "scene",   "act",  "book",
                                     "volume",  "chap",    "war",  "apollo", "trek",  "fortran", nullptr};
const char* const kTitles[] = {"king",     "queen",  "pope",    "duke",     "tsar",    "emperor",
                               "shah",     "ceasar", "duchess", "tsarina",  "empress", "baron",
                               "baroness", "sultan", "count",   "countess", nullptr};
const char* const kNames[] = {"louis",     "henry",      "charles", "philip",    "george",   "edward", "pius",
                              "william",   "richard",    "ptolemy", "john",      "paul",     "peter",  "nicholas",
                              "frederick", "james",      "alfonso", "ivan",      "napolean", "leo",    "gregory",
                              "catherine", "alexandria", "pierre",  "elizabeth", "mary",     nullptr};
const char* const kMonths[] = {"jan", "january", "feb", "february", "mar", "march",    "apr",  "april", "may",
                               "jun", "june",    "jul", "july",     "aug", "august",   "sep",  "sept",  "september",
                               "oct", "october", "nov", "november", "dec", "december", nullptr};
const char* const kDays[] = {"sun", "sunday", "mon",      "monday", "tue",    "tues", "tuesday",  "wed",  "wednesday",
                             "thu", "thurs",  "thursday", "fri",    "friday", "sat",  "saturday", nullptr};

const char* const kOnsets[] = {
    "",     "N",    "b",    "c",    "d",    "f",    "g",    "h",    "j",    "k",    "l",    "p",    "q",    "r",
    "s",    "t",    "v",    "w",    "x",    "z",    "Nc",   "Nr",   "bh",   "bj",   "bl",   "br",   "ch",   "cl",
    "cr",   "cw",   "cz",   "dh",   "dj",   "dl",   "dr",   "dv",   "dw",   "dz",   "fj",   "fl",   "fr",   "gN",
    "gh",   "gj",   "gl",   "gr",   "gw",   "hl",   "hr",   "hs",   "hw",   "kN",   "kh",   "kj",   "kl",   "kr",
    "kw",   "lh",   "ll",   "pN",   "pf",   "ph",   "pl",   "pr",   "ps",   "pt",   "rh",   "sN",   "sc",   "sf",
    "sh",   "sj",   "sk",   "sl",   "sp",   "sq",   "sr",   "st",   "sv",   "sw",   "sz",   "th",   "tj",   "tk",
    "tr",   "ts",   "tv",   "tw",   "vl",   "vr",   "wh",   "wr",   "zb",   "zh",   "zl",   "zv",   "zw",   "NcN",
    "Ncb",  "Ncc",  "Ncd",  "Ncf",  "Ncg",  "Nch",  "Nck",  "Ncl",  "Ncp",  "Ncq",  "Ncr",  "Nct",  "Ncv",  "Ncw",
    "chl",  "chr",  "grz",  "pfl",  "phl",  "phr",  "prz",  "sch",  "scl",  "scr",  "sgr",  "shl",  "shr",  "skl",
    "skr",  "sph",  "spl",  "spr",  "str",  "thr",  "thw",  "trz",  "zdr",  "Ncbr", "Nccl", "Nccr", "Ncgl", "Ncgr",
    "Ncph", "schN", "schl", "schr", "schw", "shch", "szcz", "tsch", "zsch", nullptr};

const char* const kEndings[] = {
    "",      "N",     "b",     "c",     "d",      "f",    "g",    "h",    "j",    "k",    "l",     "p",     "q",
    "r",     "s",     "t",     "v",     "w",      "x",    "z",    "NN",   "Nb",   "Nc",   "Nd",    "Nf",    "Ng",
    "Nh",    "Nk",    "Nl",    "Np",    "Nq",     "Ns",   "Nt",   "Nx",   "Nz",   "bb",   "bh",    "bl",    "bs",
    "bt",    "ch",    "ck",    "cq",    "cs",     "ct",   "cz",   "dd",   "dh",   "dl",   "ds",    "dt",    "dz",
    "ff",    "fs",    "ft",    "fz",    "gN",     "gg",   "gh",   "gl",   "gs",   "gt",   "hN",    "hd",    "hg",
    "hl",    "hr",    "hs",    "jN",    "jl",     "kh",   "kk",   "ks",   "kt",   "lN",   "lb",    "lc",    "ld",
    "lf",    "lg",    "lk",    "ll",    "lp",     "ls",   "lt",   "lx",   "lz",   "pf",   "ph",    "pl",    "pp",
    "ps",    "pt",    "rN",    "rb",    "rc",     "rd",   "rf",   "rg",   "rk",   "rl",   "rp",    "rr",    "rs",
    "rt",    "rv",    "rx",    "rz",    "sN",     "sc",   "sh",   "sk",   "sp",   "sr",   "ss",    "st",    "sz",
    "th",    "tl",    "tr",    "ts",    "tt",     "tz",   "vl",   "vr",   "vs",   "wN",   "wd",    "wk",    "wl",
    "ws",    "wt",    "xt",    "xx",    "zN",     "zd",   "zk",   "zs",   "zz",   "NNs",  "Nbs",   "Nch",   "Nck",
    "Ncl",   "Ncs",   "Nct",   "Ncz",   "Ndh",    "Ndl",  "Nds",  "Ndt",  "Nff",  "Nft",  "Ngg",   "Ngh",   "Ngl",
    "Ngs",   "Ngt",   "Nkl",   "Nks",   "Npf",    "Nph",  "Npl",  "Npp",  "Nps",  "Npt",  "Nsk",   "Nst",   "Nsz",
    "Nth",   "Ntl",   "Nts",   "Ntt",   "Ntz",    "Nzl",  "bbs",  "bst",  "bts",  "chl",  "chs",   "cht",   "ckl",
    "cks",   "cld",   "cts",   "dNt",   "dds",    "dst",  "dth",  "ffs",  "fft",  "fth",  "fts",   "gNs",   "ggs",
    "ghN",   "ghs",   "ght",   "gst",   "gts",    "hNg",  "hNs",  "hlf",  "hls",  "hlt",  "hrs",   "hrt",   "khs",
    "kst",   "lNs",   "lbs",   "lch",   "lck",    "lcs",  "lds",  "ldt",  "lff",  "lfs",  "lft",   "lgh",   "lks",
    "lls",   "lph",   "lps",   "lpt",   "lsh",    "lsk",  "lst",  "lth",  "lts",  "ltz",  "phs",   "pps",   "pst",
    "pth",   "pts",   "rNN",   "rNd",   "rNs",    "rNt",  "rbs",  "rch",  "rck",  "rcq",  "rcs",   "rcz",   "rds",
    "rdt",   "rff",   "rfs",   "rgh",   "rgs",    "rkl",  "rks",  "rkt",  "rld",  "rll",  "rls",   "rlt",   "rpf",
    "rph",   "rps",   "rpt",   "rrh",   "rrs",    "rsh",  "rsk",  "rss",  "rst",  "rth",  "rtl",   "rts",   "rtt",
    "rtz",   "rzt",   "sNs",   "sNt",   "sch",    "scs",  "sks",  "sps",  "ssl",  "stl",  "sts",   "stz",   "szt",
    "tch",   "thN",   "ths",   "tsk",   "ttl",    "tts",  "ttz",  "tzl",  "vls",  "vsk",  "wNs",   "wds",   "wks",
    "wls",   "wsl",   "wth",   "wts",   "xth",    "xts",  "zdz",  "zts",  "Ncks", "Ncts", "Ndts",  "Ngst",  "Ngth",
    "Npff",  "Nphs",  "Npts",  "Nsch",  "Nths",   "chts", "dths", "fths", "ghNs", "ghth", "ghts",  "hlfs",  "hrNs",
    "ksch",  "ldNt",  "lfth",  "lphs",  "lpts",   "lsch", "lths", "lvth", "pths", "rNdt", "rNst",  "rNth",  "rNtz",
    "rbst",  "rchs",  "rcks",  "rdts",  "rlds",   "rphs", "rpst", "rpts", "rsch", "rsts", "rtch",  "rths",  "rtzt",
    "schl",  "ssrs",  "stNt",  "thNs",  "tsch",   "wNds", "wNst", "wlds", "wths", "xths", "Ndths", "Ngths", "Ntsch",
    "rscht", "rszcz", "rtsch", "ttsch", "Ntzsch", nullptr};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool IsLower(char c) { return c >= 'a' && c <= 'z'; }
bool IsLetter(char c) { return IsUpper(c) || IsLower(c); }
char Lower(char c) { return IsUpper(c) ? static_cast<char>(c - 'A' + 'a') : c; }

void LowerCopy(const char* s, char* out, size_t cap) {
  size_t i = 0;
  for (; s != nullptr && s[i] != 0 && i + 1 < cap; ++i) out[i] = Lower(s[i]);
  out[i] = 0;
}

bool InList(const char* word, const char* const* list) {
  if (word == nullptr) return false;
  char low[kWordBytes];
  LowerCopy(word, low, sizeof(low));
  for (; *list != nullptr; ++list)
    if (std::strcmp(*list, low) == 0) return true;
  return false;
}

bool AllDigits(const char* s, size_t n) {
  if (n == 0) return false;
  for (size_t i = 0; i < n; ++i)
    if (!IsDigit(s[i])) return false;
  return true;
}

// Digits at s; returns how many.
size_t DigitRun(const char* s) {
  size_t n = 0;
  while (IsDigit(s[n])) ++n;
  return n;
}

int64_t SmallValue(const char* s, size_t n) {
  int64_t v = 0;
  for (size_t i = 0; i < n && i < 15; ++i) v = v * 10 + (s[i] - '0');
  return v;
}

// Words of a number below 1000 given as up to three digits (leading zeros
// allowed); nothing for 0.
void ReadGroup(const char* d, size_t n, WordSink* out) {
  while (n > 0 && *d == '0') {
    ++d;
    --n;
  }
  if (n == 0) return;
  if (n == 3) {
    out->Add(kUnits[d[0] - '0']);
    out->Add("hundred");
    ReadGroup(d + 1, 2, out);
    return;
  }
  if (n == 2) {
    const int tens = d[0] - '0', units = d[1] - '0';
    if (tens == 1) {
      out->Add(kTeens[units]);
      return;
    }
    out->Add(kTens[tens]);
    if (units != 0) out->Add(kUnits[units]);
    return;
  }
  out->Add(kUnits[d[0] - '0']);
}

}  // namespace

bool WordSink::Add(const char* word, size_t length) {
  if (list->count >= kMaxWords || length == 0) return false;
  EnglishWord& w = list->words[list->count++];
  std::memset(&w, 0, sizeof(w));
  if (length >= static_cast<size_t>(kWordBytes)) length = kWordBytes - 1;
  for (size_t i = 0; i < length; ++i) w.word[i] = Lower(word[i]);
  if (token != nullptr) {
    std::strncpy(w.token, token, kWordBytes - 1);
  }
  w.punctuation = punctuation;
  w.tag = tag;
  return true;
}

bool WordSink::Add(const char* word) { return Add(word, std::strlen(word)); }

void WordSink::AppendToLast(const char* text) {
  if (list->count == 0) return;
  char* w = list->words[list->count - 1].word;
  const size_t have = std::strlen(w);
  std::strncat(w, text, kWordBytes - 1 - have);
}

// ---- Number readers ----

void ReadDigits(const char* text, size_t n, WordSink* out) {
  size_t i = 0;
  while (i < n) {
    if (IsDigit(text[i])) {
      out->Add(kUnits[text[i] - '0']);
      ++i;
      continue;
    }
    size_t j = i;
    while (j < n && !IsDigit(text[j])) ++j;
    out->Add(text + i, j - i);
    i = j;
  }
}

void ReadCardinal(const char* digits, size_t n, WordSink* out) {
  // Commas are ignored.
  char d[kWordBytes * 2];
  size_t m = 0;
  for (size_t i = 0; i < n && m + 1 < sizeof(d); ++i) {
    if (digits[i] == ',') continue;
    if (!IsDigit(digits[i])) {
      ReadDigits(digits, n, out);
      return;
    }
    d[m++] = digits[i];
  }
  size_t s = 0;
  while (s < m && d[s] == '0') ++s;
  if (s == m) {
    out->Add("zero");
    return;
  }
  const char* v = d + s;
  const size_t len = m - s;
  if (len > 12) {
    ReadDigits(v, len, out);
    return;
  }
  static const char* const kScales[] = {"", "thousand", "million", "billion"};
  const size_t groups = (len + 2) / 3;
  size_t at = 0;
  for (size_t g = groups; g > 0; --g) {
    const size_t take = g == groups ? len - 3 * (groups - 1) : 3;
    const size_t before = static_cast<size_t>(out->list->count);
    ReadGroup(v + at, take, out);
    // A group of zeros contributes nothing, not even its scale word.
    if (g > 1 && static_cast<size_t>(out->list->count) != before) out->Add(kScales[g - 1]);
    at += take;
  }
}

void ReadYear(const char* digits, size_t n, WordSink* out) {
  if (n == 4 && digits[1] == '0' && digits[2] == '0' && digits[3] == '0') {
    ReadCardinal(digits, n, out);
  } else if (n == 4 && digits[2] == '0' && digits[3] == '0') {
    ReadCardinal(digits, 2, out);
    out->Add("hundred");
  } else if (n == 2 && digits[0] == '0') {
    out->Add("oh");
    out->Add(kUnits[digits[1] - '0']);
  } else if ((n == 4 && digits[1] == '0') || n < 3) {
    ReadCardinal(digits, n, out);
  } else if (n % 2 == 1) {
    out->Add(kUnits[digits[0] - '0']);
    ReadYear(digits + 1, n - 1, out);
  } else {
    ReadCardinal(digits, 2, out);
    ReadYear(digits + 2, n - 2, out);
  }
}

void ReadOrdinal(const char* digits, size_t n, WordSink* out) {
  const int before = out->list->count;
  ReadCardinal(digits, n, out);
  if (out->list->count == before) return;
  char* last = out->list->words[out->list->count - 1].word;
  for (const OrdinalPair& p : kOrdinals) {
    if (std::strcmp(last, p.cardinal) == 0) {
      std::strncpy(last, p.ordinal, kWordBytes - 1);
      return;
    }
  }
}

void ReadNumber(const char* text, size_t n, WordSink* out) {
  if (n == 0) return;
  if (text[0] == '-') {
    out->Add("minus");
    ReadNumber(text + 1, n - 1, out);
    return;
  }
  if (text[0] == '+') {
    out->Add("plus");
    ReadNumber(text + 1, n - 1, out);
    return;
  }
  for (size_t i = 0; i < n; ++i) {
    if (text[i] == 'e' || text[i] == 'E') {
      ReadNumber(text, i, out);
      out->Add("e");
      ReadNumber(text + i + 1, n - i - 1, out);
      return;
    }
  }
  for (size_t i = 0; i < n; ++i) {
    if (text[i] == '.') {
      ReadCardinal(text, i, out);
      out->Add("point");
      ReadDigits(text + i + 1, n - i - 1, out);
      return;
    }
  }
  ReadCardinal(text, n, out);
}

void SpellLetters(const char* text, size_t n, WordSink* out) {
  for (size_t i = 0; i < n; ++i) {
    const char c = Lower(text[i]);
    if (IsDigit(c)) {
      out->Add(kUnits[c - '0']);
    } else if (c == 'a') {
      out->Add("_a");
    } else {
      out->Add(&c, 1);
    }
  }
}

// ---- Patterns ----

bool Matches(Pattern pattern, const char* t) {
  const size_t n = std::strlen(t);
  switch (pattern) {
    case Pattern::kTime: {
      // [01]?[0-9]:[0-5][0-9]
      size_t h = DigitRun(t);
      if (h == 0 || h > 2 || (h == 2 && t[0] != '0' && t[0] != '1')) return false;
      return t[h] == ':' && n == h + 3 && t[h + 1] >= '0' && t[h + 1] <= '5' && IsDigit(t[h + 2]);
    }
    case Pattern::kFourDigits:
      return n == 4 && AllDigits(t, 4);
    case Pattern::kThreeDigits:
      return n == 3 && AllDigits(t, 3);
    case Pattern::kRoman: {
      // II?I? | IV | VI?I?I? | IX | X[VIX]*
      if (n == 0) return false;
      if (t[0] == 'X') {
        for (size_t i = 1; i < n; ++i)
          if (t[i] != 'V' && t[i] != 'I' && t[i] != 'X') return false;
        return true;
      }
      if (std::strcmp(t, "IV") == 0 || std::strcmp(t, "IX") == 0) return true;
      if (t[0] == 'I') return n <= 3 && std::strspn(t, "I") == n;
      if (t[0] == 'V') return n <= 4 && std::strspn(t + 1, "I") == n - 1;
      return false;
    }
    case Pattern::kFraction: {
      if (!(t[0] >= '1' && t[0] <= '9')) return false;
      const size_t a = DigitRun(t);
      if (t[a] != '/' || !(t[a + 1] >= '1' && t[a + 1] <= '9')) return false;
      return a + 1 + DigitRun(t + a + 1) == n;
    }
    case Pattern::kDottedLetters: {
      // [a-zA-Z](\.[a-zA-Z])*, here with at least one dot: a single letter
      // is a word of its own ("a", "I"), not a letter sequence.
      if (n < 3 || n % 2 == 0) return false;
      for (size_t i = 0; i < n; ++i)
        if (i % 2 == 0 ? !IsLetter(t[i]) : t[i] != '.') return false;
      return true;
    }
    case Pattern::kMoney: {
      if (t[0] != '$') return false;
      size_t i = 1;
      while (IsDigit(t[i]) || t[i] == ',') ++i;
      if (i == 1) return false;
      if (t[i] == 0) return true;
      if (t[i] != '.') return false;
      const size_t f = DigitRun(t + i + 1);
      return f > 0 && i + 1 + f == n;
    }
    case Pattern::kDigitGroups: {
      // [0-9]+(-[0-9]+)+
      size_t i = DigitRun(t);
      if (i == 0) return false;
      int groups = 0;
      while (t[i] == '-') {
        const size_t d = DigitRun(t + i + 1);
        if (d == 0) return false;
        i += 1 + d;
        ++groups;
      }
      return groups > 0 && i == n;
    }
    case Pattern::kPhone:
      return n == 8 && AllDigits(t, 3) && t[3] == '-' && AllDigits(t + 4, 4);
    case Pattern::kIllion:
      return n >= 6 && std::strcmp(t + n - 6, "illion") == 0;
    case Pattern::kStreetOrDoctor:
      return n == 2 && ((Lower(t[0]) == 'd' && Lower(t[1]) == 'r') || (Lower(t[0]) == 's' && Lower(t[1]) == 't'));
    case Pattern::kDecade: {
      const size_t d = DigitRun(t);
      return d > 0 && t[d] == 's' && n == d + 1;
    }
    case Pattern::kOrdinal: {
      if (!IsDigit(t[0]) || n < 3) return false;
      size_t i = 1;
      while (IsDigit(t[i]) || t[i] == ',') ++i;
      if (i + 2 != n) return false;
      static const char* const kSuffixes[] = {"th", "TH", "st", "ST", "nd", "ND", "rd", "RD"};
      for (const char* s : kSuffixes)
        if (std::strcmp(t + i, s) == 0) return true;
      return false;
    }
    case Pattern::kDigits:
      return AllDigits(t, n);
    case Pattern::kAlphabetic: {
      if (n == 0) return false;
      for (size_t i = 0; i < n; ++i)
        if (!IsLetter(t[i])) return false;
      return true;
    }
    case Pattern::kCommaNumber: {
      size_t i = DigitRun(t);
      if (i == 0 || i > 3 || t[i] != ',') return false;
      while (t[i] == ',') {
        if (DigitRun(t + i + 1) != 3) return false;
        i += 4;
      }
      if (t[i] == 0) return true;
      if (t[i] != '.') return false;
      const size_t f = DigitRun(t + i + 1);
      return f > 0 && i + 1 + f == n;
    }
    case Pattern::kNumber: {
      size_t i = t[0] == '-' ? 1 : 0;
      const size_t a = DigitRun(t + i);
      i += a;
      size_t b = 0;
      if (t[i] == '.') {
        b = DigitRun(t + i + 1);
        if (a == 0 && b == 0) return false;
        i += 1 + b;
      } else if (a == 0) {
        return false;
      }
      if (t[i] == 'e' || t[i] == 'E') {
        ++i;
        if (t[i] == '-' || t[i] == '+') ++i;
        const size_t e = DigitRun(t + i);
        if (e == 0) return false;
        i += e;
      }
      return i == n;
    }
  }
  return false;
}

bool IsPronounceable(const char* token) {
  char w[kWordBytes];
  LowerCopy(token, w, sizeof(w));
  const size_t n = std::strlen(w);
  auto vowel = [](char c) { return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u' || c == 'y'; };
  size_t first = n, last = n;
  for (size_t i = 0; i < n; ++i) {
    if (vowel(w[i])) {
      if (first == n) first = i;
      last = i;
    }
  }
  if (first == n) return false;
  auto listed = [&](const char* s, size_t len, const char* const* list) {
    char key[kWordBytes];
    for (size_t i = 0; i < len; ++i) key[i] = (s[i] == 'n' || s[i] == 'm') ? 'N' : s[i];
    key[len] = 0;
    for (; *list != nullptr; ++list)
      if (std::strcmp(*list, key) == 0) return true;
    return false;
  };
  return listed(w, first, kOnsets) && listed(w + last + 1, n - last - 1, kEndings);
}

// ---- Tokens ----

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsOpening(char c) { return c == '"' || c == '\'' || c == '`' || c == '(' || c == '{' || c == '['; }
bool IsTrailing(char c) {
  return c == '"' || c == '\'' || c == '`' || c == '.' || c == ',' || c == ':' || c == ';' || c == '!' || c == '?' ||
         c == '(' || c == ')' || c == '{' || c == '}' || c == '[' || c == ']';
}
bool IsRunSeparator(char c) {
  return c == ' ' || c == ';' || c == '!' || c == '?' || c == ',' || c == '.' || c == '\t' || c == '\n';
}

void AddToken(TokenList* out, const char* text, size_t n, char punctuation, int start) {
  if (out->count >= kMaxTokens || n == 0) return;
  char buf[kWordBytes];
  if (n >= sizeof(buf)) return;  // callers cut tokens before this
  std::memcpy(buf, text, n);
  buf[n] = 0;
  char mark = 0;
  const size_t len = CleanToken(buf, &mark);
  if (len == 0) return;
  const int i = out->count++;
  std::memcpy(out->tokens[i], buf, len + 1);
  out->punctuation[i] = punctuation != 0 ? punctuation : mark;
  out->tags[i] = 0;
  out->start[i] = static_cast<int16_t>(start);
}

}  // namespace

size_t CleanToken(char* token, char* last_mark) {
  *last_mark = 0;
  size_t i = 0;
  while (IsSpace(token[i])) ++i;
  while (IsOpening(token[i])) ++i;
  size_t end = i;
  while (token[end] != 0 && !IsSpace(token[end])) ++end;
  while (end > i && IsTrailing(token[end - 1])) {
    if (*last_mark == 0) *last_mark = token[end - 1];
    --end;
  }
  const size_t n = end - i;
  std::memmove(token, token + i, n);
  token[n] = 0;
  return n;
}

void TokeniseRun(const char* text, size_t n, TokenList* out) {
  out->count = 0;
  size_t start = 0;
  for (size_t i = 0; i <= n; ++i) {
    const char c = i < n ? text[i] : 0;
    const bool between_digits =
        (c == ',' || c == '.') && i > start && IsDigit(text[i - 1]) && i + 1 < n && IsDigit(text[i + 1]);
    const bool separator = i == n || c == 0 || (IsRunSeparator(c) && !between_digits);
    if (separator) {
      AddToken(out, text + start, i - start, (i < n && c != ' ' && c != '\t' && c != '\n') ? c : 0,
               static_cast<int>(start));
      start = i + 1;
      if (c == 0) break;
    } else if (i - start >= 31) {
      // A token ends after 31 characters without a separator.
      AddToken(out, text + start, i - start, 0, static_cast<int>(start));
      start = i;
    }
  }
}

void TokeniseChunk(const char* text, size_t n, TokenList* out) {
  out->count = 0;
  size_t i = 0;
  while (i < n) {
    while (i < n && text[i] == ' ') ++i;
    size_t j = i;
    while (j < n && text[j] != ' ') ++j;
    // Long tokens are cut into pieces of 31 before cleaning.
    for (size_t k = i; k < j;) {
      const size_t piece = j - k > 32 ? 31 : j - k;
      AddToken(out, text + k, piece, 0, static_cast<int>(k));
      k += piece;
    }
    i = j;
  }
}

// ---- Token rules ----

namespace {

struct Context {
  const TokenList* tokens;  // null for parts of a token
  int index;
  const char* At(int k) const {
    if (tokens == nullptr) return nullptr;
    const int j = index + k;
    return j >= 0 && j < tokens->count ? tokens->tokens[j] : nullptr;
  }
  bool IsFirst() const { return tokens == nullptr || index == 0; }
  bool IsLast() const { return tokens == nullptr || index == tokens->count - 1; }
};

// The number-reading tree's answers.
enum class Reading { kCardinal, kDigits, kYear, kOrdinal };

const char* ClassOf(const char* t) {
  if (t == nullptr) return nullptr;
  if (Matches(Pattern::kDigits, t)) return "numeric";
  if (Matches(Pattern::kNumber, t)) return "number";
  if (InList(t, kMonths)) return "month";
  if (InList(t, kDays)) return "day";
  char low[kWordBytes];
  LowerCopy(t, low, sizeof(low));
  if (std::strcmp(low, "a") == 0) return "a";
  if (std::strcmp(low, "flight") == 0) return "flight";
  if (std::strcmp(low, "to") == 0) return "to";
  return "_other_";
}

bool ClassIs(const Context& c, int k, const char* cls) {
  const char* t = c.At(k);
  const char* got = ClassOf(t);
  return got != nullptr && std::strcmp(got, cls) == 0;
}

Reading NumberTree(const Context& c, const char* t) {
  const size_t len = std::strlen(t);
  const double digits = static_cast<double>(Matches(Pattern::kDigits, t) ? len : 0);
  const double value = static_cast<double>(SmallValue(t, len));
  const bool dayrange = value >= 1 && value <= 31;
  // No token has the class "sym": those questions are always false.
  if (digits < 3.8) {
    if (ClassIs(c, -1, "month")) return dayrange ? Reading::kOrdinal : Reading::kYear;
    if (ClassIs(c, 1, "month")) return dayrange ? Reading::kOrdinal : Reading::kCardinal;
    if (ClassIs(c, 1, "numeric")) return digits < 2 ? Reading::kCardinal : Reading::kDigits;
    if (digits < 2) return Reading::kCardinal;
    if (value < 302.3) return ClassIs(c, -1, "flight") ? Reading::kDigits : Reading::kCardinal;
    if (ClassIs(c, -1, "a")) return Reading::kDigits;
    if (value < 373.2) return Reading::kCardinal;
    if (value < 392.6) return Reading::kDigits;
    if (value < 716.5) return Reading::kCardinal;
    if (value < 773.6) return ClassIs(c, -1, "_other_") ? Reading::kDigits : Reading::kCardinal;
    return Reading::kCardinal;
  }
  if (ClassIs(c, -1, "numeric")) {
    if (ClassIs(c, -2, "month")) return Reading::kYear;
    return ClassIs(c, 2, "numeric") ? Reading::kCardinal : Reading::kDigits;
  }
  if (ClassIs(c, 2, "numeric")) {
    if (ClassIs(c, 1, "month")) return Reading::kCardinal;
    if (ClassIs(c, 1, "numeric")) return Reading::kDigits;
    return ClassIs(c, -1, "_other_") ? Reading::kCardinal : Reading::kYear;
  }
  if (ClassIs(c, -1, "_other_")) {
    if (digits < 4.4) {
      if (value < 1773.4) return Reading::kCardinal;
      return value < 2959.6 ? Reading::kYear : Reading::kCardinal;
    }
    return ClassIs(c, -2, "_other_") ? Reading::kDigits : Reading::kCardinal;
  }
  if (ClassIs(c, 1, "to")) return Reading::kYear;
  if (digits < 4.8) {
    if (value < 1306.4) return Reading::kCardinal;
    if (value < 2880) return Reading::kYear;
    return Reading::kCardinal;
  }
  return Reading::kCardinal;
}

bool StartsLower(const char* t) { return t != nullptr && IsLower(t[0]); }
bool StartsUpper(const char* t) { return t != nullptr && IsUpper(t[0]); }

constexpr int kMaxDepth = 8;

void Normalise(const Context& c, const char* t, bool year_flag, bool fraction_allowed, int depth, WordSink* out);

// A part of a token, normalised on its own.
void NormalisePart(const char* text, size_t n, bool year_flag, bool fraction_allowed, int depth, WordSink* out) {
  if (n == 0 || depth >= kMaxDepth) return;
  char part[kWordBytes];
  if (n >= sizeof(part)) n = sizeof(part) - 1;
  std::memcpy(part, text, n);
  part[n] = 0;
  Normalise(Context{nullptr, 0}, part, year_flag, fraction_allowed, depth + 1, out);
}

int RomanValue(const char* t) {
  int v = 0;
  for (size_t i = 0; t[i] != 0; ++i) {
    if (t[i] == 'I' && (t[i + 1] == 'V' || t[i + 1] == 'X')) {
      v += t[i + 1] == 'V' ? 4 : 9;
      ++i;
    } else {
      v += t[i] == 'I' ? 1 : t[i] == 'V' ? 5 : 10;
    }
  }
  return v;
}

void Normalise(const Context& c, const char* t, bool year_flag, bool fraction_allowed, int depth, WordSink* out) {
  const size_t n = std::strlen(t);
  if (n == 0) return;
  char low[kWordBytes];
  LowerCopy(t, low, sizeof(low));
  // 1. A last "a" is the letter.
  if ((std::strcmp(t, "a") == 0 || std::strcmp(t, "A") == 0) && c.tokens != nullptr && c.IsLast()) {
    out->Add("_a");
    return;
  }
  // 2. Dotted letters.
  if (Matches(Pattern::kDottedLetters, t)) {
    for (size_t i = 0; i < n; i += 2) SpellLetters(t + i, 1, out);
    return;
  }
  // 3. Comma number.
  if (Matches(Pattern::kCommaNumber, t)) {
    char d[kWordBytes];
    size_t m = 0;
    for (size_t i = 0; i < n; ++i)
      if (t[i] != ',') d[m++] = t[i];
    ReadNumber(d, m, out);
    return;
  }
  // 4. Phone number.
  if (Matches(Pattern::kPhone, t)) {
    ReadDigits(t, 3, out);
    ReadDigits(t + 4, 4, out);
    return;
  }
  // 5. Digit groups of phone numbers written apart.
  if (c.At(-2) != nullptr && c.At(2) != nullptr) {
    const char* p1 = c.At(-1);
    const char* p2 = c.At(-2);
    const char* n1 = c.At(1);
    const char* n2 = c.At(2);
    if (Matches(Pattern::kThreeDigits, t) &&
        ((!Matches(Pattern::kDigits, p1) && Matches(Pattern::kThreeDigits, n1) && Matches(Pattern::kFourDigits, n2)) ||
         Matches(Pattern::kPhone, n1) ||
         (!Matches(Pattern::kDigits, p2) && Matches(Pattern::kThreeDigits, p1) && Matches(Pattern::kFourDigits, n1)))) {
      ReadDigits(t, n, out);
      return;
    }
    if (Matches(Pattern::kFourDigits, t) && !Matches(Pattern::kDigits, n1) && Matches(Pattern::kThreeDigits, p1) &&
        Matches(Pattern::kThreeDigits, p2)) {
      ReadDigits(t, n, out);
      return;
    }
  }
  // 6. Time.
  if (Matches(Pattern::kTime, t)) {
    const size_t h = DigitRun(t);
    ReadCardinal(t, h, out);
    if (!(t[h + 1] == '0' && t[h + 2] == '0')) ReadYear(t + h + 1, 2, out);
    return;
  }
  // 7. Digit groups (1-800-555-0100). One hyphen between two numbers is a
  // range ("5-10", five to ten), read by rule 21.
  if (Matches(Pattern::kDigitGroups, t) && std::strchr(t, '-') != std::strrchr(t, '-')) {
    for (size_t i = 0; i < n;) {
      const size_t d = DigitRun(t + i);
      ReadDigits(t + i, d, out);
      i += d + 1;
    }
    return;
  }
  // 8. Digits.
  if (Matches(Pattern::kDigits, t)) {
    if (year_flag) {
      ReadYear(t, n, out);
      return;
    }
    switch (NumberTree(c, t)) {
      case Reading::kOrdinal:
        ReadOrdinal(t, n, out);
        break;
      case Reading::kDigits:
        ReadDigits(t, n, out);
        break;
      case Reading::kYear:
        ReadYear(t, n, out);
        break;
      case Reading::kCardinal:
        ReadCardinal(t, n, out);
        break;
    }
    return;
  }
  // 9. Roman numerals.
  if (Matches(Pattern::kRoman, t)) {
    const int v = RomanValue(t);
    char d[8];
    int m = 0;
    char rev[8];
    for (int x = v; x > 0 && m < 7; x /= 10) rev[m++] = static_cast<char>('0' + x % 10);
    for (int i = 0; i < m; ++i) d[i] = rev[m - 1 - i];
    if (InList(c.At(-1), kNames) || InList(c.At(-2), kTitles)) {
      out->Add("the");
      ReadOrdinal(d, static_cast<size_t>(m), out);
    } else if (c.IsFirst() || !InList(c.At(-1), kSectionWords)) {
      SpellLetters(t, n, out);
    } else {
      ReadCardinal(d, static_cast<size_t>(m), out);
    }
    return;
  }
  // 10. St and Dr: the title before a name. A title also opens a sentence
  // ("Dr. Brown"), so a missing word before counts like a lower-case one.
  if (Matches(Pattern::kStreetOrDoctor, t)) {
    const bool street = low[0] == 's';
    const char* before = c.At(-1);
    const bool title = (before == nullptr || StartsLower(before)) && StartsUpper(c.At(1));
    out->Add(street ? (title ? "saint" : "street") : (title ? "doctor" : "drive"));
    return;
  }
  // 11. Mr, Mrs.
  if (std::strcmp(low, "mr") == 0) {
    out->Add("mister");
    return;
  }
  if (std::strcmp(low, "mrs") == 0) {
    out->Add("missus");
    return;
  }
  // 12. A capital letter before a capitalised word.
  if (n == 1 && IsUpper(t[0]) && StartsUpper(c.At(1))) {
    out->Add(t[0] == 'A' ? "_a" : low);
    return;
  }
  // 13. Number.
  if (Matches(Pattern::kNumber, t)) {
    ReadNumber(t, n, out);
    return;
  }
  // 14. Ordinal.
  if (Matches(Pattern::kOrdinal, t)) {
    ReadOrdinal(t, n - 2, out);
    return;
  }
  // 15. "million" after an amount of money.
  if (Matches(Pattern::kIllion, t) && c.At(-1) != nullptr && Matches(Pattern::kMoney, c.At(-1))) {
    out->Add(low);
    out->Add("dollars");
    return;
  }
  // 16. Money.
  if (Matches(Pattern::kMoney, t)) {
    const char* amount = t + 1;
    const size_t an = n - 1;
    const char* dot = std::strchr(amount, '.');
    if (c.At(1) != nullptr && Matches(Pattern::kIllion, c.At(1))) {
      char d[kWordBytes];
      size_t m = 0;
      for (size_t i = 0; i < an; ++i)
        if (amount[i] != ',') d[m++] = amount[i];
      ReadNumber(d, m, out);
      return;
    }
    if (dot != nullptr) {
      const size_t whole = static_cast<size_t>(dot - amount);
      const size_t cents = an - whole - 1;
      if (cents == 0 || cents >= 3) {
        char d[kWordBytes];
        size_t m = 0;
        for (size_t i = 0; i < an; ++i)
          if (amount[i] != ',') d[m++] = amount[i];
        ReadNumber(d, m, out);
        out->Add("dollars");
        return;
      }
      ReadCardinal(amount, whole, out);
      const bool one = whole == 1 && amount[0] == '1';
      out->Add(one ? "dollar" : "dollars");
      if (!(dot[1] == '0' && dot[2] == '0')) {
        ReadCardinal(dot + 1, 2, out);
        out->Add(dot[1] == '0' && dot[2] == '1' ? "cent" : "cents");
      }
      return;
    }
    NormalisePart(amount, an, false, true, depth, out);
    out->Add(an == 1 && amount[0] == '1' ? "dollar" : "dollars");
    return;
  }
  // 17. Per cent.
  if (n > 1 && t[n - 1] == '%') {
    NormalisePart(t, n - 1, false, true, depth, out);
    out->Add("per cent");
    return;
  }
  // 18. Decade.
  if (Matches(Pattern::kDecade, t)) {
    ReadCardinal(t, n - 1, out);
    out->AppendToLast("'s");
    return;
  }
  // 19. Apostrophes.
  if (const char* apo = std::strchr(t, '\''); apo != nullptr) {
    const size_t before = static_cast<size_t>(apo - t);
    if (InList(apo, kContractions)) {
      NormalisePart(t, before, false, true, depth, out);
      char suffix[kWordBytes];
      LowerCopy(apo, suffix, sizeof(suffix));
      out->Add(suffix);
    } else if (std::strcmp(low + before, "'tve") != 0) {
      char joined[kWordBytes];
      size_t m = 0;
      for (size_t i = 0; i < n; ++i)
        if (t[i] != '\'') joined[m++] = t[i];
      NormalisePart(joined, m, false, true, depth, out);
    } else {
      NormalisePart(t, before + 2, false, true, depth, out);
      out->Add("ve");
    }
    return;
  }
  // 20. Fractions.
  if (fraction_allowed && Matches(Pattern::kFraction, t)) {
    const size_t a = DigitRun(t);
    const char* den = t + a + 1;
    const size_t dn = n - a - 1;
    if (std::strcmp(t, "1/2") == 0) {
      out->Add("a half");
    } else if (SmallValue(t, a) < SmallValue(den, dn) || (a < dn)) {
      ReadCardinal(t, a, out);
      ReadOrdinal(den, dn, out);
      if (SmallValue(t, a) > 1 || a > 1) out->Add("'s");
    } else {
      ReadCardinal(t, a, out);
      out->Add("slash");
      ReadCardinal(den, dn, out);
    }
    return;
  }
  // 21. Hyphens: ranges and compounds.
  if (const char* dash = std::strchr(t, '-'); dash != nullptr) {
    const size_t a = static_cast<size_t>(dash - t);
    const char* rest = dash + 1;
    const size_t rn = n - a - 1;
    if (AllDigits(t, a) && AllDigits(rest, rn)) {
      NormalisePart(t, a, false, true, depth, out);
      out->Add("to");
      NormalisePart(rest, rn, false, true, depth, out);
    } else {
      NormalisePart(t, a, false, false, depth, out);
      NormalisePart(rest, rn, false, false, depth, out);
    }
    return;
  }
  // 22. Letters meeting digits or other characters: split there.
  if (n > 1 && !Matches(Pattern::kAlphabetic, t)) {
    size_t cut = 0;
    for (size_t i = 1; i < n && cut == 0; ++i) {
      const bool a = IsLetter(t[i - 1]), b = IsLetter(t[i]);
      if (a != b) cut = i;
    }
    if (cut > 0) {
      NormalisePart(t, cut, true, true, depth, out);
      NormalisePart(t + cut, n - cut, true, true, depth, out);
      return;
    }
  }
  // 23. A word as it stands, or spelled when it cannot be pronounced.
  if (n == 1 || !Matches(Pattern::kAlphabetic, t) || IsPronounceable(t)) {
    out->Add(low);
  } else {
    SpellLetters(t, n, out);
  }
}

}  // namespace

void NormaliseTokens(const TokenList& tokens, EnglishWordList* words) {
  words->count = 0;
  for (int i = 0; i < tokens.count && words->count < kMaxWords; ++i) {
    WordSink sink{words, tokens.tokens[i], tokens.punctuation[i], tokens.tags[i]};
    Normalise(Context{&tokens, i}, tokens.tokens[i], false, true, 0, &sink);
  }
}

}  // namespace kvo::english
