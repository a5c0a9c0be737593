#include "backend/labels/grouping.h"

#include "backend/labels/phone_list.h"

namespace kvo {
namespace backend {

int SelectGroup(const SpeechItem* items, int count, int start, int* phones) {
  int total = 0;
  int i = start;
  const int16_t language = start < count ? items[start].language : 0;
  for (; i < count; ++i) {
    const SpeechItem& s = items[i];
    const int n = s.PhoneCount();
    if (n == 0) continue;
    if (s.language != language || total + n > kMaxGroupPhones) break;
    total += n;
    if (i != start && (s.pauseFlags & kTrailingPause)) {
      ++i;
      break;
    }
  }
  while (i < count && items[i].PhoneCount() == 0) ++i;
  *phones = total;
  return i;
}

}  // namespace backend
}  // namespace kvo
