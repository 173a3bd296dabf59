// Development driver for the picture and sound generator: `assetmedia_dev <root>`.
#include <cstdio>
#include <exception>

#include "tools/assetgen/media.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <repository root>\n", argv[0]);
        return 2;
    }
    try {
        GenerateImages(argv[1]);
        GenerateSounds(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
