#include "frontend/lexicon/person_name_model.h"

namespace kvo::frontend {

namespace {

NameModelStatus ReadSizes(const SectionReader& payload, uint16_t sizes[kNameListCount], uint32_t* total) {
  *total = 0;
  for (int i = 0; i < kNameListCount; ++i) {
    if (!payload.ReadU16(static_cast<uint32_t>(2 * i), &sizes[i]) || sizes[i] % 2 != 0)
      return NameModelStatus::kCorrupt;
    *total += sizes[i];
  }
  if (kNameModelHeaderBytes + *total != payload.size) return NameModelStatus::kCorrupt;
  return NameModelStatus::kOk;
}

}  // namespace

bool PersonNameModel::Contains(int list, uint16_t code) const {
  if (list < 0 || list >= kNameListCount) return false;
  const uint16_t* c = codes[list];
  int lo = 0, hi = static_cast<int>(counts[list]) - 1;
  while (lo <= hi) {
    const int mid = (lo + hi) / 2;
    if (c[mid] == code) return true;
    if (c[mid] < code)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  return false;
}

NameModelStatus NameModelBytes(const SectionReader& payload, uint32_t* bytes) {
  *bytes = 0;
  if (payload.size == 0) return NameModelStatus::kOk;
  uint16_t sizes[kNameListCount];
  return ReadSizes(payload, sizes, bytes);
}

NameModelStatus LoadNameModel(const SectionReader& payload, uint16_t* dst, uint32_t capacity, PersonNameModel* model) {
  *model = PersonNameModel{};
  if (payload.size == 0) return NameModelStatus::kOk;
  uint16_t sizes[kNameListCount];
  uint32_t total = 0;
  if (ReadSizes(payload, sizes, &total) != NameModelStatus::kOk || total > capacity || dst == nullptr)
    return NameModelStatus::kCorrupt;
  uint32_t at = kNameModelHeaderBytes;
  uint16_t* out = dst;
  PersonNameModel loaded;
  for (int i = 0; i < kNameListCount; ++i) {
    const uint32_t n = sizes[i] / 2u;
    loaded.codes[i] = out;
    loaded.counts[i] = n;
    for (uint32_t k = 0; k < n; ++k, at += 2) {
      if (!payload.ReadU16(at, &out[k])) return NameModelStatus::kCorrupt;
      if (k > 0 && out[k] <= out[k - 1]) return NameModelStatus::kCorrupt;
    }
    out += n;
  }
  *model = loaded;
  return NameModelStatus::kOk;
}

}  // namespace kvo::frontend
