/* Files and folders for the client installer on Windows. */
#ifdef _WIN32

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "InstFs.h"
#include "InstText.h"
#include "Wide.h"

#include <stdlib.h>
#include <string.h>

unsigned long inst_fs_read(const char* path, size_t limit, uint8_t** data, size_t* size)
{
    *data = NULL;
    *size = 0;
    wchar_t* name = wide_long_path(path);
    const HANDLE file = CreateFileW(name, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    free(name);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError();
    LARGE_INTEGER length;
    DWORD error = 0;
    if (!GetFileSizeEx(file, &length))
        error = GetLastError();
    else if ((unsigned long long)length.QuadPart > limit)
        error = INST_ERROR_FILE_TOO_LARGE;
    uint8_t* bytes = error == 0 ? (uint8_t*)inst_alloc((size_t)length.QuadPart + 1) : NULL;
    size_t done = 0;
    while (error == 0 && done < (size_t)length.QuadPart) {
        DWORD got = 0;
        if (!ReadFile(file, bytes + done, (DWORD)((size_t)length.QuadPart - done), &got, NULL))
            error = GetLastError();
        else if (got == 0)
            break;
        done += got;
    }
    CloseHandle(file);
    if (error != 0) {
        free(bytes);
        return error;
    }
    *data = bytes;
    *size = done;
    return 0;
}

int inst_fs_is_file(const char* path)
{
    wchar_t* name = wide_long_path(path);
    const DWORD attributes = GetFileAttributesW(name);
    free(name);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

static void walk(const char* root, const char* relative, InstList* files, int depth)
{
    char* folder = relative[0] != '\0' ? inst_fs_join(root, relative) : inst_strdup(root);
    char* pattern = inst_fs_join(folder, "*");
    wchar_t* widePattern = wide_long_path(pattern);
    free(pattern);
    free(folder);
    WIN32_FIND_DATAW found;
    const HANDLE search = depth < 64 ? FindFirstFileW(widePattern, &found) : INVALID_HANDLE_VALUE;
    free(widePattern);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (wcscmp(found.cFileName, L".") == 0 || wcscmp(found.cFileName, L"..") == 0 ||
            (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        char* name = utf8_from_wide(found.cFileName);
        char* child = inst_fs_join(relative, name);
        free(name);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            walk(root, child, files, depth + 1);
            free(child);
        } else {
            inst_list_add(files, child);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

void inst_fs_collect_files(const char* folder, InstList* files)
{
    walk(folder, "", files, 0);
}

FILE* inst_fs_open_append(const char* path)
{
    wchar_t* name = wide_from_utf8(path);
    FILE* file = _wfopen(name, L"ab");
    free(name);
    return file;
}

void inst_fs_local_time(char* out, size_t size)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    snprintf(out, size, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
             now.wSecond);
}

double inst_fs_ole_now(void)
{
    /* 30 December 1899 in FILETIME units (100 ns since 1 January 1601). */
    static const double kOleEpoch = 94353120000000000.0;
    SYSTEMTIME now;
    FILETIME stamp;
    GetLocalTime(&now);
    if (!SystemTimeToFileTime(&now, &stamp))
        return 0.0;
    const double ticks = (double)(((unsigned long long)stamp.dwHighDateTime << 32) | stamp.dwLowDateTime);
    return (ticks - kOleEpoch) / 864000000000.0;
}

/* The system's ANSI code page as configured, not the process's (its manifest makes that UTF-8). */
static UINT system_ansi_code_page(void)
{
    DWORD codePage = 0;
    if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER, (LPWSTR)&codePage,
                       sizeof codePage / sizeof(wchar_t)) == 0 ||
        codePage == 0 || codePage == CP_UTF8)
        codePage = 1252;
    return (UINT)codePage;
}

char* inst_ansi_to_utf8(const char* bytes, size_t length)
{
    InstBuf buf = {0};
    size_t start = 0;
    for (size_t i = 0; i <= length; ++i) {
        if (i < length && bytes[i] != '\0')
            continue;
        const int chunk = (int)(i - start);
        if (chunk > 0) {
            const UINT codePage = system_ansi_code_page();
            const int wideLength = MultiByteToWideChar(codePage, 0, bytes + start, chunk, NULL, 0);
            wchar_t* wide = (wchar_t*)inst_alloc(((size_t)wideLength + 1) * sizeof(wchar_t));
            const int done = MultiByteToWideChar(codePage, 0, bytes + start, chunk, wide, wideLength);
            wide[done > 0 ? done : 0] = L'\0';
            char* utf8 = utf8_from_wide(wide);
            inst_buf_puts(&buf, utf8);
            free(utf8);
            free(wide);
        }
        if (i < length)
            inst_utf8_put(&buf, 0xFFFDu);
        start = i + 1;
    }
    return inst_buf_take(&buf);
}

#endif
