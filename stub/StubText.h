/* Text conversions of the stub: archive names and header strings to UTF-8. */
#ifndef PELLORA_STUB_TEXT_H
#define PELLORA_STUB_TEXT_H

#include <stddef.h>
#include <stdint.h>

/* 1 when the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF). */
int stub_utf8_valid(const uint8_t* text, size_t length);
/* New NUL-terminated UTF-8 copy of code page 437 text; NULL when out of memory. */
char* stub_cp437_to_utf8(const uint8_t* text, size_t length);
/* New NUL-terminated UTF-8 copy of count UTF-16LE units; unpaired surrogates become U+FFFD. NULL when
   out of memory. */
char* stub_utf16le_to_utf8(const uint8_t* text, size_t count);

#endif
