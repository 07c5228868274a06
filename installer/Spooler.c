/* The print spooler steps of one printer. */
#ifdef _WIN32

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <winspool.h>

#include "Spooler.h"

#include "InstFs.h"
#include "Wide.h"

#include <stdlib.h>
#include <string.h>

/* The Standard TCP/IP port monitor's configuration record (the layout its XcvData calls use). */
#define PORT_NAME_SIZE 64
#define HOST_SIZE 49
#define COMMUNITY_SIZE 33
#define QUEUE_SIZE 33
#define IP_TEXT_SIZE 16
#define PROTOCOL_RAW_TYPE 1
#define PROTOCOL_LPR_TYPE 2

typedef struct PortData1 {
    WCHAR portName[PORT_NAME_SIZE];
    DWORD version;
    DWORD protocol;
    DWORD size;
    DWORD reserved;
    WCHAR hostAddress[HOST_SIZE];
    WCHAR snmpCommunity[COMMUNITY_SIZE];
    DWORD doubleSpool;
    WCHAR queue[QUEUE_SIZE];
    WCHAR ipAddress[IP_TEXT_SIZE];
    BYTE reserved2[540];
    DWORD portNumber;
    DWORD snmpEnabled;
    DWORD snmpDeviceIndex;
} PortData1;

typedef struct ConfigInfoData1 {
    BYTE reserved[128];
    DWORD version;
} ConfigInfoData1;

#define TCP_MONITOR L",XcvMonitor Standard TCP/IP Port"
#define LOCAL_MONITOR L",XcvMonitor Local Port"
#define PORT_TRIES 20

HRESULT WINAPI InstallPrinterDriverFromPackageW(LPCWSTR server, LPCWSTR infPath, LPCWSTR driverName,
                                                LPCWSTR environment, DWORD flags);
#ifndef UPDP_SILENT_UPLOAD
#define UPDP_SILENT_UPLOAD 0x00000001
#endif

static DWORD last_error_or(DWORD fallback)
{
    const DWORD error = GetLastError();
    return error != 0 ? error : fallback;
}

static DWORD from_hresult(HRESULT result)
{
    if (HRESULT_FACILITY(result) == FACILITY_WIN32)
        return (DWORD)HRESULT_CODE(result);
    return (DWORD)result;
}

/* 1 when the port exists, 0 when not, -1 when the port list cannot be read. */
static int port_exists(const wchar_t* name)
{
    DWORD needed = 0;
    DWORD count = 0;
    EnumPortsW(NULL, 1, NULL, 0, &needed, &count);
    if (needed == 0)
        return GetLastError() == ERROR_INSUFFICIENT_BUFFER ? -1 : 0;
    BYTE* buffer = (BYTE*)inst_alloc(needed);
    int found = -1;
    if (EnumPortsW(NULL, 1, buffer, needed, &needed, &count)) {
        const PORT_INFO_1W* ports = (const PORT_INFO_1W*)buffer;
        found = 0;
        for (DWORD i = 0; i < count && !found; ++i)
            found = ports[i].pName != NULL && lstrcmpiW(ports[i].pName, name) == 0;
    }
    free(buffer);
    return found;
}

static void copy_text(WCHAR* target, size_t size, const char* text)
{
    wchar_t* wide = wide_from_utf8(text);
    lstrcpynW(target, wide, (int)size);
    free(wide);
}

static void fill_port_data(PortData1* data, const PlanPrinter* printer, const wchar_t* name)
{
    memset(data, 0, sizeof *data);
    lstrcpynW(data->portName, name, PORT_NAME_SIZE);
    data->version = 1;
    data->size = sizeof *data;
    copy_text(data->hostAddress, HOST_SIZE, printer->host);
    lstrcpynW(data->snmpCommunity, L"public", COMMUNITY_SIZE);
    data->snmpDeviceIndex = 1;
    if (printer->protocol == PROTOCOL_LPR) {
        data->protocol = PROTOCOL_LPR_TYPE;
        data->portNumber = 515;
        copy_text(data->queue, QUEUE_SIZE, printer->queue != NULL ? printer->queue : "");
    } else {
        data->protocol = PROTOCOL_RAW_TYPE;
        data->portNumber = (DWORD)printer->portNumber;
    }
}

/* 1 when the existing port has the settings of wanted. */
static int port_equals(const wchar_t* name, const PortData1* wanted)
{
    wchar_t handleName[PORT_NAME_SIZE + 16];
    lstrcpyW(handleName, L",XcvPort ");
    lstrcatW(handleName, name);
    PRINTER_DEFAULTSW access = {NULL, NULL, SERVER_ACCESS_ADMINISTER};
    HANDLE port = NULL;
    if (!OpenPrinterW(handleName, &port, &access))
        return 0;
    ConfigInfoData1 request;
    memset(&request, 0, sizeof request);
    request.version = 1;
    PortData1 current;
    memset(&current, 0, sizeof current);
    DWORD needed = 0;
    DWORD status = 0;
    const BOOL read = XcvDataW(port, L"GetConfigInfo", (BYTE*)&request, sizeof request, (BYTE*)&current,
                               sizeof current, &needed, &status);
    ClosePrinter(port);
    if (!read || status != ERROR_SUCCESS || current.protocol != wanted->protocol)
        return 0;
    if (lstrcmpiW(current.hostAddress, wanted->hostAddress) != 0)
        return 0;
    if (wanted->protocol == PROTOCOL_LPR_TYPE)
        return lstrcmpW(current.queue, wanted->queue) == 0;
    return current.portNumber == wanted->portNumber;
}

static DWORD add_tcp_port(const PortData1* data)
{
    PRINTER_DEFAULTSW access = {NULL, NULL, SERVER_ACCESS_ADMINISTER};
    HANDLE monitor = NULL;
    if (!OpenPrinterW(TCP_MONITOR, &monitor, &access))
        return last_error_or(ERROR_UNKNOWN_PORT);
    DWORD needed = 0;
    DWORD status = 0;
    const BOOL sent = XcvDataW(monitor, L"AddPort", (BYTE*)data, sizeof *data, NULL, 0, &needed, &status);
    const DWORD error = sent ? status : last_error_or(ERROR_INVALID_FUNCTION);
    ClosePrinter(monitor);
    return error;
}

unsigned long spool_tcp_port(const PlanPrinter* printer, char** portName)
{
    *portName = NULL;
    wchar_t* base = wide_from_utf8(printer->portName);
    if (strlen(printer->host) >= HOST_SIZE || (printer->queue != NULL && strlen(printer->queue) >= QUEUE_SIZE) ||
        wcslen(base) >= PORT_NAME_SIZE - 4) {
        free(base);
        return ERROR_INVALID_PARAMETER;
    }
    DWORD error = ERROR_ALREADY_EXISTS;
    wchar_t name[PORT_NAME_SIZE];
    for (int attempt = 1; attempt <= PORT_TRIES && error == ERROR_ALREADY_EXISTS; ++attempt) {
        if (attempt == 1)
            lstrcpynW(name, base, PORT_NAME_SIZE);
        else
            wsprintfW(name, L"%s_%d", base, attempt);
        PortData1 data;
        fill_port_data(&data, printer, name);
        const int exists = port_exists(name);
        if (exists < 0)
            error = last_error_or(ERROR_INVALID_FUNCTION);
        else if (exists)
            error = port_equals(name, &data) ? 0 : ERROR_ALREADY_EXISTS;
        else
            error = add_tcp_port(&data);
    }
    free(base);
    if (error == 0)
        *portName = utf8_from_wide(name);
    return error;
}

unsigned long spool_local_port(const char* name)
{
    wchar_t* wide = wide_from_utf8(name);
    const int exists = port_exists(wide);
    DWORD error = 0;
    if (exists < 0) {
        error = last_error_or(ERROR_INVALID_FUNCTION);
    } else if (!exists) {
        PRINTER_DEFAULTSW access = {NULL, NULL, SERVER_ACCESS_ADMINISTER};
        HANDLE monitor = NULL;
        if (!OpenPrinterW(LOCAL_MONITOR, &monitor, &access)) {
            error = last_error_or(ERROR_UNKNOWN_PORT);
        } else {
            DWORD needed = 0;
            DWORD status = 0;
            const DWORD size = (DWORD)((wcslen(wide) + 1) * sizeof(wchar_t));
            if (!XcvDataW(monitor, L"AddPort", (BYTE*)wide, size, NULL, 0, &needed, &status))
                error = last_error_or(ERROR_INVALID_FUNCTION);
            else if (status != ERROR_SUCCESS && status != ERROR_ALREADY_EXISTS)
                error = status;
            ClosePrinter(monitor);
        }
    }
    free(wide);
    return error;
}

/* The full path of a driver file: found by name anywhere below the INF's folder, else the bare name
   (a file the system keeps among its own driver files). */
static wchar_t* driver_file(const char* infFolder, const InstList* below, const char* name)
{
    for (size_t i = 0; i < below->count; ++i) {
        const char* item = below->items[i];
        const char* slash = strrchr(item, '\\');
        if (inst_equals_nocase(slash != NULL ? slash + 1 : item, name)) {
            char* path = inst_fs_join(infFolder, item);
            wchar_t* full = wide_full_path(path);
            free(path);
            return full;
        }
    }
    return wide_from_utf8(name);
}

static wchar_t* optional_file(const char* infFolder, const InstList* below, const char* name)
{
    return name != NULL ? driver_file(infFolder, below, name) : NULL;
}

/* The dependent files as one block of NUL-separated paths ending in two NULs. */
static wchar_t* dependent_files(const char* infFolder, const InstList* below, const InstList* names)
{
    size_t total = 1;
    wchar_t** paths = (wchar_t**)inst_alloc((names->count + 1) * sizeof *paths);
    for (size_t i = 0; i < names->count; ++i) {
        paths[i] = driver_file(infFolder, below, names->items[i]);
        total += wcslen(paths[i]) + 1;
    }
    wchar_t* block = (wchar_t*)inst_alloc((total + 1) * sizeof(wchar_t));
    wchar_t* at = block;
    for (size_t i = 0; i < names->count; ++i) {
        const size_t length = wcslen(paths[i]);
        memcpy(at, paths[i], (length + 1) * sizeof(wchar_t));
        at += length + 1;
        free(paths[i]);
    }
    *at = L'\0';
    free(paths);
    return block;
}

/* The driver from the INF's files with AddPrinterDriverEx, for systems without the driver package
   functions. */
static DWORD add_driver_from_files(const PlanPrinter* printer, const char* infFolder)
{
    const DriverInf* inf = &printer->inf;
    if (inf->driverFile == NULL)
        return ERROR_INVALID_DATA;
    InstList below = {0};
    inst_fs_list_files(infFolder, &below);
    DRIVER_INFO_6W info;
    memset(&info, 0, sizeof info);
    info.cVersion = 3;
    info.pName = wide_from_utf8(printer->driverName);
    info.pDriverPath = driver_file(infFolder, &below, inf->driverFile);
    info.pDataFile = optional_file(infFolder, &below, inf->dataFile);
    info.pConfigFile = optional_file(infFolder, &below, inf->configFile != NULL ? inf->configFile : inf->driverFile);
    info.pHelpFile = optional_file(infFolder, &below, inf->helpFile);
    info.pDependentFiles = dependent_files(infFolder, &below, &inf->dependentFiles);
    info.pDefaultDataType = inf->defaultDataType != NULL ? wide_from_utf8(inf->defaultDataType) : NULL;
    info.pszHardwareID = inf->hardwareId[0] != '\0' ? wide_from_utf8(inf->hardwareId) : NULL;
    SetLastError(0);
    const BOOL added = AddPrinterDriverExW(NULL, 6, (BYTE*)&info, APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY);
    const DWORD error = added ? 0 : last_error_or(ERROR_INVALID_FUNCTION);
    free(info.pName);
    free(info.pDriverPath);
    free(info.pDataFile);
    free(info.pConfigFile);
    free(info.pHelpFile);
    free(info.pDependentFiles);
    free(info.pDefaultDataType);
    free(info.pszHardwareID);
    inst_list_free(&below);
    return error;
}

static int not_implemented(HRESULT result)
{
    return result == E_NOTIMPL || result == HRESULT_FROM_WIN32(ERROR_CALL_NOT_IMPLEMENTED) ||
           result == HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
}

unsigned long spool_driver(const PlanPrinter* printer, const char* packageFolder, char** how)
{
    wchar_t* driverName = wide_from_utf8(printer->driverName);
    DWORD error;
    if (printer->driverSource == DRIVER_FROM_STORE) {
        *how = inst_strdup("from the driver store");
        error = from_hresult(InstallPrinterDriverFromPackageW(NULL, NULL, driverName, NULL, 0));
        free(driverName);
        return error;
    }
    char* infPath = inst_fs_join(packageFolder, printer->infPath);
    char* infFolder = inst_strdup(infPath);
    char* slash = strrchr(infFolder, '\\');
    if (slash != NULL)
        *slash = '\0';
    wchar_t* wideInf = wide_full_path(infPath);
    wchar_t staged[MAX_PATH];
    ULONG stagedLength = MAX_PATH;
    staged[0] = L'\0';
    /* Stage the driver package into the driver store, then install the model from the staged copy. */
    const HRESULT upload =
        UploadPrinterDriverPackageW(NULL, wideInf, NULL, UPDP_SILENT_UPLOAD, NULL, staged, &stagedLength);
    if (SUCCEEDED(upload)) {
        *how = inst_strdup("staged and installed with the driver package functions");
        error = from_hresult(InstallPrinterDriverFromPackageW(NULL, staged, driverName, NULL, 0));
    } else if (not_implemented(upload)) {
        *how = inst_strdup("driver package functions not available; installed from the INF's files");
        error = add_driver_from_files(printer, infFolder);
    } else {
        *how = inst_strdup("staging with the driver package functions");
        error = from_hresult(upload);
    }
    free(wideInf);
    free(infFolder);
    free(infPath);
    free(driverName);
    return error;
}

/* Opens an existing printer for changes; NULL with the error when there is none or it cannot be opened. */
static HANDLE open_printer(const wchar_t* name, DWORD* error)
{
    PRINTER_DEFAULTSW access = {NULL, NULL, PRINTER_ALL_ACCESS};
    HANDLE printer = NULL;
    *error = OpenPrinterW((LPWSTR)name, &printer, &access) ? 0 : last_error_or(ERROR_INVALID_PRINTER_NAME);
    return *error == 0 ? printer : NULL;
}

static int printer_missing(DWORD error)
{
    return error == ERROR_INVALID_PRINTER_NAME || error == ERROR_INVALID_NAME || error == ERROR_FILE_NOT_FOUND;
}

/* Sets port, driver, comment and location of an open printer (a NULL text keeps the current one). */
static DWORD change_printer(HANDLE printer, const wchar_t* port, const wchar_t* driver, const wchar_t* comment,
                            const wchar_t* location)
{
    DWORD needed = 0;
    GetPrinterW(printer, 2, NULL, 0, &needed);
    if (needed == 0)
        return last_error_or(ERROR_INVALID_FUNCTION);
    BYTE* buffer = (BYTE*)inst_alloc(needed);
    DWORD error = 0;
    if (!GetPrinterW(printer, 2, buffer, needed, &needed)) {
        error = last_error_or(ERROR_INVALID_FUNCTION);
    } else {
        PRINTER_INFO_2W* info = (PRINTER_INFO_2W*)buffer;
        if (port != NULL)
            info->pPortName = (LPWSTR)port;
        if (driver != NULL)
            info->pDriverName = (LPWSTR)driver;
        if (comment != NULL)
            info->pComment = (LPWSTR)comment;
        if (location != NULL)
            info->pLocation = (LPWSTR)location;
        info->pSecurityDescriptor = NULL; /* keep the printer's security as it is */
        if (!SetPrinterW(printer, 2, buffer, 0))
            error = last_error_or(ERROR_INVALID_FUNCTION);
    }
    free(buffer);
    return error;
}

unsigned long spool_printer(const PlanPrinter* printer, const char* portName, int* changed)
{
    const ScriptPrinter* record = printer->record;
    wchar_t* name = wide_from_utf8(record->printerName);
    wchar_t* port = wide_from_utf8(portName);
    wchar_t* driver = wide_from_utf8(printer->driverName);
    wchar_t* comment = wide_from_utf8(record->comment);
    wchar_t* location = wide_from_utf8(record->location);
    DWORD error = 0;
    *changed = 0;
    HANDLE existing = open_printer(name, &error);
    if (existing != NULL) {
        if (record->updateMode) {
            error = change_printer(existing, port, driver, comment, location);
            *changed = 1;
        } else {
            error = ERROR_PRINTER_ALREADY_EXISTS;
        }
        ClosePrinter(existing);
    } else if (printer_missing(error)) {
        PRINTER_INFO_2W info;
        memset(&info, 0, sizeof info);
        info.pPrinterName = name;
        info.pPortName = port;
        info.pDriverName = driver;
        info.pComment = comment;
        info.pLocation = location;
        info.pPrintProcessor = L"WinPrint";
        info.pDatatype = L"RAW";
        SetLastError(0);
        const HANDLE added = AddPrinterW(NULL, 2, (BYTE*)&info);
        error = added != NULL ? 0 : last_error_or(ERROR_INVALID_FUNCTION);
        if (added != NULL)
            ClosePrinter(added);
    }
    free(name);
    free(port);
    free(driver);
    free(comment);
    free(location);
    return error;
}

unsigned long spool_device_printer(const PlanPrinter* printer, int* found)
{
    wchar_t* name = wide_from_utf8(printer->record->printerName);
    DWORD error = 0;
    *found = 0;
    HANDLE existing = open_printer(name, &error);
    if (existing != NULL) {
        *found = 1;
        wchar_t* driver = wide_from_utf8(printer->driverName);
        wchar_t* comment = wide_from_utf8(printer->record->comment);
        wchar_t* location = wide_from_utf8(printer->record->location);
        error = change_printer(existing, NULL, driver, comment, location);
        free(driver);
        free(comment);
        free(location);
        ClosePrinter(existing);
    } else if (printer_missing(error)) {
        error = 0;
    }
    free(name);
    return error;
}

unsigned long spool_connection(const char* address)
{
    wchar_t* name = wide_from_utf8(address);
    SetLastError(0);
    const DWORD error = AddPrinterConnectionW(name) ? 0 : last_error_or(ERROR_NOT_SUPPORTED);
    free(name);
    return error;
}

static DWORD set_data(HANDLE printer, const wchar_t* key, const OptionValue* value)
{
    wchar_t* name = wide_from_utf8(value->name);
    DWORD error;
    if (value->value.type == REG_TEXT_STRING) {
        wchar_t* text = wide_from_utf8((const char*)value->value.data);
        error = SetPrinterDataExW(printer, key, name, REG_SZ, (BYTE*)text, (DWORD)((wcslen(text) + 1) * sizeof(wchar_t)));
        free(text);
    } else {
        error = SetPrinterDataExW(printer, key, name, value->value.type, value->value.data, (DWORD)value->value.size);
    }
    free(name);
    return error;
}

unsigned long spool_printer_data(const char* printerName, const OptionSection* option, const char* key)
{
    wchar_t* name = wide_from_utf8(printerName);
    wchar_t* wideKey = wide_from_utf8(key);
    DWORD error = 0;
    HANDLE printer = open_printer(name, &error);
    for (size_t i = 0; printer != NULL && error == 0 && i < option->count; ++i) {
        if (option->values[i].parsed)
            error = set_data(printer, wideKey, &option->values[i]);
    }
    if (printer != NULL)
        ClosePrinter(printer);
    free(wideKey);
    free(name);
    return error;
}

unsigned long spool_default_printer(const char* printerName)
{
    wchar_t* name = wide_from_utf8(printerName);
    SetLastError(0);
    const DWORD error = SetDefaultPrinterW(name) ? 0 : last_error_or(ERROR_INVALID_PRINTER_NAME);
    free(name);
    return error;
}

static void page_line(HDC dc, int x, int* y, int height, const char* text)
{
    wchar_t* wide = wide_from_utf8(text);
    TextOutW(dc, x, *y, wide, (int)wcslen(wide));
    free(wide);
    *y += height;
}

/* One page through the printer's own driver: the title, then what was installed and when. */
unsigned long spool_test_page(const char* printerName, const char* title, const char* driverName, const char* port)
{
    wchar_t* name = wide_from_utf8(printerName);
    wchar_t* documentTitle = wide_from_utf8(title);
    SetLastError(0);
    const HDC dc = CreateDCW(L"WINSPOOL", name, NULL, NULL);
    DWORD error = dc != NULL ? 0 : last_error_or(ERROR_INVALID_PRINTER_NAME);
    if (dc != NULL) {
        DOCINFOW document;
        memset(&document, 0, sizeof document);
        document.cbSize = sizeof document;
        document.lpszDocName = documentTitle;
        if (StartDocW(dc, &document) <= 0) {
            error = last_error_or(ERROR_PRINT_CANCELLED);
        } else if (StartPage(dc) <= 0) {
            error = last_error_or(ERROR_PRINT_CANCELLED);
            AbortDoc(dc);
        } else {
            const int dpi = GetDeviceCaps(dc, LOGPIXELSY) > 0 ? GetDeviceCaps(dc, LOGPIXELSY) : 300;
            const int x = dpi;
            int y = dpi;
            const int line = dpi / 4;
            char now[32];
            inst_fs_local_time(now, sizeof now);
            page_line(dc, x, &y, line * 2, title);
            const char* const labels[] = {"Printer: ", "Driver: ", "Port: ", "Installed: "};
            const char* const values[] = {printerName, driverName, port, now};
            for (size_t i = 0; i < sizeof labels / sizeof labels[0]; ++i) {
                InstBuf text = {0};
                inst_buf_printf(&text, "%s%s", labels[i], values[i]);
                page_line(dc, x, &y, line, text.data);
                inst_buf_free(&text);
            }
            if (EndPage(dc) <= 0 || EndDoc(dc) <= 0)
                error = last_error_or(ERROR_PRINT_CANCELLED);
        }
        DeleteDC(dc);
    }
    free(documentTitle);
    free(name);
    return error;
}

#endif
