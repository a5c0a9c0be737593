#include "backend/acoustic/voice_model.h"

namespace kvo {
namespace backend {

namespace ml = model_layout;

int SpectralOrderForRate(int32_t sampleRate) {
  switch (sampleRate) {
    case 8000:
      return 12;
    case 11025:
      return 14;
    case 22050:
      return 24;
    default:
      return 20;
  }
}

namespace {

// Copies `bytes` at an absolute position into the arena; remembers when
// the arena rather than the model was at fault.
const uint8_t* LoadBytes(const ModelSource& source, int64_t position, uint32_t bytes, ScratchArena& arena,
                         bool* outOfScratch) {
  uint8_t* dst = static_cast<uint8_t*>(arena.Take(bytes == 0 ? 1 : bytes, 2));
  if (dst == nullptr) {
    *outOfScratch = true;
    return nullptr;
  }
  if (bytes != 0 && !source.ReadAt(position, bytes, dst)) return nullptr;
  return dst;
}

// Decodes little-endian i16 values in place (the buffer is 2-aligned).
const int16_t* DecodeI16(const uint8_t* raw, uint32_t count) {
  int16_t* out = reinterpret_cast<int16_t*>(const_cast<uint8_t*>(raw));
  for (uint32_t i = 0; i < count; ++i) out[i] = ReadI16(raw + 2 * i);
  return out;
}

bool TreeRootOk(int32_t position, int64_t nodeStart, uint32_t nodeBytes, uint32_t* root) {
  int64_t rel = static_cast<int64_t>(position) - nodeStart;
  if (rel < 0 || rel + ml::kNodeBytes > nodeBytes || rel % 2 != 0) return false;
  *root = static_cast<uint32_t>(rel);
  return true;
}

AcousticStatus Load(const ModelSource& source, int windows, int order, ScratchArena& arena, VoiceModel* m,
                    bool* outOfScratch) {
  if (windows != 2 && windows != 3) return AcousticStatus::kBadModel;
  uint8_t head[ml::kModelHeaderBytes];
  if (!source.ReadAt(source.filePosition, ml::kModelHeaderBytes, head)) return AcousticStatus::kBadModel;
  m->source = source;
  m->windows = windows;
  m->order = order;
  for (int s = 0; s < ml::kStreamCount; ++s) {
    const uint8_t* d = head + ml::kDescriptorsOffset + s * ml::kDescriptorBytes;
    StreamDescriptor& sd = m->streams[s];
    sd.position = ReadI32(d + ml::kDescPosition);
    for (int k = 0; k < 3; ++k) {
      sd.meanBits[k] = ReadI16(d + ml::kDescMeanBits + 2 * k);
      sd.precisionBits[k] = ReadI16(d + ml::kDescPrecisionBits + 2 * k);
      // Shifts derived from these stay well inside 64-bit arithmetic.
      if (sd.meanBits[k] < 0 || sd.meanBits[k] > 24 || sd.precisionBits[k] < 0 || sd.precisionBits[k] > 24)
        return AcousticStatus::kBadModel;
    }
    sd.count = ReadI16(d + ml::kDescCount);
    for (int k = 0; k < ml::kStateCount; ++k) {
      sd.leafCounts[k] = ReadI16(d + ml::kDescLeafCounts + 2 * k);
      if (sd.leafCounts[k] < 0) return AcousticStatus::kBadModel;
    }
  }
  const StreamDescriptor* st = m->streams;
  // Duration values are brought to the largest of their fractional-bit
  // counts; at most 16 keeps every duration product inside 64 bits.
  const int durationStreams[] = {ml::kStreamDuration, ml::kStreamPhoneDuration, ml::kStreamPhoneDuration + 1,
                                 ml::kStreamPhoneDuration + 2};
  for (int s : durationStreams)
    if (st[s].meanBits[0] > 16 || st[s].precisionBits[0] > 16) return AcousticStatus::kBadModel;
  if (st[ml::kStreamDuration].count != ml::kStateCount || st[ml::kStreamSpectrum].count != order ||
      st[ml::kStreamLogF0].count != windows || st[ml::kStreamDuration].meanBits[0] < 1)
    return AcousticStatus::kBadModel;

  // Tree block.
  int64_t treeBlock =
      static_cast<int64_t>(ReadI32(head + ml::kTreeBlockBaseOffset)) + ReadI32(head + ml::kTreeBlockDeltaOffset);
  uint8_t tb[ml::kTreeFixedBytes];
  if (!source.ReadAt(treeBlock, ml::kTreeFixedBytes, tb)) return AcousticStatus::kBadModel;
  int64_t nodeEnd = ReadI32(tb + ml::kTreeNodeEnd);
  int64_t nodeStart = ReadI32(tb + ml::kTreeNodeStart);
  int questionCount = ReadI16(tb + ml::kTreeQuestionCount);
  if (questionCount < 1) return AcousticStatus::kBadModel;
  uint32_t offsetsBytes = static_cast<uint32_t>(questionCount) * 2;
  int64_t questionArea = treeBlock + ml::kTreeFixedBytes + offsetsBytes;
  // Everything sized from these positions must lie in the payload before
  // the arena is asked for it.
  const int64_t payloadEnd = static_cast<int64_t>(source.filePosition) + source.payload.size;
  if (nodeStart < questionArea || nodeEnd <= nodeStart || nodeEnd > payloadEnd) return AcousticStatus::kBadModel;
  m->questionBase = ml::kTreeFixedBytes + offsetsBytes;
  m->questionBytes = static_cast<uint32_t>(nodeStart - questionArea);
  m->nodeBytes = static_cast<uint32_t>(nodeEnd - nodeStart);

  const uint8_t* offsets = LoadBytes(source, treeBlock + ml::kTreeFixedBytes, offsetsBytes, arena, outOfScratch);
  if (offsets == nullptr) return AcousticStatus::kBadModel;
  m->questions = LoadBytes(source, questionArea, m->questionBytes, arena, outOfScratch);
  if (m->questions == nullptr) return AcousticStatus::kBadModel;
  // Every listed question must lie inside the area, in ascending order,
  // the first at the area's first byte.
  int64_t previous = -1;
  for (int q = 0; q < questionCount; ++q) {
    int64_t off = static_cast<int64_t>(ReadU16(offsets + 2 * q)) - m->questionBase;
    if (off < 0 || off <= previous || (q == 0 && off != 0) || off + ml::kQuestionHeaderBytes > m->questionBytes)
      return AcousticStatus::kBadModel;
    int n = static_cast<int8_t>(m->questions[off]);
    if (n < 1 || off + ml::kQuestionHeaderBytes + n > m->questionBytes) return AcousticStatus::kBadModel;
    previous = off;
  }
  m->nodes = LoadBytes(source, nodeStart, m->nodeBytes, arena, outOfScratch);
  if (m->nodes == nullptr) return AcousticStatus::kBadModel;
  m->durationTree = 0;
  if (m->nodeBytes < ml::kNodeBytes) return AcousticStatus::kBadModel;
  for (int k = 0; k < ml::kVoiceStyleCount; ++k)
    if (!TreeRootOk(ReadI32(tb + ml::kTreePhoneDuration + 4 * k), nodeStart, m->nodeBytes, &m->phoneDurationTree[k]))
      return AcousticStatus::kBadModel;
  for (int k = 0; k < ml::kStateCount; ++k) {
    if (!TreeRootOk(ReadI32(tb + ml::kTreeSpectrum + 4 * k), nodeStart, m->nodeBytes, &m->spectrumTree[k]) ||
        !TreeRootOk(ReadI32(tb + ml::kTreeLogF0 + 4 * k), nodeStart, m->nodeBytes, &m->logF0Tree[k]))
      return AcousticStatus::kBadModel;
  }

  // State durations: from descriptor 0 up to descriptor 1, loaded whole.
  int64_t durEnd = st[ml::kStreamSpectrum].position;
  int64_t durBytes = durEnd - st[ml::kStreamDuration].position;
  int64_t durNeeded = static_cast<int64_t>(st[ml::kStreamDuration].leafCounts[0]) * ml::kDurationLeafValues * 2;
  if (durBytes < durNeeded || durNeeded == 0 || durBytes > source.payload.size) return AcousticStatus::kBadModel;
  const uint8_t* dur =
      LoadBytes(source, st[ml::kStreamDuration].position, static_cast<uint32_t>(durNeeded), arena, outOfScratch);
  if (dur == nullptr) return AcousticStatus::kBadModel;
  m->durations = DecodeI16(dur, static_cast<uint32_t>(durNeeded / 2));
  m->durationLeaves = static_cast<uint32_t>(st[ml::kStreamDuration].leafCounts[0]);

  // Log-F0: from descriptor 2 up to descriptor 4 (descriptor 3's area in between).
  int64_t lfBytes = static_cast<int64_t>(st[ml::kStreamPhoneDuration].position) - st[ml::kStreamLogF0].position;
  int64_t lfLeaves = 0;
  for (int k = 0; k < ml::kStateCount; ++k) {
    m->logF0FirstLeaf[k] = static_cast<uint32_t>(lfLeaves);
    lfLeaves += st[ml::kStreamLogF0].leafCounts[k];
  }
  int64_t lfNeeded = lfLeaves * 2 * windows * 2;
  if (lfBytes < lfNeeded || lfNeeded == 0 || lfBytes > source.payload.size) return AcousticStatus::kBadModel;
  const uint8_t* lf =
      LoadBytes(source, st[ml::kStreamLogF0].position, static_cast<uint32_t>(lfNeeded), arena, outOfScratch);
  if (lf == nullptr) return AcousticStatus::kBadModel;
  m->logF0Values = static_cast<uint32_t>(lfNeeded / 2);
  m->logF0 = DecodeI16(lf, m->logF0Values);

  // Spectrum records are read on demand; check that the last one fits.
  m->spectrumRecordBytes = static_cast<uint32_t>(order + 1) * ml::SpectrumDimBytes(windows);
  int64_t specLeaves = 0;
  for (int k = 0; k < ml::kStateCount; ++k) {
    m->spectrumFirstLeaf[k] = static_cast<uint32_t>(specLeaves);
    specLeaves += st[ml::kStreamSpectrum].leafCounts[k];
  }
  int64_t specEnd = st[ml::kStreamSpectrum].position + specLeaves * m->spectrumRecordBytes;
  const int64_t payloadStart = source.filePosition;
  if (specLeaves == 0 || st[ml::kStreamSpectrum].position < payloadStart || specEnd > payloadEnd)
    return AcousticStatus::kBadModel;
  for (int k = 0; k < ml::kVoiceStyleCount; ++k) {
    const StreamDescriptor& pd = st[ml::kStreamPhoneDuration + k];
    int64_t end = pd.position + static_cast<int64_t>(pd.count) * ml::kPhoneDurationLeafBytes;
    if (pd.count < 0 || pd.position < payloadStart || end > payloadEnd) return AcousticStatus::kBadModel;
  }
  return AcousticStatus::kOk;
}

}  // namespace

AcousticStatus LoadVoiceModel(const ModelSource& source, int windows, int order, ScratchArena& arena,
                              VoiceModel* model) {
  size_t mark = arena.Mark();
  *model = VoiceModel();
  bool outOfScratch = false;
  AcousticStatus status = Load(source, windows, order, arena, model, &outOfScratch);
  if (status != AcousticStatus::kOk) {
    if (outOfScratch) status = AcousticStatus::kOutOfScratch;
    arena.Rewind(mark);
    *model = VoiceModel();
  }
  return status;
}

}  // namespace backend
}  // namespace kvo
