// What the label recorder stage captures of one synthesis: the items that
// carry phones, with each phone's id and its 64-byte context label.
#ifndef KVO_VOICETRAIN_LABEL_RECORDER_H
#define KVO_VOICETRAIN_LABEL_RECORDER_H

#include <cstdint>
#include <string>
#include <vector>

namespace voicetrain {

constexpr int kContextLabelBytes = 64;

struct RecordedPhone {
  int phone = 0;
  bool pause = false;    // a leading or trailing pause phone of its item
  bool leading = false;  // the leading one
  int8_t label[kContextLabelBytes] = {};
};

struct RecordedItem {
  bool syllable = false;
  bool english = false;   // one English phone (language 10)
  std::string spelling;   // "ni3" after tone sandhi; empty for other units
  std::string word;       // English: the phone's word (empty for a pause)
  bool sameWord = false;  // English: same word as the item before
  int pauseMs = 0;
  std::vector<RecordedPhone> phones;
};

struct LabelSink {
  std::vector<RecordedItem> items;
  bool failed = false;  // the label builder ran out of room
};

// The recorder stage appends to this sink while it is set (nullptr: off).
void SetLabelSink(LabelSink* sink);

}  // namespace voicetrain

#endif
