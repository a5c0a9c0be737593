// The byte span of the input text that a batch's sentence covers.
#ifndef KVO_ENGINE_PROGRESS_SPAN_H
#define KVO_ENGINE_PROGRESS_SPAN_H

#include <cstdint>

struct qvProgressSpan {
  int32_t begin;
  int32_t length;
};

// bytes_read: input bytes so far; chunk_length: the chunk the offsets refer
// to; first and end: byte offsets within that chunk of the sentence's first
// code and of the byte after its last. A front end that keeps offsets of an
// earlier chunk relative to that chunk gives end < first; the sentence then
// began in the previous chunk.
inline qvProgressSpan qvProgress_Span(int32_t bytes_read, int32_t chunk_length, int32_t previous_chunk_length,
                                      int32_t first, int32_t end) {
  qvProgressSpan span{bytes_read - chunk_length + first, end - first};
  if (span.length < 0) {
    span.begin -= previous_chunk_length;
    span.length += previous_chunk_length;
  }
  return span;
}

#endif
