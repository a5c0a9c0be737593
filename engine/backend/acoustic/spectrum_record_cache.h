// Spectrum records of the voice models kept in memory once read: a group
// reads one record per phone state from all over a model's spectrum table,
// and through the file each would cost a seek and a read. The cache lives
// in whatever room the engine can spare; its slots are direct-mapped by the
// record's number.
#pragma once

#include <cstdint>
#include <cstring>

namespace kvo {
namespace backend {

struct SpectrumRecordCache {
  int32_t slots = 0;
  uint32_t recordBytes = 0;  // the largest record of the models served
  int32_t* key = nullptr;    // record held in each slot, -1 empty
  uint8_t* records = nullptr;

  // Bytes for `slots` slots of `recordBytes`, the view itself included.
  static size_t BytesFor(int32_t slots, uint32_t recordBytes) {
    return Header() + static_cast<size_t>(slots) * (sizeof(int32_t) + recordBytes);
  }
  // Lays the cache out over `block` of BytesFor(slots, recordBytes) bytes
  // (8-byte aligned), all slots empty.
  static SpectrumRecordCache* Place(void* block, int32_t slots, uint32_t recordBytes) {
    auto* c = static_cast<SpectrumRecordCache*>(block);
    c->slots = slots;
    c->recordBytes = recordBytes;
    c->key = reinterpret_cast<int32_t*>(static_cast<uint8_t*>(block) + Header());
    c->records = reinterpret_cast<uint8_t*>(c->key + slots);
    std::memset(c->key, 0xFF, static_cast<size_t>(slots) * sizeof(int32_t));
    return c;
  }

  // The cached record `index` (numbered over all models served, each from
  // its own base), or null.
  const uint8_t* Find(uint32_t index) const {
    const int32_t slot = SlotOf(index);
    return key[slot] == static_cast<int32_t>(index) ? records + static_cast<size_t>(slot) * recordBytes : nullptr;
  }
  void Store(uint32_t index, const uint8_t* bytes, uint32_t n) {
    if (n > recordBytes || index > INT32_MAX) return;
    const int32_t slot = SlotOf(index);
    key[slot] = static_cast<int32_t>(index);
    std::memcpy(records + static_cast<size_t>(slot) * recordBytes, bytes, n);
  }

 private:
  static size_t Header() { return (sizeof(SpectrumRecordCache) + 7) & ~static_cast<size_t>(7); }
  int32_t SlotOf(uint32_t index) const { return static_cast<int32_t>(index % static_cast<uint32_t>(slots)); }
};

}  // namespace backend
}  // namespace kvo
