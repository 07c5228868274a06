/* Text decoding of the files a package carries: every text becomes UTF-8. */
#ifndef PELLORA_INST_TEXT_H
#define PELLORA_INST_TEXT_H

#include <stddef.h>
#include <stdint.h>

/* 1 when the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF). */
int inst_utf8_valid(const char* text, size_t length);

/* A new NUL-terminated UTF-8 text from file bytes: a UTF-8 byte-order mark is dropped, UTF-16 with a
   byte-order mark is converted, bytes that are not UTF-8 are taken in the ANSI code page. NUL bytes
   inside the text become U+FFFD. *length receives the length without the terminator. */
char* inst_decode_text(const uint8_t* bytes, size_t size, size_t* length);

/* Appends one code point as UTF-8 (U+FFFD for anything that is no scalar value). */
struct InstBuf;
void inst_utf8_put(struct InstBuf* buf, uint32_t codePoint);

/* A new UTF-8 text from bytes in the ANSI code page (Windows: the process's code page; elsewhere
   Windows-1252 as the common case); NUL bytes become U+FFFD. Provided by the platform file. */
char* inst_ansi_to_utf8(const char* bytes, size_t length);

#endif
