/* A Windows helper for the tests that run under Wine.
 *   WineProbe run PROGRAM [ARGUMENTS...]   runs the program, waits, prints "exit=N" with the full exit code
 *   WineProbe printers                     prints each local printer: name, port, driver, comment, location
 *                                          (tab-separated), then "default" and the default printer
 *   WineProbe resources FILE               prints the file's product name, version, icon and manifest
 *   As CVSetUp.exe inside a package (first argument the template name):
 *     TEMPLATE exit N                      ends with exit code N
 *     TEMPLATE handover REPORT             starts a second process and ends at once; the second waits,
 *                                          copies TEMPLATE (still in the extraction folder) to REPORT
 * Output is UTF-8.
 */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shellapi.h>
#include <winspool.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

static void put(const wchar_t* text)
{
    char buffer[4096];
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer, NULL, NULL);
    if (length > 1)
        fwrite(buffer, 1, (size_t)length - 1, stdout);
}

static int run(int count, wchar_t** values)
{
    wchar_t line[8192] = L"";
    for (int i = 2; i < count; ++i) {
        wcscat(line, L"\"");
        wcscat(line, values[i]);
        wcscat(line, L"\" ");
    }
    STARTUPINFOW startup;
    PROCESS_INFORMATION process;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    if (!CreateProcessW(values[2], line, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        printf("start failed %lu\n", GetLastError());
        return 1;
    }
    DWORD code = 0;
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    printf("exit=%lu\n", code);
    return 0;
}

static wchar_t* text_or_empty(wchar_t* text)
{
    return text != NULL ? text : L"";
}

static int printers(void)
{
    DWORD needed = 0;
    DWORD count = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL, NULL, 2, NULL, 0, &needed, &count);
    BYTE* buffer = (BYTE*)malloc(needed + 1);
    if (buffer != NULL && EnumPrintersW(PRINTER_ENUM_LOCAL, NULL, 2, buffer, needed, &needed, &count)) {
        const PRINTER_INFO_2W* list = (const PRINTER_INFO_2W*)buffer;
        for (DWORD i = 0; i < count; ++i) {
            const wchar_t* fields[] = {list[i].pPrinterName, list[i].pPortName, list[i].pDriverName,
                                       list[i].pComment, list[i].pLocation};
            for (int f = 0; f < 5; ++f) {
                put(text_or_empty((wchar_t*)fields[f]));
                put(f < 4 ? L"\t" : L"\n");
            }
        }
    }
    free(buffer);
    wchar_t name[512];
    DWORD size = 512;
    put(L"default\t");
    if (GetDefaultPrinterW(name, &size))
        put(name);
    put(L"\n");
    return 0;
}

static void version_value(const BYTE* data, const wchar_t* name)
{
    wchar_t query[128];
    swprintf(query, 128, L"\\StringFileInfo\\040904B0\\%ls", name);
    wchar_t* value = NULL;
    UINT length = 0;
    put(name);
    put(L"=");
    if (VerQueryValueW(data, query, (void**)&value, &length) && value != NULL)
        put(value);
    put(L"\n");
}

static int resources(const wchar_t* file)
{
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(file, &handle);
    BYTE* data = size > 0 ? (BYTE*)malloc(size) : NULL;
    if (data != NULL && GetFileVersionInfoW(file, 0, size, data)) {
        version_value(data, L"ProductName");
        version_value(data, L"ProductVersion");
        version_value(data, L"FileDescription");
    }
    free(data);
    const HMODULE module = LoadLibraryExW(file, NULL, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == NULL)
        return 1;
    printf("icon=%s\n", FindResourceW(module, MAKEINTRESOURCEW(1), (LPCWSTR)RT_GROUP_ICON) != NULL ? "yes" : "no");
    const HRSRC manifest = FindResourceW(module, MAKEINTRESOURCEW(1), (LPCWSTR)RT_MANIFEST);
    const HGLOBAL loaded = manifest != NULL ? LoadResource(module, manifest) : NULL;
    const char* bytes = loaded != NULL ? (const char*)LockResource(loaded) : NULL;
    if (bytes != NULL)
        fwrite(bytes, 1, SizeofResource(module, manifest), stdout);
    FreeLibrary(module);
    return 0;
}

/* The second process of a hand-over: the first has ended by the time it reads the template. */
static int second(const wchar_t* templateName, const wchar_t* report)
{
    Sleep(2000);
    return CopyFileW(templateName, report, FALSE) ? 0 : 1;
}

static int handover(const wchar_t* templateName, const wchar_t* report)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(NULL, self, MAX_PATH);
    wchar_t line[4 * MAX_PATH];
    swprintf(line, sizeof line / sizeof line[0], L"\"%ls\" \"%ls\" second \"%ls\"", self, templateName, report);
    STARTUPINFOW startup;
    PROCESS_INFORMATION process;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    if (!CreateProcessW(self, line, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return 2;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}

int main(void)
{
    _setmode(_fileno(stdout), _O_BINARY);
    int count = 0;
    wchar_t** values = CommandLineToArgvW(GetCommandLineW(), &count);
    int rc = 100;
    if (values == NULL || count < 2)
        rc = 100;
    else if (wcscmp(values[1], L"run") == 0 && count >= 3)
        rc = run(count, values);
    else if (wcscmp(values[1], L"printers") == 0)
        rc = printers();
    else if (wcscmp(values[1], L"resources") == 0 && count == 3)
        rc = resources(values[2]);
    else if (count >= 4 && wcscmp(values[2], L"exit") == 0)
        rc = _wtoi(values[3]);
    else if (count >= 4 && wcscmp(values[2], L"handover") == 0)
        rc = handover(values[1], values[3]);
    else if (count >= 4 && wcscmp(values[2], L"second") == 0)
        rc = second(values[1], values[3]);
    if (values != NULL)
        LocalFree(values);
    fflush(stdout);
    return rc;
}
