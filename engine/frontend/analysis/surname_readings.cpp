// Surname readings. One table of surname characters with two readings:
// the one the name-reading override (namepolyphone) gives a character
// wherever it stands, and the one the person-name step gives the surname
// of a name it recognised. A few characters have only one of them.
#include "frontend/analysis/chinese_analysis.h"

namespace kvo::frontend {

namespace {

constexpr uint16_t kNone = kUnknownPinyin;

struct SurnameReadingEntry {
  uint16_t gbk;       // lead byte high, trail byte low
  uint16_t anywhere;  // with the override on
  uint16_t in_name;   // as the surname of a recognised name
};

// Sorted by GBK code. Unit codes of a five-tone voice. In names, 乐 reads
// yue4, 盖 ge3, 阚 kan4, 种 chong2, 相 xiang4 and 乜 nie4: their surname
// readings, not the common ones.
constexpr SurnameReadingEntry kSurnames[] = {
    {0xB0D8, 32, 32},       // 柏 bai3
    {0xB1A1, 96, kNone},    // 薄 bo2 / -
    {0xB1A9, kNone, 48},    // 暴 - / bao4
    {0xB1F0, kNone, 81},    // 别 - / bie2
    {0xB2B7, kNone, 102},   // 卜 - / bu3
    {0xB2D8, kNone, 121},   // 藏 - / cang2
    {0xB2E9, 1945, kNone},  // 查 zha1 / -
    {0xB3A4, 161, 161},     // 长 chang2
    {0xB3AF, kNone, 166},   // 朝 - / chao2
    {0xB3B5, kNone, 170},   // 车 - / che1
    {0xB3CB, kNone, 181},   // 乘 - / cheng2
    {0xB3F0, kNone, 1341},  // 仇 - / qiu2
    {0xB4F3, kNone, 283},   // 大 - / da4
    {0xB5A5, 1493, 1493},   // 单 shan4
    {0xB5D4, 1951, 1951},   // 翟 zhai2
    {0xB6A1, kNone, 350},   // 丁 - / ding1
    {0xB6BC, 370, 370},     // 都 du1
    {0xB6D9, kNone, 388},   // 顿 - / dun4
    {0xB8C7, 497, 497},     // 盖 ge3
    {0xB8C9, 480, 480},     // 干 gan1
    {0xB9B4, kNone, 520},   // 勾 - / gou1
    {0xB9DA, 543, 543},     // 冠 guan4
    {0xB9DB, 543, kNone},   // 观 guan4 / -
    {0xB9FE, kNone, 567},   // 哈 - / ha3
    {0xBACD, kNone, 591},   // 和 - / he2
    {0xBBAA, 638, 638},     // 华 hua4
    {0xBCD6, kNone, 677},   // 贾 - / jia3
    {0xBDAB, kNone, 685},   // 将 - / jiang1
    {0xBDE2, 1783, 1783},   // 解 xie4
    {0xBFD5, kNone, 785},   // 空 - / kong1
    {0xC0AE, kNone, 837},   // 喇 - / la3
    {0xC0D6, 1893, 1893},   // 乐 yue4
    {0xC0F6, kNone, 878},   // 丽 - / li4
    {0xC3B0, kNone, 993},   // 冒 - / mao4
    {0xC3B4, kNone, 1840},  // 么 - / yao1
    {0xC3C9, 1011, 1011},   // 蒙 meng2
    {0xC3D3, kNone, 1016},  // 糜 - / mi2
    {0xC3D8, 68, 68},       // 秘 bi4
    {0xC4B2, 1056, kNone},  // 牟 mou2 / -
    {0xC4C7, kNone, 1070},  // 那 - / na1
    {0xC4FE, 1156, 1156},   // 宁 ning2
    {0xC6AC, kNone, 1258},  // 片 - / pian4
    {0xC6D3, 1261, kNone},  // 朴 piao2 / -
    {0xC6E6, 1296, kNone},  // 奇 qi2 / -
    {0xC7F8, 1205, kNone},  // 区 ou1 / -
    {0xC7FA, 1345, 1345},   // 曲 qu1
    {0xC8CE, 1386, 1386},   // 任 ren2
    {0xC9CF, kNone, 1498},  // 上 - / shang4
    {0xC9D9, 1503, kNone},  // 少 shao4 / -
    {0xCAA2, kNone, 1523},  // 盛 - / sheng4
    {0xCAF5, kNone, 1538},  // 术 - / shu4
    {0xCBDE, kNone, 1593},  // 宿 - / su4
    {0xCCA8, kNone, 1621},  // 台 - / tai2
    {0xCCC0, kNone, 1630},  // 汤 - / tang1
    {0xCCFB, kNone, 1665},  // 帖 - / tie1
    {0xCEB5, kNone, 1883},  // 蔚 - / yu4
    {0xCEBE, kNone, 1883},  // 尉 - / yu4
    {0xCFCA, 1765, 1765},   // 鲜 xian1
    {0xCFE0, 1773, 1773},   // 相 xiang4
    {0xD0A4, kNone, 1775},  // 肖 - / xiao1
    {0xD0D0, kNone, 1791},  // 行 - / xing2
    {0xD1E0, 1830, 1830},   // 燕 yan1
    {0xD2F3, 1855, 1855},   // 殷 yin1
    {0xD3A6, 1860, 1860},   // 应 ying1
    {0xD3E1, kNone, 1881},  // 俞 - / yu2
    {0xD4F8, kNone, 1940},  // 曾 - / zeng1
    {0xD4FA, kNone, 1946},  // 扎 - / zha2
    {0xD5B3, kNone, 1131},  // 粘 - / nian2
    {0xD5BC, 1955, 1955},   // 占 zhan1
    {0xD5D9, 1503, kNone},  // 召 shao4 / -
    {0xD5DB, kNone, 1506},  // 折 - / she2
    {0xD6D6, 191, 191},     // 种 chong2
    {0xD7D3, kNone, 2047},  // 子 - / zi3
    {0xD8BF, kNone, 1148},  // 乜 - / nie4
    {0xD8DF, kNone, 1832},  // 剡 - / yan3
    {0xD95A, kNone, 677},   // 賈 - / jia3
    {0xDAC8, 1518, kNone},  // 谌 shen4 / -
    {0xDADB, 1316, kNone},  // 谯 qiao2 / -
    {0xDAF3, 821, 1732},    // 隗 kui2 / wei3
    {0xDBA7, kNone, 1323},  // 郄 - / qie4
    {0xDBA8, kNone, 646},   // 郇 - / huan2
    {0xDBAA, kNone, 878},   // 郦 - / li4
    {0xDDB7, 1515, 1515},   // 莘 shen1
    {0xDFC3, kNone, 560},   // 呙 - / guo1
    {0xE3DB, kNone, 753},   // 阚 - / kan4
    {0xE3EB, kNone, 1738},  // 汶 - / wen4
    {0xE5A3, kNone, 1626},  // 澹 - / tan2
    {0xE5B5, 466, 1018},    // 宓 fu2 / mi4
    {0xE5B8, kNone, 1156},  // 甯 - / ning2
    {0xE7D1, kNone, 1028},  // 缪 - / miao4
    {0xE94C, kNone, 161},   // 長 - / chang2
    {0xEAB0, kNone, 1915},  // 臧 - / zang1
    {0xEADA, 55, 55},       // 贲 ben1
    {0xECB6, kNone, 1880},  // 於 - / yu1
    {0xEDF5, kNone, 1600},  // 眭 - / sui1
    {0xEEA1, kNone, 1600},  // 睢 - / sui1
    {0xF1FB, 1326, kNone},  // 覃 qin2 / -
    {0xF2A1, 1781, kNone},  // 颉 xie2 / -
    {0xF4DE, 508, kNone},   // 艮 gen4 / -
    {0xF6A4, 2045, kNone},  // 訾 zi1 / -
    {0xF6C1, 728, kNone},   // 隽 juan4 / -
};

const SurnameReadingEntry* FindSurname(uint16_t code) {
  const uint16_t key = static_cast<uint16_t>((code >> 8) | (code << 8));
  int lo = 0, hi = static_cast<int>(sizeof(kSurnames) / sizeof(kSurnames[0])) - 1;
  while (lo <= hi) {
    const int mid = (lo + hi) / 2;
    if (kSurnames[mid].gbk == key) return &kSurnames[mid];
    if (kSurnames[mid].gbk < key)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  return nullptr;
}

struct CompoundSurnameEntry {
  uint16_t first;  // internal codes: lead byte low
  uint16_t second;
  uint16_t readings[2];
};

// Two-character surnames whose characters read otherwise in a surname.
constexpr CompoundSurnameEntry kCompoundSurnames[] = {
    {0xA4B3, 0xEFCB, {1962, 1605}},  // 长孙 zhang3 sun1
    {0xA5B5, 0xDAD3, {156, 1881}},   // 单于 chan2 yu2
    {0xCCC9, 0xB2C4, {1495, 1063}},  // 商牟 shang1 mu4
    {0xF2CD, 0xB9D9, {1053, 1296}},  // 万俟 mo4 qi2
    {0xBECE, 0xD9B3, {1883, 186}},   // 尉迟 yu4 chi2
    {0xCACF, 0xDAD3, {1765, 1881}},  // 鲜于 xian1 yu2
    {0xA3E5, 0xA8CC, {1626, 1621}},  // 澹台 tan2 tai2
};

}  // namespace

uint16_t SurnameReading(uint16_t code) {
  const SurnameReadingEntry* e = FindSurname(code);
  return e == nullptr ? kUnknownPinyin : e->anywhere;
}

uint16_t PersonSurnameReading(uint16_t code) {
  const SurnameReadingEntry* e = FindSurname(code);
  return e == nullptr ? kUnknownPinyin : e->in_name;
}

bool CompoundSurnameReading(uint16_t first, uint16_t second, uint16_t readings[2]) {
  for (const CompoundSurnameEntry& e : kCompoundSurnames) {
    if (e.first == first && e.second == second) {
      readings[0] = e.readings[0];
      readings[1] = e.readings[1];
      return true;
    }
  }
  return false;
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
