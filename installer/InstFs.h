/* Files and folders for the client installer: the platform's file calls (one implementation per
 * platform) and what is built on them (InstFs.c).
 * Paths are UTF-8 and use "\" between components on every platform (the POSIX build translates). */
#ifndef PELLORA_INST_FS_H
#define PELLORA_INST_FS_H

#include "InstString.h"

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#define INST_ERROR_FILE_NOT_FOUND 2u
#define INST_ERROR_FILE_TOO_LARGE 223u

/* Reads a whole file of at most limit bytes. 0, or a Windows error code (INST_ERROR_FILE_TOO_LARGE
   above the limit). */
unsigned long inst_fs_read(const char* path, size_t limit, uint8_t** data, size_t* size);
int inst_fs_is_file(const char* path);
/* Paths relative to folder of every regular file below it, sorted; links are not followed. */
void inst_fs_list_files(const char* folder, InstList* files);
/* The same paths in the order the platform lists them. */
void inst_fs_collect_files(const char* folder, InstList* files);
/* Opens a file for appending (created when missing); NULL on failure. */
FILE* inst_fs_open_append(const char* path);
/* The local time as "YYYY-MM-DD hh:mm:ss". */
void inst_fs_local_time(char* out, size_t size);
/* The local time as an OLE automation date. */
double inst_fs_ole_now(void);
/* folder + "\" + name; an empty folder gives name. */
char* inst_fs_join(const char* folder, const char* name);

#endif
