// Image reading, scaling and PNG writing over stb. The stb code is compiled here as static functions, so
// other parts of the program may link their own copy of stb without clashes.
#include "image_io.h"

#include <cstdio>
#include <cstring>

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#endif
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#define STB_IMAGE_RESIZE_STATIC
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb_image_resize.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace {

ImageFileFormat SniffFormat(const char* path) {
    unsigned char head[4] = {0, 0, 0, 0};
    FILE* f = std::fopen(path, "rb");
    if (!f) return ImageFileFormat::Other;
    size_t n = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    if (n >= 4 && head[0] == 0x89 && head[1] == 'P' && head[2] == 'N' && head[3] == 'G')
        return ImageFileFormat::Png;
    if (n >= 2 && head[0] == 'B' && head[1] == 'M') return ImageFileFormat::Bmp;
    if (n >= 2 && head[0] == 0xFF && head[1] == 0xD8) return ImageFileFormat::Jpg;
    return ImageFileFormat::Tga;
}

} // namespace

bool LoadImageBgra(const char* path, std::vector<uint8_t>& bgra, int& width, int& height,
                   ImageFileFormat* format) {
    if (!path) return false;
    int channels = 0;
    stbi_uc* rgba = stbi_load(path, &width, &height, &channels, 4);
    if (!rgba) return false;
    if (width <= 0 || height <= 0) {
        stbi_image_free(rgba);
        return false;
    }
    size_t count = size_t(width) * size_t(height);
    bgra.resize(count * 4);
    for (size_t i = 0; i < count; ++i) {
        bgra[i * 4 + 0] = rgba[i * 4 + 2];
        bgra[i * 4 + 1] = rgba[i * 4 + 1];
        bgra[i * 4 + 2] = rgba[i * 4 + 0];
        bgra[i * 4 + 3] = rgba[i * 4 + 3];
    }
    stbi_image_free(rgba);
    if (format) *format = SniffFormat(path);
    return true;
}

void ResizeImage4(const uint8_t* src, int srcWidth, int srcHeight, uint8_t* dst, int dstWidth,
                  int dstHeight) {
    stbir_resize_uint8_generic(src, srcWidth, srcHeight, 0, dst, dstWidth, dstHeight, 0, 4, 3, 0,
                               STBIR_EDGE_CLAMP, STBIR_FILTER_TRIANGLE, STBIR_COLORSPACE_LINEAR, nullptr);
}

bool WritePngRgba(const char* path, int width, int height, const uint8_t* rgba) {
    if (!path || !rgba || width <= 0 || height <= 0) return false;
    return stbi_write_png(path, width, height, 4, rgba, width * 4) != 0;
}
