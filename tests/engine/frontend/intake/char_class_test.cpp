#include <gtest/gtest.h>

#include "frontend/intake/internal_code.h"

namespace {

using namespace kvo::frontend;

TEST(FrontendCharClass, ClassesAndSentenceLanguage) {
  constexpr uint16_t G = 2085;
  struct Case {
    const char* what;
    uint16_t code;
    CharClass cls;
    LanguageClass language;
  };
  const Case cases[] = {
      {"letter", 'q', qvTTS_CT_LETTER, kLangEnglish},
      {"capital", 'Z', qvTTS_CT_LETTER, kLangEnglish},
      {"digit", '7', qvTTS_CT_DIGIT, kLangNeutralNumber},
      {"ASCII symbol", '@', qvTTS_CT_SYMBOL, kLangNeutralSymbol},
      {"space", ' ', qvTTS_CT_SYMBOL, kLangNeutralSymbol},
      {"first reading code", 128, qvTTS_CT_READING, kLangChinese},
      {"last reading code", 128 + G, qvTTS_CT_READING, kLangChinese},
      {"中", GbkCode(0xD6, 0xD0), qvTTS_CT_CHINESE, kLangChinese},
      {"first hanzi 啊", GbkCode(0xB0, 0xA1), qvTTS_CT_CHINESE, kLangChinese},
      {"last hanzi row", GbkCode(0xF7, 0xFE), qvTTS_CT_CHINESE, kLangChinese},
      {"。", GbkCode(0xA1, 0xA3), qvTTS_CT_SYMBOL, kLangNeutralSymbol},
      {"①", GbkCode(0xA2, 0xD9), qvTTS_CT_NUMBERED, kLangNeutralSymbol},
      {"Ⅻ", GbkCode(0xA2, 0xFC), qvTTS_CT_NUMBERED, kLangNeutralSymbol},
      {"Α", GbkCode(0xA6, 0xA1), qvTTS_CT_GREEK, kLangNeutralSymbol},
      {"ω", GbkCode(0xA6, 0xD8), qvTTS_CT_GREEK, kLangNeutralSymbol},
      {"row A6 past the Greek", GbkCode(0xA6, 0xE0), qvTTS_CT_SYMBOL, kLangNeutralSymbol},
      {"GBK extension 丂", GbkCode(0x81, 0x40), qvTTS_CT_OTHER, kLangNeutralSymbol},
      {"unconvertible", kCodeUnconvertible, qvTTS_CT_OTHER, kLangNeutralSymbol},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClassifyCode(c.code, G), c.cls) << c.what;
    EXPECT_EQ(LanguageOf(c.code, G), c.language) << c.what;
  }
}

}  // namespace
