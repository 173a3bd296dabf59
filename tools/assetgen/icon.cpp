// The game's desktop icon: a glowing jellyfish over a deep-blue rounded tile, 256 x 256 RGBA. Not part of
// the runtime tree; the install step writes it where desktops look for application icons.
#include "tools/assetgen/icon.h"

#include "tools/assetgen/images.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

void MakeIcon(const std::string& path) {
    Canvas c = DesignCanvas(256, 256);
    // The tile: a deep-water gradient, a lighter rim and a soft shadow below.
    const auto tile = [](float x, float y) { return SdRoundRect(x, y, 128, 128, 116, 116, 40); };
    c.Fill(c.ShapeMask(tile).Shifted(0, 4).Blurred(4), Hex(0x00121F), 0.55f);
    c.FillSdf(tile, Linear(128, 12, Hex(0x1E8CC8), 128, 244, Hex(0x04203F)));
    Mask rim = c.ShapeMask([&](float x, float y) { return std::fabs(tile(x, y) + 2.5f) - 1.6f; });
    c.Fill(rim, Hex(0x9BEBFF), 0.55f);
    // Light falling from above.
    c.FillSdf([](float x, float y) { return SdEllipse(x, y, 128, 40, 90, 34); },
              Radial(128, 40, 90, Hex(0xBFF7FF, 0.35f), Hex(0xBFF7FF, 0.0f)));

    // Tentacles first, so that the bell overlaps their roots: waving lines from the bell's rim.
    Mask tentacles = c.NewMask();
    for (int t = 0; t < 5; ++t) {
        const float x0 = 88.0f + 20.0f * (float)t;
        const float phase = 0.9f * (float)t;
        tentacles.AddSdf([=](float x, float y) {
            if (y < 124.0f || y > 222.0f) return 1e3f;
            const float s = (y - 124.0f) / 98.0f;
            const float cx = x0 + 9.0f * s * std::sin(s * 7.0f + phase);
            const float width = 4.2f * (1.0f - 0.7f * s);
            return std::fabs(x - cx) - width;
        });
    }
    c.Fill(tentacles.Grown(3).Blurred(4), Hex(0x7FF6FF), 0.55f);
    c.Fill(tentacles, Linear(0, 124, Hex(0xE6FFFF), 0, 222, Hex(0x55C8F0, 0.6f)));

    // The bell: a dome with a scalloped rim, a glow around it and a gloss on top.
    const auto bell = [](float x, float y) {
        const float dome = std::max(SdEllipse(x, y, 128, 118, 66, 58), y - 126.0f);
        const float scallop = SdCircle(x, y, 128 + 24.0f * std::round((x - 128) / 24.0f), 126, 12);
        return std::min(dome, std::max(scallop, std::fabs(x - 128) - 66.0f));
    };
    Mask bellMask = c.ShapeMask(bell);
    c.Fill(bellMask.Grown(6).Blurred(7), Hex(0x6FF3FF), 0.7f);
    c.Fill(bellMask, Radial(112, 86, 84, Hex(0xF2FFFF), Hex(0x39B6E8)));
    c.FillSdf([](float x, float y) { return SdEllipse(x, y, 106, 86, 30, 16); },
              Radial(106, 84, 30, Hex(0xFFFFFF, 0.85f), Hex(0xFFFFFF, 0.0f)));
    // Two eyes, and a small bubble rising beside the bell.
    c.FillSdf([](float x, float y) { return SdCircle(x, y, 110, 110, 6); }, Solid(Hex(0x0A2F4F)));
    c.FillSdf([](float x, float y) { return SdCircle(x, y, 146, 110, 6); }, Solid(Hex(0x0A2F4F)));
    DrawBubble(c, 206, 64, 12, 1.0f);
    DrawBubble(c, 190, 36, 7, 1.0f);
    SavePng(c, 256, 256, path);
}

} // namespace assetgen
