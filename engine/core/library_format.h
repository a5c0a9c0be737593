// The resource library container, shared by the engine's reader and the
// library writer so that both agree byte for byte. docs/library-format.md
// describes the same layout in prose.
#ifndef KVO_ENGINE_LIBRARY_FORMAT_H
#define KVO_ENGINE_LIBRARY_FORMAT_H

#include <cstdint>

namespace kvo_library {

// Chinese and English libraries: 64-byte header, then a chain of sections.
constexpr char kMagic[] = "eToskv6.0";
constexpr int32_t kMagicBytes = sizeof(kMagic);  // compared including its NUL
constexpr int32_t kHeaderBytes = 64;
constexpr int32_t kSampleRateOffset = 20;  // int32
constexpr int32_t kVoiceWord1Offset = 24;  // int16
constexpr int32_t kVoiceWord2Offset = 26;  // int16
constexpr int32_t kVoiceBytesOffset = 28;  // five bytes, 28..32
constexpr int32_t kVoiceByteCount = 5;
constexpr int32_t kLanguageOffset = 28;   // 0 for a Chinese library
constexpr int32_t kWindowsOffset = 29;    // nonzero: two windows (no delta-delta)
constexpr int32_t kVoiceKindOffset = 31;  // 1: six tones per syllable
constexpr uint8_t kLanguageChinese = 0;
constexpr uint8_t kLanguageEnglish = 1;  // written by the writer, never checked
constexpr uint8_t kVoiceKindSixTones = 1;

// Every section starts with its own file offset and its total size (both
// int32, little-endian, the 8 bytes included); the payload follows and the
// next section starts at offset + size. A payload of 0 bytes = absent.
constexpr int32_t kSectionHeaderBytes = 8;
constexpr int32_t kMaxSections = 32;

constexpr int32_t kChineseSectionCount = 19;
constexpr int32_t kEnglishSectionCount = 9;

// Chinese library sections, numbered from 1 in chain order.
enum ChineseSection : int32_t {
  kCnMainLexicon = 1,
  kCnWordBoundaryModel = 2,
  kCnPhraseBoundaryModel = 3,
  kCnGbkTable = 4,
  kCnBig5Table = 5,
  kCnUnicodeTable = 6,
  kCnPolyphoneModel = 7,
  kCnSyllableNames = 8,
  kCnInitialNames = 9,
  kCnFinalNames = 10,
  kCnPhoneNames = 11,
  kCnPhoneVoicing = 12,
  kCnPersonNameModel = 13,
  kCnBackEndTable1 = 14,  // 14..17: loaded whole for the back end
  kCnBackEndTable4 = 17,
  kCnVoiceInfo = 18,
  kCnVoiceModel = 19,
};

// English library sections (roles of the others belong to the English
// front end and the back end).
enum EnglishSection : int32_t {
  kEnVoiceInfo = 2,
  kEnFrontEndTable = 3,
  kEnVoiceModel = 9,
};

// Name tables (sections 8 to 11): int32 count, then count NUL-terminated
// names filling the rest of the payload.
constexpr int32_t kNameTableCountBytes = 4;

// Voice information sections: two 32-byte records.
constexpr int32_t kVoiceInfoRecordBytes = 32;

// Domain library: no magic; five int32 values locate its two parts.
constexpr int32_t kDomainHeaderBytes = 20;
constexpr int32_t kDomainDictionaryOffsetField = 0;
constexpr int32_t kDomainDictionarySizeField = 1;
constexpr int32_t kDomainSpeechOffsetField = 2;
constexpr int32_t kDomainSpeechSizeField = 3;
constexpr int32_t kDomainReservedField = 4;
// Domain parts as section numbers of the opened domain library.
enum DomainSection : int32_t {
  kDmPhraseDictionary = 1,
  kDmPhraseSpeech = 2,
};
constexpr int32_t kDomainSectionCount = 2;

inline int32_t LoadLe32(const uint8_t* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                              (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24));
}
inline int16_t LoadLe16(const uint8_t* p) { return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8))); }
inline void StoreLe32(uint8_t* p, int32_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  p[0] = static_cast<uint8_t>(u);
  p[1] = static_cast<uint8_t>(u >> 8);
  p[2] = static_cast<uint8_t>(u >> 16);
  p[3] = static_cast<uint8_t>(u >> 24);
}
inline void StoreLe16(uint8_t* p, int16_t v) {
  const uint16_t u = static_cast<uint16_t>(v);
  p[0] = static_cast<uint8_t>(u);
  p[1] = static_cast<uint8_t>(u >> 8);
}

}  // namespace kvo_library

#endif
