// English utterances on the teacher's time axis: our phones (from our own
// English front end) against the teacher's phone segments.
#ifndef KVO_VOICETRAIN_SEGMENT_ALIGNMENT_H
#define KVO_VOICETRAIN_SEGMENT_ALIGNMENT_H

#include <string>

#include "align/phone_alignment.h"

namespace voicetrain {

// Phone ids of the labels are English symbol indices. The teacher's
// segments must name the same phones in the same order, with a teacher
// pause exactly where our items pause (our leading pause takes the
// teacher's leading silence); the teacher's closing pause is left out, so
// the utterance ends with our last phone. Each phone spans from the end of
// the segment before to its own end, rounded to frames of `hop` samples.
// False with a short reason (phone sequence, pauses, a phone without a
// frame): the sentence is skipped.
bool AlignSegments(const TeacherAlignment& teacher, int hop, Utterance& utterance, std::string& reason);

// The name of an English symbol, "" when out of range.
std::string EnglishPhoneName(int id);

}  // namespace voicetrain

#endif
