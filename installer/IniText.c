/* The install script's INI text. */
#include "IniText.h"

#include "InstString.h"

#include <stdlib.h>
#include <string.h>

static int blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

static void trim(const char** begin, const char** end)
{
    while (*begin < *end && blank(**begin))
        ++*begin;
    while (*end > *begin && blank((*end)[-1]))
        --*end;
}

static int compare_nocase(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        int x = (unsigned char)*a;
        int y = (unsigned char)*b;
        if (x >= 'A' && x <= 'Z')
            x += 'a' - 'A';
        if (y >= 'A' && y <= 'Z')
            y += 'a' - 'A';
        if (x != y || x == 0)
            return x - y;
    }
}

static IniSection* open_section(IniText* ini, const char* name, size_t length)
{
    if (ini->count == ini->capacity) {
        ini->capacity = ini->capacity > 0 ? ini->capacity * 2 : 8;
        ini->sections = (IniSection*)inst_realloc(ini->sections, ini->capacity * sizeof *ini->sections);
    }
    IniSection* section = &ini->sections[ini->count];
    memset(section, 0, sizeof *section);
    section->name = inst_strndup(name, length);
    section->order = ini->count++;
    return section;
}

static void add_entry(IniSection* section, const char* key, size_t keyLength, const char* raw, size_t rawLength)
{
    if (section->count == section->capacity) {
        section->capacity = section->capacity > 0 ? section->capacity * 2 : 16;
        section->entries = (IniEntry*)inst_realloc(section->entries, section->capacity * sizeof *section->entries);
    }
    IniEntry* entry = &section->entries[section->count];
    entry->order = section->count++;
    entry->key = inst_strndup(key, keyLength);
    entry->raw = inst_strndup(raw, rawLength);
    const int quoted = rawLength >= 2 && raw[0] == raw[rawLength - 1] && (raw[0] == '"' || raw[0] == '\'');
    entry->value = quoted ? inst_strndup(raw + 1, rawLength - 2) : inst_strdup(entry->raw);
}

/* Equal names sort in file order, so the first of them stays. */
static int compare_sections(const void* a, const void* b)
{
    const IniSection* x = (const IniSection*)a;
    const IniSection* y = (const IniSection*)b;
    const int byName = compare_nocase(x->name, y->name);
    return byName != 0 ? byName : (x->order < y->order ? -1 : x->order > y->order);
}

static int compare_entries(const void* a, const void* b)
{
    const IniEntry* x = (const IniEntry*)a;
    const IniEntry* y = (const IniEntry*)b;
    const int byKey = compare_nocase(x->key, y->key);
    return byKey != 0 ? byKey : (x->order < y->order ? -1 : x->order > y->order);
}

static void free_section(IniSection* section)
{
    for (size_t j = 0; j < section->count; ++j) {
        free(section->entries[j].key);
        free(section->entries[j].value);
        free(section->entries[j].raw);
    }
    free(section->entries);
    free(section->name);
}

static void drop_later_entries(IniSection* section)
{
    if (section->count < 2)
        return;
    qsort(section->entries, section->count, sizeof *section->entries, compare_entries);
    size_t kept = 1;
    for (size_t i = 1; i < section->count; ++i) {
        IniEntry* entry = &section->entries[i];
        if (compare_nocase(entry->key, section->entries[kept - 1].key) == 0) {
            free(entry->key);
            free(entry->value);
            free(entry->raw);
        } else {
            section->entries[kept++] = *entry;
        }
    }
    section->count = kept;
}

static void finish(IniText* ini)
{
    if (ini->count > 1)
        qsort(ini->sections, ini->count, sizeof *ini->sections, compare_sections);
    size_t kept = 0;
    for (size_t i = 0; i < ini->count; ++i) {
        IniSection* section = &ini->sections[i];
        if (kept > 0 && compare_nocase(section->name, ini->sections[kept - 1].name) == 0) {
            free_section(section);
            continue;
        }
        ini->sections[kept++] = *section;
    }
    ini->count = kept;
    for (size_t i = 0; i < ini->count; ++i)
        drop_later_entries(&ini->sections[i]);
}

static void parse_line(IniText* ini, IniSection** current, const char* line, const char* end)
{
    const char* begin = line;
    const char* stop = end;
    trim(&begin, &stop);
    if (begin < stop && *begin == '[') {
        const char* name = begin + 1;
        const char* close = memchr(name, ']', (size_t)(stop - name));
        const char* nameEnd = close != NULL ? close : stop;
        trim(&name, &nameEnd);
        *current = open_section(ini, name, (size_t)(nameEnd - name));
        return;
    }
    const char* equals = memchr(line, '=', (size_t)(end - line));
    if (*current == NULL || equals == NULL)
        return;
    const char* key = line;
    const char* keyEnd = equals;
    trim(&key, &keyEnd);
    if (key == keyEnd)
        return;
    const char* value = equals + 1;
    const char* valueEnd = end;
    trim(&value, &valueEnd);
    add_entry(*current, key, (size_t)(keyEnd - key), value, (size_t)(valueEnd - value));
}

void ini_parse(IniText* ini, const char* text, size_t length)
{
    memset(ini, 0, sizeof *ini);
    IniSection* current = NULL;
    const char* end = text + length;
    while (text < end) {
        const char* lf = memchr(text, '\n', (size_t)(end - text));
        const char* lineEnd = lf != NULL ? lf : end;
        parse_line(ini, &current, text, lineEnd);
        text = lf != NULL ? lf + 1 : end;
    }
    finish(ini);
}

void ini_free(IniText* ini)
{
    for (size_t i = 0; i < ini->count; ++i)
        free_section(&ini->sections[i]);
    free(ini->sections);
    memset(ini, 0, sizeof *ini);
}

const IniSection* ini_section(const IniText* ini, const char* name)
{
    size_t low = 0;
    size_t high = ini->count;
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        const int order = compare_nocase(ini->sections[middle].name, name);
        if (order == 0)
            return &ini->sections[middle];
        if (order < 0)
            low = middle + 1;
        else
            high = middle;
    }
    return NULL;
}

const char* ini_value(const IniSection* section, const char* key)
{
    if (section == NULL)
        return NULL;
    size_t low = 0;
    size_t high = section->count;
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        const int order = compare_nocase(section->entries[middle].key, key);
        if (order == 0)
            return section->entries[middle].value;
        if (order < 0)
            low = middle + 1;
        else
            high = middle;
    }
    return NULL;
}
