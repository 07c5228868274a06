/* Strings and growable buffers of the client installer. */
#include "InstString.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static void out_of_memory(void)
{
    fputs("out of memory\n", stderr);
    exit(INST_EXIT_NO_MEMORY);
}

void* inst_alloc(size_t size)
{
    void* block = malloc(size > 0 ? size : 1);
    if (block == NULL)
        out_of_memory();
    return block;
}

void* inst_realloc(void* block, size_t size)
{
    void* grown = realloc(block, size > 0 ? size : 1);
    if (grown == NULL)
        out_of_memory();
    return grown;
}

char* inst_strndup(const char* text, size_t length)
{
    char* copy = (char*)inst_alloc(length + 1);
    memcpy(copy, text, length);
    copy[length] = '\0';
    return copy;
}

char* inst_strdup(const char* text)
{
    return inst_strndup(text, strlen(text));
}

static char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

int inst_equals_nocase(const char* a, const char* b)
{
    if (a == NULL || b == NULL)
        return a == b;
    for (; *a != '\0' && lower(*a) == lower(*b); ++a, ++b) {
    }
    return *a == '\0' && *b == '\0';
}

int inst_starts_nocase(const char* text, const char* prefix)
{
    for (; *prefix != '\0'; ++text, ++prefix) {
        if (lower(*text) != lower(*prefix))
            return 0;
    }
    return 1;
}

void inst_set(char** slot, const char* text)
{
    char* copy = text != NULL ? inst_strdup(text) : NULL;
    free(*slot);
    *slot = copy;
}

static void reserve(InstBuf* buf, size_t extra)
{
    if (buf->length + extra + 1 <= buf->capacity)
        return;
    size_t capacity = buf->capacity > 0 ? buf->capacity : 64;
    while (capacity < buf->length + extra + 1)
        capacity *= 2;
    buf->data = (char*)inst_realloc(buf->data, capacity);
    buf->capacity = capacity;
}

void inst_buf_append(InstBuf* buf, const char* text, size_t length)
{
    reserve(buf, length);
    memcpy(buf->data + buf->length, text, length);
    buf->length += length;
    buf->data[buf->length] = '\0';
}

void inst_buf_puts(InstBuf* buf, const char* text)
{
    inst_buf_append(buf, text, strlen(text));
}

void inst_buf_vprintf(InstBuf* buf, const char* format, va_list arguments)
{
    va_list copy;
    va_copy(copy, arguments);
    const int needed = vsnprintf(NULL, 0, format, copy);
    va_end(copy);
    if (needed <= 0)
        return;
    reserve(buf, (size_t)needed);
    vsnprintf(buf->data + buf->length, (size_t)needed + 1, format, arguments);
    buf->length += (size_t)needed;
}

void inst_buf_printf(InstBuf* buf, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    inst_buf_vprintf(buf, format, arguments);
    va_end(arguments);
}

char* inst_buf_take(InstBuf* buf)
{
    char* text = buf->data != NULL ? buf->data : inst_strdup("");
    buf->data = NULL;
    buf->length = buf->capacity = 0;
    return text;
}

void inst_buf_free(InstBuf* buf)
{
    free(buf->data);
    buf->data = NULL;
    buf->length = buf->capacity = 0;
}

void inst_list_add(InstList* list, char* owned)
{
    if (list->count == list->capacity) {
        list->capacity = list->capacity > 0 ? list->capacity * 2 : 8;
        list->items = (char**)inst_realloc(list->items, list->capacity * sizeof *list->items);
    }
    list->items[list->count++] = owned;
}

void inst_list_free(InstList* list)
{
    for (size_t i = 0; i < list->count; ++i)
        free(list->items[i]);
    free(list->items);
    list->items = NULL;
    list->count = list->capacity = 0;
}
