/* Setup information text. */
#include "InfText.h"

#include "InstString.h"

#include <stdlib.h>
#include <string.h>

static int blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

/* One field being read: blanks before it are skipped, blanks after it are cut unless quoted. */
typedef struct Field {
    InstBuf text;
    size_t kept; /* length that trailing trimming must not cut into (the end of the last quote) */
    int started;
} Field;

static char* finish_field(Field* field)
{
    while (field->text.length > field->kept && blank(field->text.data[field->text.length - 1]))
        field->text.data[--field->text.length] = '\0';
    char* text = inst_buf_take(&field->text);
    memset(field, 0, sizeof *field);
    return text;
}

static InfSection* find_section(const InfText* inf, const char* name)
{
    for (size_t i = 0; i < inf->count; ++i) {
        if (inst_equals_nocase(inf->sections[i].name, name))
            return &inf->sections[i];
    }
    return NULL;
}

static InfSection* open_section(InfText* inf, char* name)
{
    InfSection* existing = find_section(inf, name);
    if (existing != NULL) {
        free(name);
        return existing;
    }
    if (inf->count == inf->capacity) {
        inf->capacity = inf->capacity > 0 ? inf->capacity * 2 : 16;
        inf->sections = (InfSection*)inst_realloc(inf->sections, inf->capacity * sizeof *inf->sections);
    }
    InfSection* section = &inf->sections[inf->count++];
    memset(section, 0, sizeof *section);
    section->name = name;
    return section;
}

/* Splits one logical line (comments and continuations already removed) into a key and fields. */
static void add_line(InfSection* section, const char* line, size_t length)
{
    InfLine parsed = {0};
    InstList fields = {0};
    Field field = {0};
    for (size_t i = 0; i < length; ++i) {
        const char c = line[i];
        if (c == '"') {
            field.started = 1;
            for (++i; i < length && !(line[i] == '"' && (i + 1 >= length || line[i + 1] != '"')); ++i) {
                inst_buf_append(&field.text, &line[i], 1);
                if (line[i] == '"')
                    ++i; /* a doubled quote */
            }
            field.kept = field.text.length;
        } else if (c == '=' && parsed.key == NULL && fields.count == 0) {
            parsed.key = finish_field(&field);
        } else if (c == ',') {
            inst_list_add(&fields, finish_field(&field));
        } else if (field.started || !blank(c)) {
            inst_buf_append(&field.text, &c, 1);
            field.started = 1;
        }
    }
    if (field.started || fields.count > 0 || parsed.key != NULL)
        inst_list_add(&fields, finish_field(&field));
    inst_buf_free(&field.text);
    parsed.fields = fields.items;
    parsed.count = fields.count;
    if (section->count == section->capacity) {
        section->capacity = section->capacity > 0 ? section->capacity * 2 : 16;
        section->lines = (InfLine*)inst_realloc(section->lines, section->capacity * sizeof *section->lines);
    }
    section->lines[section->count++] = parsed;
}

/* Cuts a physical line at a ";" outside quotes; returns the remaining length. */
static size_t without_comment(const char* line, size_t length)
{
    int inQuotes = 0;
    for (size_t i = 0; i < length; ++i) {
        if (line[i] == '"')
            inQuotes = !inQuotes;
        else if (line[i] == ';' && !inQuotes)
            return i;
    }
    return length;
}

static void handle_logical_line(InfText* inf, InfSection** current, const InstBuf* logical)
{
    const char* begin = logical->data != NULL ? logical->data : "";
    const char* end = begin + logical->length;
    while (begin < end && blank(*begin))
        ++begin;
    while (end > begin && blank(end[-1]))
        --end;
    if (begin == end)
        return;
    if (*begin == '[') {
        const char* name = begin + 1;
        const char* close = memchr(name, ']', (size_t)(end - name));
        const char* nameEnd = close != NULL ? close : end;
        while (name < nameEnd && blank(*name))
            ++name;
        while (nameEnd > name && blank(nameEnd[-1]))
            --nameEnd;
        *current = open_section(inf, inst_strndup(name, (size_t)(nameEnd - name)));
        return;
    }
    if (*current != NULL)
        add_line(*current, begin, (size_t)(end - begin));
}

/* The value of a "%name%" token, looked up in [Strings] and then in localized "Strings.*" sections. */
static const char* string_value(const InfText* inf, const char* name)
{
    const InfSection* strings = inf_section(inf, "Strings");
    const char* value = inf_field(strings, name, 0);
    for (size_t i = 0; value == NULL && i < inf->count; ++i) {
        if (inst_starts_nocase(inf->sections[i].name, "Strings."))
            value = inf_field(&inf->sections[i], name, 0);
    }
    return value;
}

static char* substitute(const InfText* inf, const char* text)
{
    if (strchr(text, '%') == NULL)
        return NULL;
    InstBuf out = {0};
    while (*text != '\0') {
        const char* open = strchr(text, '%');
        if (open == NULL) {
            inst_buf_puts(&out, text);
            break;
        }
        inst_buf_append(&out, text, (size_t)(open - text));
        const char* close = strchr(open + 1, '%');
        if (close == NULL) {
            inst_buf_puts(&out, open);
            break;
        }
        char* name = inst_strndup(open + 1, (size_t)(close - open - 1));
        const char* value = name[0] == '\0' ? "%" : string_value(inf, name);
        if (value != NULL)
            inst_buf_puts(&out, value);
        else
            inst_buf_append(&out, open, (size_t)(close - open + 1));
        free(name);
        text = close + 1;
    }
    return inst_buf_take(&out);
}

static void replace_tokens(InfText* inf, char** slot)
{
    char* replaced = *slot != NULL ? substitute(inf, *slot) : NULL;
    if (replaced != NULL) {
        free(*slot);
        *slot = replaced;
    }
}

/* Tokens are replaced once, after the whole text is read, so that [Strings] may stand anywhere. The
   string sections themselves keep their text, so a value is never replaced twice. */
static void replace_all_tokens(InfText* inf)
{
    for (size_t s = 0; s < inf->count; ++s) {
        InfSection* section = &inf->sections[s];
        if (inst_equals_nocase(section->name, "Strings") || inst_starts_nocase(section->name, "Strings."))
            continue;
        for (size_t l = 0; l < section->count; ++l) {
            InfLine* line = &section->lines[l];
            replace_tokens(inf, &line->key);
            for (size_t f = 0; f < line->count; ++f)
                replace_tokens(inf, &line->fields[f]);
        }
    }
}

void inf_parse(InfText* inf, const char* text, size_t length)
{
    memset(inf, 0, sizeof *inf);
    InfSection* current = NULL;
    InstBuf logical = {0};
    const char* end = text + length;
    while (text < end) {
        const char* lf = memchr(text, '\n', (size_t)(end - text));
        const char* lineEnd = lf != NULL ? lf : end;
        size_t kept = without_comment(text, (size_t)(lineEnd - text));
        while (kept > 0 && blank(text[kept - 1]))
            --kept;
        const int continued = kept > 0 && text[kept - 1] == '\\';
        inst_buf_append(&logical, text, continued ? kept - 1 : kept);
        if (!continued) {
            handle_logical_line(inf, &current, &logical);
            logical.length = 0;
        }
        text = lf != NULL ? lf + 1 : end;
    }
    handle_logical_line(inf, &current, &logical);
    inst_buf_free(&logical);
    replace_all_tokens(inf);
}

void inf_free(InfText* inf)
{
    for (size_t s = 0; s < inf->count; ++s) {
        InfSection* section = &inf->sections[s];
        for (size_t l = 0; l < section->count; ++l) {
            InfLine* line = &section->lines[l];
            free(line->key);
            for (size_t f = 0; f < line->count; ++f)
                free(line->fields[f]);
            free(line->fields);
        }
        free(section->lines);
        free(section->name);
    }
    free(inf->sections);
    memset(inf, 0, sizeof *inf);
}

const InfSection* inf_section(const InfText* inf, const char* name)
{
    return find_section(inf, name);
}

const InfLine* inf_line(const InfSection* section, const char* key)
{
    for (size_t i = 0; section != NULL && i < section->count; ++i) {
        if (section->lines[i].key != NULL && inst_equals_nocase(section->lines[i].key, key))
            return &section->lines[i];
    }
    return NULL;
}

const char* inf_field(const InfSection* section, const char* key, size_t i)
{
    const InfLine* line = inf_line(section, key);
    return line != NULL && i < line->count ? line->fields[i] : NULL;
}
