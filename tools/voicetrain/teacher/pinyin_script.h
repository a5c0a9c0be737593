// A training sentence for the teacher: tone-numbered pinyin syllables and
// pause marks, as our own front end produced them.
//
// Line format: "<id>\t<tokens>", tokens separated by spaces. A syllable is
// letters a-z (ü written v) followed by a tone digit 1-5 (5: neutral). A
// pause is "," (short) or "." (long).
#ifndef KVO_VOICETRAIN_PINYIN_SCRIPT_H
#define KVO_VOICETRAIN_PINYIN_SCRIPT_H

#include <string>
#include <vector>

namespace voicetrain {

struct ScriptToken {
  std::string text;  // "ni3", "," or "."
  bool is_pause = false;
  int text_position = 0;  // 1-based character position in TeacherText
};

struct ScriptLine {
  std::string id;
  std::vector<ScriptToken> tokens;
  std::string teacher_text;  // what the teacher reads
  int syllable_count = 0;
};

// Parses one line; false with a reason for anything malformed.
bool ParseScriptLine(const std::string& line, ScriptLine& out, std::string& error);

}  // namespace voicetrain

#endif
