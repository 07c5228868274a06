/* Registry values written as text. */
#include "RegText.h"

#include "InstString.h"

#include <stdlib.h>
#include <string.h>

static uint32_t hex_digit(char c)
{
    if (c >= '0' && c <= '9')
        return (uint32_t)(c - '0');
    if (c >= 'a' && c <= 'f')
        return (uint32_t)(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return (uint32_t)(c - 'A' + 10);
    return 0; /* any other character counts as the digit 0 */
}

static uint32_t hex_number(const char* text, size_t length)
{
    uint32_t value = 0;
    for (size_t i = 0; i < length; ++i)
        value = (value << 4) | hex_digit(text[i]);
    return value;
}

/* The data always end in a NUL byte past size, so that any value can be read as a C string. */
static void set_bytes(RegTextValue* value, uint32_t type, const void* data, size_t size)
{
    value->type = type;
    value->size = size;
    value->data = (uint8_t*)inst_alloc(size + 1);
    if (size > 0)
        memcpy(value->data, data, size);
    value->data[size] = 0;
}

static int parse_string(const char* text, RegTextValue* value)
{
    size_t begin = 0;
    size_t end = strlen(text);
    while (begin < end && text[begin] == '"')
        ++begin;
    while (end > begin && text[end - 1] == '"')
        --end;
    char* copy = inst_strndup(text + begin, end - begin);
    set_bytes(value, REG_TEXT_STRING, copy, end - begin + 1);
    free(copy);
    return 1;
}

static int parse_hex(const char* text, RegTextValue* value)
{
    text += 3;
    uint32_t type = 0;
    if (*text == ':') {
        type = REG_TEXT_BINARY;
        ++text;
    } else {
        const char* colon = strchr(text, ':');
        if (colon != NULL) {
            const char* number = text;
            const char* numberEnd = colon;
            if (number < numberEnd && *number == '(')
                ++number;
            if (numberEnd > number && numberEnd[-1] == ')')
                --numberEnd;
            uint32_t decimal = 0;
            for (const char* p = number; p < numberEnd && *p >= '0' && *p <= '9'; ++p)
                decimal = decimal * 10u + (uint32_t)(*p - '0');
            type = decimal;
            text = colon + 1;
        }
    }
    const size_t length = strlen(text);
    uint8_t* bytes = (uint8_t*)inst_alloc(length / 2 + 1);
    size_t count = 0;
    static const char separators[] = ", \r\n\t";
    while (*text != '\0') {
        const size_t gap = strspn(text, separators);
        text += gap;
        const size_t token = strcspn(text, separators);
        if (token > 0)
            bytes[count++] = (uint8_t)(hex_number(text, token) & 0xFF);
        text += token;
    }
    set_bytes(value, type, bytes, count);
    free(bytes);
    return 1;
}

int reg_text_parse(const char* text, double now, RegTextValue* value)
{
    memset(value, 0, sizeof *value);
    if (text == NULL || text[0] == '\0')
        return 0;
    if (text[0] == '"')
        return parse_string(text, value);
    if (inst_starts_nocase(text, "dword:")) {
        const char* digits = text + 6;
        const uint32_t number = hex_number(digits, strlen(digits));
        const uint8_t bytes[4] = {(uint8_t)number, (uint8_t)(number >> 8), (uint8_t)(number >> 16),
                                  (uint8_t)(number >> 24)};
        set_bytes(value, REG_TEXT_DWORD, bytes, 4);
        return 1;
    }
    if (inst_equals_nocase(text, "%date%")) {
        uint8_t bytes[8];
        memcpy(bytes, &now, 8); /* both supported targets store doubles little-endian */
        set_bytes(value, REG_TEXT_BINARY, bytes, 8);
        return 1;
    }
    if (inst_starts_nocase(text, "hex"))
        return parse_hex(text, value);
    return 0;
}

char* reg_text_describe(const RegTextValue* value)
{
    InstBuf buf = {0};
    if (value->type == REG_TEXT_STRING) {
        inst_buf_printf(&buf, "string \"%s\"", (const char*)value->data);
    } else if (value->type == REG_TEXT_DWORD && value->size == 4) {
        const uint32_t number = (uint32_t)value->data[0] | (uint32_t)value->data[1] << 8 |
                                (uint32_t)value->data[2] << 16 | (uint32_t)value->data[3] << 24;
        inst_buf_printf(&buf, "dword:%08lX", (unsigned long)number);
    } else {
        if (value->type == REG_TEXT_BINARY)
            inst_buf_puts(&buf, "hex:");
        else
            inst_buf_printf(&buf, "hex(%lu):", (unsigned long)value->type);
        for (size_t i = 0; i < value->size; ++i)
            inst_buf_printf(&buf, i == 0 ? "%02X" : ",%02X", value->data[i]);
    }
    return inst_buf_take(&buf);
}

void reg_text_free(RegTextValue* value)
{
    free(value->data);
    memset(value, 0, sizeof *value);
}
