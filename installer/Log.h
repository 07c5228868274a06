/* The installer's log: every step with the time and its Windows error code. */
#ifndef PELLORA_LOG_H
#define PELLORA_LOG_H

#include <stdio.h>

typedef struct InstLog {
    FILE* file; /* NULL: nothing is logged */
} InstLog;

/* Opens (appends to) the log file; a NULL or empty path logs nothing. 0, or 1 when the file cannot be
   opened (the installer then runs without a log). */
int inst_log_open(InstLog* log, const char* path);
void inst_log_close(InstLog* log);
/* One line with the local time in front. */
void inst_log_line(InstLog* log, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
/* One step and its result: "step: done (0)" or "step: failed with error N: text". */
void inst_log_step(InstLog* log, const char* step, unsigned long error, const char* errorText);
/* Each line of a multi-line text, timed. */
void inst_log_text(InstLog* log, const char* text);

#endif
