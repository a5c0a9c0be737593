// Surname readings: with name readings on, a character that is a common
// surname takes its surname reading wherever it stands.
#include "frontend/analysis/chinese_analysis.h"

namespace kvo::frontend {

namespace {

struct SurnameReadingEntry {
  uint16_t gbk;  // lead byte high, trail byte low
  uint16_t syllable;
};

// Sorted by GBK code. Unit codes of a five-tone voice.
constexpr SurnameReadingEntry kSurnames[] = {
    {0xB0D8, 32},    // 柏
    {0xB1A1, 96},    // 薄
    {0xB2E9, 1945},  // 查
    {0xB3A4, 161},   // 长
    {0xB5A5, 1493},  // 单
    {0xB5D4, 1951},  // 翟
    {0xB6BC, 370},   // 都
    {0xB8C7, 497},   // 盖
    {0xB8C9, 480},   // 干
    {0xB9DA, 543},   // 冠
    {0xB9DB, 543},   // 观
    {0xBBAA, 638},   // 华
    {0xBDE2, 1783},  // 解
    {0xC0D6, 1893},  // 乐
    {0xC3C9, 1011},  // 蒙
    {0xC3D8, 68},    // 秘
    {0xC4B2, 1056},  // 牟
    {0xC4FE, 1156},  // 宁
    {0xC6D3, 1261},  // 朴
    {0xC6E6, 1296},  // 奇
    {0xC7F8, 1205},  // 区
    {0xC7FA, 1345},  // 曲
    {0xC8CE, 1386},  // 任
    {0xC9D9, 1503},  // 少
    {0xCFCA, 1765},  // 鲜
    {0xCFE0, 1773},  // 相
    {0xD1E0, 1830},  // 燕
    {0xD2F3, 1855},  // 殷
    {0xD3A6, 1860},  // 应
    {0xD5BC, 1955},  // 占
    {0xD5D9, 1503},  // 召
    {0xD6D6, 191},   // 种
    {0xDAC8, 1518},  // 谌
    {0xDADB, 1316},  // 谯
    {0xDAF3, 821},   // 隗
    {0xDDB7, 1515},  // 莘
    {0xE5B5, 466},   // 宓
    {0xEADA, 55},    // 贲
    {0xF1FB, 1326},  // 覃
    {0xF2A1, 1781},  // 颉
    {0xF4DE, 508},   // 艮
    {0xF6A4, 2045},  // 訾
    {0xF6C1, 728},   // 隽
};

}  // namespace

uint16_t SurnameReading(uint16_t code) {
  const uint16_t key = static_cast<uint16_t>((code >> 8) | (code << 8));
  int lo = 0, hi = static_cast<int>(sizeof(kSurnames) / sizeof(kSurnames[0])) - 1;
  while (lo <= hi) {
    const int mid = (lo + hi) / 2;
    if (kSurnames[mid].gbk == key) return kSurnames[mid].syllable;
    if (kSurnames[mid].gbk < key)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  return kUnknownPinyin;
}

void ApplySurnameReadings(WordList* words) {
  for (int w = 0; w < words->count; ++w) {
    WordRecord& word = words->words[w];
    for (int c = 0; c < word.length; ++c) {
      const uint16_t reading = SurnameReading(word.chars[c]);
      if (reading != kUnknownPinyin) word.pinyin[c] = reading;
    }
  }
}

}  // namespace kvo::frontend
