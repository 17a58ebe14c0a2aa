// PNG decoding. Pictures of 8 bits a channel or fewer go through libpng's simplified reader,
// which handles every colour type, palette and transparency right. 16-bit pictures do not: the
// simplified reader garbles the early passes of an interlaced 16-bit file when it narrows it, and
// takes a 16-bit file without gAMA as linear light. So those are read at full depth through
// libpng's row reader and narrowed here.

#include <png.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/pixmap.h"

namespace {
constexpr png_uint_32 kMaxSide = 4096;

void Tell(std::string* why, const std::string& text) {
    if (why) *why = text;
}

// Refuses absurd sizes before anything is allocated: a corrupt header must not exhaust memory.
// Beside a plain limit, a header may not claim more pixel rows than the file's bytes could
// inflate to: zlib packs at best about 1032 to 1, and a row holds at least its filter byte and one
// bit a pixel. Empty when the size is believable.
std::string SizeProblem(png_uint_32 width, png_uint_32 height, std::size_t bytes) {
    constexpr double kBestInflation = 1032;
    const double leastRaw = double(height) * (1.0 + std::ceil(double(width) / 8));
    if (width == 0 || height == 0) return "it has no pixels";
    if (width > kMaxSide || height > kMaxSide)
        return "it is " + std::to_string(width) + " x " + std::to_string(height) +
               " pixels, more than the 4096 a side the game takes";
    if (leastRaw > double(bytes) * kBestInflation)
        return "its header claims more pixels than its " + std::to_string(bytes) +
               " bytes could hold";
    return {};
}

std::unique_ptr<TPixmap> Refuse(std::string* why, const std::string& reason) {
    Tell(why, reason);
    return nullptr;
}

// IHDR is always the first chunk; its bit depth is byte 24 of the file.
bool SixteenBit(const std::uint8_t* data, std::size_t size) {
    return size > 24 && std::memcmp(data + 12, "IHDR", 4) == 0 && data[24] == 16;
}

std::unique_ptr<TPixmap> DecodeSimple(const std::uint8_t* data, std::size_t size,
                                      std::string* why) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size)) return Refuse(why, image.message);
    if (std::string problem = SizeProblem(image.width, image.height, size); !problem.empty()) {
        png_image_free(&image);
        return Refuse(why, problem);
    }
    const bool hadAlpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = PNG_FORMAT_RGBA;
    auto pixmap =
        std::make_unique<TPixmap>(static_cast<int>(image.width), static_cast<int>(image.height));
    if (!png_image_finish_read(&image, nullptr, pixmap->pixels.data(), pixmap->pitch, nullptr)) {
        const std::string message = image.message;
        png_image_free(&image);
        return Refuse(why, message);
    }
    pixmap->hasAlpha = hadAlpha;
    return pixmap;
}

// The bytes libpng reads from, and the message of its first error.
struct Source {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos;
    char message[160];
};

void OnError(png_structp png, png_const_charp message) {
    auto* source = static_cast<Source*>(png_get_error_ptr(png));
    std::snprintf(source->message, sizeof source->message, "%s", message);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void OnRead(png_structp png, png_bytep out, std::size_t count) {
    auto* source = static_cast<Source*>(png_get_io_ptr(png));
    if (source->size - source->pos < count) png_error(png, "the file ends early");
    std::memcpy(out, source->data + source->pos, count);
    source->pos += count;
}

// What a 16-bit picture needs beyond its size: whether it carried alpha (or a transparent
// colour), and the exponent that takes its values to sRGB (1 when they are sRGB already).
struct WideHeader {
    png_uint_32 width = 0, height = 0;
    bool alpha = false;
    double exponent = 1;
};

// libpng treats a gamma correction within 5% of none as none; so does the narrowing below.
double ExponentToSrgb(png_structp png, png_infop info) {
    constexpr double kSrgbEncoding = 0.45455;
    png_fixed_point gamma = 0;
    if (png_get_valid(png, info, PNG_INFO_sRGB) || !png_get_gAMA_fixed(png, info, &gamma) ||
        gamma <= 0)
        return 1;
    const double exponent = kSrgbEncoding / (gamma / 100000.0);
    return std::fabs(exponent - 1) < 0.05 ? 1 : exponent;
}

// Reads the header and asks for 16-bit RGBA, de-interlaced. Only plain locals live here, because
// libpng leaves this frame by longjmp on an error.
bool ReadWideHeader(png_structp png, png_infop info, WideHeader* header) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    const int type = png_get_color_type(png, info);
    const bool transparentColour = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (transparentColour) png_set_tRNS_to_alpha(png);
    if (!(type & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
    header->alpha = (type & PNG_COLOR_MASK_ALPHA) || transparentColour;
    if (!header->alpha) png_set_add_alpha(png, 0xffff, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    header->width = png_get_image_width(png, info);
    header->height = png_get_image_height(png, info);
    header->exponent = ExponentToSrgb(png, info);
    if (png_get_rowbytes(png, info) != std::size_t{header->width} * 8)
        png_error(png, "unexpected row layout");
    return true;
}

bool ReadWideRows(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    return true;
}

// 16-bit to 8-bit for every value, once per picture: gamma-converted colour, or plain rounding.
std::vector<std::uint8_t> NarrowingTable(double exponent) {
    std::vector<std::uint8_t> table(65536);
    for (unsigned v = 0; v < 65536; ++v)
        table[v] =
            exponent == 1
                ? static_cast<std::uint8_t>((v * 255 + 32767) / 65535)
                : static_cast<std::uint8_t>(std::lround(255 * std::pow(v / 65535.0, exponent)));
    return table;
}

// Big-endian 16-bit RGBA rows into the pixmap; alpha is never gamma-converted.
void Narrow(const std::vector<std::uint8_t>& wide, double exponent, TPixmap& pixmap) {
    const std::vector<std::uint8_t> colour = NarrowingTable(exponent);
    const std::vector<std::uint8_t> plain = exponent == 1 ? colour : NarrowingTable(1);
    std::uint8_t* out = pixmap.pixels.data();
    for (std::size_t i = 0; i + 1 < wide.size(); i += 2) {
        const unsigned v = (unsigned{wide[i]} << 8) | wide[i + 1];
        *out++ = (i / 2) % 4 == 3 ? plain[v] : colour[v];
    }
}

// libpng's two structures for one 16-bit read, freed however the read ends.
struct WideReader {
    Source source;
    png_structp png = nullptr;
    png_infop info = nullptr;
    WideReader(const std::uint8_t* data, std::size_t size)
        : source{data, size, 0, "out of memory"} {
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, OnError, OnWarning);
        if (png) info = png_create_info_struct(png);
        if (info) png_set_read_fn(png, &source, OnRead);
    }
    ~WideReader() { png_destroy_read_struct(&png, &info, nullptr); }
    WideReader(const WideReader&) = delete;
    WideReader& operator=(const WideReader&) = delete;
};

std::unique_ptr<TPixmap> DecodeWide(const std::uint8_t* data, std::size_t size, std::string* why) {
    WideReader reader(data, size);
    WideHeader header;
    if (!reader.info || !ReadWideHeader(reader.png, reader.info, &header))
        return Refuse(why, reader.source.message);
    if (std::string problem = SizeProblem(header.width, header.height, size); !problem.empty())
        return Refuse(why, problem);
    const std::size_t rowBytes = std::size_t{header.width} * 8;
    std::vector<std::uint8_t> wide(rowBytes * header.height);
    std::vector<png_bytep> rows(header.height);
    for (std::size_t y = 0; y < rows.size(); ++y) rows[y] = wide.data() + y * rowBytes;
    if (!ReadWideRows(reader.png, rows.data())) return Refuse(why, reader.source.message);
    auto pixmap = std::make_unique<TPixmap>(int(header.width), int(header.height));
    Narrow(wide, header.exponent, *pixmap);
    pixmap->hasAlpha = header.alpha;
    return pixmap;
}
}  // namespace

std::unique_ptr<TPixmap> DecodePNG(const std::uint8_t* data, std::size_t size, std::string* why) {
    if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0)
        return Refuse(why, "it is not a PNG file");
    return SixteenBit(data, size) ? DecodeWide(data, size, why) : DecodeSimple(data, size, why);
}
