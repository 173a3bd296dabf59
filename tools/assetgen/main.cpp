// assetgen <repo-root>: writes the game's generated asset tree (xfile/, and image/ and sound/ when the
// media generators are part of the build) under the given directory. The output depends on nothing but
// this program, so every run writes the same bytes.
// assetgen --icon <file.png>: writes only the desktop icon of the installed game.
#include "tools/assetgen/meshes.h"

#ifdef BW_HAVE_MEDIA
#include "tools/assetgen/icon.h"
#include "tools/assetgen/media.h"
#endif

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--icon") {
#ifdef BW_HAVE_MEDIA
        try {
            assetgen::MakeIcon(argv[2]);
            return 0;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "assetgen: %s\n", e.what());
            return 1;
        }
#else
        std::fprintf(stderr, "assetgen: built without the picture generator: no icon\n");
        return 1;
#endif
    }
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: assetgen <repo-root> | assetgen --icon <file.png>\n");
        return 2;
    }
    const std::string root = argv[1];
    if (!ag::GenerateMeshes(root)) return 1;
#ifdef BW_HAVE_MEDIA
    // The picture and sound writers throw on failure, with a message naming the file.
    try {
        GenerateImages(root);
        GenerateSounds(root);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "assetgen: %s\n", e.what());
        return 1;
    }
#endif
    return 0;
}
