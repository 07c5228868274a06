/* Files and folders for the client installer on POSIX systems (native builds for tests and fuzzing). */
#ifndef _WIN32

#define _DEFAULT_SOURCE

#include "InstFs.h"
#include "InstText.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

static char* native(const char* path)
{
    char* copy = inst_strdup(path);
    for (char* p = copy; *p != '\0'; ++p) {
        if (*p == '\\')
            *p = '/';
    }
    return copy;
}

unsigned long inst_fs_read(const char* path, size_t limit, uint8_t** data, size_t* size)
{
    char* name = native(path);
    const int fd = open(name, O_RDONLY | O_CLOEXEC);
    free(name);
    *data = NULL;
    *size = 0;
    if (fd < 0)
        return INST_ERROR_FILE_NOT_FOUND;
    struct stat status;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return INST_ERROR_FILE_NOT_FOUND;
    }
    if ((unsigned long long)status.st_size > limit) {
        close(fd);
        return INST_ERROR_FILE_TOO_LARGE;
    }
    uint8_t* bytes = (uint8_t*)inst_alloc((size_t)status.st_size + 1);
    size_t done = 0;
    while (done < (size_t)status.st_size) {
        const ssize_t got = read(fd, bytes + done, (size_t)status.st_size - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += (size_t)got;
    }
    close(fd);
    *data = bytes;
    *size = done;
    return 0;
}

int inst_fs_is_file(const char* path)
{
    char* name = native(path);
    struct stat status;
    const int ok = stat(name, &status) == 0 && S_ISREG(status.st_mode);
    free(name);
    return ok;
}

static void walk(const char* root, const char* relative, InstList* files, int depth)
{
    char* folder = relative[0] != '\0' ? inst_fs_join(root, relative) : inst_strdup(root);
    char* name = native(folder);
    free(folder);
    DIR* dir = depth < 64 ? opendir(name) : NULL;
    if (dir != NULL) {
        for (struct dirent* entry = readdir(dir); entry != NULL; entry = readdir(dir)) {
            if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0)
                continue;
            char* child = inst_fs_join(relative, entry->d_name);
            char* joined = inst_fs_join(name, entry->d_name);
            char* full = native(joined);
            free(joined);
            struct stat status;
            if (lstat(full, &status) == 0 && S_ISDIR(status.st_mode))
                walk(root, child, files, depth + 1);
            else if (lstat(full, &status) == 0 && S_ISREG(status.st_mode))
                inst_list_add(files, inst_strdup(child));
            free(full);
            free(child);
        }
        closedir(dir);
    }
    free(name);
}

void inst_fs_collect_files(const char* folder, InstList* files)
{
    walk(folder, "", files, 0);
}

FILE* inst_fs_open_append(const char* path)
{
    char* name = native(path);
    FILE* file = fopen(name, "ab");
    free(name);
    return file;
}

void inst_fs_local_time(char* out, size_t size)
{
    const time_t now = time(NULL);
    struct tm local;
    if (localtime_r(&now, &local) == NULL || strftime(out, size, "%Y-%m-%d %H:%M:%S", &local) == 0)
        snprintf(out, size, "%s", "0000-00-00 00:00:00");
}

double inst_fs_ole_now(void)
{
    const time_t now = time(NULL);
    struct tm local;
    if (localtime_r(&now, &local) == NULL)
        return 0.0;
    /* Days from 30 December 1899 to 1 January 1970 are 25569. */
    const double seconds = (double)timegm(&local);
    return 25569.0 + seconds / 86400.0;
}

char* inst_ansi_to_utf8(const char* bytes, size_t length)
{
    /* Windows-1252 in 0x80..0x9F; Latin-1 elsewhere. */
    static const uint16_t high[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                      0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    InstBuf buf = {0};
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = (unsigned char)bytes[i];
        const uint32_t code = c == 0 ? 0xFFFDu : (c >= 0x80 && c < 0xA0) ? high[c - 0x80] : c;
        inst_utf8_put(&buf, code);
    }
    return inst_buf_take(&buf);
}

#endif
