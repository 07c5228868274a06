/* Strings and growable buffers of the client installer; out of memory ends the process. */
#ifndef PELLORA_INST_STRING_H
#define PELLORA_INST_STRING_H

#include <stdarg.h>
#include <stddef.h>

/* Exit code when memory runs out (the Windows error ERROR_NOT_ENOUGH_MEMORY). */
#define INST_EXIT_NO_MEMORY 8

void* inst_alloc(size_t size);
void* inst_realloc(void* block, size_t size);
char* inst_strdup(const char* text);
char* inst_strndup(const char* text, size_t length);
/* ASCII letters compared without regard to case; NULL equals only NULL. */
int inst_equals_nocase(const char* a, const char* b);
int inst_starts_nocase(const char* text, const char* prefix);
/* Replaces *slot by a copy of text (NULL allowed), freeing the old one. */
void inst_set(char** slot, const char* text);

typedef struct InstBuf {
    char* data; /* always NUL-terminated once anything was appended */
    size_t length;
    size_t capacity;
} InstBuf;

void inst_buf_append(InstBuf* buf, const char* text, size_t length);
void inst_buf_puts(InstBuf* buf, const char* text);
void inst_buf_printf(InstBuf* buf, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
void inst_buf_vprintf(InstBuf* buf, const char* format, va_list arguments);
/* The text (an empty string when nothing was appended); the buffer is empty afterwards. */
char* inst_buf_take(InstBuf* buf);
void inst_buf_free(InstBuf* buf);

/* Growable array of owned strings. */
typedef struct InstList {
    char** items;
    size_t count;
    size_t capacity;
} InstList;

void inst_list_add(InstList* list, char* owned);
void inst_list_free(InstList* list);

#endif
