#include "engine_param_call.h"

int SetEngineParam(qvTTS_HANDLE handle, int32_t id, intptr_t value) { return qvTTS_SetParam(handle, id, value); }
