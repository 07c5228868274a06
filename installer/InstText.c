/* Text decoding of the files a package carries. */
#include "InstText.h"

#include "InstString.h"

#define REPLACEMENT 0xFFFDu

static size_t sequence_length(const unsigned char* p, size_t left)
{
    const unsigned char lead = p[0];
    size_t length;
    uint32_t minimum;
    uint32_t value;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        minimum = 0x80;
        value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        minimum = 0x800;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        minimum = 0x10000;
        value = lead & 0x07;
    } else {
        return 0;
    }
    if (length > left)
        return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (p[i] & 0x3Fu);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    return length;
}

int inst_utf8_valid(const char* text, size_t length)
{
    const unsigned char* p = (const unsigned char*)text;
    while (length > 0) {
        const size_t step = sequence_length(p, length);
        if (step == 0)
            return 0;
        p += step;
        length -= step;
    }
    return 1;
}

void inst_utf8_put(InstBuf* buf, uint32_t c)
{
    char out[4];
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        c = REPLACEMENT;
    if (c < 0x80) {
        out[0] = (char)c;
        inst_buf_append(buf, out, 1);
    } else if (c < 0x800) {
        out[0] = (char)(0xC0 | (c >> 6));
        out[1] = (char)(0x80 | (c & 0x3F));
        inst_buf_append(buf, out, 2);
    } else if (c < 0x10000) {
        out[0] = (char)(0xE0 | (c >> 12));
        out[1] = (char)(0x80 | ((c >> 6) & 0x3F));
        out[2] = (char)(0x80 | (c & 0x3F));
        inst_buf_append(buf, out, 3);
    } else {
        out[0] = (char)(0xF0 | (c >> 18));
        out[1] = (char)(0x80 | ((c >> 12) & 0x3F));
        out[2] = (char)(0x80 | ((c >> 6) & 0x3F));
        out[3] = (char)(0x80 | (c & 0x3F));
        inst_buf_append(buf, out, 4);
    }
}

static char* decode_utf16(const uint8_t* bytes, size_t size, int bigEndian)
{
    InstBuf buf = {0};
    const size_t units = size / 2;
    for (size_t i = 0; i < units; ++i) {
        const uint8_t* p = bytes + 2 * i;
        const uint32_t unit = bigEndian ? (uint32_t)(p[0] << 8 | p[1]) : (uint32_t)(p[1] << 8 | p[0]);
        uint32_t c = unit;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
            const uint8_t* q = p + 2;
            const uint32_t low = bigEndian ? (uint32_t)(q[0] << 8 | q[1]) : (uint32_t)(q[1] << 8 | q[0]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        inst_utf8_put(&buf, c == 0 ? REPLACEMENT : c);
    }
    return inst_buf_take(&buf);
}

/* Replaces NUL bytes so that the text can travel as a C string. */
static char* without_nul(const char* text, size_t length)
{
    InstBuf buf = {0};
    size_t start = 0;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == '\0') {
            inst_buf_append(&buf, text + start, i - start);
            inst_utf8_put(&buf, REPLACEMENT);
            start = i + 1;
        }
    }
    inst_buf_append(&buf, text + start, length - start);
    return inst_buf_take(&buf);
}

char* inst_decode_text(const uint8_t* bytes, size_t size, size_t* length)
{
    char* text;
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        text = decode_utf16(bytes + 2, size - 2, 0);
    } else if (size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
        text = decode_utf16(bytes + 2, size - 2, 1);
    } else {
        if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
            bytes += 3;
            size -= 3;
        }
        text = inst_utf8_valid((const char*)bytes, size) ? without_nul((const char*)bytes, size)
                                                         : inst_ansi_to_utf8((const char*)bytes, size);
    }
    size_t n = 0;
    while (text[n] != '\0')
        ++n;
    *length = n;
    return text;
}
