#include "frontend/lexicon/syllable_split.h"

namespace kvo::frontend {

namespace {

size_t Length(const char* s) {
  size_t n = 0;
  while (s[n] != '\0') ++n;
  return n;
}

bool StartsWith(const char* s, const char* prefix) {
  while (*prefix != '\0') {
    if (*s != *prefix) return false;
    ++s;
    ++prefix;
  }
  return true;
}

void Copy(char* dst, const char* src, size_t n) {
  for (size_t i = 0; i < n; ++i) dst[i] = src[i];
  dst[n] = '\0';
}

void Set(char* dst, const char* src) { Copy(dst, src, Length(src)); }

void RewriteFinal(char* f) {
  if (StartsWith(f, "iua")) {
    Set(f, "van");
    return;
  }
  if (StartsWith(f, "uei")) {
    Set(f, "ui");
    return;
  }
  if (StartsWith(f, "uen")) {
    Set(f, Length(f) >= 4 ? "ueng" : "un");
    return;
  }
  if (StartsWith(f, "iun")) {
    Set(f, "vn");
    return;
  }
  if (StartsWith(f, "iou")) {
    Set(f, "iu");
    return;
  }
  if (StartsWith(f, "iue") || StartsWith(f, "ue")) {
    Set(f, "ve");
    return;
  }
  if (StartsWith(f, "io") && f[2] != 'n') {
    Set(f, "iu");
    return;
  }
}

}  // namespace

bool SplitSyllableName(const char* name, const char* const* initials, size_t initialCount, bool sixTones,
                       SyllableParts* out) {
  size_t n = Length(name);
  if (n > 0 && name[n - 1] >= '0' && name[n - 1] <= '9') --n;  // the tone goes with the final
  if (n + 1 > kMaxPartName) return false;
  char base[kMaxPartName];
  Copy(base, name, n);

  out->initialIndex = -1;
  out->initial[0] = '\0';
  for (size_t i = 0; i < initialCount; ++i) {
    const char* ini = initials[i];
    const bool match = i < 3 ? (ini[0] != '\0' && base[0] == ini[0] && ini[1] != '\0' && base[1] == ini[1])
                             : (ini[0] != '\0' && base[0] == ini[0]);
    if (match) {
      out->initialIndex = static_cast<int>(i);
      break;
    }
  }

  if (sixTones) {
    if (out->initialIndex < 0) {
      Copy(out->final_, base, n);
      return true;
    }
    const char* ini = initials[out->initialIndex];
    const size_t len = Length(ini);
    if (len + 1 > kMaxPartName) return false;
    if ((StartsWith(ini, "m") && len == 1) || (StartsWith(ini, "ng") && len == 2)) {
      if (n == len && StartsWith(base, ini)) {  // a syllabic nasal
        out->initialIndex = -1;
        Copy(out->final_, base, n);
        return true;
      }
    }
    const size_t cut = len <= n ? len : n;
    Copy(out->initial, base, cut);
    Copy(out->final_, base + cut, n - cut);
    return true;
  }

  if (out->initialIndex < 0) {
    char f[kMaxPartName + 1];
    Copy(f, base, n);
    if (f[0] == 'y' && n == 2 && (f[1] == 'u' || f[1] == 'v')) {
      Set(f, "v");
    } else if (f[0] == 'y') {
      f[0] = 'i';
      if (f[1] == 'i') Copy(f, base + 1, n - 1);
    } else if (f[0] == 'w') {
      f[0] = 'u';
      if (f[1] == 'u') Copy(f, base + 1, n - 1);
    }
    Copy(out->final_, f, Length(f));
  } else {
    const size_t len = (StartsWith(base, "zh") || StartsWith(base, "ch") || StartsWith(base, "sh")) ? 2 : 1;
    Copy(out->initial, base, len);
    Copy(out->final_, base + len, n - len);
  }
  RewriteFinal(out->final_);
  const char c = out->initial[0];
  if ((c == 'j' || c == 'q' || c == 'x') && out->initial[1] == '\0' && out->final_[0] == 'u') out->final_[0] = 'v';
  return true;
}

}  // namespace kvo::frontend
