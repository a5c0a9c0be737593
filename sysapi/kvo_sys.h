/*
 * kvo_sys: the SDK's system library.
 *
 * Start-up and release, logging, error texts, the capability store (read
 * from the voice catalogue in the data folder), service addresses, usage
 * records and location. Every other library of the SDK links against it.
 *
 * All functions are thread-safe. Strings are UTF-8, NUL-terminated.
 */
#ifndef KVO_SYS_H
#define KVO_SYS_H

#include <stdarg.h>

#if defined(_WIN32)
#if defined(KVO_SYS_BUILD)
#define KVO_SYS_API __declspec(dllexport)
#else
#define KVO_SYS_API __declspec(dllimport)
#endif
#else
#define KVO_SYS_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Log levels of KVO_LOG. */
enum { KVO_LOG_ERROR = 1, KVO_LOG_WARNING = 2, KVO_LOG_INFO = 3, KVO_LOG_TRACE = 5 };

/* Codes of the system library itself. They live above the speech API's and
 * the player's codes so that kvo_get_error_info gives each its own text. */
enum {
  KVO_SYS_OK = 0,
  KVO_SYS_NOT_INITED = 100,        /* kvo_init has not succeeded */
  KVO_SYS_INVALID_ARG = 600,       /* a null or empty required argument */
  KVO_SYS_BAD_CONFIG = 601,        /* the init string does not parse or a value is invalid */
  KVO_SYS_ALREADY_INITED = 602,    /* kvo_init called twice */
  KVO_SYS_CATALOG_MISSING = 603,   /* the voice catalogue file cannot be read */
  KVO_SYS_CATALOG_MALFORMED = 604, /* the voice catalogue has a syntax error or missing field */
  KVO_SYS_CAPKEY_UNKNOWN = 605,    /* the capability key is not in the catalogue */
  KVO_SYS_NO_SERVICE = 606,        /* no cloud service address is configured */
  KVO_SYS_NO_MEMORY = 607
};

/* Writes one log line. Levels: 1 error, 2 warning, 3 information, 5 trace.
 * Every format begins "[%s][%s]" with a module tag and an operation name. */
KVO_SYS_API int KVO_LOG(int level, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

/* Starts the system library. The configuration string is key=value entries
 * separated by commas: appkey, developerKey, cloudUrl, logFileSize (KB),
 * logLevel, logFilePath, logFileCount, dataPath, maxSessionCount,
 * historyFile. Returns 0 on success. */
KVO_SYS_API int kvo_init(const char* config);
/* Ends what kvo_init started. Returns 0, or KVO_SYS_NOT_INITED. */
KVO_SYS_API int kvo_release(void);
/* Non-zero once kvo_init has succeeded and until kvo_release. */
KVO_SYS_API int KVO_IsInited(void);

/* A text for any code of the speech API, the engine, the player and this
 * library; never null. The pointer stays valid for the life of the process. */
KVO_SYS_API const char* kvo_get_error_info(int code);
/* A text for a result code of the player (kvo_tts_player_*); never null. */
KVO_SYS_API const char* kvo_get_player_error_info(int code);

/* Most sessions that may be open at once (init key maxSessionCount, default 16). */
KVO_SYS_API int KVO_GetMaxSessionCount(void);

/* Announce the start and end of an SDK module (the speech API passes 1). */
KVO_SYS_API int KVO_SDKLogIn(int module_type);
KVO_SYS_API int KVO_SDKLogOut(int module_type);

/* The data folder in use (dataPath, or the installed data folder), with a
 * trailing '/'. Empty when kvo_init has not succeeded. */
KVO_SYS_API const char* KVO_GetDataPath(void);

/* ---- Capability store ---- */

typedef struct CapConfigPair {
  char* key;
  char* value;
} CapConfigPair;

typedef struct ResourceEntry {
  char* tag;       /* "cnlib", "enlib" or "dmlib" */
  char* file_name; /* relative to the data folder */
  int reserved;
} ResourceEntry;

typedef struct CapInnerItem {
  int reserved0;
  unsigned char is_cloud;
  int reserved1;
  CapConfigPair* configs;
  int config_count;
  char* service_url; /* may be null or empty */
  ResourceEntry* resources;
  int resource_count;
} CapInnerItem;

typedef struct CapabilityProperty {
  char* name; /* "lang", "speaker", "gender", "domain", ... */
  char* value;
} CapabilityProperty;

typedef struct CapabilityItem {
  char* capkey;
  CapabilityProperty* properties;
  int property_count;
} CapabilityItem;

typedef struct CapabilityList {
  CapabilityItem* items;
  int count;
} CapabilityList;

/* Fills the record for a capability key. file_flag is "none" or the
 * configured file flag. Returns 0, or an error code that callers pass on.
 * The record must be released with KVO_ReleaseCapabilityInternalItem. */
KVO_SYS_API int KVO_GetCapabilityInternalItemByKey(const char* capkey, CapInnerItem* item, const char* file_flag);
/* Frees the contents of a record filled above and zeroes it. */
KVO_SYS_API int KVO_ReleaseCapabilityInternalItem(CapInnerItem* item);

/* Every capability whose key starts with prefix (case-insensitive; null or
 * empty means all), in catalogue order. Free with kvo_free_capability_list. */
KVO_SYS_API int kvo_get_capability_list(const char* prefix, CapabilityList* list);
/* One capability. Free with kvo_free_capability_item. */
KVO_SYS_API int kvo_get_capability(const char* capkey, CapabilityItem* item);
KVO_SYS_API int kvo_free_capability_list(CapabilityList* list);
KVO_SYS_API int kvo_free_capability_item(CapabilityItem* item);

/* ---- Service addresses ---- */

/* Fetches service addresses now. There is no cloud service: returns
 * KVO_SYS_NO_SERVICE unless cloudUrl is configured. */
KVO_SYS_API int KVO_ApplyServiceUrlSynch(void);
/* Starts the same fetch in the background; harmless without a service. */
KVO_SYS_API int KVO_StartApplyServiceUrlThread(void);

/* Application key used when a session gives none (init key appkey, or ""). */
KVO_SYS_API const char* KVO_GetDefaultAppKey(void);

typedef struct KvoLocation {
  double latitude;
  double longitude;
} KvoLocation;
/* Fills latitude, then longitude (configured values, else 0, 0). */
KVO_SYS_API int KVO_GetLocation(KvoLocation* location);

/* ---- Usage records ---- */

typedef struct UserHistoryItem {
  const char* appkey;
  const char* capkey;
  int config_len;
  int request_len;
  int result_len;
  const char* config_text;
  const unsigned char* request_data;
  const unsigned char* result_data;
} UserHistoryItem;

/* Stores one usage record. By default only counts are kept; the text is
 * written to disk only when the init key historyFile names a file. */
KVO_SYS_API int kvo_append_user_his_item(const UserHistoryItem* item);
/* Number of usage records received since kvo_init. */
KVO_SYS_API int KVO_GetUsageRecordCount(void);

#ifdef __cplusplus
}
#endif

#endif /* KVO_SYS_H */
