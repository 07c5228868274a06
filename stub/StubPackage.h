/* The package header behind the stub: where the archive lies and which command it carries. */
#ifndef PELLORA_STUB_PACKAGE_H
#define PELLORA_STUB_PACKAGE_H

#include "StubPlatform.h"

#include <stdint.h>

#define STUB_HEADER_OFFSET 512000u
#define STUB_PROBE_OFFSET 491520u
#define STUB_PROBE_LENGTH 20480u
#define STUB_PADDING_BYTE 0x61u
#define STUB_TRAILER_LENGTH 12u

typedef struct StubPackage {
    int padded;             /* 1: header at STUB_HEADER_OFFSET; 0: older layout with a trailer */
    uint32_t stubSize;
    uint32_t entryCount;
    char* command;          /* NUL-terminated; a wide string is converted to UTF-8 */
    uint64_t archiveOffset;
    uint32_t archiveLength;
} StubPackage;

/* Finds and reads the header. STUB_OK, STUB_EXIT_UNREADABLE, STUB_EXIT_NO_PACKAGE (no layout of
   version 1.0 with a stub size), STUB_EXIT_BAD_PACKAGE (anything read past its end, a command holding
   a NUL byte) or STUB_EXIT_NO_MEMORY. */
int stub_package_read(StubInput* input, StubPackage* package);
void stub_package_free(StubPackage* package);

#endif
