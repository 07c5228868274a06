/* File, folder and process services of the stub on Windows. */
#ifdef _WIN32

#ifndef UNICODE
#define UNICODE
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include "StubExit.h"
#include "StubPlatform.h"
#include "StubText.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#ifndef ERROR_ELEVATION_REQUIRED
#define ERROR_ELEVATION_REQUIRED 740L
#endif

#define KEEP_VARIABLE L"PELLORA_STUB_KEEP"
#define CREATE_TRIES 1000u
#define IO_CHUNK 0x10000000u
#define LONGEST_MODULE_PATH 32768u

struct StubInput {
    HANDLE file;
    uint64_t size;
};

struct StubFolder {
    wchar_t* path;     /* absolute, without a trailing backslash */
    wchar_t* longPath; /* the same in \\?\ form */
    int keep;
};

struct StubOutput {
    HANDLE file;
    wchar_t* path;
};

/* Joins up to four texts into a new string; NULL parts are skipped. */
static wchar_t* join(const wchar_t* a, const wchar_t* b, const wchar_t* c, const wchar_t* d)
{
    const wchar_t* parts[4] = {a, b, c, d};
    size_t length = 0;
    for (int i = 0; i < 4; ++i)
        length += parts[i] != NULL ? wcslen(parts[i]) : 0;
    wchar_t* text = (wchar_t*)malloc((length + 1) * sizeof(wchar_t));
    if (text == NULL)
        return NULL;
    text[0] = L'\0';
    for (int i = 0; i < 4; ++i) {
        if (parts[i] != NULL)
            wcscat(text, parts[i]);
    }
    return text;
}

/* The \\?\ form of an absolute path: no length limit, and names such as "CON" or "a." are taken
   literally instead of being reinterpreted. */
static wchar_t* long_form(const wchar_t* path)
{
    if (path[0] == L'\\' && path[1] == L'\\') {
        if (path[2] == L'?' || path[2] == L'.')
            return join(path, NULL, NULL, NULL);
        return join(L"\\\\?\\UNC\\", path + 2, NULL, NULL);
    }
    return join(L"\\\\?\\", path, NULL, NULL);
}

static wchar_t* to_wide(const char* text, UINT codePage)
{
    const int length = MultiByteToWideChar(codePage, 0, text, -1, NULL, 0);
    if (length <= 0)
        return NULL;
    wchar_t* wide = (wchar_t*)malloc((size_t)length * sizeof(wchar_t));
    if (wide != NULL && MultiByteToWideChar(codePage, 0, text, -1, wide, length) != length) {
        free(wide);
        wide = NULL;
    }
    return wide;
}

static void strip_trailing_backslashes(wchar_t* path)
{
    size_t length = wcslen(path);
    while (length > 3 && (path[length - 1] == L'\\' || path[length - 1] == L'/'))
        path[--length] = L'\0';
}

StubInput* stub_input_open_self(void)
{
    DWORD capacity = MAX_PATH;
    wchar_t* path = NULL;
    for (;;) {
        wchar_t* grown = (wchar_t*)realloc(path, capacity * sizeof(wchar_t));
        if (grown == NULL) {
            free(path);
            return NULL;
        }
        path = grown;
        const DWORD length = GetModuleFileNameW(NULL, path, capacity);
        if (length == 0 || (length >= capacity && capacity >= LONGEST_MODULE_PATH)) {
            free(path);
            return NULL;
        }
        if (length < capacity)
            break;
        capacity *= 2;
    }
    const HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, NULL, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, NULL);
    free(path);
    if (file == INVALID_HANDLE_VALUE)
        return NULL;
    LARGE_INTEGER size;
    StubInput* input = (StubInput*)malloc(sizeof *input);
    if (input == NULL || !GetFileSizeEx(file, &size)) {
        free(input);
        CloseHandle(file);
        return NULL;
    }
    input->file = file;
    input->size = (uint64_t)size.QuadPart;
    return input;
}

uint64_t stub_input_size(const StubInput* input)
{
    return input->size;
}

int stub_input_read(StubInput* input, uint64_t offset, void* buffer, size_t length)
{
    unsigned char* out = (unsigned char*)buffer;
    if (offset > input->size || length > input->size - offset)
        return -1;
    while (length > 0) {
        OVERLAPPED at;
        DWORD got = 0;
        memset(&at, 0, sizeof at);
        at.Offset = (DWORD)offset;
        at.OffsetHigh = (DWORD)(offset >> 32);
        const DWORD chunk = length < IO_CHUNK ? (DWORD)length : IO_CHUNK;
        if (!ReadFile(input->file, out, chunk, &got, &at) || got == 0)
            return -1;
        out += got;
        offset += got;
        length -= got;
    }
    return 0;
}

void stub_input_close(StubInput* input)
{
    if (input == NULL)
        return;
    CloseHandle(input->file);
    free(input);
}

/* Creates one folder; an existing real folder (not a link) counts as made. */
static int ensure_folder(const wchar_t* longPath)
{
    if (CreateDirectoryW(longPath, NULL))
        return 0;
    if (GetLastError() != ERROR_ALREADY_EXISTS)
        return -1;
    const DWORD attributes = GetFileAttributesW(longPath);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                   !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)
               ? 0
               : -1;
}

static wchar_t* full_path(const wchar_t* path)
{
    const DWORD length = GetFullPathNameW(path, 0, NULL, NULL);
    if (length == 0)
        return NULL;
    wchar_t* full = (wchar_t*)malloc(((size_t)length + 1) * sizeof(wchar_t));
    if (full != NULL && GetFullPathNameW(path, length + 1, full, NULL) == 0) {
        free(full);
        full = NULL;
    }
    return full;
}

static wchar_t* kept_folder(void)
{
    const DWORD length = GetEnvironmentVariableW(KEEP_VARIABLE, NULL, 0);
    if (length <= 1)
        return NULL;
    wchar_t* value = (wchar_t*)malloc((size_t)length * sizeof(wchar_t));
    if (value == NULL || GetEnvironmentVariableW(KEEP_VARIABLE, value, length) == 0) {
        free(value);
        return NULL;
    }
    wchar_t* full = full_path(value);
    free(value);
    return full;
}

static void hex8(wchar_t* out, uint32_t value)
{
    static const wchar_t digits[] = L"0123456789ABCDEF";
    for (int i = 7; i >= 0; --i) {
        out[i] = digits[value & 0xF];
        value >>= 4;
    }
    out[8] = L'\0';
}

/* A new folder "PLR" + 8 hex digits below the temporary folder. */
static int make_temporary_folder(StubFolder* folder)
{
    const DWORD length = GetTempPathW(0, NULL);
    if (length == 0)
        return -1;
    wchar_t* base = (wchar_t*)malloc(((size_t)length + 1) * sizeof(wchar_t));
    if (base == NULL || GetTempPathW(length + 1, base) == 0) {
        free(base);
        return -1;
    }
    strip_trailing_backslashes(base);
    const uint32_t seed = (uint32_t)GetTickCount() ^ ((uint32_t)GetCurrentProcessId() << 12);
    for (uint32_t attempt = 0; attempt < CREATE_TRIES; ++attempt) {
        wchar_t name[12] = L"PLR";
        hex8(name + 3, seed + attempt * 2654435761u);
        folder->path = join(base, L"\\", name, NULL);
        folder->longPath = folder->path != NULL ? long_form(folder->path) : NULL;
        if (folder->longPath != NULL && CreateDirectoryW(folder->longPath, NULL)) {
            free(base);
            return 0;
        }
        const DWORD error = GetLastError();
        free(folder->path);
        free(folder->longPath);
        folder->path = folder->longPath = NULL;
        if (error != ERROR_ALREADY_EXISTS)
            break;
    }
    free(base);
    return -1;
}

StubFolder* stub_folder_create(void)
{
    StubFolder* folder = (StubFolder*)calloc(1, sizeof *folder);
    if (folder == NULL)
        return NULL;
    folder->path = kept_folder();
    folder->keep = folder->path != NULL;
    if (folder->keep) {
        strip_trailing_backslashes(folder->path);
        folder->longPath = long_form(folder->path);
        if (folder->longPath == NULL || ensure_folder(folder->longPath) != 0) {
            free(folder->path);
            free(folder->longPath);
            free(folder);
            return NULL;
        }
    } else if (make_temporary_folder(folder) != 0) {
        free(folder);
        return NULL;
    }
    return folder;
}

/* The \\?\ path of a checked relative path inside the folder. */
static wchar_t* child_path(const StubFolder* folder, const char* relative)
{
    wchar_t* wide = to_wide(relative, CP_UTF8);
    if (wide == NULL)
        return NULL;
    for (wchar_t* p = wide; *p != L'\0'; ++p) {
        if (*p == L'/')
            *p = L'\\';
    }
    wchar_t* path = join(folder->longPath, L"\\", wide, NULL);
    free(wide);
    return path;
}

/* Creates every folder on the way to path below the extraction folder; with last also path itself. */
static int create_folders(const StubFolder* folder, wchar_t* path, int last)
{
    const size_t start = wcslen(folder->longPath) + 1;
    for (size_t i = start; path[i] != L'\0'; ++i) {
        if (path[i] != L'\\')
            continue;
        path[i] = L'\0';
        const int rc = ensure_folder(path);
        path[i] = L'\\';
        if (rc != 0)
            return -1;
    }
    return last ? ensure_folder(path) : 0;
}

int stub_folder_make_dirs(StubFolder* folder, const char* relative)
{
    wchar_t* path = child_path(folder, relative);
    if (path == NULL)
        return -1;
    const int rc = create_folders(folder, path, 1);
    free(path);
    return rc;
}

StubOutput* stub_output_create(StubFolder* folder, const char* relative)
{
    StubOutput* output = (StubOutput*)malloc(sizeof *output);
    if (output == NULL)
        return NULL;
    output->path = child_path(folder, relative);
    output->file = INVALID_HANDLE_VALUE;
    if (output->path != NULL && create_folders(folder, output->path, 0) == 0)
        output->file = CreateFileW(output->path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (output->file == INVALID_HANDLE_VALUE) {
        free(output->path);
        free(output);
        return NULL;
    }
    return output;
}

int stub_output_write(StubOutput* output, const void* data, size_t length)
{
    const unsigned char* in = (const unsigned char*)data;
    while (length > 0) {
        DWORD done = 0;
        const DWORD chunk = length < IO_CHUNK ? (DWORD)length : IO_CHUNK;
        if (!WriteFile(output->file, in, chunk, &done, NULL) || done == 0)
            return -1;
        in += done;
        length -= done;
    }
    return 0;
}

int stub_output_close(StubOutput* output, int keep)
{
    const int rc = CloseHandle(output->file) ? 0 : -1;
    if (!keep || rc != 0)
        DeleteFileW(output->path);
    free(output->path);
    free(output);
    return rc;
}

/* The stub's own arguments as they stand on its command line, after its program name. */
static const wchar_t* own_arguments(void)
{
    const wchar_t* line = GetCommandLineW();
    if (*line == L'"') {
        ++line;
        while (*line != L'\0' && *line != L'"')
            ++line;
        if (*line == L'"')
            ++line;
    } else {
        while (*line != L'\0' && *line != L' ' && *line != L'\t')
            ++line;
    }
    while (*line == L' ' || *line == L'\t')
        ++line;
    return line;
}

/* A job that reports when its last process has ended; NULL when the system offers none. */
typedef struct Job {
    HANDLE job;
    HANDLE port;
} Job;

static void job_open(Job* job)
{
    job->job = CreateJobObjectW(NULL, NULL);
    job->port = job->job != NULL ? CreateIoCompletionPort(INVALID_HANDLE_VALUE, NULL, 0, 1) : NULL;
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT association;
    association.CompletionKey = job->job;
    association.CompletionPort = job->port;
    if (job->port == NULL ||
        !SetInformationJobObject(job->job, JobObjectAssociateCompletionPortInformation, &association,
                                 sizeof association)) {
        if (job->port != NULL)
            CloseHandle(job->port);
        if (job->job != NULL)
            CloseHandle(job->job);
        job->job = job->port = NULL;
    }
}

static void job_close(Job* job)
{
    if (job->port != NULL)
        CloseHandle(job->port);
    if (job->job != NULL)
        CloseHandle(job->job);
    job->job = job->port = NULL;
}

static int job_empty(const Job* job)
{
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting;
    memset(&accounting, 0, sizeof accounting);
    return !QueryInformationJobObject(job->job, JobObjectBasicAccountingInformation, &accounting, sizeof accounting,
                                      NULL) ||
           accounting.ActiveProcesses == 0;
}

/* Waits until the job's last process has ended: the job's message, or its process count polled once a
   second in case a message goes missing. */
static void job_wait(const Job* job)
{
    for (;;) {
        DWORD message = 0;
        ULONG_PTR key = 0;
        LPOVERLAPPED detail = NULL;
        const BOOL got = GetQueuedCompletionStatus(job->port, &message, &key, &detail, 1000);
        if (got && key == (ULONG_PTR)job->job && message == JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO)
            return;
        if (job_empty(job))
            return;
    }
}

/* Starts the installer suspended inside the job, so that every process it starts joins the job; one that
   asks for administrator rights can only be started through the shell. */
static HANDLE start_process(const StubFolder* folder, wchar_t* program, wchar_t* argument, Job* job)
{
    STARTUPINFOW startup;
    PROCESS_INFORMATION process;
    memset(&startup, 0, sizeof startup);
    memset(&process, 0, sizeof process);
    startup.cb = sizeof startup;
    const wchar_t* extra = own_arguments();
    wchar_t* tail = join(argument, *extra != L'\0' ? L" " : NULL, extra, NULL);
    wchar_t* line = tail != NULL ? join(L"\"", program, L"\" ", tail) : NULL;
    if (line == NULL) {
        free(tail);
        return NULL;
    }
    const DWORD flags = job->job != NULL ? CREATE_SUSPENDED : 0;
    const BOOL started = CreateProcessW(program, line, NULL, NULL, FALSE, flags, NULL, folder->path, &startup, &process);
    const DWORD error = GetLastError();
    free(line);
    if (started) {
        if (job->job != NULL && !AssignProcessToJobObject(job->job, process.hProcess))
            job_close(job); /* a job the system does not allow here: wait for the first process only */
        ResumeThread(process.hThread);
        CloseHandle(process.hThread);
        free(tail);
        return process.hProcess;
    }
    if (error != ERROR_ELEVATION_REQUIRED) {
        free(tail);
        return NULL;
    }
    SHELLEXECUTEINFOW info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
    info.lpFile = program;
    info.lpParameters = tail;
    info.lpDirectory = folder->path;
    info.nShow = SW_SHOWNORMAL;
    const HRESULT com = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const BOOL executed = ShellExecuteExW(&info);
    if (SUCCEEDED(com))
        CoUninitialize();
    free(tail);
    if (executed && info.hProcess != NULL && job->job != NULL && !AssignProcessToJobObject(job->job, info.hProcess))
        job_close(job);
    return executed ? info.hProcess : NULL;
}

int stub_folder_run(StubFolder* folder, const char* relative, const char* command, int* exitCode)
{
    wchar_t* wideRelative = to_wide(relative, CP_UTF8);
    /* Texts written on other systems are UTF-8; anything else is taken in the system code page. */
    wchar_t* argument = to_wide(command, stub_utf8_valid((const uint8_t*)command, strlen(command)) ? CP_UTF8 : CP_ACP);
    wchar_t* program = NULL;
    int rc = STUB_EXIT_CANNOT_RUN;
    if (wideRelative != NULL && argument != NULL) {
        for (wchar_t* p = wideRelative; *p != L'\0'; ++p) {
            if (*p == L'/')
                *p = L'\\';
        }
        program = join(folder->path, L"\\", wideRelative, NULL);
    }
    Job job;
    job_open(&job);
    const HANDLE process = program != NULL ? start_process(folder, program, argument, &job) : NULL;
    if (process != NULL) {
        DWORD code = 0;
        if (WaitForSingleObject(process, INFINITE) == WAIT_OBJECT_0 && GetExitCodeProcess(process, &code)) {
            *exitCode = (int)code;
            rc = STUB_OK;
        }
        if (job.job != NULL)
            job_wait(&job);
        CloseHandle(process);
    }
    job_close(&job);
    free(program);
    free(argument);
    free(wideRelative);
    return rc;
}

static void remove_tree(const wchar_t* path)
{
    wchar_t* pattern = join(path, L"\\*", NULL, NULL);
    WIN32_FIND_DATAW found;
    const HANDLE search = pattern != NULL ? FindFirstFileW(pattern, &found) : INVALID_HANDLE_VALUE;
    free(pattern);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (wcscmp(found.cFileName, L".") == 0 || wcscmp(found.cFileName, L"..") == 0)
                continue;
            wchar_t* child = join(path, L"\\", found.cFileName, NULL);
            if (child == NULL)
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
                SetFileAttributesW(child, found.dwFileAttributes & ~(DWORD)FILE_ATTRIBUTE_READONLY);
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW(child);
            else if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                RemoveDirectoryW(child); /* the link only, never what it points at */
            else
                remove_tree(child);
            free(child);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path);
}

void stub_folder_finish(StubFolder* folder)
{
    if (folder == NULL)
        return;
    if (!folder->keep && folder->longPath != NULL)
        remove_tree(folder->longPath);
    free(folder->path);
    free(folder->longPath);
    free(folder);
}

int stub_platform_start(int argc, char** argv)
{
    (void)argc;
    (void)argv; /* the wide command line is read instead, so that no name is lost to the code page */
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    /* Keep the package's own folder (often a download folder) out of the library search. */
    SetDllDirectoryW(L"");
    int count = 0;
    int quiet = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; arguments != NULL && i < count; ++i) {
        if ((arguments[i][0] == L'/' || arguments[i][0] == L'-') && lstrcmpiW(arguments[i] + 1, L"quiet") == 0)
            quiet = 1;
    }
    if (arguments != NULL)
        LocalFree(arguments);
    return quiet;
}

void stub_report(const char* text)
{
    wchar_t* wide = to_wide(text, CP_UTF8);
    if (wide != NULL)
        MessageBoxW(NULL, wide, L"Pellora printer package", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    free(wide);
}

int stub_extract_failure(void)
{
    const DWORD error = GetLastError();
    return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ? STUB_EXIT_DISK_FULL : STUB_EXIT_CANNOT_EXTRACT;
}

#endif
