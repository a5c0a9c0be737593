// Temporary minimal system library; replaced piece by piece.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "kvo_sys.h"

static bool g_inited = false;

extern "C" {
KVO_SYS_API int KVO_LOG(int, const char*, ...) { return 0; }
KVO_SYS_API int kvo_init(const char*) { g_inited = true; return 0; }
KVO_SYS_API int kvo_release(void) { g_inited = false; return 0; }
KVO_SYS_API int KVO_IsInited(void) { return g_inited ? 1 : 0; }
KVO_SYS_API const char* kvo_get_error_info(int) { return "unknown error"; }
KVO_SYS_API int KVO_GetMaxSessionCount(void) { return 16; }
KVO_SYS_API int KVO_SDKLogIn(int) { return 0; }
KVO_SYS_API int KVO_SDKLogOut(int) { return 0; }
KVO_SYS_API const char* KVO_GetDataPath(void) { return ""; }
KVO_SYS_API int KVO_GetCapabilityInternalItemByKey(const char*, CapInnerItem*, const char*) { return KVO_SYS_CAPKEY_UNKNOWN; }
KVO_SYS_API int KVO_ReleaseCapabilityInternalItem(CapInnerItem*) { return 0; }
KVO_SYS_API int kvo_get_capability_list(const char*, CapabilityList* l) { if (l) { l->items = nullptr; l->count = 0; } return 0; }
KVO_SYS_API int kvo_get_capability(const char*, CapabilityItem*) { return KVO_SYS_CAPKEY_UNKNOWN; }
KVO_SYS_API int kvo_free_capability_list(CapabilityList*) { return 0; }
KVO_SYS_API int kvo_free_capability_item(CapabilityItem*) { return 0; }
KVO_SYS_API int KVO_ApplyServiceUrlSynch(void) { return KVO_SYS_NO_SERVICE; }
KVO_SYS_API int KVO_StartApplyServiceUrlThread(void) { return 0; }
KVO_SYS_API const char* KVO_GetDefaultAppKey(void) { return ""; }
KVO_SYS_API int KVO_GetLocation(KvoLocation* l) { if (l) { l->latitude = 0; l->longitude = 0; } return 0; }
KVO_SYS_API int kvo_append_user_his_item(const UserHistoryItem*) { return 0; }
KVO_SYS_API int KVO_GetUsageRecordCount(void) { return 0; }
}
