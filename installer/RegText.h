/* Registry values written as text in the notation of registry export files ("...", dword:, hex:). */
#ifndef PELLORA_REG_TEXT_H
#define PELLORA_REG_TEXT_H

#include <stddef.h>
#include <stdint.h>

#define REG_TEXT_STRING 1u
#define REG_TEXT_BINARY 3u
#define REG_TEXT_DWORD 4u

typedef struct RegTextValue {
    uint32_t type;
    uint8_t* data; /* a string holds UTF-8 with its terminating NUL; one NUL byte always follows size */
    size_t size;
} RegTextValue;

/* Parses one value text; "%DATE%" becomes the 8-byte OLE automation date now (days since 30 December
   1899, the time of day as fraction). 1 on success, 0 for a text of no known form. */
int reg_text_parse(const char* text, double now, RegTextValue* value);
/* The value as it is shown in plans and logs: "string ...", "dword:0000E740", "hex:01,02". */
char* reg_text_describe(const RegTextValue* value);
void reg_text_free(RegTextValue* value);

#endif
