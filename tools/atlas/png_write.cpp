#include "png_write.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace {

void OnPngError(png_structp png, png_const_charp message) {
    auto* reason = static_cast<std::string*>(png_get_error_ptr(png));
    *reason = message;
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

}  // namespace

std::string WritePagePNG(const Page& page, const std::string& path) {
    return WritePNG(page.rgba, kPageSize, kPageSize, path);
}

std::string WritePNG(const std::vector<std::uint32_t>& rgba, int width, int height,
                     const std::string& path) {
    std::vector<png_byte> bytes(static_cast<std::size_t>(width) * height * 4);
    for (std::size_t i = 0; i < rgba.size() && i * 4 < bytes.size(); ++i) {
        std::uint32_t c = rgba[i];
        bytes[i * 4 + 0] = static_cast<png_byte>(c >> 24);
        bytes[i * 4 + 1] = static_cast<png_byte>(c >> 16);
        bytes[i * 4 + 2] = static_cast<png_byte>(c >> 8);
        bytes[i * 4 + 3] = static_cast<png_byte>(c);
    }
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[static_cast<std::size_t>(y)] = bytes.data() + static_cast<std::size_t>(y) * width * 4;

    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return "cannot open " + path + " for writing";
    std::string reason;
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &reason, OnPngError, OnPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, nullptr);
        std::fclose(file);
        return "out of memory";
    }
    // Nothing with a destructor may be created between here and the write below: libpng reports
    // errors by longjmp.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return "libpng: " + reason;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    png_set_compression_strategy(png, 0);  // Z_DEFAULT_STRATEGY
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0) return "cannot finish writing " + path;
    return {};
}
