#include "frontend/normalisation/sentence_patterns.h"

#include "frontend/normalisation/pattern_text.h"

namespace kvo::frontend {

void ApplySentencePatterns(const AnalysisResources& res, const NormalisationSettings&, WordList* words) {
  if (words->count <= 0) return;
  if (words->count > kMaxWordsPerSentence) words->count = kMaxWordsPerSentence;
  MergeEnglishExpressions(words);

  PatternText text;
  BuildPatternText(*words, res.syllableCodeCount, &text);
  FindAddresses(&text);
  FindLetterSegments(&text);
  FindNumericSegments(&text);
  FindFormulas(&text);
  FindUnits(&text);
  if (text.segmentCount == 0) return;

  // Segments in order, the words between them copied. What does not fit in
  // the list is dropped from there on: whole words and whole readings only.
  WordList out;
  out.count = 0;
  int at = 0;
  bool full = false;
  for (int s = 0; s < text.segmentCount && !full; ++s) {
    const Segment& segment = text.segments[s];
    full = !EmitSource(text, *words, at, segment.start, &out) || !EmitSegment(text, *words, segment, &out);
    at = segment.start + segment.length;
  }
  if (!full) EmitSource(text, *words, at, text.length, &out);
  *words = out;
}

}  // namespace kvo::frontend
