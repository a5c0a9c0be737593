// Test build of the adapter's engine-parameter path: every qvTTS_SetParam
// call is also reported to KvoTestRecordEngineParam of the test program.
#include <dlfcn.h>

#include "engine_param_call.h"

int SetEngineParam(qvTTS_HANDLE handle, int32_t id, intptr_t value) {
  typedef void (*Recorder)(int32_t id, intptr_t value, int result);
  static const Recorder recorder = reinterpret_cast<Recorder>(dlsym(RTLD_DEFAULT, "KvoTestRecordEngineParam"));
  const int result = qvTTS_SetParam(handle, id, value);
  if (recorder != nullptr) recorder(id, value, result);
  return result;
}
