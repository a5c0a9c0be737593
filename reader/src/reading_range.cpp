#include "reading_range.h"

#include <algorithm>

namespace tamblor {

Range ChooseRange(int length, int sel_start, int sel_end) {
  Range r;
  r.start = std::clamp(std::min(sel_start, sel_end), 0, length);
  r.end = std::clamp(std::max(sel_start, sel_end), 0, length);
  if (r.start == r.end) {
    r.end = length;
    if (r.start == length) r.start = 0;
  }
  return r;
}

std::string TrimBlanks(const std::string& text, size_t* leading) {
  const char* blanks = " \t\r\n";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) {
    if (leading != nullptr) *leading = text.size();
    return std::string();
  }
  const size_t last = text.find_last_not_of(blanks);
  if (leading != nullptr) *leading = first;
  return text.substr(first, last - first + 1);
}

}  // namespace tamblor
