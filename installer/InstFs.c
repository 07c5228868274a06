#include "InstFs.h"

#include <stdlib.h>
#include <string.h>

static int compare_paths(const void* a, const void* b)
{
    return strcmp(*(const char* const*)a, *(const char* const*)b);
}

void inst_fs_list_files(const char* folder, InstList* files)
{
    inst_fs_collect_files(folder, files);
    if (files->count > 1)
        qsort(files->items, files->count, sizeof *files->items, compare_paths);
}

char* inst_fs_join(const char* folder, const char* name)
{
    if (folder[0] == '\0')
        return inst_strdup(name);
    InstBuf buf = {0};
    inst_buf_puts(&buf, folder);
    const char last = folder[strlen(folder) - 1];
    if (last != '\\' && last != '/')
        inst_buf_puts(&buf, "\\");
    inst_buf_puts(&buf, name);
    return inst_buf_take(&buf);
}
