// Configuration rules of the standard local engine module.
#include "module_flavour.h"

namespace {

const ConfigRule kSessionRules[] = {
    {"mixsound", "|1|2|3|4|5|6|7|8|9|", "5", 0},
    {"soundeffect", "|base|reverb|echo|chorus|nearfar|robot|", "base", 0},
    {"namepolyphone", "|off|on|", "off", 0},
    {"audioformat", "|auto|alaw8k8bit|ulaw8k8bit|pcm8k8bit|pcm8k16bit|pcm16k8bit|pcm16k16bit|pcm11k8bit|pcm11k16bit|",
     "pcm16k16bit", 0},
    {"silencemode", "|short|long|", "long", 0},
    {"speedmode", "|single|double|", "single", 0},
};

const ConfigRule kSynthRules[] = {
    {"mixsound", "|1|2|3|4|5|6|7|8|9|", nullptr, 0},
    {"soundeffect", "|base|reverb|echo|chorus|nearfar|robot|", nullptr, 0},
    {"namepolyphone", "|off|on|", nullptr, 0},
    {"audioformat", "|auto|alaw8k8bit|ulaw8k8bit|pcm8k8bit|pcm8k16bit|pcm16k8bit|pcm16k16bit|pcm11k8bit|pcm11k16bit|",
     nullptr, 0},
    {"silencemode", "|short|long|", nullptr, 0},
    {"speedmode", "|single|double|", nullptr, 0},
};

}  // namespace

const ModuleFlavour kModuleFlavour = {
    kSessionRules, static_cast<int>(sizeof(kSessionRules) / sizeof(kSessionRules[0])),
    kSynthRules,   static_cast<int>(sizeof(kSynthRules) / sizeof(kSynthRules[0])),
    false,
};
