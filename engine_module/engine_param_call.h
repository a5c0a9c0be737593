// The adapter's only path to qvTTS_SetParam, so that a test build of the
// module can record every parameter it passes (see tests/engine_module).
#ifndef KVO_ENGINE_MODULE_ENGINE_PARAM_CALL_H
#define KVO_ENGINE_MODULE_ENGINE_PARAM_CALL_H

#include <cstdint>

#include "core/qvtts.h"

int SetEngineParam(qvTTS_HANDLE handle, int32_t id, intptr_t value);

#endif
