/* Build tool: draws the program icon and writes it as an .ico file (16, 32 and 48 pixels, 32-bit).
 * Usage: MakeIcon OUTPUT.ico package|installer
 * The picture is a printer seen from the front with a sheet coming out of it; the package icon carries a
 * downward arrow on the sheet, the installer icon a check mark.
 */
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#define SAMPLES 4
#define MAX_SIZE 48

typedef struct Color {
    double r, g, b, a;
} Color;

static const Color kBody = {0.22, 0.27, 0.33, 1.0};
static const Color kBodyEdge = {0.12, 0.15, 0.19, 1.0};
static const Color kSlot = {0.08, 0.10, 0.12, 1.0};
static const Color kPaper = {0.98, 0.98, 0.96, 1.0};
static const Color kPaperEdge = {0.62, 0.64, 0.66, 1.0};
static const Color kPackageMark = {0.10, 0.45, 0.85, 1.0};
static const Color kInstallerMark = {0.13, 0.62, 0.30, 1.0};
static const Color kLight = {0.35, 0.85, 0.45, 1.0};

/* Inside a rounded rectangle given in unit coordinates (0..1 across the icon). */
static int in_round_rect(double x, double y, double left, double top, double right, double bottom, double radius)
{
    if (x < left || x > right || y < top || y > bottom)
        return 0;
    const double cx = x < left + radius ? left + radius : x > right - radius ? right - radius : x;
    const double cy = y < top + radius ? top + radius : y > bottom - radius ? bottom - radius : y;
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
}

static double segment_distance(double x, double y, double x1, double y1, double x2, double y2)
{
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    double t = ((x - x1) * dx + (y - y1) * dy) / (dx * dx + dy * dy);
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    const double px = x1 + t * dx - x;
    const double py = y1 + t * dy - y;
    return sqrt(px * px + py * py);
}

/* The colour of one sample point; alpha 0 outside the picture. */
static Color sample(double x, double y, int installer)
{
    const Color none = {0, 0, 0, 0};
    const double stroke = 0.07;
    if (installer) {
        if (segment_distance(x, y, 0.33, 0.30, 0.45, 0.42) < stroke / 1.4 ||
            segment_distance(x, y, 0.45, 0.42, 0.68, 0.14) < stroke / 1.4)
            return kInstallerMark;
    } else {
        if (segment_distance(x, y, 0.50, 0.10, 0.50, 0.40) < stroke / 2 ||
            segment_distance(x, y, 0.38, 0.29, 0.50, 0.41) < stroke / 2 ||
            segment_distance(x, y, 0.62, 0.29, 0.50, 0.41) < stroke / 2)
            return kPackageMark;
    }
    if (in_round_rect(x, y, 0.24, 0.04, 0.76, 0.56, 0.02))
        return in_round_rect(x, y, 0.26, 0.06, 0.74, 0.56, 0.02) ? kPaper : kPaperEdge;
    if (in_round_rect(x, y, 0.06, 0.44, 0.94, 0.90, 0.08)) {
        if (y > 0.50 && y < 0.55 && x > 0.20 && x < 0.80)
            return kSlot;
        if ((x - 0.82) * (x - 0.82) + (y - 0.76) * (y - 0.76) < 0.045 * 0.045)
            return kLight;
        return in_round_rect(x, y, 0.09, 0.47, 0.91, 0.87, 0.06) ? kBody : kBodyEdge;
    }
    if (in_round_rect(x, y, 0.22, 0.86, 0.78, 0.96, 0.02))
        return in_round_rect(x, y, 0.24, 0.86, 0.76, 0.94, 0.02) ? kPaper : kPaperEdge;
    return none;
}

/* Premultiplied average of SAMPLES x SAMPLES points per pixel, stored bottom-up as BGRA. */
static void draw(int size, int installer, uint8_t* pixels)
{
    for (int row = 0; row < size; ++row) {
        for (int column = 0; column < size; ++column) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < SAMPLES; ++sy) {
                for (int sx = 0; sx < SAMPLES; ++sx) {
                    const double x = (column + (sx + 0.5) / SAMPLES) / size;
                    const double y = (row + (sy + 0.5) / SAMPLES) / size;
                    const Color c = sample(x, y, installer);
                    r += c.r * c.a;
                    g += c.g * c.a;
                    b += c.b * c.a;
                    a += c.a;
                }
            }
            const double n = SAMPLES * SAMPLES;
            uint8_t* out = pixels + ((size_t)(size - 1 - row) * (size_t)size + (size_t)column) * 4;
            const double alpha = a / n;
            out[0] = (uint8_t)lround(alpha > 0 ? b / a * 255 : 0);
            out[1] = (uint8_t)lround(alpha > 0 ? g / a * 255 : 0);
            out[2] = (uint8_t)lround(alpha > 0 ? r / a * 255 : 0);
            out[3] = (uint8_t)lround(alpha * 255);
        }
    }
}

static void put16(FILE* out, unsigned value)
{
    fputc((int)(value & 0xFF), out);
    fputc((int)((value >> 8) & 0xFF), out);
}

static void put32(FILE* out, uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

/* Bytes of one image: BITMAPINFOHEADER, BGRA rows, then the AND mask (rows padded to 32 bits). */
static uint32_t image_size(int size)
{
    const uint32_t maskRow = (uint32_t)((size + 31) / 32 * 4);
    return 40u + (uint32_t)(size * size * 4) + maskRow * (uint32_t)size;
}

static void write_image(FILE* out, int size, int installer)
{
    static uint8_t pixels[MAX_SIZE * MAX_SIZE * 4];
    draw(size, installer, pixels);
    put32(out, 40);
    put32(out, (uint32_t)size);
    put32(out, (uint32_t)size * 2); /* colour and mask together */
    put16(out, 1);
    put16(out, 32);
    for (int i = 0; i < 6; ++i)
        put32(out, 0);
    fwrite(pixels, 1, (size_t)(size * size * 4), out);
    const int maskRow = (size + 31) / 32 * 4;
    for (int row = 0; row < size; ++row) {
        for (int byte = 0; byte < maskRow; ++byte) {
            int bits = 0;
            for (int bit = 0; bit < 8; ++bit) {
                const int column = byte * 8 + bit;
                const int transparent =
                    column >= size || pixels[((size_t)row * (size_t)size + (size_t)column) * 4 + 3] == 0;
                bits |= transparent << (7 - bit);
            }
            fputc(bits, out);
        }
    }
}

int main(int argc, char** argv)
{
    if (argc != 3 || (strcmp(argv[2], "package") != 0 && strcmp(argv[2], "installer") != 0)) {
        fprintf(stderr, "usage: %s OUTPUT.ico package|installer\n", argv[0]);
        return 2;
    }
    const int installer = strcmp(argv[2], "installer") == 0;
    static const int sizes[] = {16, 32, 48};
    const int count = (int)(sizeof sizes / sizeof sizes[0]);
    FILE* out = fopen(argv[1], "wb");
    if (out == NULL) {
        fprintf(stderr, "MakeIcon: cannot write %s\n", argv[1]);
        return 1;
    }
    put16(out, 0);
    put16(out, 1);
    put16(out, (unsigned)count);
    uint32_t offset = 6u + 16u * (uint32_t)count;
    for (int i = 0; i < count; ++i) {
        fputc(sizes[i], out);
        fputc(sizes[i], out);
        fputc(0, out);
        fputc(0, out);
        put16(out, 1);
        put16(out, 32);
        put32(out, image_size(sizes[i]));
        put32(out, offset);
        offset += image_size(sizes[i]);
    }
    for (int i = 0; i < count; ++i)
        write_image(out, sizes[i], installer);
    const int failed = ferror(out);
    if (fclose(out) != 0 || failed) {
        fprintf(stderr, "MakeIcon: cannot write %s\n", argv[1]);
        remove(argv[1]);
        return 1;
    }
    return 0;
}
