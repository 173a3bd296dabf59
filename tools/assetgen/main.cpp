// assetgen <repo-root>: writes the game's generated asset tree (xfile/, image/ and sound/) under the given
// directory. The output depends on nothing but this program, so every run writes the same bytes.
// assetgen --icon <file.png>: writes only the desktop icon of the installed game.
#include "tools/assetgen/icon.h"
#include "tools/assetgen/media.h"
#include "tools/assetgen/meshes.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv) {
    const bool icon = argc == 3 && std::string(argv[1]) == "--icon";
    if (!icon && (argc != 2 || argv[1][0] == '-')) {
        std::fprintf(stderr, "usage: assetgen <repo-root> | assetgen --icon <file.png>\n");
        return 2;
    }
    // The picture and sound writers throw on failure, with a message naming the file.
    try {
        if (icon) {
            assetgen::MakeIcon(argv[2]);
            return 0;
        }
        const std::string root = argv[1];
        if (!assetgen::GenerateMeshes(root)) return 1;
        assetgen::GenerateImages(root);
        assetgen::GenerateSounds(root);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what()); // the messages name the generator
        return 1;
    }
    return 0;
}
