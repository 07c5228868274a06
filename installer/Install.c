/* Carries out the plan of one printer. */
#ifdef _WIN32

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "Install.h"

#include "Settings.h"
#include "Spooler.h"
#include "Wide.h"

#include <stdarg.h>
#include <stdlib.h>
#include <string.h>

/* Logs the step with its result and passes the result on. */
static unsigned long step(InstLog* log, unsigned long error, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

static unsigned long step(InstLog* log, unsigned long error, const char* format, ...)
{
    InstBuf buf = {0};
    va_list arguments;
    va_start(arguments, format);
    inst_buf_vprintf(&buf, format, arguments);
    va_end(arguments);
    char* text = inst_buf_take(&buf);
    char* errorText = error != 0 ? windows_error_text(error) : NULL;
    inst_log_step(log, text, error, errorText);
    free(errorText);
    free(text);
    return error;
}

static int driver_copy_confirmed(const PlanPrinter* printer, const InstallOptions* options, InstLog* log)
{
    if (options->quiet) {
        inst_log_line(log, "driver copy of \"%s\": confirmed by /quiet", printer->driverName);
        return 1;
    }
    InstBuf question = {0};
    inst_buf_printf(&question, "Copy the printer driver \"%s\" to this computer for the printer \"%s\"?",
                    printer->driverName, printer->record->printerName);
    char* text = inst_buf_take(&question);
    wchar_t* wide = wide_from_utf8(text);
    const int answer = MessageBoxW(NULL, wide, L"Pellora printer installation", MB_YESNO | MB_ICONQUESTION);
    free(wide);
    free(text);
    inst_log_line(log, "driver copy of \"%s\": %s", printer->driverName, answer == IDYES ? "confirmed" : "declined");
    return answer == IDYES;
}

static unsigned long install_port(const PlanPrinter* printer, InstLog* log, char** portName)
{
    if (printer->port == PORT_LOCAL) {
        *portName = inst_strdup(printer->portName);
        return step(log, spool_local_port(printer->portName), "port \"%s\" (local)", printer->portName);
    }
    const unsigned long error = spool_tcp_port(printer, portName);
    if (printer->protocol == PROTOCOL_LPR)
        return step(log, error, "port \"%s\" (Standard TCP/IP, LPR to %s, queue \"%s\")",
                    *portName != NULL ? *portName : printer->portName, printer->host, printer->queue);
    return step(log, error, "port \"%s\" (Standard TCP/IP, RAW to %s port %d)",
                *portName != NULL ? *portName : printer->portName, printer->host, printer->portNumber);
}

static unsigned long install_driver(const PlanPrinter* printer, const Script* script, const InstallOptions* options,
                                    InstLog* log)
{
    if (script->confirmDriverCopy && !driver_copy_confirmed(printer, options, log))
        return ERROR_CANCELLED;
    char* how = NULL;
    const unsigned long error = spool_driver(printer, options->packageFolder, &how);
    step(log, error, "driver \"%s\" (%s)", printer->driverName, how);
    free(how);
    return error;
}

static unsigned long install_settings(const PlanPrinter* printer, const InstallOptions* options, InstLog* log)
{
    const DriverInfo* info = &printer->info;
    unsigned long error = 0;
    if (info->settingsFile != NULL) {
        char* folder = settings_resolve(info->settingsFolder);
        error = step(log, settings_copy_file(info, options->packageFolder), "settings file \"%s\" to \"%s\"",
                     info->settingsFile, folder);
        free(folder);
    }
    for (size_t i = 0; error == 0 && i < info->count; ++i)
        error = step(log, settings_write_value(&info->values[i]), "registry value HKEY_LOCAL_MACHINE\\%s \"%s\"",
                     info->values[i].key, info->values[i].name);
    for (size_t i = 0; i < info->problems.count; ++i)
        inst_log_line(log, "driver install information, not acted on: %s", info->problems.items[i]);
    return error;
}

static unsigned long install_printer_data(const PlanPrinter* printer, InstLog* log)
{
    const ScriptPrinter* record = printer->record;
    unsigned long error = 0;
    for (int kind = 0; error == 0 && kind < OPTION_KINDS; ++kind) {
        const OptionSection* option = &record->options[kind];
        for (size_t i = 0; i < option->count; ++i) {
            if (!option->values[i].parsed)
                inst_log_line(log, "%s \"%s\" not acted on: not a registry value text", option->section,
                              option->values[i].name);
        }
        if (option->count > 0)
            error = step(log, spool_printer_data(record->printerName, option, script_option_title(kind)),
                         "printer data \"%s\" from %s", script_option_title(kind), option->section);
    }
    return error;
}

static void log_ignored(const ScriptPrinter* record, InstLog* log)
{
    for (size_t i = 0; i < record->ignored.count; ++i)
        inst_log_line(log, "carried, not acted on: %s", record->ignored.items[i]);
}

/* Port, driver and printer of a printer reached through a port of this computer. */
static unsigned long install_on_port(const PlanPrinter* printer, const Script* script, const InstallOptions* options,
                                     InstLog* log, char** portName)
{
    unsigned long error = install_port(printer, log, portName);
    if (error == 0)
        error = install_driver(printer, script, options, log);
    if (error == 0) {
        int changed = 0;
        error = spool_printer(printer, *portName, &changed);
        step(log, error, "printer \"%s\" %s", printer->record->printerName, changed ? "changed" : "added");
    }
    return error;
}

static unsigned long install_device(const PlanPrinter* printer, const Script* script, const InstallOptions* options,
                                    InstLog* log, int* printerExists)
{
    unsigned long error = install_driver(printer, script, options, log);
    *printerExists = 0;
    if (error == 0 && printer->record->updateMode && printer->record->printerName[0] != '\0') {
        error = spool_device_printer(printer, printerExists);
        step(log, error, "printer \"%s\" %s", printer->record->printerName,
             *printerExists ? "changed" : "not there yet: the system makes it when the device is connected");
    }
    return error;
}

unsigned long install_printer(const PlanPrinter* printer, const Script* script, const InstallOptions* options,
                              InstLog* log)
{
    const ScriptPrinter* record = printer->record;
    inst_log_line(log, "printer %d \"%s\" (model \"%s\", address \"%s\")", record->number, record->printerName,
                  record->modelName, record->address);
    log_ignored(record, log);
    if (printer->problem != NULL) {
        inst_log_line(log, "printer %d cannot be installed: %s (error %d)", record->number, printer->problem,
                      PLAN_RECORD_ERROR);
        return PLAN_RECORD_ERROR;
    }
    if (printer->target == TARGET_CONNECTION)
        return step(log, spool_connection(record->address), "printer connection \"%s\"", record->address);

    char* portName = NULL;
    int printerExists = printer->target == TARGET_PORT;
    unsigned long error = printer->target == TARGET_PORT ? install_on_port(printer, script, options, log, &portName)
                                                         : install_device(printer, script, options, log, &printerExists);
    if (error == 0)
        error = install_settings(printer, options, log);
    if (error == 0 && printerExists)
        error = install_printer_data(printer, log);
    if (error == 0 && printerExists && record->defaultPrinter)
        error = step(log, spool_default_printer(record->printerName), "default printer \"%s\"", record->printerName);
    if (error == 0 && printerExists && record->testPrint)
        error = step(log, spool_test_page(record->printerName, script->testPageTitle, printer->driverName,
                                          portName != NULL ? portName : ""),
                     "test page \"%s\"", script->testPageTitle);
    free(portName);
    return error;
}

#endif
