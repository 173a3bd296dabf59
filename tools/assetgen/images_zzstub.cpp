#include "tools/assetgen/images.h"
namespace assetgen {
void MakeHintImages(const std::string&, const Fonts&) {}
void MakeTitleImages(const std::string&, const Fonts&) {}
void MakeResultImages(const std::string&, const Fonts&) {}
}
void GenerateSounds(const std::string&) {}
