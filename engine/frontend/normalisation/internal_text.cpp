#include "frontend/normalisation/internal_text.h"

#include "frontend/intake/code_conversion.h"
#include "frontend/intake/internal_code.h"

namespace kvo::frontend {

uint16_t InternalCodeOf(char16_t c) {
  if (c < 0x80) return c;
  int low = 0, high = kInternalCodeMapSize - 1;
  while (low <= high) {
    const int mid = (low + high) / 2;
    if (kInternalCodeMap[mid].unicode == c) return NormaliseSymbol(kInternalCodeMap[mid].internal);
    if (kInternalCodeMap[mid].unicode < c) {
      low = mid + 1;
    } else {
      high = mid - 1;
    }
  }
  return kCodeUnconvertible;
}

int ToInternalCodes(std::u16string_view text, uint16_t* out, int capacity) {
  if (static_cast<int>(text.size()) > capacity) return -1;
  for (size_t i = 0; i < text.size(); ++i) out[i] = InternalCodeOf(text[i]);
  return static_cast<int>(text.size());
}

bool CodesEqual(const uint16_t* codes, int length, std::u16string_view text) {
  return length == static_cast<int>(text.size()) && CodesStartWith(codes, length, text);
}

bool CodesStartWith(const uint16_t* codes, int length, std::u16string_view text) {
  if (length < static_cast<int>(text.size())) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (codes[i] != InternalCodeOf(text[i])) return false;
  }
  return true;
}

}  // namespace kvo::frontend
