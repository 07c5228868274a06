/* What a driver install information file asks for beside the driver. */
#ifdef _WIN32

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shlobj.h>

#include "Settings.h"

#include "InstFs.h"
#include "Wide.h"

#include <stdlib.h>
#include <string.h>

char* settings_resolve(const char* path)
{
    if (!inst_starts_nocase(path, DRIVER_INFO_COMMON_DATA))
        return inst_strdup(path);
    wchar_t folder[MAX_PATH];
    if (FAILED(SHGetFolderPathW(NULL, CSIDL_COMMON_APPDATA, NULL, SHGFP_TYPE_CURRENT, folder)))
        return inst_strdup(path);
    char* base = utf8_from_wide(folder);
    InstBuf buf = {0};
    inst_buf_printf(&buf, "%s%s", base, path + strlen(DRIVER_INFO_COMMON_DATA));
    free(base);
    return inst_buf_take(&buf);
}

/* Creates the folder and every missing folder above it. */
static DWORD make_folders(wchar_t* path)
{
    const size_t length = wcslen(path);
    const size_t start = wcsncmp(path, L"\\\\?\\", 4) == 0 ? 7 : 3; /* after "\\?\C:\" or "C:\" */
    for (size_t i = start; i <= length; ++i) {
        if (i < length && path[i] != L'\\')
            continue;
        const wchar_t kept = path[i];
        path[i] = L'\0';
        const BOOL made = CreateDirectoryW(path, NULL);
        const DWORD error = made ? 0 : GetLastError();
        path[i] = kept;
        if (error != 0 && error != ERROR_ALREADY_EXISTS)
            return error;
    }
    return 0;
}

unsigned long settings_copy_file(const DriverInfo* info, const char* packageFolder)
{
    char* settingFolder = inst_fs_join(packageFolder, "SETTING");
    char* source = inst_fs_join(settingFolder, info->settingsFile);
    char* folder = settings_resolve(info->settingsFolder);
    char* target = inst_fs_join(folder, info->settingsFile);
    wchar_t* wideFolder = wide_long_path(folder);
    wchar_t* wideSource = wide_long_path(source);
    wchar_t* wideTarget = wide_long_path(target);
    DWORD error = make_folders(wideFolder);
    if (error == 0 && !CopyFileW(wideSource, wideTarget, FALSE))
        error = GetLastError();
    free(wideFolder);
    free(wideSource);
    free(wideTarget);
    free(target);
    free(folder);
    free(source);
    free(settingFolder);
    return error;
}

unsigned long settings_write_value(const DriverInfoValue* value)
{
    wchar_t* key = wide_from_utf8(value->key);
    wchar_t* name = wide_from_utf8(value->name);
    HKEY opened = NULL;
    DWORD error = (DWORD)RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, NULL, REG_OPTION_NON_VOLATILE,
                                         KEY_SET_VALUE | KEY_WOW64_64KEY, NULL, &opened, NULL);
    if (error == 0) {
        if (value->value.type == REG_TEXT_STRING) {
            char* resolved = settings_resolve((const char*)value->value.data);
            wchar_t* text = wide_from_utf8(resolved);
            error = (DWORD)RegSetValueExW(opened, name, 0, REG_SZ, (const BYTE*)text,
                                          (DWORD)((wcslen(text) + 1) * sizeof(wchar_t)));
            free(text);
            free(resolved);
        } else {
            error = (DWORD)RegSetValueExW(opened, name, 0, value->value.type, value->value.data,
                                          (DWORD)value->value.size);
        }
        RegCloseKey(opened);
    }
    free(name);
    free(key);
    return error;
}

#endif
