/* CVSetUp.exe, the client installer that every package carries.
 *
 * The package's stub starts it in the extraction folder with the quoted template name as argument. It
 * reads the template (an install script, UTF-8), works out a plan for every printer and carries it out:
 * port, driver from the printer's DRIVER_nnn folder, printer, settings file and registry values of its
 * SETTING\QIF1_nnn.QIF, printer data, default printer, test page. Every step goes to the log.
 *
 * Switches: /quiet (no window), /plan (print and log the plan, change nothing), /log FILE.
 * Exit codes: 0 every printer installed; 3010 the same, and the script asks for a restart; otherwise the
 * Windows error code of the first failure (1 for a record that cannot be installed, 2 template missing,
 * 11 not an install script, 87 unknown switch, 1223 driver copy declined).
 */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shellapi.h>

#include "IniText.h"
#include "Install.h"
#include "InstFs.h"
#include "InstText.h"
#include "Wide.h"

#include <stdlib.h>
#include <string.h>

#define TEMPLATE_LIMIT (16u * 1024u * 1024u)
#define TITLE L"Pellora printer installation"
#define EXIT_REBOOT_REQUIRED 3010u

typedef struct Arguments {
    int quiet;
    int plan;
    char* logFile;
    char* templatePath;
} Arguments;

static void show(const Arguments* arguments, const char* text, UINT style)
{
    if (arguments->quiet)
        return;
    wchar_t* wide = wide_from_utf8(text);
    MessageBoxW(NULL, wide, TITLE, style | MB_SETFOREGROUND);
    free(wide);
}

/* Standard output when there is one (a file, a pipe or the console of the caller). */
static void print(const char* text)
{
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE opened = INVALID_HANDLE_VALUE;
    if (out == NULL || out == INVALID_HANDLE_VALUE) {
        if (!AttachConsole(ATTACH_PARENT_PROCESS))
            return;
        opened = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
        if (opened == INVALID_HANDLE_VALUE)
            return;
        out = opened;
    }
    DWORD mode = 0;
    DWORD done = 0;
    if (GetConsoleMode(out, &mode)) {
        wchar_t* wide = wide_from_utf8(text);
        WriteConsoleW(out, wide, (DWORD)wcslen(wide), &done, NULL);
        free(wide);
    } else {
        WriteFile(out, text, (DWORD)strlen(text), &done, NULL);
    }
    if (opened != INVALID_HANDLE_VALUE)
        CloseHandle(opened);
}

static int is_switch(const wchar_t* argument, const wchar_t* name)
{
    return (argument[0] == L'/' || argument[0] == L'-') && lstrcmpiW(argument + 1, name) == 0;
}

/* The template name without the quotes a caller may have left around it. */
static char* unquoted(const wchar_t* argument)
{
    char* text = utf8_from_wide(argument);
    const size_t length = strlen(text);
    if (length >= 2 && text[0] == '"' && text[length - 1] == '"') {
        memmove(text, text + 1, length - 2);
        text[length - 2] = '\0';
    }
    return text;
}

/* 0, or ERROR_INVALID_PARAMETER for an unknown switch, a second template or none. Every argument is
   looked at, so that /quiet counts wherever it stands. */
static unsigned long parse_arguments(Arguments* arguments)
{
    memset(arguments, 0, sizeof *arguments);
    int count = 0;
    wchar_t** values = CommandLineToArgvW(GetCommandLineW(), &count);
    if (values == NULL)
        return GetLastError();
    unsigned long error = 0;
    for (int i = 1; i < count; ++i) {
        if (is_switch(values[i], L"quiet")) {
            arguments->quiet = 1;
        } else if (is_switch(values[i], L"plan")) {
            arguments->plan = 1;
        } else if (is_switch(values[i], L"log") && i + 1 < count) {
            free(arguments->logFile);
            arguments->logFile = utf8_from_wide(values[++i]);
        } else if ((values[i][0] == L'/' && values[i][1] != L'\0') || arguments->templatePath != NULL) {
            error = ERROR_INVALID_PARAMETER;
        } else {
            arguments->templatePath = unquoted(values[i]);
        }
    }
    LocalFree(values);
    return error == 0 && arguments->templatePath == NULL ? ERROR_INVALID_PARAMETER : error;
}

/* Environment variables expanded; a bare file name goes to the temporary folder (the package folder is
   removed after the run). */
static char* log_path(const char* configured)
{
    if (configured == NULL || configured[0] == '\0')
        return NULL;
    wchar_t* wide = wide_from_utf8(configured);
    const DWORD length = ExpandEnvironmentStringsW(wide, NULL, 0);
    wchar_t* expanded = (wchar_t*)inst_alloc(((size_t)length + 1) * sizeof(wchar_t));
    if (length == 0 || ExpandEnvironmentStringsW(wide, expanded, length + 1) == 0)
        lstrcpyW(expanded, wide);
    free(wide);
    char* path = utf8_from_wide(expanded);
    free(expanded);
    if (strchr(path, '\\') != NULL || strchr(path, '/') != NULL || strchr(path, ':') != NULL)
        return path;
    wchar_t temporary[MAX_PATH + 1];
    const DWORD got = GetTempPathW(MAX_PATH + 1, temporary);
    if (got == 0 || got > MAX_PATH)
        return path;
    char* folder = utf8_from_wide(temporary);
    char* joined = inst_fs_join(folder, path);
    free(folder);
    free(path);
    return joined;
}

static char* folder_of(const char* path)
{
    const char* slash = strrchr(path, '\\');
    const char* other = strrchr(path, '/');
    if (other != NULL && (slash == NULL || other > slash))
        slash = other;
    return slash != NULL ? inst_strndup(path, (size_t)(slash - path)) : inst_strdup(".");
}

static const char* file_name_of(const char* path)
{
    const char* slash = strrchr(path, '\\');
    const char* other = strrchr(path, '/');
    if (other != NULL && (slash == NULL || other > slash))
        slash = other;
    return slash != NULL ? slash + 1 : path;
}

/* Reads and parses the template; 0 or the error that ends the run. */
static unsigned long read_script(const char* path, Script* script)
{
    uint8_t* bytes = NULL;
    size_t size = 0;
    const unsigned long error = inst_fs_read(path, TEMPLATE_LIMIT, &bytes, &size);
    if (error != 0)
        return error;
    size_t length = 0;
    char* text = inst_decode_text(bytes, size, &length);
    free(bytes);
    IniText ini;
    ini_parse(&ini, text, length);
    free(text);
    const int result = script_read(script, &ini, inst_fs_ole_now());
    ini_free(&ini);
    return (unsigned long)result;
}

static void report_failure(const Arguments* arguments, InstLog* log, const char* what, unsigned long error)
{
    char* errorText = windows_error_text(error);
    InstBuf message = {0};
    inst_buf_printf(&message, "%s (error %lu: %s)", what, error, errorText);
    inst_log_line(log, "%s", message.data);
    show(arguments, message.data, MB_OK | MB_ICONERROR);
    inst_buf_free(&message);
    free(errorText);
}

/* Runs the plan; the result is the exit code. */
static unsigned long run(const Arguments* arguments, const Plan* plan, const char* packageFolder, InstLog* log)
{
    const InstallOptions options = {arguments->quiet, packageFolder};
    unsigned long first = 0;
    const PlanPrinter* failed = NULL;
    size_t installed = 0;
    for (size_t i = 0; i < plan->count; ++i) {
        const unsigned long error = install_printer(&plan->printers[i], plan->script, &options, log);
        if (error == 0)
            ++installed;
        else if (first == 0) {
            first = error;
            failed = &plan->printers[i];
        }
    }
    inst_log_line(log, "%lu of %lu printers installed", (unsigned long)installed, (unsigned long)plan->count);
    if (failed != NULL) {
        InstBuf what = {0};
        inst_buf_printf(&what, "The printer \"%s\" could not be installed", failed->record->printerName);
        if (failed->problem != NULL)
            inst_buf_printf(&what, ": %s", failed->problem);
        report_failure(arguments, log, what.data, first);
        inst_buf_free(&what);
        return first;
    }
    if (plan->script->reboot) {
        inst_log_line(log, "the script asks for a restart (exit code %lu)", (unsigned long)EXIT_REBOOT_REQUIRED);
        show(arguments, "The printers were installed. Please restart the computer.", MB_OK | MB_ICONINFORMATION);
        return EXIT_REBOOT_REQUIRED;
    }
    show(arguments, "The printers were installed.", MB_OK | MB_ICONINFORMATION);
    return 0;
}

static unsigned long plan_only(const Plan* plan, InstLog* log)
{
    char* text = plan_describe(plan);
    print(text);
    inst_log_text(log, text);
    free(text);
    for (size_t i = 0; i < plan->count; ++i) {
        if (plan->printers[i].problem != NULL)
            return PLAN_RECORD_ERROR;
    }
    return 0;
}

int wmain(void)
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    SetDllDirectoryW(L"");
    Arguments arguments;
    unsigned long exitCode = parse_arguments(&arguments);
    InstLog log = {NULL};
    if (exitCode != 0) {
        show(&arguments, "Usage: CVSetUp.exe [/quiet] [/plan] [/log FILE] TEMPLATE.qst", MB_OK | MB_ICONERROR);
    } else {
        Script script;
        memset(&script, 0, sizeof script);
        exitCode = read_script(arguments.templatePath, &script);
        char* logFile = log_path(arguments.logFile != NULL ? arguments.logFile : script.logFile);
        inst_log_open(&log, logFile);
        free(logFile);
        inst_log_line(&log, "Pellora client installer %s%s, template \"%s\"", PELLORA_VERSION,
                      arguments.plan ? " (plan only)" : "", arguments.templatePath);
        if (exitCode != 0) {
            report_failure(&arguments, &log, "The install script cannot be read", exitCode);
        } else {
            for (size_t i = 0; i < script.ignored.count; ++i)
                inst_log_line(&log, "carried, not acted on: %s", script.ignored.items[i]);
            char* packageFolder = folder_of(arguments.templatePath);
            Plan plan;
            plan_build(&plan, &script, packageFolder, file_name_of(arguments.templatePath));
            exitCode = arguments.plan ? plan_only(&plan, &log) : run(&arguments, &plan, packageFolder, &log);
            plan_free(&plan);
            free(packageFolder);
        }
        inst_log_line(&log, "exit code %lu", exitCode);
        script_free(&script);
    }
    inst_log_close(&log);
    free(arguments.logFile);
    free(arguments.templatePath);
    return (int)exitCode;
}
