#include "syllable_inventory.h"

#include <algorithm>

#include "frontend/lexicon/syllable_split.h"

namespace kvo::tables {

// Alphabetical, with the interjections (eh for ê, hm, hng, m, n, ng) in
// their places and ü spelled v but sorted right after u (lu, lv, lue, luan);
// nia stands between ni and nian; the rare nun and tei are not in the list.
// The order fixes every syllable code: code = index × tones + tone − 1.
const char* const kSyllables[kSyllableCount] = {
    "a",     "ai",    "an",    "ang",   "ao",    "ba",    "bai",   "ban",   "bang",   "bao",    "bei",   "ben",
    "beng",  "bi",    "bian",  "biao",  "bie",   "bin",   "bing",  "bo",    "bu",     "ca",     "cai",   "can",
    "cang",  "cao",   "ce",    "cen",   "ceng",  "cha",   "chai",  "chan",  "chang",  "chao",   "che",   "chen",
    "cheng", "chi",   "chong", "chou",  "chu",   "chua",  "chuai", "chuan", "chuang", "chui",   "chun",  "chuo",
    "ci",    "cong",  "cou",   "cu",    "cuan",  "cui",   "cun",   "cuo",   "da",     "dai",    "dan",   "dang",
    "dao",   "de",    "dei",   "den",   "deng",  "di",    "dia",   "dian",  "diao",   "die",    "ding",  "diu",
    "dong",  "dou",   "du",    "duan",  "dui",   "dun",   "duo",   "e",     "eh",     "ei",     "en",    "eng",
    "er",    "fa",    "fan",   "fang",  "fei",   "fen",   "feng",  "fo",    "fou",    "fu",     "ga",    "gai",
    "gan",   "gang",  "gao",   "ge",    "gei",   "gen",   "geng",  "gong",  "gou",    "gu",     "gua",   "guai",
    "guan",  "guang", "gui",   "gun",   "guo",   "ha",    "hai",   "han",   "hang",   "hao",    "he",    "hei",
    "hen",   "heng",  "hm",    "hng",   "hong",  "hou",   "hu",    "hua",   "huai",   "huan",   "huang", "hui",
    "hun",   "huo",   "ji",    "jia",   "jian",  "jiang", "jiao",  "jie",   "jin",    "jing",   "jiong", "jiu",
    "ju",    "juan",  "jue",   "jun",   "ka",    "kai",   "kan",   "kang",  "kao",    "ke",     "kei",   "ken",
    "keng",  "kong",  "kou",   "ku",    "kua",   "kuai",  "kuan",  "kuang", "kui",    "kun",    "kuo",   "la",
    "lai",   "lan",   "lang",  "lao",   "le",    "lei",   "leng",  "li",    "lia",    "lian",   "liang", "liao",
    "lie",   "lin",   "ling",  "liu",   "lo",    "long",  "lou",   "lu",    "lv",     "lue",    "luan",  "lun",
    "luo",   "m",     "ma",    "mai",   "man",   "mang",  "mao",   "me",    "mei",    "men",    "meng",  "mi",
    "mian",  "miao",  "mie",   "min",   "ming",  "miu",   "mo",    "mou",   "mu",     "n",      "na",    "nai",
    "nan",   "nang",  "nao",   "ne",    "nei",   "nen",   "neng",  "ng",    "ni",     "nia",    "nian",  "niang",
    "niao",  "nie",   "nin",   "ning",  "niu",   "nong",  "nou",   "nu",    "nv",     "nue",    "nuan",  "nuo",
    "o",     "ou",    "pa",    "pai",   "pan",   "pang",  "pao",   "pei",   "pen",    "peng",   "pi",    "pian",
    "piao",  "pie",   "pin",   "ping",  "po",    "pou",   "pu",    "qi",    "qia",    "qian",   "qiang", "qiao",
    "qie",   "qin",   "qing",  "qiong", "qiu",   "qu",    "quan",  "que",   "qun",    "ran",    "rang",  "rao",
    "re",    "ren",   "reng",  "ri",    "rong",  "rou",   "ru",    "rua",   "ruan",   "rui",    "run",   "ruo",
    "sa",    "sai",   "san",   "sang",  "sao",   "se",    "sen",   "seng",  "sha",    "shai",   "shan",  "shang",
    "shao",  "she",   "shei",  "shen",  "sheng", "shi",   "shou",  "shu",   "shua",   "shuai",  "shuan", "shuang",
    "shui",  "shun",  "shuo",  "si",    "song",  "sou",   "su",    "suan",  "sui",    "sun",    "suo",   "ta",
    "tai",   "tan",   "tang",  "tao",   "te",    "teng",  "ti",    "tian",  "tiao",   "tie",    "ting",  "tong",
    "tou",   "tu",    "tuan",  "tui",   "tun",   "tuo",   "wa",    "wai",   "wan",    "wang",   "wei",   "wen",
    "weng",  "wo",    "wu",    "xi",    "xia",   "xian",  "xiang", "xiao",  "xie",    "xin",    "xing",  "xiong",
    "xiu",   "xu",    "xuan",  "xue",   "xun",   "ya",    "yan",   "yang",  "yao",    "ye",     "yi",    "yin",
    "ying",  "yo",    "yong",  "you",   "yu",    "yuan",  "yue",   "yun",   "za",     "zai",    "zan",   "zang",
    "zao",   "ze",    "zei",   "zen",   "zeng",  "zha",   "zhai",  "zhan",  "zhang",  "zhao",   "zhe",   "zhei",
    "zhen",  "zheng", "zhi",   "zhong", "zhou",  "zhu",   "zhua",  "zhuai", "zhuan",  "zhuang", "zhui",  "zhun",
    "zhuo",  "zi",    "zong",  "zou",   "zu",    "zuan",  "zui",   "zun",   "zuo",
};

const char* const kInitials[kInitialCount] = {
    "zh", "ch", "sh", "b", "p", "m", "f", "d", "t", "n", "l", "g", "k", "h", "j", "q", "x", "r", "z", "c", "s",
};

std::vector<std::string> Finals() {
  std::vector<std::string> finals;
  for (const char* s : kSyllables) {
    frontend::SyllableParts parts;
    frontend::SplitSyllableName(s, kInitials, kInitialCount, false, &parts);
    const std::string f = parts.final_;
    if (!f.empty() && std::find(finals.begin(), finals.end(), f) == finals.end()) finals.push_back(f);
  }
  return finals;
}

std::vector<std::string> Phones() {
  std::vector<std::string> phones(kInitials, kInitials + kInitialCount);
  for (const std::string& f : Finals())
    if (std::find(phones.begin(), phones.end(), f) == phones.end()) phones.push_back(f);
  phones.push_back("pau");
  phones.push_back("0");
  return phones;
}

VoicingClass VoicingOf(const std::string& phone) {
  if (phone == "pau" || phone == "0") return kVoicingSilence;
  if (phone == "m" || phone == "n" || phone == "l" || phone == "r") return kVoicingVoicedConsonant;
  if (std::find(kInitials, kInitials + kInitialCount, phone) != kInitials + kInitialCount) return kVoicingUnvoiced;
  return kVoicingVowel;
}

std::vector<uint8_t> NameSection(const std::vector<std::string>& names) {
  std::vector<uint8_t> out;
  const uint32_t n = static_cast<uint32_t>(names.size());
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(n >> (8 * i)));
  for (const std::string& name : names) {
    out.insert(out.end(), name.begin(), name.end());
    out.push_back(0);
  }
  return out;
}

std::vector<uint8_t> SyllableSection() {
  return NameSection(std::vector<std::string>(kSyllables, kSyllables + kSyllableCount));
}
std::vector<uint8_t> InitialsSection() {
  return NameSection(std::vector<std::string>(kInitials, kInitials + kInitialCount));
}
std::vector<uint8_t> FinalsSection() { return NameSection(Finals()); }
std::vector<uint8_t> PhonesSection() { return NameSection(Phones()); }

std::vector<uint8_t> VoicingSection() {
  std::vector<uint8_t> out;
  for (const std::string& p : Phones()) out.push_back(VoicingOf(p));
  return out;
}

}  // namespace kvo::tables
