#include "backend/acoustic/logf0_trajectory.h"

#include "backend/acoustic/band_solver.h"
#include "backend/acoustic/level_tables.h"
#include "backend/acoustic/model_tree.h"
#include "backend/labels/context_label.h"

namespace kvo {
namespace backend {

namespace ml = model_layout;

namespace {

struct StateDist {
  const int16_t* values;  // means then precisions, `windows` each
  bool voiced;
};

}  // namespace

AcousticStatus GenerateLogF0(const VoiceModel& model, const GroupFrames& group, ScratchArena& arena) {
  const size_t mark = arena.Mark();
  const int states = group.phones * ml::kStateCount;
  const int w = model.windows;
  const StreamDescriptor& sd = model.streams[ml::kStreamLogF0];
  StateDist* dist = arena.TakeArray<StateDist>(states);
  if (dist == nullptr) return AcousticStatus::kOutOfScratch;
  int32_t voicedFrames = 0;
  for (int p = 0; p < group.phones; ++p) {
    const int8_t* label = group.labels + p * kLabelBytes;
    const int voicing = label[kLabelVoicing];
    for (int s = 0; s < ml::kStateCount; ++s) {
      int leaf = FindLeaf(model, model.logF0Tree[s], label);
      if (leaf < 1 || leaf > sd.leafCounts[s]) {
        arena.Rewind(mark);
        return AcousticStatus::kBadModel;
      }
      StateDist& d = dist[p * ml::kStateCount + s];
      d.values = model.logF0 + (model.logF0FirstLeaf[s] + leaf - 1) * 2 * w;
      bool flagged = static_cast<uint16_t>(d.values[w]) & ml::kLogF0UnvoicedFlag;
      d.voiced = (!flagged && voicing != kUnvoicedClass) || (flagged && voicing == 1);
      if (d.voiced) voicedFrames += group.stateFrames[p * ml::kStateCount + s];
    }
  }

  int32_t* mean[3] = {nullptr, nullptr, nullptr};
  int32_t* prec[3] = {nullptr, nullptr, nullptr};
  for (int k = 0; k < w; ++k) {
    mean[k] = arena.TakeArray<int32_t>(voicedFrames + 1);
    prec[k] = arena.TakeArray<int32_t>(voicedFrames + 1);
  }
  int64_t* solution = arena.TakeArray<int64_t>(voicedFrames + 1);
  for (int k = 0; k < w; ++k)
    if (mean[k] == nullptr || prec[k] == nullptr) solution = nullptr;
  if (solution == nullptr) {
    arena.Rewind(mark);
    return AcousticStatus::kOutOfScratch;
  }

  // Observations of the voiced frames, in frame order.
  const int meanShift[3] = {0, sd.meanBits[1] - sd.meanBits[0] + 2, sd.meanBits[2] - sd.meanBits[0] + 2};
  const int precShift[3] = {0, sd.precisionBits[0] - sd.precisionBits[1] - 3,
                            sd.precisionBits[0] - sd.precisionBits[2] - 3};
  int32_t obs = 0;
  // The group's first frame has no predecessor at all: its delta windows
  // would reach outside the group and tie the next frame to the delta mean
  // (near 0 in log Hz, which drags the track to the floor), so it is
  // treated like a frame after an unvoiced one. The spectrum track zeroes
  // its first frame for the same reason.
  bool previousVoiced = false;
  for (int st = 0; st < states; ++st) {
    const StateDist& d = dist[st];
    const int32_t n = group.stateFrames[st];
    if (!d.voiced) {
      if (obs > 0)
        for (int k = 1; k < w; ++k) prec[k][obs - 1] = 0;
      if (n > 0) previousVoiced = false;
      continue;
    }
    for (int32_t f = 0; f < n; ++f, ++obs) {
      mean[0][obs] = d.values[0] / 4;
      prec[0][obs] = (static_cast<uint16_t>(d.values[w]) >> 3) & 0xFFF;
      for (int k = 1; k < w; ++k) {
        mean[k][obs] = static_cast<int32_t>(ShiftBits(d.values[k], -meanShift[k]));
        prec[k][obs] =
            previousVoiced ? static_cast<int32_t>(ShiftBits(static_cast<uint16_t>(d.values[w + k]), precShift[k])) : 0;
      }
      previousVoiced = true;
    }
  }
  if (w == 3 && obs > 0)
    for (int k = 1; k < w; ++k) prec[k][obs - 1] = 0;

  TrajectoryInput in;
  in.frames = obs;
  in.windows = w;
  for (int k = 0; k < w; ++k) {
    in.mean[k] = mean[k];
    in.precision[k] = prec[k];
  }
  if (!SolveTrajectory(in, solution, arena)) {
    arena.Rewind(mark);
    return AcousticStatus::kOutOfScratch;
  }

  const int f0Index = group.order;
  int32_t frame = 0;
  obs = 0;
  for (int st = 0; st < states; ++st) {
    const int32_t n = group.stateFrames[st];
    for (int32_t f = 0; f < n; ++f, ++frame)
      group.Frame(frame)[f0Index] = static_cast<int16_t>(dist[st].voiced ? F0FromLog(solution[obs++] * 4) : 0);
  }
  arena.Rewind(mark);
  return AcousticStatus::kOk;
}

}  // namespace backend
}  // namespace kvo
