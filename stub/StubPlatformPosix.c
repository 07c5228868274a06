/* File, folder and process services of the stub on POSIX systems (Linux: the own file is /proc/self/exe). */
#ifndef _WIN32

#define _DEFAULT_SOURCE
#define _XOPEN_SOURCE 700
#define _FILE_OFFSET_BITS 64

#include "StubExit.h"
#include "StubPlatform.h"

#include <errno.h>
#include <fcntl.h>
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#define KEEP_VARIABLE "PELLORA_STUB_KEEP"
#define FOLDER_PREFIX "pellora-"
#define READ_CHUNK ((size_t)1 << 30)

struct StubInput {
    int fd;
    uint64_t size;
};

struct StubFolder {
    char* path;
    int fd;
    int keep;
};

struct StubOutput {
    int fd;
    int parent;
    char* name;
};

static int g_argumentCount;
static char** g_arguments;

static int is_quiet_switch(const char* argument)
{
    return (argument[0] == '/' || argument[0] == '-') && strcasecmp(argument + 1, "quiet") == 0;
}

int stub_platform_start(int argc, char** argv)
{
#ifdef __linux__
    /* Processes the installer leaves behind become the stub's children, so that it can wait for them. */
    prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0);
#endif
    g_argumentCount = argc > 1 ? argc - 1 : 0;
    g_arguments = argv + 1;
    int quiet = 0;
    for (int i = 0; i < g_argumentCount; ++i)
        quiet = quiet || is_quiet_switch(g_arguments[i]);
    return quiet;
}

void stub_report(const char* text)
{
    fprintf(stderr, "Pellora package: %s\n", text);
}

int stub_extract_failure(void)
{
    return errno == ENOSPC || errno == EDQUOT ? STUB_EXIT_DISK_FULL : STUB_EXIT_CANNOT_EXTRACT;
}

StubInput* stub_input_open_self(void)
{
    const int fd = open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
    struct stat status;
    if (fd < 0)
        return NULL;
    StubInput* input = (StubInput*)malloc(sizeof *input);
    if (input == NULL || fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        free(input);
        close(fd);
        return NULL;
    }
    input->fd = fd;
    input->size = (uint64_t)status.st_size;
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
        const ssize_t got = pread(input->fd, out, length < READ_CHUNK ? length : READ_CHUNK, (off_t)offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return -1;
        out += got;
        offset += (uint64_t)got;
        length -= (size_t)got;
    }
    return 0;
}

void stub_input_close(StubInput* input)
{
    if (input == NULL)
        return;
    close(input->fd);
    free(input);
}

static char* copy_text(const char* text)
{
    const size_t length = strlen(text);
    char* copy = (char*)malloc(length + 1);
    if (copy != NULL)
        memcpy(copy, text, length + 1);
    return copy;
}

static char* make_temporary_folder(void)
{
    const char* base = getenv("TMPDIR");
    if (base == NULL || base[0] == '\0')
        base = "/tmp";
    size_t baseLength = strlen(base);
    while (baseLength > 1 && base[baseLength - 1] == '/')
        --baseLength;
    char* path = (char*)malloc(baseLength + sizeof("/" FOLDER_PREFIX "XXXXXX"));
    if (path == NULL)
        return NULL;
    memcpy(path, base, baseLength);
    strcpy(path + baseLength, "/" FOLDER_PREFIX "XXXXXX");
    if (mkdtemp(path) == NULL) {
        free(path);
        return NULL;
    }
    return path;
}

StubFolder* stub_folder_create(void)
{
    StubFolder* folder = (StubFolder*)calloc(1, sizeof *folder);
    if (folder == NULL)
        return NULL;
    const char* keep = getenv(KEEP_VARIABLE);
    folder->keep = keep != NULL && keep[0] != '\0';
    if (folder->keep) {
        folder->path = copy_text(keep);
        if (folder->path != NULL && mkdir(folder->path, 0700) != 0 && errno != EEXIST) {
            free(folder->path);
            folder->path = NULL;
        }
    } else {
        folder->path = make_temporary_folder();
    }
    if (folder->path == NULL) {
        free(folder);
        return NULL;
    }
    folder->fd = open(folder->path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder->fd < 0) {
        if (!folder->keep)
            rmdir(folder->path);
        free(folder->path);
        free(folder);
        return NULL;
    }
    return folder;
}

/* Opens the folder that holds the last component of relative, walking from the extraction folder
   without following links and creating missing folders on the way. Returns the folder's descriptor
   and points *leaf at the last component inside *scratch (to be freed); -1 on failure. */
static int open_parent(StubFolder* folder, const char* relative, char** scratch, const char** leaf)
{
    *scratch = copy_text(relative);
    if (*scratch == NULL)
        return -1;
    int current = dup(folder->fd);
    char* component = *scratch;
    char* slash;
    while (current >= 0 && (slash = strchr(component, '/')) != NULL) {
        *slash = '\0';
        if (mkdirat(current, component, 0755) != 0 && errno != EEXIST) {
            close(current);
            current = -1;
            break;
        }
        const int next = openat(current, component, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        close(current);
        current = next;
        component = slash + 1;
    }
    if (current < 0) {
        free(*scratch);
        *scratch = NULL;
        return -1;
    }
    *leaf = component;
    return current;
}

int stub_folder_make_dirs(StubFolder* folder, const char* relative)
{
    char* scratch;
    const char* leaf;
    const int parent = open_parent(folder, relative, &scratch, &leaf);
    if (parent < 0)
        return -1;
    int rc = 0;
    if (mkdirat(parent, leaf, 0755) != 0) {
        struct stat status;
        rc = errno == EEXIST && fstatat(parent, leaf, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(status.st_mode)
                 ? 0
                 : -1;
    }
    close(parent);
    free(scratch);
    return rc;
}

StubOutput* stub_output_create(StubFolder* folder, const char* relative)
{
    char* scratch;
    const char* leaf;
    const int parent = open_parent(folder, relative, &scratch, &leaf);
    if (parent < 0)
        return NULL;
    StubOutput* output = (StubOutput*)malloc(sizeof *output);
    if (output != NULL) {
        output->name = copy_text(leaf);
        output->parent = parent;
        output->fd = output->name == NULL ? -1
                                          : openat(parent, leaf, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC,
                                                   0644);
    }
    free(scratch);
    if (output == NULL || output->fd < 0) {
        if (output != NULL)
            free(output->name);
        free(output);
        close(parent);
        return NULL;
    }
    return output;
}

int stub_output_write(StubOutput* output, const void* data, size_t length)
{
    const unsigned char* in = (const unsigned char*)data;
    while (length > 0) {
        const ssize_t done = write(output->fd, in, length < READ_CHUNK ? length : READ_CHUNK);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return -1;
        in += done;
        length -= (size_t)done;
    }
    return 0;
}

int stub_output_close(StubOutput* output, int keep)
{
    int rc = close(output->fd) == 0 ? 0 : -1;
    if (!keep || rc != 0)
        unlinkat(output->parent, output->name, 0);
    close(output->parent);
    free(output->name);
    free(output);
    return rc;
}

/* Reaps every process the installer left behind until none is left. */
static void wait_for_descendants(void)
{
    int status = 0;
    while (waitpid(-1, &status, 0) > 0 || errno == EINTR) {
    }
}

int stub_folder_run(StubFolder* folder, const char* relative, const char* command, int* exitCode)
{
    const size_t folderLength = strlen(folder->path);
    char* program = (char*)malloc(folderLength + strlen(relative) + 2);
    int report[2];
    if (program == NULL)
        return STUB_EXIT_NO_MEMORY;
    sprintf(program, "%s/%s", folder->path, relative);
    /* The installer arrives as a Windows program without a mode; it must be runnable to be started. */
    if (fchmodat(folder->fd, relative, 0755, 0) != 0 || pipe(report) != 0) {
        free(program);
        return STUB_EXIT_CANNOT_RUN;
    }
    fcntl(report[0], F_SETFD, FD_CLOEXEC);
    fcntl(report[1], F_SETFD, FD_CLOEXEC);
    fflush(NULL);
    const pid_t child = fork();
    if (child == 0) {
        char** arguments = (char**)calloc((size_t)g_argumentCount + 3, sizeof *arguments);
        close(report[0]);
        if (arguments == NULL)
            _exit(127);
        arguments[0] = program;
        arguments[1] = (char*)command;
        for (int i = 0; i < g_argumentCount; ++i)
            arguments[i + 2] = g_arguments[i];
        if (fchdir(folder->fd) == 0)
            execv(program, arguments);
        const int error = errno;
        (void)!write(report[1], &error, sizeof error);
        _exit(127);
    }
    close(report[1]);
    free(program);
    if (child < 0) {
        close(report[0]);
        return STUB_EXIT_CANNOT_RUN;
    }
    /* The report pipe closes on a successful exec; a byte in it means the start failed. */
    int error = 0;
    ssize_t got;
    do {
        got = read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    close(report[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return STUB_EXIT_CANNOT_RUN;
    }
    wait_for_descendants();
    if (got > 0)
        return STUB_EXIT_CANNOT_RUN;
    if (WIFEXITED(status))
        *exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        *exitCode = 128 + WTERMSIG(status);
    else
        *exitCode = STUB_EXIT_CANNOT_RUN;
    return STUB_OK;
}

static int remove_entry(const char* path, const struct stat* status, int kind, struct FTW* walk)
{
    (void)status;
    (void)kind;
    (void)walk;
    remove(path);
    return 0;
}

void stub_folder_finish(StubFolder* folder)
{
    if (folder == NULL)
        return;
    if (folder->fd >= 0)
        close(folder->fd);
    if (!folder->keep && folder->path != NULL)
        nftw(folder->path, remove_entry, 16, FTW_DEPTH | FTW_PHYS);
    free(folder->path);
    free(folder);
}

#endif
