/* The application-list library: lists the utilities kept beside the program, as fixed 1920-byte records. */
#ifndef PELLORA_TSAPPINST_H
#define PELLORA_TSAPPINST_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Where the utilities are found
 * -----------------------------
 * The library is loaded by full path from the program folder. It finds that folder through dladdr()
 * on an object of its own: the folder of the file name the loader reports. Every subfolder of
 * "<program folder>/Utilities" whose name does not begin with "." is one utility, described by the
 * INI manifest "Utility.ini" in it (format in README.md). A folder without a manifest, or with a
 * malformed one, is skipped. Utilities are listed in byte order of their folder names. */
#define TSAPP_UTILITIES_FOLDER "Utilities"
#define TSAPP_MANIFEST_FILE "Utility.ini"

/* Results of the enumerations. */
enum TsAppResult {
    TSAPP_OK = 0,                 /* records (possibly none) were delivered */
    TSAPP_INVALID_ARGUMENT = 1,   /* an output pointer is NULL, a reserved argument is not 0, an array
                                     of texts is NULL with a count above 0, or an option bit is unknown */
    TSAPP_FOLDER_UNREADABLE = 2,  /* the utilities folder is not a folder or cannot be listed, or the
                                     library cannot find its own folder */
    TSAPP_CANCELLED = 3,          /* the progress callback asked to stop */
    TSAPP_INTERNAL_ERROR = 4      /* for example out of memory */
};

/* Bits of the option argument. */
#define TSAPP_OPTION_PRESENT_ONLY 0x1u /* leave out utilities whose setup file is not an existing file */

/* Application kinds. Kinds 1, 2, 3, 5 and 7 are components that the program installs through switches
 * of their own; its utility lists leave them out. Every other value is an ordinary utility. */
#define TSAPP_KIND_UTILITY 0u
#define TSAPP_KIND_DRIVER 1u
#define TSAPP_KIND_STATUS_MONITOR 2u
#define TSAPP_KIND_LOG_BROWSER 3u
#define TSAPP_KIND_NETWORK_SCAN 5u
#define TSAPP_KIND_PORT 7u

/* Bits of APP_INFO.platform. */
#define TSAPP_PLATFORM_32BIT 0x1u
#define TSAPP_PLATFORM_64BIT 0x2u
#define TSAPP_PLATFORM_64BIT_ITANIUM 0x4u

/* The models a utility supports. In the 32-bit form of this record the names pointer is the second
 * 32-bit field; with 64-bit pointers it moves to offset 8. */
typedef struct _APP_MODEL_LIST {
    uint32_t count;      /*  0: number of names */
    uint32_t reserved;   /*  4: 0 */
    const char* names;   /*  8: each name NUL-terminated, UTF-8; an empty name ends the list */
} APP_MODEL_LIST;

/* One utility. Texts are NUL-terminated UTF-8; unused bytes are 0. Offsets are bytes from the start.
 * Fields up to offset 1116 sit where the 32-bit form has them; its 4-byte model-list pointer at 1116
 * becomes an 8-byte pointer at 1120, the next 8-byte boundary. */
typedef struct _APP_INFO {
    char name[260];                 /*    0: display name */
    char setupPath[780];            /*  260: identifying text: the full path of the utility's setup file */
    uint32_t kind;                  /* 1040: application kind, TSAPP_KIND_* */
    uint8_t reserved1[16];          /* 1044 */
    char version[36];               /* 1060: version text */
    uint32_t osMask;                /* 1096: supported operating systems, one bit per system */
    uint16_t platform;              /* 1100: TSAPP_PLATFORM_* bits */
    uint8_t reserved2[10];          /* 1102 */
    uint32_t hasModelList;          /* 1112: 1 when models is set, else 0 (the utility serves every model) */
    uint32_t reserved3;             /* 1116: the model-list pointer of the 32-bit form */
    const APP_MODEL_LIST* models;   /* 1120: the supported models, NULL when hasModelList is 0 */
    uint8_t reserved4[792];         /* 1128 */
} APP_INFO;

#define TSAPP_RECORD_SIZE 1920u

#ifdef __cplusplus
#define TSAPP_STATIC_ASSERT(condition, message) static_assert(condition, message)
#else
#define TSAPP_STATIC_ASSERT(condition, message) _Static_assert(condition, message)
#endif
TSAPP_STATIC_ASSERT(sizeof(void*) == 8, "the record layout is written for 64-bit pointers");
TSAPP_STATIC_ASSERT(sizeof(APP_INFO) == TSAPP_RECORD_SIZE, "APP_INFO is 1920 bytes");
TSAPP_STATIC_ASSERT(offsetof(APP_INFO, name) == 0, "name at 0");
TSAPP_STATIC_ASSERT(offsetof(APP_INFO, setupPath) == 260, "identifying text at 260");
TSAPP_STATIC_ASSERT(offsetof(APP_INFO, kind) == 1040, "kind at 1040");
TSAPP_STATIC_ASSERT(offsetof(APP_INFO, version) == 1060, "version at 1060");
TSAPP_STATIC_ASSERT(offsetof(APP_INFO, osMask) == 1096, "operating-system mask at 1096");
TSAPP_STATIC_ASSERT(offsetof(APP_INFO, platform) == 1100, "platform bits at 1100");
TSAPP_STATIC_ASSERT(offsetof(APP_INFO, hasModelList) == 1112, "model-list flag at 1112");
TSAPP_STATIC_ASSERT(offsetof(APP_INFO, models) == 1120, "model-list pointer at 1120");
TSAPP_STATIC_ASSERT(sizeof(APP_MODEL_LIST) == 16, "APP_MODEL_LIST is 16 bytes");
TSAPP_STATIC_ASSERT(offsetof(APP_MODEL_LIST, names) == 8, "model names pointer at 8");

/* Called after each utility folder has been looked at; a non-zero return stops the enumeration. */
typedef int (*TsAppProgress)(uint32_t examined, uint32_t total, void* context);

/* Lists the utilities that serve one of the given models.
 *
 * flags:       reserved, 0.
 * folder:      the folder whose subfolders are the utilities; NULL or "" for the Utilities folder of
 *              the program folder. A folder that does not exist holds no utilities.
 * models:      the model filter: when modelCount is above 0, only utilities without a model list and
 *              utilities whose list names one of these models are listed. Names compare ignoring ASCII
 *              letter case and a leading "VARDO " on either side; NULL entries are ignored.
 * option:      TSAPP_OPTION_* bits.
 * records:     receives a block of *recordCount records, or NULL when there are none.
 * recordCount: receives the number of records.
 * progress:    NULL, or called after each utility folder with context as its last argument.
 * reserved:    0.
 *
 * Returns a TsAppResult; on any result but TSAPP_OK, *records is NULL and *recordCount 0. The block,
 * model lists included, stays valid until it is given to FreeApplicationInfo. */
int EnumApplicationInfo(uint32_t flags, const char* folder, const char* const* models, uint32_t modelCount,
                        uint32_t option, APP_INFO** records, uint32_t* recordCount, TsAppProgress progress,
                        uint32_t reserved, void* context);

/* As EnumApplicationInfo, without a model filter; instead, utilities whose identifying text equals one
 * of the known texts (ignoring ASCII letter case) are left out, so that a caller can add to a list it
 * already holds. NULL entries of known are ignored. */
int EnumApplicationInfoEx(uint32_t flags, const char* folder, const char* const* known, uint32_t knownCount,
                          uint32_t option, APP_INFO** records, uint32_t* recordCount, TsAppProgress progress,
                          uint32_t reserved, void* context);

/* Frees a block of either enumeration with everything it points to. NULL is allowed and does nothing. */
void FreeApplicationInfo(APP_INFO* records);

/* Exported names and types of the entry points, for loaders. */
#define TSAPP_ENUM_ENTRY_POINT "EnumApplicationInfo"
#define TSAPP_ENUM_EX_ENTRY_POINT "EnumApplicationInfoEx"
#define TSAPP_FREE_ENTRY_POINT "FreeApplicationInfo"
typedef int (*EnumApplicationInfoFunction)(uint32_t, const char*, const char* const*, uint32_t, uint32_t,
                                           APP_INFO**, uint32_t*, TsAppProgress, uint32_t, void*);
typedef void (*FreeApplicationInfoFunction)(APP_INFO*);

#ifdef __cplusplus
}
#endif

#endif
