// How normalisation reads a word: the reading types of digit and symbol
// words, and the reading modes the caller chose.
#pragma once

#include <cstdint>

namespace kvo::frontend {

// WordRecord::reading_modes: the forced type (kNoForcedMode when the rules
// may choose) and the mode in force.
constexpr int kForcedModeSlot = 0;
constexpr int kModeInForceSlot = 1;
constexpr int16_t kNoForcedMode = -1;

// Reading types of a digit string (or of a symbol word, kReadSymbols).
constexpr int16_t kReadDigits = 2;       // digit by digit, "1" as 幺 in longer strings
constexpr int16_t kReadNumber = 3;       // as a Chinese number
constexpr int16_t kReadSymbols = 10;     // symbol by symbol, each one spoken
constexpr int16_t kReadYearDigits = 11;  // digit by digit with "1" as 一
constexpr int16_t kReadMinutes = 12;     // number, a single leading zero read 零
constexpr int16_t kReadHour = 13;        // number, a lone 2 or 02 read 两

// The parameters digitmode, puncmode and engmode, as the caller set them.
struct NormalisationSettings {
  int digitMode = 0;          // 0 auto_number, 1 auto_telegram, 2 telegram, 3 number
  int puncMode = 0;           // 0 off, 1 on, 2 off_rtn, 3 on_rtn
  int engMode = 0;            // 0 auto, 1 letter, 2 english
  bool voiceKindOne = false;  // six-tone voice: "1" is never read 幺
  // The n6 engine's number readings: 两 for a 2 in the hundreds and
  // thousands (and a lone 万/亿 group), and the special-number bits below.
  bool n6Numbers = false;
  int specialNumbers = 0;
};

// Bits of the special-number parameter (n6 engine).
constexpr int kSpecialOneYao = 16;     // every "1" read digit by digit is 幺
constexpr int kSpecialOneYi = 32;      // every "1" read digit by digit is 一
constexpr int kSpecialTwoEr = 256;     // a number never reads 2 as 两
constexpr int kSpecialTwoLiang = 512;  // a lone number 2 is 两

}  // namespace kvo::frontend
