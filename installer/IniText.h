/* The install script's INI text, read with the rules of the profile functions the program writes with. */
#ifndef PELLORA_INI_TEXT_H
#define PELLORA_INI_TEXT_H

#include <stddef.h>

typedef struct IniEntry {
    size_t order; /* position in the section as written */
    char* key;
    char* value; /* trimmed, one pair of matching enclosing quotes (" or ') removed */
    char* raw;   /* trimmed, quotes kept: the text as written */
} IniEntry;

/* Sections and their entries are sorted by name (ASCII case ignored) for lookup. */
typedef struct IniSection {
    size_t order; /* position in the file */
    char* name;
    IniEntry* entries;
    size_t count;
    size_t capacity;
} IniSection;

typedef struct IniText {
    IniSection* sections;
    size_t count;
    size_t capacity;
} IniText;

/* Parses UTF-8 text with CRLF or LF line ends. Section and key names compare without regard to ASCII
   case; of duplicate sections or keys the first one counts. Lines before the first section, lines without
   "=" and lines with an empty key are ignored. */
void ini_parse(IniText* ini, const char* text, size_t length);
void ini_free(IniText* ini);

/* NULL when there is no such section. */
const IniSection* ini_section(const IniText* ini, const char* name);
/* The value, or NULL when the key is missing (also when section is NULL). */
const char* ini_value(const IniSection* section, const char* key);

#endif
