// Moves the state boundaries of every training phone to where the models
// of the previous pass put them (align/state_alignment.h), and measures
// how well the states' voicing flags follow the teacher.
#ifndef KVO_VOICETRAIN_STATE_REALIGNMENT_H
#define KVO_VOICETRAIN_STATE_REALIGNMENT_H

#include <vector>

#include "align/phone_alignment.h"
#include "align/state_alignment.h"
#include "cluster/decision_tree.h"
#include "train/pass_models.h"
#include "train/utterance_features.h"

namespace voicetrain {

struct RealignmentCounts {
  long aligned = 0;        // phones with boundaries from the search
  long shortPhones = 0;    // fewer frames than states: equal split kept
  long failed = 0;         // no finite path: previous boundaries kept
  long boundaries = 0;     // inner boundaries of the aligned phones
  double shiftFrames = 0;  // summed |new - previous| over them
};

// Scores every frame of a phone in each state: the spectrum leaf's
// diagonal Gaussian on log-gain and LSFs plus the weighted voicing term
// from the log-F0 leaf's voiced share; state durations from the duration
// leaf. Leaves are found by the phone's label.
RealignmentCounts RealignStates(const PassModels& models, const std::vector<ContextQuestion>& questions,
                                const std::vector<UtteranceFeatures>& features, const StateAlignmentSettings& settings,
                                std::vector<Utterance>* utterances);

struct VoicingAgreement {
  long frames = 0, disagree = 0;                    // all frames
  long voicelessFrames = 0, voicelessDisagree = 0;  // voiceless consonants
};

// Frames whose rendered voicing (vowels voiced, pauses not, consonants by
// their state's flag: voiced share at least one half) differs from the
// teacher's.
VoicingAgreement MeasureStateVoicing(const PassModels& models, const std::vector<ContextQuestion>& questions,
                                     const std::vector<UtteranceFeatures>& features,
                                     const std::vector<Utterance>& utterances);

}  // namespace voicetrain

#endif
