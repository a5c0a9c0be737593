#include "teacher/pinyin_script.h"

#include <sstream>

namespace voicetrain {

namespace {

bool IsSyllable(const std::string& token) {
  if (token.size() < 2 || token.size() > 7) return false;
  const char tone = token.back();
  if (tone < '1' || tone > '5') return false;
  for (size_t i = 0; i + 1 < token.size(); ++i) {
    if (token[i] < 'a' || token[i] > 'z') return false;
  }
  return true;
}

}  // namespace

bool ParseScriptLine(const std::string& line, ScriptLine& out, std::string& error) {
  out = ScriptLine();
  const size_t tab = line.find('\t');
  if (tab == std::string::npos || tab == 0) {
    error = "expected <id><TAB><tokens>";
    return false;
  }
  out.id = line.substr(0, tab);
  for (char c : out.id) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    if (!ok) {
      error = "id may hold only letters, digits, '_' and '-'";
      return false;
    }
  }
  std::istringstream words(line.substr(tab + 1));
  std::string token;
  while (words >> token) {
    ScriptToken t;
    t.text = token;
    t.is_pause = token == "," || token == ".";
    if (!t.is_pause && !IsSyllable(token)) {
      error = "not a tone-numbered syllable: " + token;
      return false;
    }
    // A pause mark follows its syllable directly so that the teacher
    // attaches the pause to that syllable.
    if (t.is_pause) {
      if (out.teacher_text.empty()) continue;  // nothing to pause after
      out.teacher_text += token;
    } else {
      if (!out.teacher_text.empty()) out.teacher_text += ' ';
      t.text_position = static_cast<int>(out.teacher_text.size()) + 1;
      out.teacher_text += token;
      ++out.syllable_count;
    }
    out.tokens.push_back(t);
  }
  if (out.syllable_count == 0) {
    error = "no syllables";
    return false;
  }
  return true;
}

}  // namespace voicetrain
