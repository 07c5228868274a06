/* Setup information text (driver INF files and the package's driver install information files). */
#ifndef PELLORA_INF_TEXT_H
#define PELLORA_INF_TEXT_H

#include <stddef.h>

/* One line: an optional key before "=", then comma-separated fields; quotes removed, "%name%" tokens
   replaced from the [Strings] section ("%%" is a percent sign, an unknown token stays as written). */
typedef struct InfLine {
    char* key; /* NULL for a line without "=" */
    char** fields;
    size_t count;
} InfLine;

typedef struct InfSection {
    char* name;
    InfLine* lines;
    size_t count;
    size_t capacity;
} InfSection;

typedef struct InfText {
    InfSection* sections;
    size_t count;
    size_t capacity;
} InfText;

/* Parses UTF-8 text: ";" starts a comment outside quotes, "\" at a line's end joins the next line, a
   doubled quote inside quotes is one quote. Lines of sections with the same name (ASCII case ignored)
   are joined in file order. */
void inf_parse(InfText* inf, const char* text, size_t length);
void inf_free(InfText* inf);

const InfSection* inf_section(const InfText* inf, const char* name);
/* The first line of the section with that key (ASCII case ignored), or NULL. */
const InfLine* inf_line(const InfSection* section, const char* key);
/* Field i of the first line with that key, or NULL. */
const char* inf_field(const InfSection* section, const char* key, size_t i);

#endif
