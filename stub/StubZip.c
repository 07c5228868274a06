#include "StubZip.h"

#include "StubExit.h"
#include "StubText.h"

#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#define SIG_LOCAL 0x04034b50u
#define SIG_CENTRAL 0x02014b50u
#define SIG_END 0x06054b50u
#define SIG_END64 0x06064b50u
#define SIG_LOCATOR64 0x07064b50u
#define END_LENGTH 22u
#define MAX_COMMENT 65535u
#define CENTRAL_LENGTH 46u
#define LOCAL_LENGTH 30u
#define LOCATOR64_LENGTH 20u
#define END64_LENGTH 56u
#define BLOCK 65536u

#define FLAG_ENCRYPTED 0x0001u
#define FLAG_STRONG_ENCRYPTION 0x0040u
#define FLAG_UTF8 0x0800u
#define METHOD_STORE 0
#define METHOD_DEFLATE 8
#define HOST_MSDOS 0
#define HOST_UNIX 3
#define HOST_NTFS 11
#define HOST_VFAT 14
#define HOST_OSX 19
#define DOS_ATTRIBUTE_FOLDER 0x10u
#define UNIX_TYPE_MASK 0170000u
#define UNIX_TYPE_FILE 0100000u
#define UNIX_TYPE_FOLDER 0040000u

static uint16_t get16(const uint8_t* p)
{
    return (uint16_t)(p[0] | (p[1] << 8));
}

static uint32_t get32(const uint8_t* p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

static uint64_t get64(const uint8_t* p)
{
    return (uint64_t)get32(p) | ((uint64_t)get32(p + 4) << 32);
}

static int read_at(StubInput* input, uint64_t offset, void* buffer, size_t length)
{
    return stub_input_read(input, offset, buffer, length) == 0 ? STUB_OK : STUB_EXIT_UNREADABLE;
}

typedef struct Directory {
    uint64_t offset;
    uint64_t size;
    uint64_t count;
} Directory;

/* Locates the end record (and its Zip64 form) and checks where the central directory lies. */
static int find_directory(StubInput* input, uint64_t base, uint64_t length, Directory* directory)
{
    if (length < END_LENGTH)
        return STUB_EXIT_BAD_PACKAGE;
    const size_t tailLength = (size_t)(length < END_LENGTH + MAX_COMMENT ? length : END_LENGTH + MAX_COMMENT);
    uint8_t* tail = (uint8_t*)malloc(tailLength);
    if (tail == NULL)
        return STUB_EXIT_NO_MEMORY;
    int rc = read_at(input, base + length - tailLength, tail, tailLength);
    size_t at = tailLength - END_LENGTH;
    int found = 0;
    while (rc == STUB_OK) {
        if (get32(tail + at) == SIG_END && at + END_LENGTH + get16(tail + at + 20) == tailLength) {
            found = 1;
            break;
        }
        if (at == 0)
            break;
        --at;
    }
    if (rc != STUB_OK || !found) {
        free(tail);
        return rc != STUB_OK ? rc : STUB_EXIT_BAD_PACKAGE;
    }
    const uint8_t* end = tail + at;
    const uint64_t endPosition = length - tailLength + at;
    uint32_t disk = get16(end + 4);
    uint32_t directoryDisk = get16(end + 6);
    uint64_t countOnDisk = get16(end + 8);
    uint64_t count = get16(end + 10);
    uint64_t size = get32(end + 12);
    uint64_t offset = get32(end + 16);
    uint64_t limit = endPosition;
    free(tail);

    if (count == 0xFFFF || size == 0xFFFFFFFFu || offset == 0xFFFFFFFFu) {
        uint8_t locator[LOCATOR64_LENGTH];
        uint8_t end64[END64_LENGTH];
        if (endPosition < LOCATOR64_LENGTH)
            return STUB_EXIT_BAD_PACKAGE;
        rc = read_at(input, base + endPosition - LOCATOR64_LENGTH, locator, sizeof locator);
        if (rc != STUB_OK)
            return rc;
        if (get32(locator) != SIG_LOCATOR64 || get32(locator + 4) != 0 || get32(locator + 16) > 1)
            return STUB_EXIT_BAD_PACKAGE;
        const uint64_t end64Position = get64(locator + 8);
        limit = endPosition - LOCATOR64_LENGTH;
        if (end64Position > limit || limit - end64Position < END64_LENGTH)
            return STUB_EXIT_BAD_PACKAGE;
        rc = read_at(input, base + end64Position, end64, sizeof end64);
        if (rc != STUB_OK)
            return rc;
        if (get32(end64) != SIG_END64)
            return STUB_EXIT_BAD_PACKAGE;
        disk = get32(end64 + 16);
        directoryDisk = get32(end64 + 20);
        countOnDisk = get64(end64 + 24);
        count = get64(end64 + 32);
        size = get64(end64 + 40);
        offset = get64(end64 + 48);
        limit = end64Position;
    }
    if (disk != 0 || directoryDisk != 0 || countOnDisk != count)
        return STUB_EXIT_BAD_PACKAGE;
    if (offset > limit || size > limit - offset || size > STUB_ZIP_MAX_DIRECTORY_SIZE)
        return STUB_EXIT_BAD_PACKAGE;
    if (count > size / CENTRAL_LENGTH)
        return STUB_EXIT_BAD_PACKAGE;
    directory->offset = offset;
    directory->size = size;
    directory->count = count;
    return STUB_OK;
}

/* Replaces the 32-bit fields that hold 0xFFFFFFFF by their values from the Zip64 extra field. */
static int apply_zip64(const uint8_t* extra, size_t length, uint64_t* size, uint64_t* compressedSize,
                       uint64_t* localOffset, uint32_t* diskStart)
{
    const int needSize = *size == 0xFFFFFFFFu;
    const int needCompressed = *compressedSize == 0xFFFFFFFFu;
    const int needOffset = *localOffset == 0xFFFFFFFFu;
    const int needDisk = *diskStart == 0xFFFFu;
    if (!needSize && !needCompressed && !needOffset && !needDisk)
        return STUB_OK;
    while (length >= 4) {
        const uint16_t id = get16(extra);
        const size_t fieldLength = get16(extra + 2);
        if (fieldLength > length - 4)
            return STUB_EXIT_BAD_PACKAGE;
        if (id == 0x0001) {
            const uint8_t* p = extra + 4;
            size_t left = fieldLength;
            if (needSize) {
                if (left < 8)
                    return STUB_EXIT_BAD_PACKAGE;
                *size = get64(p);
                p += 8;
                left -= 8;
            }
            if (needCompressed) {
                if (left < 8)
                    return STUB_EXIT_BAD_PACKAGE;
                *compressedSize = get64(p);
                p += 8;
                left -= 8;
            }
            if (needOffset) {
                if (left < 8)
                    return STUB_EXIT_BAD_PACKAGE;
                *localOffset = get64(p);
                p += 8;
                left -= 8;
            }
            if (needDisk) {
                if (left < 4)
                    return STUB_EXIT_BAD_PACKAGE;
                *diskStart = get32(p);
            }
            return STUB_OK;
        }
        extra += 4 + fieldLength;
        length -= 4 + fieldLength;
    }
    return STUB_EXIT_BAD_PACKAGE;
}

/* Characters that no file name on any client may hold; ":" also rules out drive letters and streams. */
static int forbidden_character(unsigned char c)
{
    return c < 0x20 || c == 0x7F || c == '<' || c == '>' || c == ':' || c == '"' || c == '|' || c == '?' || c == '*';
}

/* Turns a stored name into a relative path that cannot leave the extraction folder. */
static int make_path(const uint8_t* raw, size_t length, int utf8Flag, char** path, int* isFolder)
{
    *path = NULL;
    if (length == 0 || memchr(raw, 0, length) != NULL)
        return STUB_EXIT_BAD_PACKAGE;
    char* text;
    if (stub_utf8_valid(raw, length)) {
        text = (char*)malloc(length + 1);
        if (text != NULL) {
            memcpy(text, raw, length);
            text[length] = '\0';
        }
    } else if (utf8Flag) {
        return STUB_EXIT_BAD_PACKAGE;
    } else {
        text = stub_cp437_to_utf8(raw, length);
    }
    if (text == NULL)
        return STUB_EXIT_NO_MEMORY;

    const size_t n = strlen(text);
    *isFolder = text[n - 1] == '/' || text[n - 1] == '\\';
    char* out = (char*)malloc(n + 1);
    if (out == NULL) {
        free(text);
        return STUB_EXIT_NO_MEMORY;
    }
    int rc = text[0] == '/' || text[0] == '\\' ? STUB_EXIT_BAD_PACKAGE : STUB_OK;
    size_t written = 0;
    size_t i = 0;
    while (rc == STUB_OK && i < n) {
        const size_t start = i;
        while (i < n && text[i] != '/' && text[i] != '\\')
            ++i;
        const char* component = text + start;
        const size_t componentLength = i - start;
        if (i < n)
            ++i;
        if (componentLength == 0 || (componentLength == 1 && component[0] == '.'))
            continue;
        if (componentLength == 2 && component[0] == '.' && component[1] == '.') {
            rc = STUB_EXIT_BAD_PACKAGE;
            break;
        }
        for (size_t k = 0; k < componentLength && rc == STUB_OK; ++k) {
            if (forbidden_character((unsigned char)component[k]))
                rc = STUB_EXIT_BAD_PACKAGE;
        }
        /* Windows drops trailing dots and blanks, which would merge names or turn ". ." into "..". */
        if (component[componentLength - 1] == '.' || component[componentLength - 1] == ' ')
            rc = STUB_EXIT_BAD_PACKAGE;
        if (rc != STUB_OK)
            break;
        if (written > 0)
            out[written++] = '/';
        memcpy(out + written, component, componentLength);
        written += componentLength;
    }
    out[written] = '\0';
    free(text);
    if (rc == STUB_OK && written == 0 && !*isFolder)
        rc = STUB_EXIT_BAD_PACKAGE;
    if (rc != STUB_OK) {
        free(out);
        return rc;
    }
    *path = out;
    return STUB_OK;
}

/* Decides from the host system's attributes whether an entry is a folder; refuses links and devices. */
static int check_attributes(uint16_t madeBy, uint32_t external, int* isFolder)
{
    const unsigned host = madeBy >> 8;
    if (host == HOST_UNIX || host == HOST_OSX) {
        const uint32_t type = (external >> 16) & UNIX_TYPE_MASK;
        if (type == UNIX_TYPE_FOLDER)
            *isFolder = 1;
        else if (type != 0 && type != UNIX_TYPE_FILE)
            return STUB_EXIT_BAD_PACKAGE;
    } else if ((host == HOST_MSDOS || host == HOST_NTFS || host == HOST_VFAT) && (external & DOS_ATTRIBUTE_FOLDER)) {
        *isFolder = 1;
    }
    return STUB_OK;
}

static int read_entry(const uint8_t* record, uint64_t length, StubZipEntry* entry, size_t* recordLength)
{
    const uint16_t madeBy = get16(record + 4);
    const uint16_t flags = get16(record + 8);
    const uint16_t nameLength = get16(record + 28);
    const uint16_t extraLength = get16(record + 30);
    const uint32_t external = get32(record + 38);
    uint32_t diskStart = get16(record + 34);

    *recordLength = CENTRAL_LENGTH + (size_t)nameLength + extraLength + get16(record + 32);
    entry->method = get16(record + 10);
    entry->crc = get32(record + 16);
    entry->compressedSize = get32(record + 20);
    entry->size = get32(record + 24);
    entry->localOffset = get32(record + 42);
    int rc = apply_zip64(record + CENTRAL_LENGTH + nameLength, extraLength, &entry->size, &entry->compressedSize,
                         &entry->localOffset, &diskStart);
    if (rc != STUB_OK)
        return rc;
    if ((flags & (FLAG_ENCRYPTED | FLAG_STRONG_ENCRYPTION)) || diskStart != 0)
        return STUB_EXIT_BAD_PACKAGE;
    rc = make_path(record + CENTRAL_LENGTH, nameLength, (flags & FLAG_UTF8) != 0, &entry->path, &entry->isFolder);
    if (rc == STUB_OK)
        rc = check_attributes(madeBy, external, &entry->isFolder);
    if (rc != STUB_OK)
        return rc;
    if (entry->isFolder) {
        if (entry->size != 0)
            return STUB_EXIT_BAD_PACKAGE;
    } else if (entry->path[0] == '\0' || (entry->method != METHOD_STORE && entry->method != METHOD_DEFLATE) ||
               (entry->method == METHOD_STORE && entry->compressedSize != entry->size)) {
        return STUB_EXIT_BAD_PACKAGE;
    }
    if (length < LOCAL_LENGTH || entry->localOffset > length - LOCAL_LENGTH || entry->compressedSize > length)
        return STUB_EXIT_BAD_PACKAGE;
    return STUB_OK;
}

int stub_zip_read(StubInput* input, uint64_t offset, uint64_t length, StubZip* zip)
{
    Directory directory;
    memset(zip, 0, sizeof *zip);
    int rc = find_directory(input, offset, length, &directory);
    if (rc != STUB_OK)
        return rc;
    uint8_t* records = (uint8_t*)malloc(directory.size > 0 ? (size_t)directory.size : 1);
    zip->entries = (StubZipEntry*)calloc(directory.count > 0 ? (size_t)directory.count : 1, sizeof(StubZipEntry));
    if (records == NULL || zip->entries == NULL) {
        free(records);
        stub_zip_free(zip);
        return STUB_EXIT_NO_MEMORY;
    }
    rc = read_at(input, offset + directory.offset, records, (size_t)directory.size);
    size_t position = 0;
    for (uint64_t k = 0; rc == STUB_OK && k < directory.count; ++k) {
        const uint8_t* record = records + position;
        size_t recordLength = 0;
        if (directory.size - position < CENTRAL_LENGTH || get32(record) != SIG_CENTRAL) {
            rc = STUB_EXIT_BAD_PACKAGE;
            break;
        }
        if (directory.size - position < CENTRAL_LENGTH + (size_t)get16(record + 28) + get16(record + 30) +
                                            get16(record + 32)) {
            rc = STUB_EXIT_BAD_PACKAGE;
            break;
        }
        StubZipEntry* entry = &zip->entries[zip->count++];
        rc = read_entry(record, length, entry, &recordLength);
        if (rc != STUB_OK)
            break;
        zip->totalSize += entry->size;
        if (entry->size > STUB_ZIP_MAX_TOTAL_SIZE || zip->totalSize > STUB_ZIP_MAX_TOTAL_SIZE)
            rc = STUB_EXIT_BAD_PACKAGE;
        position += recordLength;
    }
    free(records);
    if (rc != STUB_OK)
        stub_zip_free(zip);
    return rc;
}

/* Finds where an entry's data begins, from its local header. */
static int locate_data(StubInput* input, uint64_t base, uint64_t length, const StubZipEntry* entry, uint64_t* data)
{
    uint8_t local[LOCAL_LENGTH];
    const int rc = read_at(input, base + entry->localOffset, local, sizeof local);
    if (rc != STUB_OK)
        return rc;
    if (get32(local) != SIG_LOCAL || get16(local + 8) != entry->method ||
        (get16(local + 6) & (FLAG_ENCRYPTED | FLAG_STRONG_ENCRYPTION)))
        return STUB_EXIT_BAD_PACKAGE;
    *data = entry->localOffset + LOCAL_LENGTH + get16(local + 26) + get16(local + 28);
    if (*data > length || entry->compressedSize > length - *data)
        return STUB_EXIT_BAD_PACKAGE;
    return STUB_OK;
}

typedef struct Buffers {
    uint8_t* in;
    uint8_t* out;
} Buffers;

static int copy_stored(StubInput* input, uint64_t at, const StubZipEntry* entry, StubOutput* output,
                       const Buffers* buffers, uLong* crc, uint64_t* produced)
{
    uint64_t left = entry->compressedSize;
    while (left > 0) {
        const size_t chunk = (size_t)(left < BLOCK ? left : BLOCK);
        const int rc = read_at(input, at, buffers->in, chunk);
        if (rc != STUB_OK)
            return rc;
        *crc = crc32(*crc, buffers->in, (uInt)chunk);
        if (stub_output_write(output, buffers->in, chunk) != 0)
            return stub_extract_failure();
        at += chunk;
        left -= chunk;
        *produced += chunk;
    }
    return STUB_OK;
}

static int copy_deflated(StubInput* input, uint64_t at, const StubZipEntry* entry, StubOutput* output,
                         const Buffers* buffers, uLong* crc, uint64_t* produced)
{
    z_stream stream;
    memset(&stream, 0, sizeof stream);
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return STUB_EXIT_NO_MEMORY;
    uint64_t left = entry->compressedSize;
    int rc = STUB_OK;
    int status = Z_OK;
    while (rc == STUB_OK && status != Z_STREAM_END) {
        if (stream.avail_in == 0) {
            if (left == 0) {
                rc = STUB_EXIT_BAD_PACKAGE; /* the deflate stream runs past the entry's data */
                break;
            }
            const size_t chunk = (size_t)(left < BLOCK ? left : BLOCK);
            rc = read_at(input, at, buffers->in, chunk);
            if (rc != STUB_OK)
                break;
            at += chunk;
            left -= chunk;
            stream.next_in = buffers->in;
            stream.avail_in = (uInt)chunk;
        }
        stream.next_out = buffers->out;
        stream.avail_out = BLOCK;
        status = inflate(&stream, Z_NO_FLUSH);
        if (status == Z_BUF_ERROR && stream.avail_in == 0)
            status = Z_OK;
        if (status != Z_OK && status != Z_STREAM_END) {
            rc = status == Z_MEM_ERROR ? STUB_EXIT_NO_MEMORY : STUB_EXIT_BAD_PACKAGE;
            break;
        }
        const size_t have = BLOCK - stream.avail_out;
        if (have > entry->size - *produced) {
            rc = STUB_EXIT_BAD_PACKAGE; /* more data than the directory declares */
            break;
        }
        *crc = crc32(*crc, buffers->out, (uInt)have);
        if (have > 0 && stub_output_write(output, buffers->out, have) != 0)
            rc = stub_extract_failure();
        *produced += have;
    }
    inflateEnd(&stream);
    return rc;
}

static int extract_file(StubInput* input, uint64_t base, uint64_t length, const StubZipEntry* entry,
                        StubFolder* folder, const Buffers* buffers)
{
    uint64_t data = 0;
    int rc = locate_data(input, base, length, entry, &data);
    if (rc != STUB_OK)
        return rc;
    StubOutput* output = stub_output_create(folder, entry->path);
    if (output == NULL)
        return stub_extract_failure();
    uLong crc = crc32(0L, Z_NULL, 0);
    uint64_t produced = 0;
    if (entry->method == METHOD_STORE)
        rc = copy_stored(input, base + data, entry, output, buffers, &crc, &produced);
    else
        rc = copy_deflated(input, base + data, entry, output, buffers, &crc, &produced);
    if (rc == STUB_OK && (produced != entry->size || crc != entry->crc))
        rc = STUB_EXIT_BAD_PACKAGE;
    if (stub_output_close(output, rc == STUB_OK) != 0 && rc == STUB_OK)
        rc = STUB_EXIT_CANNOT_EXTRACT;
    return rc;
}

int stub_zip_extract(StubInput* input, uint64_t offset, uint64_t length, const StubZip* zip, StubFolder* folder)
{
    Buffers buffers;
    buffers.in = (uint8_t*)malloc(BLOCK);
    buffers.out = (uint8_t*)malloc(BLOCK);
    int rc = buffers.in != NULL && buffers.out != NULL ? STUB_OK : STUB_EXIT_NO_MEMORY;
    for (size_t i = 0; rc == STUB_OK && i < zip->count; ++i) {
        const StubZipEntry* entry = &zip->entries[i];
        if (entry->isFolder) {
            if (entry->path[0] != '\0' && stub_folder_make_dirs(folder, entry->path) != 0)
                rc = stub_extract_failure();
        } else {
            rc = extract_file(input, offset, length, entry, folder, &buffers);
        }
    }
    free(buffers.in);
    free(buffers.out);
    return rc;
}

static int same_ignoring_case(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        char x = *a;
        char y = *b;
        if (x >= 'A' && x <= 'Z')
            x = (char)(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = (char)(y - 'A' + 'a');
        if (x != y)
            return 0;
        if (x == '\0')
            return 1;
    }
}

const StubZipEntry* stub_zip_find_root_file(const StubZip* zip, const char* name)
{
    for (size_t i = 0; i < zip->count; ++i) {
        const StubZipEntry* entry = &zip->entries[i];
        if (!entry->isFolder && strchr(entry->path, '/') == NULL && same_ignoring_case(entry->path, name))
            return entry;
    }
    return NULL;
}

void stub_zip_free(StubZip* zip)
{
    for (size_t i = 0; i < zip->count; ++i)
        free(zip->entries[i].path);
    free(zip->entries);
    zip->entries = NULL;
    zip->count = 0;
}
