// Tables copied from the Chinese library into the arena at init: the
// syllable, initial, final and phone names, the phone voicing classes and
// the four back-end tables. They stay until qvTTS_End.
#ifndef KVO_ENGINE_RESIDENT_TABLES_H
#define KVO_ENGINE_RESIDENT_TABLES_H

struct qvInstance;

// 0, or QVTTS_ERR_RESOURCE with nothing left in the arena.
int qvTables_Load(qvInstance* instance);
// Gives the tables back in reverse order of loading.
void qvTables_Release(qvInstance* instance);

#endif
