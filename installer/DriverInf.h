/* What a printer driver's INF file says about one model: its install section and driver files. */
#ifndef PELLORA_DRIVER_INF_H
#define PELLORA_DRIVER_INF_H

#include "InfText.h"
#include "InstString.h"

typedef struct DriverInf {
    char* modelName;      /* as the INF writes it: the driver name */
    char* installSection; /* the section as decorated for x64, when such a section exists */
    char* hardwareId;     /* may be empty */
    char* driverFile;     /* file names as the INF gives them; NULL when not named */
    char* dataFile;
    char* configFile;
    char* helpFile;
    char* defaultDataType;
    InstList dependentFiles; /* files of the CopyFiles lists not named above */
    InstList needs;          /* "Include"/"Needs" entries, served by the system's own INF files */
} DriverInf;

/* 1 when the INF is a printer INF ([Version] Class=Printer) or names no class at all. */
int driver_inf_is_printer(const InfText* inf);

/* Finds the first model of the INF's x64 model lists whose name equals one of the candidates (ASCII case
   ignored, candidates tried in order). 1 and the details when found, else 0. */
int driver_inf_find(const InfText* inf, const char* const* candidates, size_t count, DriverInf* out);
void driver_inf_free(DriverInf* driver);

#endif
