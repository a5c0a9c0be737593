// Tone sandhi. The word lists are GBK byte strings (two bytes a character,
// lead byte first), compared with the internal codes of the items.
#include "frontend/prosody/tone_sandhi.h"

#include <cstddef>

namespace kvo::frontend {
namespace {

constexpr int kTones = 5;
constexpr int kFirst = 0;
constexpr int kSecond = 1;
constexpr int kThird = 2;
constexpr int kFourth = 3;
constexpr int kNeutral = 4;
constexpr int kUnchanged = -1;

constexpr int16_t kPosConjunction = 99;  // c
constexpr int16_t kPosClassifier = 113;  // q
constexpr int16_t kPosParticle = 117;    // u
constexpr int16_t kPosModal = 121;       // y
constexpr uint16_t kWordKindMark1 = 0x0001;

struct Words {
  const char* const* entries;
  int count;
};
template <size_t N>
constexpr Words W(const char* const (&entries)[N]) {
  return Words{entries, static_cast<int>(N)};
}

constexpr uint16_t CodeAt(const char* s, int k) {
  return static_cast<uint16_t>(static_cast<uint8_t>(s[2 * k]) | (static_cast<uint8_t>(s[2 * k + 1]) << 8));
}
constexpr int CharCount(const char* s) {
  int n = 0;
  while (s[n] != 0) ++n;
  return n / 2;
}

// Single characters used by the rules.
constexpr uint16_t C(const char* s) { return CodeAt(s, 0); }
constexpr uint16_t kYi = C("\xD2\xBB" /* 一 */);
constexpr uint16_t kBu = C("\xB2\xBB" /* 不 */);
constexpr uint16_t kQi = C("\xC6\xDF" /* 七 */);
constexpr uint16_t kBa = C("\xB0\xCB" /* 八 */);
constexpr uint16_t kGe = C("\xB8\xF6" /* 个 */);
constexpr uint16_t kZi = C("\xD7\xD3" /* 子 */);
constexpr uint16_t kMen = C("\xC3\xC7" /* 们 */);
constexpr uint16_t kJi = C("\xBC\xB6" /* 级 */);
constexpr uint16_t kPing = C("\xC6\xBD" /* 平 */);
constexpr uint16_t kFen = C("\xB7\xD6" /* 分 */);
constexpr uint16_t kDian = C("\xB5\xE3" /* 点 */);

const char* const kN[] = {"\xD2\xBB" /* 一 */, "\xB6\xFE" /* 二 */, "\xC8\xFD" /* 三 */, "\xCB\xC4" /* 四 */,
                          "\xCE\xE5" /* 五 */, "\xC1\xF9" /* 六 */, "\xC6\xDF" /* 七 */, "\xB0\xCB" /* 八 */,
                          "\xBE\xC5" /* 九 */, "\xCA\xAE" /* 十 */, "\xC1\xE3" /* 零 */, "\xC1\xBD" /* 两 */};
const char* const kN0[] = {"\xD2\xBB" /* 一 */, "\xB6\xFE" /* 二 */, "\xC8\xFD" /* 三 */, "\xCB\xC4" /* 四 */,
                           "\xCE\xE5" /* 五 */, "\xC1\xF9" /* 六 */, "\xC6\xDF" /* 七 */, "\xB0\xCB" /* 八 */,
                           "\xBE\xC5" /* 九 */, "\xCA\xAE" /* 十 */, "\xC1\xE3" /* 零 */};
const char* const kDem[] = {"\xD5\xE2" /* 这 */, "\xC4\xC7" /* 那 */, "\xC4\xC4" /* 哪 */, "\xC1\xED" /* 另 */};
const char* const kDem6[] = {"\xD5\xE2" /* 这 */, "\xC4\xC7" /* 那 */, "\xC4\xC4" /* 哪 */,
                             "\xC1\xED" /* 另 */, "\xC9\xCF" /* 上 */, "\xCF\xC2" /* 下 */};
const char* const kBig[] = {"\xB0\xD9" /* 百 */, "\xC7\xA7" /* 千 */, "\xCD\xF2" /* 万 */, "\xD2\xDA" /* 亿 */};

const char* const kReduplicated[] = {
    "\xC4\xCC" /* 奶 */, "\xC9\xA9" /* 嫂 */, "\xBD\xE3" /* 姐 */, "\xB0\xD6" /* 爸 */, "\xC2\xE8" /* 妈 */,
    "\xB8\xE7" /* 哥 */, "\xB5\xDC" /* 弟 */, "\xD2\xAF" /* 爷 */, "\xCD\xDE" /* 娃 */, "\xBF\xB4" /* 看 */,
    "\xC7\xC6" /* 瞧 */, "\xB1\xC4" /* 蹦 */, "\xE2\xC4" /* 饽 */, "\xD0\xC9" /* 猩 */, "\xB9\xAB" /* 公 */,
    "\xB2\xAE" /* 伯 */, "\xB6\xC1" /* 读 */, "\xCC\xFD" /* 听 */, "\xCB\xB5" /* 说 */, "\xB1\xA6" /* 宝 */,
    "\xC6\xC5" /* 婆 */, "\xC3\xC3" /* 妹 */, "\xCA\xE5" /* 叔 */, "\xC9\xF4" /* 婶 */, "\xB9\xC3" /* 姑 */,
    "\xBE\xCB" /* 舅 */, "\xC0\xD1" /* 姥 */, "\xD0\xC7" /* 星 */, "\xD0\xC8" /* 腥 */, "\xF2\xE5" /* 蝈 */,
    "\xB9\xD4" /* 乖 */, "\xBF\xDE" /* 哭 */, "\xC2\xEE" /* 骂 */, "\xCC\xAB" /* 太 */, "\xB9\xE4" /* 逛 */,
    "\xCC\xE1" /* 提 */, "\xC1\xEF" /* 溜 */, "\xE0\xE0" /* 噜 */, "\xCE\xFB" /* 嘻 */};
const char* const kParticlesU[] = {"\xB5\xC4" /* 的 */, "\xB5\xD8" /* 地 */, "\xB5\xC3" /* 得 */,
                                   "\xD7\xC5" /* 着 */, "\xC1\xCB" /* 了 */, "\xB9\xFD" /* 过 */};
const char* const kParticlesY[] = {"\xB0\xC9" /* 吧 */, "\xB0\xA1" /* 啊 */, "\xC4\xD8" /* 呢 */,
                                   "\xC2\xEF" /* 嘛 */, "\xC4\xC4" /* 哪 */, "\xC2\xF0" /* 吗 */};

bool InList(uint16_t code, const Words& words) {
  for (int w = 0; w < words.count; ++w)
    if (CharCount(words.entries[w]) == 1 && CodeAt(words.entries[w], 0) == code) return true;
  return false;
}

class Batch {
 public:
  Batch(qvAnalysisItem* items, int count, uint16_t g)
      : items_(items), count_(count), g_(g), b_(static_cast<uint32_t>(g) * 2) {}

  int count() const { return count_; }
  bool Exists(int k) const { return k >= 0 && k < count_; }
  bool Last(int k) const { return k == count_ - 1; }
  uint16_t Char(int k) const { return Exists(k) ? items_[k].character : 0; }
  int16_t Pos(int k) const { return Exists(k) ? items_[k].part_of_speech : -1; }
  bool IsChar(int k, uint16_t code) const { return Exists(k) && items_[k].character == code; }

  bool IsSyllable(int k) const {
    return Exists(k) && items_[k].unit <= g_ && items_[k].language == kItemLanguageChinese;
  }
  // Tone index, or -1 for an absent item or a code above G.
  int Tone(int k) const {
    if (!Exists(k) || items_[k].unit > g_) return -1;
    return items_[k].unit % kTones;
  }
  bool Spoken(int k) const { return Exists(k) && items_[k].unit <= b_ + 1; }
  // Punctuation unit or silence: neither spoken nor a letter or Greek unit.
  bool Unspoken(int k) const { return Exists(k) && items_[k].unit > b_ + kUnitGreekLast; }

  // The prosodic word index restarts in every phrase, so equal indexes in
  // different phrases are different prosodic words.
  bool SamePw(int a, int b) const {
    return Exists(a) && Exists(b) && items_[a].prosodic_word_index == items_[b].prosodic_word_index &&
           items_[a].phrase_index == items_[b].phrase_index;
  }
  bool SameLex(int a, int b) const {
    return Exists(a) && Exists(b) && items_[a].lexical_word == items_[b].lexical_word;
  }
  bool SamePhrase(int a, int b) const {
    return Exists(a) && Exists(b) && items_[a].phrase_index == items_[b].phrase_index;
  }
  bool InN(int k, const Words& list) const { return Exists(k) && InList(items_[k].character, list); }

  // An entry of the list equals the items right before item k.
  bool Before(int k, const Words& list) const {
    for (int w = 0; w < list.count; ++w) {
      const char* s = list.entries[w];
      const int n = CharCount(s);
      if (k - n < 0 || k > count_) continue;
      bool match = true;
      for (int j = 0; j < n && match; ++j) match = items_[k - n + j].character == CodeAt(s, j);
      if (match) return true;
    }
    return false;
  }
  // An entry of the list equals the items right after item k.
  bool After(int k, const Words& list) const {
    for (int w = 0; w < list.count; ++w) {
      const char* s = list.entries[w];
      const int n = CharCount(s);
      if (k < -1 || k + n >= count_) continue;
      bool match = true;
      for (int j = 0; j < n && match; ++j) match = items_[k + 1 + j].character == CodeAt(s, j);
      if (match) return true;
    }
    return false;
  }

  // Sets tone index t on a Chinese syllable item; returns 1 when the code changed.
  int SetTone(int k, int t) {
    if (!IsSyllable(k)) return 0;
    qvAnalysisItem& item = items_[k];
    const uint16_t code = static_cast<uint16_t>(item.unit - item.unit % kTones + t);
    if (code == item.unit) return 0;
    item.unit = code;
    return 1;
  }

  const qvAnalysisItem& Item(int k) const { return items_[k]; }

 private:
  qvAnalysisItem* items_;
  int count_;
  uint16_t g_;
  uint32_t b_;
};

// ---- Group 1: neutral tones ------------------------------------------------

int NeutralTones(Batch& b) {
  int changes = 0;
  for (int k = 0; k < b.count(); ++k) {
    if (!b.IsSyllable(k)) continue;
    const qvAnalysisItem& item = b.Item(k);
    bool neutral = false;
    if (k >= 1) {
      const qvAnalysisItem& prev = b.Item(k - 1);
      if (item.position_in_prosodic_word == 1 && prev.position_in_prosodic_word == 0 &&
          prev.character == item.character && prev.unit == item.unit && prev.lexical_word != item.lexical_word &&
          InList(item.character, W(kReduplicated)))
        neutral = true;
      const bool last_pw_of_last_phrase = item.phrase_count > 0 && item.phrase_index == item.phrase_count - 1 &&
                                          item.phrase_length > 0 && item.prosodic_word_index == item.phrase_length - 1;
      if (item.prosodic_word_length == 2 && item.position_in_prosodic_word == 1 && last_pw_of_last_phrase &&
          prev.lexical_word != item.lexical_word &&
          (item.character == kZi || item.character == kMen ||
           (item.part_of_speech == kPosParticle && InList(item.character, W(kParticlesU))) ||
           (item.part_of_speech == kPosModal && InList(item.character, W(kParticlesY)))))
        neutral = true;
      if (item.character == kBu && item.prosodic_word_length == 3 && item.position_in_prosodic_word == 1 &&
          b.Exists(k + 1) && prev.character == b.Char(k + 1))
        neutral = true;
    }
    if (item.character == kGe && (item.flags & kWordKindMark1) != 0) neutral = true;
    if (neutral) changes += b.SetTone(k, kNeutral);
  }
  return changes;
}

// ---- Group 2: third tones --------------------------------------------------

int ThirdToneRuns(Batch& b) {
  int changes = 0;
  for (int a = 0; a < b.count(); ++a) {
    if (b.Tone(a) != kThird) continue;
    int j = 0;
    while (b.Tone(a + j + 1) == kThird && b.SamePw(a, a + j + 1)) ++j;
    const bool pw_starts_at_a = !b.SamePw(a - 1, a);
    if (j == 1) {
      changes += b.SetTone(a, kSecond);
    } else if (j == 2) {
      const int bb = a + 1, c = a + 2;
      if (b.SameLex(a, bb) && !b.SameLex(c, a)) {
        changes += b.SetTone(a, kSecond) + b.SetTone(bb, kSecond);
      } else if (b.SameLex(bb, c) && !b.SameLex(a, bb)) {
        changes += b.SetTone(bb, kSecond);
      } else {
        changes += b.SetTone(bb, kSecond);
        if (pw_starts_at_a) changes += b.SetTone(a, kSecond);
      }
    } else if (j == 3) {
      changes += b.SetTone(a + 2, kSecond);
      changes += b.SetTone(pw_starts_at_a ? a : a + 1, kSecond);
    } else if (j == 4) {
      changes += b.SetTone(a, kSecond) + b.SetTone(a + 2, kSecond) + b.SetTone(a + 3, kSecond);
    }
  }
  return changes;
}

int ThirdToneTriples(Batch& b) {
  int changes = 0;
  for (int a = 0; a + 2 < b.count(); ++a) {
    if (b.Tone(a) != kThird || b.Tone(a + 1) != kThird || b.Tone(a + 2) != kThird) continue;
    if (b.SamePw(a, a + 1) && !b.SamePw(a + 1, a + 2)) {
      changes += b.SetTone(a, kSecond) + b.SetTone(a + 1, kSecond);
    } else if (b.SamePw(a + 1, a + 2) && !b.SamePw(a, a + 1)) {
      changes += b.SetTone(a + 1, kSecond);
    }
  }
  return changes;
}

int ThirdTonePairs(Batch& b) {
  int changes = 0;
  for (int k = 0; k < b.count(); ++k) {
    if (b.Tone(k) != kThird) continue;
    const bool next_third = b.Tone(k + 1) == kThird && b.SamePhrase(k, k + 1);
    const bool across_pause = b.Unspoken(k + 1) && b.Tone(k + 2) == kThird && b.SamePhrase(k, k + 2);
    if (next_third || across_pause) changes += b.SetTone(k, kSecond);
  }
  return changes;
}

// ---- Group 3: 一, 不, 七, 八 -------------------------------------------------

const char* const kBan[] = {"\xB0\xE0" /* 班 */};
const char* const kBanBefore[] = {"\xB7\xA2" /* 发 */,
                                  "\xB7\xD6"
                                  "\xD6\xD3" /* 分钟 */,
                                  "\xD0\xA1"
                                  "\xCA\xB1" /* 小时 */};
const char* const kTi[] = {"\xCC\xE5" /* 体 */};
const char* const kSanWei[] = {
    "\xC8\xFD"
    "\xCE\xBB" /* 三位 */};
const char* const kTian[] = {"\xCC\xEC" /* 天 */};
const char* const kGe2[] = {"\xB8\xF3" /* 阁 */};
const char* const kTie[] = {"\xCC\xFA" /* 铁 */};
const char* const kJu[] = {"\xBE\xD6" /* 局 */};
const char* const kWen[] = {"\xCE\xC4" /* 文 */};
const char* const kLu[] = {"\xC2\xB7" /* 路 */};
const char* const kShi[] = {"\xCA\xB1" /* 时 */};
const char* const kShiBefore[] = {
    "\xCF\xC2"
    "\xCE\xE7" /* 下午 */,
    "\xC1\xE8"
    "\xB3\xBF" /* 凌晨 */,
    "\xC8\xD5" /* 日 */};
const char* const kShang[] = {"\xC9\xCF" /* 上 */};
const char* const kNianJi[] = {
    "\xC4\xEA"
    "\xBC\xB6" /* 年级 */};
const char* const kBai[] = {"\xB0\xD9" /* 百 */};
const char* const kQian[] = {"\xC7\xA7" /* 千 */};
const char* const kDianWord[] = {"\xB5\xE3" /* 点 */};
const char* const kDi[] = {"\xB5\xDA" /* 第 */};
const char* const kDiQiBi[] = {"\xB5\xDA" /* 第 */, "\xC6\xE4" /* 其 */, "\xB1\xC8" /* 比 */};
const char* const kShen[] = {"\xC9\xF3" /* 审 */};
const char* const kMiddleDotWord[] = {"\xA1\xA4" /* · */};
const char* const kJiWord[] = {"\xBC\xB6" /* 级 */};
const char* const kJiFourthBefore[] = {
    "\xC8\xCE"
    "\xBA\xCE" /* 任何 */,
    "\xCF\xE7"
    "\xD5\xF2" /* 乡镇 */,
    "\xD7\xEE"
    "\xB8\xDF" /* 最高 */,
    "\xD7\xEE"
    "\xB5\xCD" /* 最低 */,
    "\xB8\xFC"
    "\xB8\xDF" /* 更高 */,
    "\xB8\xFC"
    "\xB5\xCD" /* 更低 */,
    "\xBC\xD3"
    "\xD6\xD8" /* 加重 */,
    "\xBC\xF5"
    "\xC7\xE1" /* 减轻 */,
    "\xB5\xD8"
    "\xCA\xD0" /* 地市 */,
    "\xCA\xD0"
    "\xCF\xD8" /* 市县 */,
    "\xCF\xE7"
    "\xB4\xE5" /* 乡村 */,
    "\xC9\xE7"
    "\xC7\xF8" /* 社区 */,
    "\xD6\xB1"
    "\xCF\xBD"
    "\xCA\xD0" /* 直辖市 */,
    "\xBE\xD3"
    "\xCE\xAF"
    "\xBB\xE1" /* 居委会 */,
    "\xB4\xE5"
    "\xCE\xAF"
    "\xBB\xE1" /* 村委会 */,
    "\xCF\xD8"
    "\xC7\xF8" /* 县区 */,
    "\xC7\xF8"
    "\xCF\xD8" /* 区县 */,
    "\xB6\xE0"
    "\xC1\xCB" /* 多了 */,
    "\xC9\xD9"
    "\xC1\xCB" /* 少了 */,
    "\xD0\xD6"
    "\xB3\xA4" /* 兄长 */,
    "\xC1\xEC"
    "\xB5\xBC" /* 领导 */,
    "\xC2\xC3"
    "\xCD\xC5" /* 旅团 */,
    "\xD4\xBD" /* 越 */};
const char* const kJiNeutralBefore[] = {
    "\xD5\xE2" /* 这 */, "\xC4\xC4" /* 哪 */, "\xC4\xC7" /* 那 */, "\xC1\xED" /* 另 */, "\xC9\xCF" /* 上 */,
    "\xCF\xC2" /* 下 */, "\xB8\xDF" /* 高 */, "\xB5\xCD" /* 低 */, "\xC9\xFD" /* 升 */, "\xBD\xB5" /* 降 */,
    "\xC3\xBF" /* 每 */, "\xCA\xA1" /* 省 */, "\xCA\xD0" /* 市 */, "\xC7\xF8" /* 区 */, "\xCF\xD8" /* 县 */,
    "\xCF\xE7" /* 乡 */, "\xD5\xF2" /* 镇 */, "\xB4\xE5" /* 村 */, "\xBD\xD6" /* 街 */, "\xD6\xDD" /* 州 */,
    "\xD3\xAA" /* 营 */};
const char* const kXian[] = {"\xCF\xDF" /* 线 */};
const char* const kXianSecond[] = {"\xCC\xEC" /* 天 */,
                                   "\xCF\xA3"
                                   "\xCD\xFB" /* 希望 */,
                                   "\xC9\xFA"
                                   "\xBB\xFA" /* 生机 */,
                                   "\xD1\xF4"
                                   "\xB9\xE2" /* 阳光 */,
                                   "\xB9\xE2"
                                   "\xC3\xF7" /* 光明 */,
                                   "\xB9\xE2"
                                   "\xC3\xA2" /* 光芒 */,
                                   "\xC8\xB1"
                                   "\xBF\xDA" /* 缺口 */};
const char* const kBuZuo[] = {
    "\xB2\xBB"
    "\xD7\xF6" /* 不做 */};
const char* const kGengShang[] = {
    "\xB8\xFC"
    "\xC9\xCF" /* 更上 */};
const char* const kCengLou[] = {
    "\xB2\xE3"
    "\xC2\xA5" /* 层楼 */};
const char* const kCeng[] = {"\xB2\xE3" /* 层 */};
const char* const kCengPlaces[] = {"\xC2\xA5" /* 楼 */,
                                   "\xC9\xCC"
                                   "\xB3\xA1" /* 商场 */,
                                   "\xC2\xF4"
                                   "\xB3\xA1" /* 卖场 */,
                                   "\xB4\xF3"
                                   "\xCF\xC3" /* 大厦 */,
                                   "\xB5\xD8"
                                   "\xC9\xCF" /* 地上 */,
                                   "\xB5\xD8"
                                   "\xCF\xC2" /* 地下 */};
const char* const kXiaShang[] = {"\xCF\xC2" /* 下 */, "\xC9\xCF" /* 上 */};
const char* const kWeiTong[] = {"\xCE\xA8" /* 唯 */, "\xCE\xA9" /* 惟 */, "\xCD\xB3" /* 统 */};
const char* const kHao[] = {"\xBA\xC5" /* 号 */};
const char* const kDaXiao[] = {"\xB4\xF3" /* 大 */, "\xD0\xA1" /* 小 */};
const char* const kZhi[] = {"\xD6\xAE" /* 之 */};
const char* const kDi2To10[] = {"\xB6\xFE" /* 二 */, "\xC8\xFD" /* 三 */, "\xCB\xC4" /* 四 */, "\xCE\xE5" /* 五 */,
                                "\xC1\xF9" /* 六 */, "\xC6\xDF" /* 七 */, "\xB0\xCB" /* 八 */, "\xBE\xC5" /* 九 */,
                                "\xCA\xAE" /* 十 */, "\xB5\xDA" /* 第 */, "\xC1\xE3" /* 零 */};
const char* const kWu[] = {"\xCE\xDE" /* 无 */};
const char* const kWuAfter[] = {"\xB2\xBB" /* 不 */,
                                "\xB1\xBB" /* 被 */,
                                "\xD0\xD2"
                                "\xC3\xE2" /* 幸免 */,
                                "\xC0\xFD"
                                "\xCD\xE2" /* 例外 */,
                                "\xC9\xFA"
                                "\xBB\xB9" /* 生还 */,
                                "\xC9\xCB"
                                "\xCD\xF6" /* 伤亡 */,
                                "\xB3\xC9"
                                "\xB9\xA6" /* 成功 */,
                                "\xCA\xA7"
                                "\xB0\xDC" /* 失败 */,
                                "\xB0\xB8"
                                "\xBC\xFE" /* 案件 */,
                                "\xB4\xED"
                                "\xB0\xB8" /* 错案 */,
                                "\xC8\xB1"
                                "\xD5\xF3" /* 缺阵 */,
                                "\xC9\xE6"
                                "\xB0\xB8" /* 涉案 */,
                                "\xC9\xF8"
                                "\xC2\xA9" /* 渗漏 */,
                                "\xB3\xAC"
                                "\xC6\xDA" /* 超期 */,
                                "\xCA\xA4"
                                "\xBC\xA8" /* 胜绩 */,
                                "\xB0\xDC"
                                "\xBC\xA8" /* 败绩 */,
                                "\xCA\xDC"
                                "\xCB\xF0" /* 受损 */,
                                "\xB6\xAA"
                                "\xCA\xA7" /* 丢失 */,
                                "\xB3\xF6"
                                "\xCF\xD6" /* 出现 */,
                                "\xB2\xEE"
                                "\xB4\xED" /* 差错 */,
                                "\xD7\xA8"
                                "\xBC\xD2" /* 专家 */,
                                "\xC3\xBD"
                                "\xCC\xE5" /* 媒体 */,
                                "\xEA\xA1"
                                "\xD1\xA7" /* 辍学 */,
                                "\xD5\xE6"
                                "\xCA\xB5" /* 真实 */,
                                "\xB3\xC9"
                                "\xBB\xEE" /* 成活 */,
                                "\xD0\xE9"
                                "\xB7\xA2" /* 虚发 */,
                                "\xCA\xDC"
                                "\xC9\xCB" /* 受伤 */,
                                "\xCA\xE8"
                                "\xC2\xA9" /* 疏漏 */,
                                "\xCF\xEE"
                                "\xC4\xBF" /* 项目 */,
                                "\xCA\xA7"
                                "\xC0\xFB" /* 失利 */,
                                "\xB5\xC3"
                                "\xB3\xD1" /* 得逞 */,
                                "\xB7\xA2"
                                "\xC9\xFA" /* 发生 */,
                                "\xBF\xF7"
                                "\xCB\xF0" /* 亏损 */,
                                "\xC5\xD4"
                                "\xC2\xE4" /* 旁落 */,
                                "\xC2\xE4"
                                "\xB0\xF1" /* 落榜 */,
                                "\xCD\xCB"
                                "\xCB\xF5" /* 退缩 */,
                                "\xC9\xE6"
                                "\xBC\xB0" /* 涉及 */,
                                "\xCD\xB6"
                                "\xCB\xDF" /* 投诉 */,
                                "\xCD\xA3"
                                "\xD4\xCB" /* 停运 */,
                                "\xC9\xCF"
                                "\xB7\xC3" /* 上访 */,
                                "\xB8\xC4"
                                "\xC5\xD0" /* 改判 */,
                                "\xC9\xC1"
                                "\xCA\xA7" /* 闪失 */,
                                "\xBD\xFA"
                                "\xBC\xB6" /* 晋级 */,
                                "\xC8\xB1"
                                "\xCF\xAF" /* 缺席 */,
                                "\xC3\xAC"
                                "\xB6\xDC" /* 矛盾 */,
                                "\xC9\xEA"
                                "\xCB\xDF" /* 申诉 */};
const char* const kTitles[] = {"\xB8\xDF" /* 高 */, "\xB3\xF5" /* 初 */, "\xB4\xF3" /* 大 */,
                               "\xD6\xDC" /* 周 */, "\xD1\xD0" /* 研 */, "\xB2\xA9" /* 博 */};
const char* const kDeZhong[] = {"\xB5\xC4" /* 的 */, "\xD6\xD0" /* 中 */};
const char* const kGeWord[] = {"\xB8\xF6" /* 个 */};
const char* const kFixedAfter[] = {
    "\xB5\xC8"
    "\xB9\xA6" /* 等功 */,
    "\xB5\xC8"
    "\xBD\xB1" /* 等奖 */,
    "\xB5\xC8"
    "\xC6\xB7" /* 等品 */,
    "\xB0\xD1"
    "\xCA\xD6" /* 把手 */,
    "\xD0\xC7"
    "\xBC\xB6" /* 星级 */,
    "\xB5\xE3"
    "\xD6\xD3" /* 点钟 */,
    "\xB5\xC8"
    "\xB2\xD0" /* 等残 */,
    "\xB5\xC8"
    "\xD7\xF9" /* 等座 */,
    "\xB6\xF8"
    "\xD4\xD9" /* 而再 */,
    "\xB5\xC8"
    "\xCF\xAF" /* 等席 */,
    "\xB5\xE3"
    "\xD5\xFB" /* 点整 */,
    "\xB5\xE3"
    "\xB6\xE0" /* 点多 */,
    "\xB5\xE3"
    "\xB0\xEB" /* 点半 */};
const char* const kCountAfter[] = {"\xB1\xC8" /* 比 */, "\xC1\xF7" /* 流 */, "\xD4\xC2" /* 月 */, "\xC8\xD5" /* 日 */,
                                   "\xC2\xA5" /* 楼 */, "\xCF\xDF" /* 线 */, "\xC0\xB4" /* 来 */, "\xCA\xC7" /* 是 */,
                                   "\xBD\xEC" /* 届 */, "\xBD\xDA" /* 节 */, "\xC2\xB7" /* 路 */, "\xB4\xCE" /* 次 */};
const char* const kShiYao[] = {"\xCA\xC7" /* 是 */, "\xD2\xAA" /* 要 */};
const char* const kJia[] = {"\xBC\xD9" /* 假 */};
const char* const kPei[] = {"\xC5\xE2" /* 赔 */};
const char* const kGradeAfter[] = {
    "\xC4\xEA"
    "\xBC\xB6" /* 年级 */,
    "\xB0\xE0" /* 班 */,
    "\xBC\xBE"
    "\xB6\xC8" /* 季度 */};
const char* const kXingHuaLiu[] = {"\xD0\xD4" /* 性 */, "\xBB\xAF" /* 化 */, "\xC1\xF7" /* 流 */};
const char* const kYangHua[] = {
    "\xD1\xF5"
    "\xBB\xAF" /* 氧化 */};
const char* const kTao[] = {"\xCC\xD7" /* 套 */};
const char* const kTaoPlaces[] = {
    "\xBD\xDA"
    "\xC4\xBF" /* 节目 */,
    "\xC0\xB8"
    "\xC4\xBF" /* 栏目 */,
    "\xB5\xE7"
    "\xCA\xD3" /* 电视 */,
    "\xB5\xE7"
    "\xCA\xD3"
    "\xCC\xA8" /* 电视台 */,
    "\xD1\xEB"
    "\xCA\xD3" /* 央视 */};
const char* const kNian[] = {"\xC4\xEA" /* 年 */};
const char* const kRi[] = {"\xC8\xD5" /* 日 */};
const char* const kYue[] = {"\xD4\xC2" /* 月 */};
const char* const kRiFollowers[] = {"\xC6\xF0" /* 起 */,
                                    "\xB1\xED"
                                    "\xCA\xBE" /* 表示 */,
                                    "\xB5\xD6"
                                    "\xB4\xEF" /* 抵达 */,
                                    "\xBF\xAA"
                                    "\xCD\xA8" /* 开通 */,
                                    "\xB5\xBD"
                                    "\xB4\xEF" /* 到达 */,
                                    "\xCD\xA8"
                                    "\xB3\xB5" /* 通车 */};
const char* const kLou[] = {"\xC2\xA5" /* 楼 */};
const char* const kNianYueRi[] = {"\xC4\xEA" /* 年 */, "\xD4\xC2" /* 月 */, "\xC8\xD5" /* 日 */};
const char* const kDianDi[] = {"\xB5\xE3" /* 点 */, "\xB5\xCE" /* 滴 */};
const char* const kShuoFa[] = {
    "\xCB\xB5"
    "\xB7\xA8" /* 说法 */};
const char* const kWanYi[] = {"\xCD\xF2" /* 万 */, "\xD2\xDA" /* 亿 */};

bool PlaceName(int16_t pos) { return pos == 28294 || pos == 29550 || pos == 31342; }

class YiDecider {
 public:
  YiDecider(const Batch& b, int i) : b_(b), i_(i) {}

  int Decide() const;
  int rule() const { return rule_; }

 private:
  int P1() const { return i_ - 1; }
  int P2() const { return i_ - 2; }
  int N(int n) const { return i_ + n; }
  bool Last() const { return b_.Last(i_); }
  bool SharesPw(int k) const { return b_.SamePw(k, i_); }
  bool Before(const Words& w) const { return b_.Before(i_, w); }
  bool After(const Words& w) const { return b_.After(i_, w); }
  bool IsYi(int k) const { return b_.IsChar(k, kYi); }

  int ByN1() const { return b_.Tone(N(1)) == kFourth ? kSecond : kFourth; }
  int ByN1IfSpoken() const {
    if (b_.Tone(N(1)) == kFourth) return kSecond;
    if (Last()) return kUnchanged;
    return b_.Spoken(N(1)) ? kFourth : kUnchanged;
  }
  // An entry stands before Y, follows N1, follows N2, or stands before P1.
  bool Around(const Words& w) const {
    return b_.Before(i_, w) || b_.After(N(1), w) || b_.After(N(2), w) || b_.Before(P1(), w);
  }

  int At(int rule, int outcome) const {
    rule_ = rule;
    return outcome;
  }

  const Batch& b_;
  int i_;
  mutable int rule_ = 0;
};

int YiDecider::Decide() const {
  const Words n = W(kN), n0 = W(kN0);
  // 1
  if ((After(W(kBan)) && Before(W(kBanBefore))) || (After(W(kTi)) && Before(W(kSanWei)))) return At(1, kFourth);
  // 2
  if ((Before(W(kTian)) && After(W(kGe2))) || (Before(W(kTie)) && After(W(kJu))) ||
      (Before(W(kWen)) && After(W(kLu))) || (After(W(kShi)) && Before(W(kShiBefore))))
    return At(2, kUnchanged);
  // 3
  if ((After(W(kShi)) && b_.InN(N(2), n0)) || (Before(W(kShang)) && After(W(kNianJi))) ||
      (After(W(kBai)) && Before(W(kQian)) && !b_.InN(N(2), n0)))
    return At(3, kUnchanged);
  // 4
  if (After(W(kBig))) {
    if (Before(n) || Before(W(kDianWord))) return At(4, kUnchanged);
    if (!Last() && SharesPw(N(1))) return At(4, ByN1());
  }
  // 5
  if (Before(W(kDi)) || (b_.Exists(N(3)) && b_.InN(N(1), W(kDiQiBi)) && IsYi(N(2)) && b_.IsChar(N(3), kPing)) ||
      (!Last() && i_ >= 2 && IsYi(P2()) && b_.InN(P1(), W(kDiQiBi)) && b_.IsChar(N(1), kPing)))
    return At(5, kUnchanged);
  // 6
  if ((After(W(kShen)) && SharesPw(N(1)) && !Before(W(kDem))) ||
      (b_.InN(N(2), n0) && b_.Pos(N(1)) == kPosConjunction) || (Before(W(kMiddleDotWord)) && b_.InN(P2(), n0)))
    return At(6, kUnchanged);
  // 7
  if (After(W(kJiWord))) {
    if (b_.IsChar(N(2), kJi) || (IsYi(N(2)) && b_.IsChar(N(3), kJi)) || (b_.IsChar(P1(), kJi) && IsYi(P2())) ||
        Before(W(kJiFourthBefore)))
      return At(7, kFourth);
    if (SharesPw(N(1)) && Before(W(kJiNeutralBefore))) return At(7, kNeutral);
    return At(7, kUnchanged);
  }
  // 8
  if (After(W(kXian))) {
    if (Before(W(kDem)) && b_.SamePw(P1(), N(1))) return At(8, kNeutral);
    if (b_.After(N(1), W(kXianSecond))) return At(8, kSecond);
    return At(8, kUnchanged);
  }
  // 9
  if ((After(W(kDianWord)) && !IsYi(N(2)) && (Before(n) || b_.InN(N(2), n))) || After(W(kBuZuo)))
    return At(9, kUnchanged);
  // 10
  if (Before(W(kGengShang)) && After(W(kCengLou))) return At(10, kFourth);
  // 11
  if (After(W(kCeng)) && Around(W(kCengPlaces))) return At(11, kUnchanged);
  // 12
  if (Before(W(kXiaShang)) && SharesPw(P1())) return At(12, kNeutral);
  // 13
  if (IsYi(P1()) && b_.InN(P2(), W(kWeiTong)) && !Last() && SharesPw(N(1))) return At(13, ByN1IfSpoken());
  // 14
  if (Before(W(kWeiTong)) && SharesPw(P1())) return At(14, kUnchanged);
  // 15
  if (After(W(kHao))) return At(15, Before(W(kDaXiao)) ? kSecond : kUnchanged);
  // 16
  if (Before(W(kZhi)) && After(W(kBig))) return At(16, ByN1());
  // 17
  if (Before(W(kZhi)) && b_.IsChar(P2(), kFen)) return At(17, kUnchanged);
  // 18
  if (Before(W(kZhi))) return At(18, ByN1IfSpoken());
  // 19
  if (b_.Exists(N(3)) && IsYi(N(2)) && b_.Char(N(1)) == b_.Char(N(3))) return At(19, ByN1());
  // 20
  if (i_ >= 2 && !Last() && IsYi(P2()) && b_.Char(N(1)) == b_.Char(P1())) return At(20, ByN1());
  // 21
  if ((b_.Exists(N(2)) && SharesPw(N(2)) && b_.InN(N(2), n0)) ||
      (b_.InN(P2(), W(kDi2To10)) && (SharesPw(P2()) || Before(n))) || (Before(W(kWu)) && After(W(kWuAfter))))
    return At(21, kUnchanged);
  // 22
  if (i_ >= 1 && SharesPw(P1()) && Before(W(kDem))) return At(22, kNeutral);
  // 23
  if (Before(W(kTitles)) && SharesPw(P1()) && (Last() || !b_.SameLex(P1(), N(1)))) return At(23, kUnchanged);
  // 24
  if (After(W(kDeZhong)) && !(IsYi(N(2)) && (!b_.Exists(N(4)) || !b_.SameLex(N(3), N(4))))) return At(24, kUnchanged);
  // 25
  if (b_.Exists(N(1)) && b_.Tone(N(1)) == kNeutral) return At(25, After(W(kGeWord)) ? kSecond : kUnchanged);
  // 26
  if (After(W(kFixedAfter)) || ((Before(W(kDiQiBi)) || Before(n)) && (After(n) || After(W(kCountAfter)))))
    return At(26, kUnchanged);
  // 27
  if ((After(W(kShiYao)) && SharesPw(N(1))) || (Before(W(kJia)) && After(W(kPei)) && b_.InN(N(2), n)))
    return At(27, kUnchanged);
  // 28
  if (After(W(kGradeAfter)) && !Before(W(kDem6))) return At(28, kUnchanged);
  // 29
  if ((After(W(kXingHuaLiu)) && SharesPw(N(1))) || After(W(kYangHua)) || (After(W(kTao)) && Around(W(kTaoPlaces))))
    return At(29, kUnchanged);
  // 30
  if ((i_ >= 1 && b_.SameLex(P1(), i_) && Before(n)) || (b_.SameLex(N(1), i_) && After(n))) return At(30, kUnchanged);
  // 31
  if (SharesPw(P1()) && Before(n) && (After(W(kNian)) || (!Last() && SharesPw(N(1)) && After(n))))
    return At(31, kUnchanged);
  // 32
  if (!Last() && After(W(kNian)) && SharesPw(N(1))) return At(32, ByN1IfSpoken());
  // 33
  if (After(W(kRi)) && (Before(W(kYue)) || Before(n))) return At(33, kUnchanged);
  // 34
  if (!Last() && After(W(kRi))) {
    if (b_.After(N(1), W(kRiFollowers))) return At(34, kUnchanged);
    if (SharesPw(N(1))) return At(34, ByN1IfSpoken());
  }
  // 35
  if (After(W(kLou)) || (After(n0) && !Last() && SharesPw(N(1))) || After(W(kNianYueRi)) ||
      (i_ >= 1 && SharesPw(P1()) && Before(n)))
    return At(35, kUnchanged);
  // 36
  if (Before(W(kDianDi)) && After(W(kDianDi))) return At(36, kFourth);
  // 37
  if (i_ >= 1 && !Last() && b_.Char(P1()) == b_.Char(N(1))) {
    const bool exception = !b_.SamePw(P1(), N(1)) && (b_.SameLex(P1(), i_) || (i_ >= 2 && b_.SameLex(P2(), P1())));
    if (!exception) return At(37, kNeutral);
  }
  // 38
  if (Before(W(kDem6)) && After(W(kShuoFa))) return At(38, kNeutral);
  // 39
  const bool n3_exists = b_.Exists(N(3));
  if ((n3_exists && After(W(kDianWord)) && IsYi(N(2)) &&
       (b_.InN(N(3), n) || b_.InN(N(3), W(kWanYi)) || b_.Pos(N(3)) == kPosClassifier)) ||
      (!Last() && Before(W(kDianWord)) && IsYi(P2()) &&
       (After(n) || After(W(kWanYi)) || b_.Pos(N(1)) == kPosClassifier)) ||
      (n3_exists && IsYi(N(2)) && b_.IsChar(N(3), kDian) && (b_.Last(N(3)) || b_.InN(N(4), n))) ||
      (IsYi(P2()) && After(W(kDianWord)) && (b_.Last(N(1)) || b_.InN(N(2), n))) ||
      (n3_exists && IsYi(N(2)) && b_.Tone(N(3)) == kNeutral) ||
      (!Last() && i_ >= 2 && IsYi(P2()) && b_.Tone(N(1)) == kNeutral))
    return At(39, kUnchanged);
  // 40
  if (Last() || !SharesPw(N(1))) return At(40, kUnchanged);
  // A place name whose middle character is 一 keeps the first tone (41, 43).
  const bool inside_word = i_ >= 1 && b_.SameLex(P1(), N(1)) && !b_.SameLex(P2(), i_) && !b_.SameLex(N(2), i_);
  const bool place = PlaceName(b_.Pos(i_));
  // 41
  if (b_.Tone(N(1)) == kFourth) return At(41, inside_word && place ? kUnchanged : kSecond);
  // 42
  if (!b_.Spoken(N(1))) {
    if (b_.Tone(N(2)) == kFourth && SharesPw(N(2))) return At(42, kSecond);
    if (b_.Exists(N(2)) && SharesPw(N(2)) && b_.Spoken(N(2))) return At(42, kFourth);
    return At(42, kUnchanged);
  }
  // 43
  if (inside_word) return At(43, place ? kUnchanged : kNeutral);
  return At(43, kFourth);
}

int YiAndBu(Batch& b, uint8_t* yi_rules) {
  int changes = 0;
  for (int i = b.count() - 1; i >= 0; --i) {
    if (!b.IsSyllable(i)) continue;
    const uint16_t ch = b.Char(i);
    const int tone = b.Tone(i);
    int outcome = kUnchanged;
    if (ch == kYi && tone == kFirst) {
      const YiDecider decider(b, i);
      outcome = decider.Decide();
      if (yi_rules != nullptr) yi_rules[i] = static_cast<uint8_t>(decider.rule());
    } else if (ch == kBu && tone == kFourth) {
      if (i >= 1 && !b.Last(i) && b.Item(i - 1).unit == b.Item(i + 1).unit)
        outcome = kNeutral;
      else if (b.Tone(i + 1) == kFourth)
        outcome = kSecond;
    } else if ((ch == kQi || ch == kBa) && tone == kFourth) {
      if (b.Tone(i + 1) == kFourth) outcome = kSecond;
    }
    if (outcome != kUnchanged) changes += b.SetTone(i, outcome);
  }
  return changes;
}

}  // namespace

int Sandhi(qvAnalysisItem* items, int count, uint16_t syllable_code_count, uint8_t voice_kind, uint8_t* yi_rules) {
  if (yi_rules != nullptr)
    for (int k = 0; k < count; ++k) yi_rules[k] = 0;
  if (items == nullptr || count <= 0 || voice_kind == kVoiceKindSixTones) return 0;
  Batch batch(items, count, syllable_code_count);
  int changes = NeutralTones(batch);
  changes += ThirdToneRuns(batch);
  changes += ThirdToneTriples(batch);
  changes += ThirdTonePairs(batch);
  changes += YiAndBu(batch, yi_rules);
  return changes;
}

}  // namespace kvo::frontend
