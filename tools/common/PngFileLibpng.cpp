// PNG files through libpng.

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <memory>

#include "tools/common/PngFile.h"

namespace tools {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

int ColourType(PngPixels pixels) {
    return pixels == PngPixels::Bgr24 ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_GRAY;
}

int BitDepth(PngPixels pixels) {
    return pixels == PngPixels::Grey16 ? 16 : 8;
}

} // namespace

bool WritePng(const std::string& path, int width, int height, PngPixels pixels,
              const std::uint8_t* rows, std::size_t stride, std::string& error) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        error = "cannot create " + path;
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        error = "out of memory";
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        error = "cannot write " + path;
        return false;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
                 BitDepth(pixels), ColourType(pixels), PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    if (pixels == PngPixels::Bgr24)
        png_set_bgr(png);
    if (pixels == PngPixels::Grey16)
        png_set_swap(png); // PNG stores samples big-endian
    for (int row = 0; row < height; ++row)
        png_write_row(png, rows + static_cast<std::size_t>(row) * stride);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace tools
