#include "png_file.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "canvas.h"

namespace {

const int BYTES_PER_PIXEL = 3;

// libpng reports an error by a long jump back to the setjmp here, so this
// function holds nothing that needs a destructor.
bool writeRows(png_structp png, png_infop info, SDL_Surface* canvas, png_bytep row)
{
    if (setjmp(png_jmpbuf(png)))  // NOLINT(cert-err52-cpp): libpng reports errors only this way
        return false;
    png_set_IHDR(png, info, static_cast<png_uint_32>(canvas->w),
                 static_cast<png_uint_32>(canvas->h), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < canvas->h; ++y) {
        for (int x = 0; x < canvas->w; ++x) {
            const Rgb colour = readPixel(canvas, x, y);
            png_bytep pixel = row + static_cast<ptrdiff_t>(BYTES_PER_PIXEL) * x;
            pixel[0] = colour.r;
            pixel[1] = colour.g;
            pixel[2] = colour.b;
        }
        png_write_row(png, row);
    }
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

bool savePng(SDL_Surface* canvas, const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "Couldn't write %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    std::vector<png_byte> row(static_cast<size_t>(BYTES_PER_PIXEL * canvas->w));
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool written = false;
    if (info != nullptr) {
        png_init_io(png, file);
        written = writeRows(png, info, canvas, row.data());
    }
    png_destroy_write_struct(&png, &info);
    written = std::fclose(file) == 0 && written;
    if (!written)
        std::fprintf(stderr, "Couldn't write %s\n", path.c_str());
    return written;
}
