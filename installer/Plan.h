/* What the installer does for each printer of a package, worked out before anything is changed. */
#ifndef PELLORA_PLAN_H
#define PELLORA_PLAN_H

#include "DriverInf.h"
#include "DriverInfo.h"
#include "Script.h"

enum PlanTarget {
    TARGET_PORT,       /* a port of this computer (network or local) with a printer on it */
    TARGET_CONNECTION, /* a printer shared by a server: a printer connection */
    TARGET_DEVICE      /* a locally connected device: the driver, and an existing printer updated */
};

enum PlanPort { PORT_NONE, PORT_TCP, PORT_LOCAL };

enum PlanDriver { DRIVER_NONE, DRIVER_FROM_INF, DRIVER_FROM_STORE };

/* Exit code for failures that carry no Windows error code (a record the installer cannot use). */
#define PLAN_RECORD_ERROR 1

typedef struct PlanPrinter {
    const ScriptPrinter* record;
    int target;
    int port;
    char* portName;
    char* host;
    int protocol;
    int portNumber;
    char* queue;
    int driverSource;
    char* driverName;
    char* infPath; /* relative to the package folder */
    DriverInf inf;
    char* infoPath; /* the driver install information file, or NULL when the package has none */
    DriverInfo info;
    char* problem; /* why the printer cannot be installed, or NULL */
} PlanPrinter;

typedef struct Plan {
    const Script* script;
    char* templateName;
    PlanPrinter* printers;
    size_t count;
} Plan;

/* Works out the plan for a script read from templateName in the package folder packageFolder. */
void plan_build(Plan* plan, const Script* script, const char* packageFolder, const char* templateName);
void plan_free(Plan* plan);

/* The plan as the installer prints and logs it with /plan; lines end with "\n". */
char* plan_describe(const Plan* plan);
/* The lines for one printer, indented by two blanks after its heading. */
void plan_describe_printer(const PlanPrinter* printer, const Script* script, InstBuf* out);

/* "DRIVER_000" for printer number 1. */
char* plan_driver_folder(int number);
/* The local port name an address stands for ("LPT1:", "FILE:", a file path), or NULL for a network
   address. */
char* plan_local_port(const char* address);

#endif
