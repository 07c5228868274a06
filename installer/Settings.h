/* What a driver install information file asks for beside the driver: a settings file and registry values. */
#ifndef PELLORA_SETTINGS_H
#define PELLORA_SETTINGS_H
#ifdef _WIN32

#include "DriverInfo.h"

/* A path with "@@0x23" at its start resolved to the all-users application data folder (a new string). */
char* settings_resolve(const char* path);
/* Copies SETTING\<file> of the package into the target folder (made when missing). 0 or an error. */
unsigned long settings_copy_file(const DriverInfo* info, const char* packageFolder);
/* Writes one value below HKEY_LOCAL_MACHINE (64-bit view). 0 or an error. */
unsigned long settings_write_value(const DriverInfoValue* value);

#endif
#endif
