/* The installer's log. */
#include "Log.h"

#include "InstFs.h"
#include "InstString.h"

#include <stdarg.h>
#include <stdlib.h>
#include <string.h>

int inst_log_open(InstLog* log, const char* path)
{
    log->file = NULL;
    if (path == NULL || path[0] == '\0')
        return 0;
    log->file = inst_fs_open_append(path);
    if (log->file == NULL)
        return 1;
    fseek(log->file, 0, SEEK_END);
    if (ftell(log->file) == 0)
        fputs("\xEF\xBB\xBF", log->file); /* UTF-8, so that any editor shows the names right */
    return 0;
}

void inst_log_close(InstLog* log)
{
    if (log->file != NULL)
        fclose(log->file);
    log->file = NULL;
}

static void write_line(InstLog* log, const char* text)
{
    char now[32];
    inst_fs_local_time(now, sizeof now);
    fprintf(log->file, "%s  %s\r\n", now, text);
    fflush(log->file);
}

void inst_log_line(InstLog* log, const char* format, ...)
{
    if (log->file == NULL)
        return;
    InstBuf buf = {0};
    va_list arguments;
    va_start(arguments, format);
    inst_buf_vprintf(&buf, format, arguments);
    va_end(arguments);
    char* text = inst_buf_take(&buf);
    write_line(log, text);
    free(text);
}

void inst_log_step(InstLog* log, const char* step, unsigned long error, const char* errorText)
{
    if (error == 0)
        inst_log_line(log, "%s: done (0)", step);
    else
        inst_log_line(log, "%s: failed with error %lu: %s", step, error, errorText != NULL ? errorText : "");
}

void inst_log_text(InstLog* log, const char* text)
{
    if (log->file == NULL)
        return;
    while (*text != '\0') {
        const char* end = strchr(text, '\n');
        const size_t length = end != NULL ? (size_t)(end - text) : strlen(text);
        char* line = inst_strndup(text, length);
        write_line(log, line);
        free(line);
        text += length + (end != NULL ? 1 : 0);
    }
}
