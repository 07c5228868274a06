/* Reading and extracting the package's Zip archive: central directory, store and deflate, CRC-32. */
#ifndef PELLORA_STUB_ZIP_H
#define PELLORA_STUB_ZIP_H

#include "StubPlatform.h"

#include <stddef.h>
#include <stdint.h>

/* Upper bound of the sum of all uncompressed sizes an archive may declare. */
#define STUB_ZIP_MAX_TOTAL_SIZE ((uint64_t)4 << 30)
/* Upper bound of the central directory's size. */
#define STUB_ZIP_MAX_DIRECTORY_SIZE ((uint64_t)256 << 20)

typedef struct StubZipEntry {
    char* path;             /* checked relative path, UTF-8, "/" between components; "" for the root */
    int isFolder;
    uint16_t method;        /* 0 store, 8 deflate */
    uint32_t crc;
    uint64_t compressedSize;
    uint64_t size;
    uint64_t localOffset;   /* from the start of the archive */
} StubZipEntry;

typedef struct StubZip {
    StubZipEntry* entries;
    size_t count;
    uint64_t totalSize;
} StubZip;

/* Reads and checks the whole central directory of the archive at offset with length bytes, before
   anything is written: every name must stay inside the folder, no entry may be a link, device or
   encrypted, every method must be store or deflate, all ranges must lie in the archive and the sizes
   must stay below STUB_ZIP_MAX_TOTAL_SIZE. STUB_OK, STUB_EXIT_BAD_PACKAGE, STUB_EXIT_UNREADABLE or
   STUB_EXIT_NO_MEMORY. */
int stub_zip_read(StubInput* input, uint64_t offset, uint64_t length, StubZip* zip);
/* Extracts every entry into folder, checking sizes and CRC-32 of each; a file that fails is deleted.
   STUB_OK, STUB_EXIT_BAD_PACKAGE, STUB_EXIT_UNREADABLE, STUB_EXIT_CANNOT_EXTRACT, STUB_EXIT_DISK_FULL or
   STUB_EXIT_NO_MEMORY. */
int stub_zip_extract(StubInput* input, uint64_t offset, uint64_t length, const StubZip* zip, StubFolder* folder);
/* A file entry directly in the root whose name equals name ignoring ASCII letter case; NULL if none. */
const StubZipEntry* stub_zip_find_root_file(const StubZip* zip, const char* name);
void stub_zip_free(StubZip* zip);

#endif
