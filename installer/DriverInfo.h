/* A printer's driver install information file (SETTING\QIF1_nnn.QIF) as the installer acts on it. */
#ifndef PELLORA_DRIVER_INFO_H
#define PELLORA_DRIVER_INFO_H

#include "InfText.h"
#include "InstString.h"
#include "RegText.h"

/* "@@0x23" at the start of a path stands for the all-users application data folder. */
#define DRIVER_INFO_COMMON_DATA "@@0x23"

typedef struct DriverInfoValue {
    char* key;  /* below HKEY_LOCAL_MACHINE */
    char* name;
    RegTextValue value;
} DriverInfoValue;

typedef struct DriverInfo {
    char* driverName;      /* [Strings] DRVNAME */
    char* settingsFile;    /* file in SETTING to copy, or NULL */
    char* settingsFolder;  /* where it goes, may start with DRIVER_INFO_COMMON_DATA; NULL without a file */
    DriverInfoValue* values;
    size_t count;
    InstList problems; /* lines that name something the installer cannot do, as text for the log */
} DriverInfo;

/* Reads the parsed file. Always succeeds; lines it cannot use are listed in problems. */
void driver_info_read(DriverInfo* info, const InfText* inf);
void driver_info_free(DriverInfo* info);

#endif
