#include "StubPackage.h"

#include "StubExit.h"
#include "StubText.h"

#include <stdlib.h>
#include <string.h>

/* IEEE-754 double 1.0, little-endian. */
static const uint8_t kVersion[8] = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0x3F};

/* Reads forward through the header; never past limit. */
typedef struct Cursor {
    StubInput* input;
    uint64_t position;
    uint64_t limit;
} Cursor;

static uint32_t get32(const uint8_t* p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

static int cursor_read(Cursor* cursor, void* buffer, size_t length)
{
    if (length > cursor->limit - cursor->position)
        return STUB_EXIT_BAD_PACKAGE;
    if (stub_input_read(cursor->input, cursor->position, buffer, length) != 0)
        return STUB_EXIT_UNREADABLE;
    cursor->position += length;
    return STUB_OK;
}

static int cursor_read32(Cursor* cursor, uint32_t* value)
{
    uint8_t bytes[4];
    const int rc = cursor_read(cursor, bytes, sizeof bytes);
    if (rc == STUB_OK)
        *value = get32(bytes);
    return rc;
}

/* The length prefix of a counted string. 0xFF 0xFFFE announces a wide string whose own prefix follows. */
static int read_string_length(Cursor* cursor, uint32_t* length, int* wide)
{
    *wide = 0;
    for (int round = 0; round < 2; ++round) {
        uint8_t bytes[4];
        int rc = cursor_read(cursor, bytes, 1);
        if (rc != STUB_OK)
            return rc;
        if (bytes[0] < 0xFF) {
            *length = bytes[0];
            return STUB_OK;
        }
        rc = cursor_read(cursor, bytes, 2);
        if (rc != STUB_OK)
            return rc;
        const uint32_t word = (uint32_t)bytes[0] | ((uint32_t)bytes[1] << 8);
        if (word < 0xFFFE) {
            *length = word;
            return STUB_OK;
        }
        if (word == 0xFFFF)
            return cursor_read32(cursor, length);
        if (*wide)
            break;
        *wide = 1;
    }
    return STUB_EXIT_BAD_PACKAGE;
}

/* Reads a counted string; with text == NULL it is only skipped. */
static int read_string(Cursor* cursor, char** text)
{
    uint32_t length;
    int wide;
    int rc = read_string_length(cursor, &length, &wide);
    if (rc != STUB_OK)
        return rc;
    const uint64_t bytes = wide ? (uint64_t)length * 2 : length;
    if (bytes > cursor->limit - cursor->position)
        return STUB_EXIT_BAD_PACKAGE;
    if (text == NULL) {
        cursor->position += bytes;
        return STUB_OK;
    }
    uint8_t* raw = (uint8_t*)malloc((size_t)bytes + 1);
    if (raw == NULL)
        return STUB_EXIT_NO_MEMORY;
    rc = cursor_read(cursor, raw, (size_t)bytes);
    if (rc != STUB_OK) {
        free(raw);
        return rc;
    }
    /* A NUL inside the text would cut the command short. */
    int holdsNul = 0;
    for (uint32_t i = 0; i < length && !holdsNul; ++i)
        holdsNul = wide ? (raw[2 * i] == 0 && raw[2 * i + 1] == 0) : raw[i] == 0;
    if (holdsNul) {
        free(raw);
        return STUB_EXIT_BAD_PACKAGE;
    }
    if (wide) {
        *text = stub_utf16le_to_utf8(raw, length);
        free(raw);
        if (*text == NULL)
            return STUB_EXIT_NO_MEMORY;
    } else {
        raw[bytes] = 0;
        *text = (char*)raw;
    }
    return STUB_OK;
}

static int all_padding(const uint8_t* bytes, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        if (bytes[i] != STUB_PADDING_BYTE)
            return 0;
    }
    return 1;
}

/* Decides the layout and reads the version and stub size. */
static int probe(StubInput* input, StubPackage* package, uint8_t fixed[STUB_TRAILER_LENGTH])
{
    const uint64_t size = stub_input_size(input);
    package->padded = 0;
    if (size >= (uint64_t)STUB_HEADER_OFFSET + STUB_TRAILER_LENGTH) {
        uint8_t* window = (uint8_t*)malloc(STUB_PROBE_LENGTH);
        if (window == NULL)
            return STUB_EXIT_NO_MEMORY;
        const int failed = stub_input_read(input, STUB_PROBE_OFFSET, window, STUB_PROBE_LENGTH);
        package->padded = !failed && all_padding(window, STUB_PROBE_LENGTH);
        free(window);
        if (failed)
            return STUB_EXIT_UNREADABLE;
    }
    if (package->padded)
        return stub_input_read(input, STUB_HEADER_OFFSET, fixed, STUB_TRAILER_LENGTH) ? STUB_EXIT_UNREADABLE : STUB_OK;
    if (size < STUB_TRAILER_LENGTH)
        return STUB_EXIT_NO_PACKAGE;
    return stub_input_read(input, size - STUB_TRAILER_LENGTH, fixed, STUB_TRAILER_LENGTH) ? STUB_EXIT_UNREADABLE
                                                                                           : STUB_OK;
}

int stub_package_read(StubInput* input, StubPackage* package)
{
    uint8_t fixed[STUB_TRAILER_LENGTH];
    memset(package, 0, sizeof *package);
    int rc = probe(input, package, fixed);
    if (rc != STUB_OK)
        return rc;
    if (memcmp(fixed, kVersion, sizeof kVersion) != 0)
        return STUB_EXIT_NO_PACKAGE;
    package->stubSize = get32(fixed + 8);
    if (package->stubSize == 0)
        return STUB_EXIT_NO_PACKAGE;

    Cursor cursor;
    cursor.input = input;
    if (package->padded) {
        if (package->stubSize >= STUB_HEADER_OFFSET)
            return STUB_EXIT_NO_PACKAGE;
        cursor.position = STUB_HEADER_OFFSET + STUB_TRAILER_LENGTH;
        cursor.limit = stub_input_size(input);
    } else {
        cursor.limit = stub_input_size(input) - STUB_TRAILER_LENGTH;
        if (package->stubSize > cursor.limit)
            return STUB_EXIT_BAD_PACKAGE;
        cursor.position = package->stubSize;
    }

    rc = cursor_read32(&cursor, &package->entryCount);
    for (uint32_t i = 0; rc == STUB_OK && i < package->entryCount; ++i)
        rc = read_string(&cursor, NULL);
    if (rc == STUB_OK)
        rc = read_string(&cursor, &package->command);
    if (rc == STUB_OK)
        rc = cursor_read32(&cursor, &package->archiveLength);
    if (rc == STUB_OK && package->archiveLength > cursor.limit - cursor.position)
        rc = STUB_EXIT_BAD_PACKAGE;
    if (rc != STUB_OK) {
        stub_package_free(package);
        return rc;
    }
    package->archiveOffset = cursor.position;
    return STUB_OK;
}

void stub_package_free(StubPackage* package)
{
    free(package->command);
    package->command = NULL;
}
