// kvo-frontend-dump: prints what the Chinese front end makes of a text, one
// line per sentence: word/tag/pinyin ... (UTF-8 text on stdin or as
// arguments).
//   kvo-frontend-dump LIBRARY [TEXT...]
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>

#include "frontend/analysis/tag_tables.h"
#include "frontend_session.h"

namespace {

std::string ReadingName(const qvInstance* instance, uint16_t code) {
  const qvSyllableTables& t = instance->tables;
  if (code == 0xFFFF || t.tones <= 0) return "-";
  const int syllable = code / t.tones;
  if (syllable >= t.syllables.count) return "#" + std::to_string(code);
  return std::string(t.syllables.names[syllable]) + std::to_string(code % t.tones + 1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: kvo-frontend-dump LIBRARY [TEXT...]  (text on stdin when none)\n");
    return 2;
  }
  frontend_test::FrontEndSession session(argv[1]);
  if (session.init_result() != QVTTS_ERR_OK) {
    std::fprintf(stderr, "kvo-frontend-dump: cannot open %s (%d)\n", argv[1], session.init_result());
    return 1;
  }
  std::string text;
  if (argc > 2) {
    for (int i = 2; i < argc; ++i) text += std::string(argv[i]) + "\n";
  } else {
    text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  }
  const int result = session.Speak(text);
  for (const frontend_test::SentenceResult& s : session.sentences) {
    std::string line, pinyin;
    for (const frontend_test::Word& w : s.words) {
      const char* tag = kvo::frontend::TagName(w.tag);
      line += w.text + "/" + (tag ? tag : "?") + " ";
      if (w.wordClass != 3 && w.wordClass != 7) continue;
      for (uint16_t code : w.pinyin) pinyin += ReadingName(session.instance(), code) + " ";
    }
    std::printf("%s\n    %s\n", line.c_str(), pinyin.c_str());
  }
  return result == QVTTS_ERR_OK ? 0 : 1;
}
