// The module tag of every log line of the local engine modules.
#ifndef KVO_ENGINE_MODULE_MODULE_LOG_H
#define KVO_ENGINE_MODULE_MODULE_LOG_H

#include "kvo_sys.h"

constexpr const char kModuleTag[] = "kvo_tts_local";

#endif
