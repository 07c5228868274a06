/* Build tool: copies a stub program and pads it with zero bytes to an exact size.
 * Usage: PadStub INPUT OUTPUT SIZE [MZ]   (MZ: the input must be a Windows program)
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv)
{
    if (argc != 4 && !(argc == 5 && strcmp(argv[4], "MZ") == 0)) {
        fprintf(stderr, "usage: %s INPUT OUTPUT SIZE [MZ]\n", argv[0]);
        return 2;
    }
    const long size = strtol(argv[3], NULL, 10);
    FILE* in = fopen(argv[1], "rb");
    if (in == NULL || size <= 0) {
        fprintf(stderr, "PadStub: cannot read %s\n", argv[1]);
        return 1;
    }
    unsigned char* bytes = (unsigned char*)calloc((size_t)size + 1, 1);
    const size_t length = bytes != NULL ? fread(bytes, 1, (size_t)size + 1, in) : 0;
    const int readError = ferror(in);
    fclose(in);
    if (bytes == NULL || readError) {
        fprintf(stderr, "PadStub: cannot read %s\n", argv[1]);
        free(bytes);
        return 1;
    }
    if (length > (size_t)size) {
        fprintf(stderr, "PadStub: the stub %s is larger than %ld bytes; it must fit the package layout\n", argv[1],
                size);
        free(bytes);
        return 1;
    }
    if (argc == 5 && (length < 2 || bytes[0] != 'M' || bytes[1] != 'Z')) {
        fprintf(stderr, "PadStub: %s is not a Windows program\n", argv[1]);
        free(bytes);
        return 1;
    }
    FILE* out = fopen(argv[2], "wb");
    int failed = out == NULL || fwrite(bytes, 1, (size_t)size, out) != (size_t)size;
    if (out != NULL && fclose(out) != 0)
        failed = 1;
    free(bytes);
    if (failed) {
        fprintf(stderr, "PadStub: cannot write %s\n", argv[2]);
        remove(argv[2]);
        return 1;
    }
    return 0;
}
