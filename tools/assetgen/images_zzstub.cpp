#include "tools/assetgen/images.h"
namespace assetgen {
}
void GenerateSounds(const std::string&) {}
