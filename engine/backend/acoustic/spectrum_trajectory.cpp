#include "backend/acoustic/spectrum_trajectory.h"

#include <cstring>

#include "backend/acoustic/band_solver.h"
#include "backend/acoustic/level_tables.h"
#include "backend/acoustic/model_tree.h"
#include "backend/labels/context_label.h"

namespace kvo {
namespace backend {

namespace ml = model_layout;

namespace {

// One dimension of a state's record, decoded to solver units.
struct DimObservation {
  int32_t mean[3];
  int32_t precision[3];
};

DimObservation Decode(const uint8_t* rec, int windows, const StreamDescriptor& bits, bool gain) {
  DimObservation o = {{0, 0, 0}, {0, 0, 0}};
  int32_t staticMean = ReadU16(rec);
  o.mean[0] = gain ? -staticMean : staticMean;
  const int dims = windows;
  const uint8_t* p = rec + 2;
  for (int k = 1; k < dims; ++k)
    o.mean[k] = static_cast<int32_t>(ShiftBits(static_cast<int8_t>(*p++), bits.meanBits[0] - bits.meanBits[k]));
  o.precision[0] = ReadU16(p) / 2;
  p += 2;
  for (int k = 1; k < dims; ++k)
    o.precision[k] = static_cast<int32_t>(ShiftBits(*p++, bits.precisionBits[0] - bits.precisionBits[k] - 1));
  return o;
}

}  // namespace

AcousticStatus GenerateSpectrum(const VoiceModel& model, const GroupFrames& group, ScratchArena& arena) {
  const size_t mark = arena.Mark();
  const int states = group.phones * ml::kStateCount;
  const int w = model.windows;
  const uint32_t recBytes = model.spectrumRecordBytes;
  const uint32_t dimBytes = ml::SpectrumDimBytes(w);
  const StreamDescriptor& spectrum = model.streams[ml::kStreamSpectrum];
  const int32_t n = group.frameCount;

  // Every state's record is read once and serves all dimensions.
  uint8_t* records = arena.TakeArray<uint8_t>(static_cast<size_t>(states) * recBytes);
  if (records == nullptr) return AcousticStatus::kOutOfScratch;
  for (int p = 0; p < group.phones; ++p) {
    const int8_t* label = group.labels + p * kLabelBytes;
    for (int s = 0; s < ml::kStateCount; ++s) {
      int leaf = FindLeaf(model, model.spectrumTree[s], label);
      if (leaf < 1 || leaf > spectrum.leafCounts[s]) {
        arena.Rewind(mark);
        return AcousticStatus::kBadModel;
      }
      const uint32_t index = static_cast<uint32_t>(leaf - 1) + model.spectrumFirstLeaf[s];
      uint8_t* record = records + (p * ml::kStateCount + s) * recBytes;
      const uint8_t* cached = model.recordCache ? model.recordCache->Find(model.recordCacheBase + index) : nullptr;
      if (cached != nullptr) {
        std::memcpy(record, cached, recBytes);
        continue;
      }
      if (!model.source.ReadAt(spectrum.position + static_cast<int64_t>(index) * recBytes, recBytes, record)) {
        arena.Rewind(mark);
        return AcousticStatus::kBadModel;
      }
      if (model.recordCache) model.recordCache->Store(model.recordCacheBase + index, record, recBytes);
    }
  }

  int32_t* mean[3] = {nullptr, nullptr, nullptr};
  int32_t* prec[3] = {nullptr, nullptr, nullptr};
  bool ok = true;
  for (int k = 0; k < w; ++k) {
    mean[k] = arena.TakeArray<int32_t>(n);
    prec[k] = arena.TakeArray<int32_t>(n);
    ok = ok && mean[k] != nullptr && prec[k] != nullptr;
  }
  int64_t* solution = arena.TakeArray<int64_t>(n);
  if (!ok || solution == nullptr) {
    arena.Rewind(mark);
    return AcousticStatus::kOutOfScratch;
  }
  TrajectoryInput in;
  in.frames = n;
  in.windows = w;
  for (int k = 0; k < w; ++k) {
    in.mean[k] = mean[k];
    in.precision[k] = prec[k];
  }

  const int outShift = 17 - spectrum.meanBits[0];
  for (int dim = 0; dim <= model.order; ++dim) {
    const bool gain = dim == 0;
    const StreamDescriptor& bits = gain ? model.streams[ml::kStreamGain] : spectrum;
    int32_t frame = 0;
    for (int st = 0; st < states; ++st) {
      DimObservation o = Decode(records + st * recBytes + dim * dimBytes, w, bits, gain);
      for (int32_t f = 0; f < group.stateFrames[st]; ++f, ++frame)
        for (int k = 0; k < w; ++k) {
          mean[k][frame] = o.mean[k];
          prec[k][frame] = o.precision[k];
        }
    }
    for (int k = 1; k < w; ++k) {
      mean[k][0] = prec[k][0] = 0;
      mean[k][n - 1] = prec[k][n - 1] = 0;
    }
    if (!SolveTrajectory(in, solution, arena)) {
      arena.Rewind(mark);
      return AcousticStatus::kOutOfScratch;
    }
    for (int32_t t = 0; t < n; ++t) {
      int16_t* fr = group.Frame(t);
      if (gain) {
        fr[model.order + 1] = static_cast<int16_t>(GainFromLog(solution[t]));
      } else {
        // Line spectral frequencies span 0 ... 65535 (pi/65536 units) and
        // are kept as the bit pattern of an unsigned 16-bit value.
        int64_t v = ShiftBits(solution[t], outShift);
        if (v < 0) v = 0;
        if (v > 65535) v = 65535;
        fr[dim - 1] = static_cast<int16_t>(static_cast<uint16_t>(v));
      }
    }
  }
  arena.Rewind(mark);
  return AcousticStatus::kOk;
}

}  // namespace backend
}  // namespace kvo
