/* The print spooler steps of one printer: port, driver, printer, printer data, default, test page. */
#ifndef PELLORA_SPOOLER_H
#define PELLORA_SPOOLER_H
#ifdef _WIN32

#include "Plan.h"

/* Each returns 0 or a Windows error code. */

/* A Standard TCP/IP port as the plan says, reusing an existing port of the same settings; *portName
   receives the name used (a new string). */
unsigned long spool_tcp_port(const PlanPrinter* printer, char** portName);
/* A local port (created when the local port monitor does not list it yet). */
unsigned long spool_local_port(const char* name);
/* Stages and installs the driver from the package folder; *how receives how it went about it (a new string). */
unsigned long spool_driver(const PlanPrinter* printer, const char* packageFolder, char** how);
/* Adds the printer, or in update mode changes an existing one of that name. */
unsigned long spool_printer(const PlanPrinter* printer, const char* portName, int* changed);
/* Changes the driver of an existing printer of a locally connected device; *found is 0 when none. */
unsigned long spool_device_printer(const PlanPrinter* printer, int* found);
unsigned long spool_connection(const char* address);
/* The printer's driver extension sections as printer data under "StatusMonitor", "PortSettings" and
   "SecurePrinting". */
unsigned long spool_printer_data(const char* printerName, const OptionSection* option, const char* key);
unsigned long spool_default_printer(const char* printerName);
unsigned long spool_test_page(const char* printerName, const char* title, const char* driverName, const char* port);

#endif
#endif
