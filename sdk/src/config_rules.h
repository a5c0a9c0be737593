// The keys each speech API call accepts in its configuration string, their
// allowed values and defaults.
#ifndef KVO_SDK_CONFIG_RULES_H
#define KVO_SDK_CONFIG_RULES_H

#include "config_assistant.h"

namespace kvo_tts {

inline constexpr ConfigRule kInitRules[] = {
    {"datapath", nullptr, nullptr, 0},
    {"fileflag", "|none|android_so|", "none", 0},
    {"initcapkeys", nullptr, nullptr, 0},
};

inline constexpr ConfigRule kSessionRules[] = {
    {"capkey", nullptr, nullptr, 4},
    {"volume", nullptr, "5", 0},
    {"speed", nullptr, "5", 0},
    {"pitch", nullptr, "5", 0},
    {"puncmode", "|off|on|off_rtn|on_rtn|", "off", 0},
    {"digitmode", "|auto_number|auto_telegram|number|telegram|", "auto_number", 0},
    {"engmode", "|auto|english|letter|", "auto", 0},
    {"voicestyle", "|clear|vivid|normal|plain|", "normal", 0},
};

inline constexpr ConfigRule kSynthRules[] = {
    {"volume", nullptr, nullptr, 0},
    {"speed", nullptr, nullptr, 0},
    {"pitch", nullptr, nullptr, 0},
    {"puncmode", "|off|on|off_rtn|on_rtn|", nullptr, 0},
    {"digitmode", "|auto_number|auto_telegram|number|telegram|", nullptr, 0},
    {"engmode", "|auto|english|letter|", nullptr, 0},
    {"voicestyle", "|clear|vivid|normal|plain|", nullptr, 0},
};

}  // namespace kvo_tts

#endif
