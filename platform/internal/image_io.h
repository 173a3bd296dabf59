// Image files for the graphics layer: reading (PNG, BMP, TGA, JPEG), scaling and PNG writing. Internal.
#pragma once

#include <cstdint>
#include <vector>

enum class ImageFileFormat { Bmp, Jpg, Tga, Png, Other };

// Reads an image file as 8-bit B, G, R, A texels, rows top-down. False when missing or unreadable.
bool LoadImageBgra(const char* path, std::vector<uint8_t>& bgra, int& width, int& height,
                   ImageFileFormat* format);
// Scales a 4-channel image with a bilinear (box when shrinking) filter.
void ResizeImage4(const uint8_t* src, int srcWidth, int srcHeight, uint8_t* dst, int dstWidth, int dstHeight);
// Writes 8-bit R, G, B, A texels (rows top-down) as a PNG file. False when the file cannot be written.
bool WritePngRgba(const char* path, int width, int height, const uint8_t* rgba);
