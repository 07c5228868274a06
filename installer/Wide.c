/* UTF-8 and UTF-16 conversions for the Windows calls of the client installer. */
#ifdef _WIN32

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "Wide.h"

#include "InstString.h"

#include <string.h>

wchar_t* wide_from_utf8(const char* text)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, NULL, 0);
    wchar_t* wide = (wchar_t*)inst_alloc((size_t)(length > 0 ? length : 1) * sizeof(wchar_t));
    if (length <= 0 || MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, length) != length)
        wide[0] = L'\0';
    return wide;
}

char* utf8_from_wide(const wchar_t* text)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, NULL, 0, NULL, NULL);
    char* narrow = (char*)inst_alloc((size_t)(length > 0 ? length : 1));
    if (length <= 0 || WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow, length, NULL, NULL) != length)
        narrow[0] = '\0';
    return narrow;
}

wchar_t* wide_full_path(const char* path)
{
    wchar_t* wide = wide_from_utf8(path);
    for (wchar_t* p = wide; *p != L'\0'; ++p) {
        if (*p == L'/')
            *p = L'\\';
    }
    const DWORD length = GetFullPathNameW(wide, 0, NULL, NULL);
    if (length == 0)
        return wide;
    wchar_t* full = (wchar_t*)inst_alloc(((size_t)length + 1) * sizeof(wchar_t));
    if (GetFullPathNameW(wide, length + 1, full, NULL) == 0) {
        free(full);
        return wide;
    }
    free(wide);
    return full;
}

wchar_t* wide_long_path(const char* path)
{
    wchar_t* full = wide_full_path(path);
    if (wcsncmp(full, L"\\\\", 2) == 0 && (full[2] == L'?' || full[2] == L'.'))
        return full;
    const int unc = wcsncmp(full, L"\\\\", 2) == 0;
    const wchar_t* prefix = unc ? L"\\\\?\\UNC" : L"\\\\?\\";
    const wchar_t* rest = unc ? full + 1 : full;
    wchar_t* result = (wchar_t*)inst_alloc((wcslen(prefix) + wcslen(rest) + 1) * sizeof(wchar_t));
    wcscpy(result, prefix);
    wcscat(result, rest);
    free(full);
    return result;
}

char* windows_error_text(unsigned long error)
{
    wchar_t* message = NULL;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    DWORD length = FormatMessageW(flags, NULL, (DWORD)error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                  (LPWSTR)&message, 0, NULL);
    if (length == 0)
        length = FormatMessageW(flags, NULL, (DWORD)error, 0, (LPWSTR)&message, 0, NULL);
    if (length == 0 || message == NULL) {
        InstBuf buf = {0};
        inst_buf_printf(&buf, "error %lu", error);
        return inst_buf_take(&buf);
    }
    while (length > 0 && (message[length - 1] == L'\r' || message[length - 1] == L'\n' || message[length - 1] == L' '))
        message[--length] = L'\0';
    char* text = utf8_from_wide(message);
    LocalFree(message);
    return text;
}

#endif
