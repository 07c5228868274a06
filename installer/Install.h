/* Carries out the plan of one printer, step by step, with every step logged. */
#ifndef PELLORA_INSTALL_H
#define PELLORA_INSTALL_H
#ifdef _WIN32

#include "Log.h"
#include "Plan.h"

typedef struct InstallOptions {
    int quiet;                 /* no window: driver copies are not asked for */
    const char* packageFolder; /* where the template, DRIVER_nnn and SETTING lie */
} InstallOptions;

/* 0 when the printer was installed, else the Windows error code of the failed step (1 for a record
   the installer cannot use, 1223 when the user declined the driver copy). */
unsigned long install_printer(const PlanPrinter* printer, const Script* script, const InstallOptions* options,
                              InstLog* log);

#endif
#endif
