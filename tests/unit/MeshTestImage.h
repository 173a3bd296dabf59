// PNG output for the mesh and effect tests (fixture textures and screenshots).
#pragma once

#include <string>
#include <vector>

#include <stb_image_write.h>

inline bool WritePng(const std::string& path, int w, int h, const std::vector<unsigned char>& rgba) {
    return stbi_write_png(path.c_str(), w, h, 4, rgba.data(), w * 4) != 0;
}

// 2 x 2 texels: red, green on the top row; blue, white below.
inline bool WriteCheckerPng(const std::string& path) {
    std::vector<unsigned char> px = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    return WritePng(path, 2, 2, px);
}
