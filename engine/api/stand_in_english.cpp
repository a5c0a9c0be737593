// Stand-in English front end, compiled only while engine/english does not
// provide one: nothing to load, and every sentence stays on the Chinese side.
#include "engine_instance.h"

int qvFrontEnd_InitEnglish(qvInstance*) { return QVTTS_ERR_OK; }
void qvFrontEnd_ReleaseEnglish(qvInstance*) {}
