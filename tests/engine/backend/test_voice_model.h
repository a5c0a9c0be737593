// A small hand-made voice model for engine tests: pauses quiet, voiceless
// consonants noisy, voiced phones vowel-like (close line spectral pairs at
// the formants of an open vowel) with an F0 contour per tone.
#pragma once

#include <utility>
#include <vector>

#include "model_writer.h"

namespace kvo::testmodel {

// Phone ids of the table builder's phone set that the questions name.
constexpr int kPausePhone = 59;
constexpr int kEnglishPausePhone = 51;

// The description for a voice of this sample rate and spectral order.
modelwriter::VoiceModelDescription VowelVoiceModel(int order, int rate);

// The model section payload placed after sections 1 ... 18 of the given
// sizes (the model stores file positions). Empty on error.
std::vector<uint8_t> VowelVoiceModelPayload(const std::vector<std::vector<uint8_t>>& sectionsBefore, int rate,
                                            std::string* error);

// A main lexicon without words whose characters (GB2312 character index →
// syllable code) have one reading each: enough for the front end to speak
// a test text.
std::vector<uint8_t> CharacterLexicon(const std::vector<std::pair<uint32_t, uint16_t>>& readings);

}  // namespace kvo::testmodel
