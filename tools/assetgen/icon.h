// The desktop icon of the installed game (not a runtime file).
#pragma once

#include <string>

namespace assetgen {

// Writes the 256 x 256 RGBA PNG icon to path. Throws std::runtime_error naming the path when it cannot be
// written.
void MakeIcon(const std::string& path);

} // namespace assetgen
