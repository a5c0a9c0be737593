// Configuration rules of the n6 engine module: the n6 engine knows speed-up,
// symbol filtering, special number readings and a gain factor, but neither
// speed mode nor silence mode.
#include "module_flavour.h"

namespace {

#define KVO_N6_RULES(with_default)                                                                             \
  {"mixsound", "|1|2|3|4|5|6|7|8|9|", with_default("5"), 0},                                                   \
      {"soundeffect", "|base|reverb|echo|chorus|nearfar|robot|", with_default("base"), 0},                     \
      {"namepolyphone", "|off|on|", with_default("off"), 0},                                                   \
      {"audioformat",                                                                                          \
       "|auto|alaw8k8bit|ulaw8k8bit|pcm8k8bit|pcm8k16bit|pcm16k8bit|pcm16k16bit|pcm11k8bit|pcm11k16bit|",      \
       with_default("pcm16k16bit"), 0},                                                                        \
      {"speedup", "|auto|off|on|0|1|2|3|", with_default("auto"), 0}, {"specialone", "|yi1|yao1|", nullptr, 0}, \
      {"specialtwo", "|er4|liang3|", nullptr, 0}, {"symbolfilter", "|off|on|", with_default("on"), 0},         \
      {"gainfactor", "|2|3|4|5|6|7|8|", with_default("2"), 0},

#define KVO_WITH_DEFAULT(value) value
#define KVO_WITHOUT_DEFAULT(value) nullptr

const ConfigRule kSessionRules[] = {KVO_N6_RULES(KVO_WITH_DEFAULT)};
const ConfigRule kSynthRules[] = {KVO_N6_RULES(KVO_WITHOUT_DEFAULT)};

#undef KVO_WITHOUT_DEFAULT
#undef KVO_WITH_DEFAULT
#undef KVO_N6_RULES

}  // namespace

const ModuleFlavour kModuleFlavour = {
    kSessionRules, static_cast<int>(sizeof(kSessionRules) / sizeof(kSessionRules[0])),
    kSynthRules,   static_cast<int>(sizeof(kSynthRules) / sizeof(kSynthRules[0])),
    true,
};
