// GenerateImages and the drawing helpers the picture sets share.
#include "tools/assetgen/images.h"

#include <cmath>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "tools/assetgen/media.h"

namespace assetgen {

Canvas DesignCanvas(int texW, int texH, float widthFactor) {
    int w = static_cast<int>(std::lround(texW * widthFactor * kSupersample));
    return Canvas(w, texH * kSupersample, static_cast<float>(kSupersample));
}

float DesignWidth(const Canvas& c) {
    return c.Width() / c.Unit();
}
float DesignHeight(const Canvas& c) {
    return c.Height() / c.Unit();
}

void SavePng(const Canvas& design, int texW, int texH, const std::string& path) {
    WritePng(path, Finish(design.Resampled(texW, texH)));
}

float TextWidth(const Font& font, const std::string& text, float size, const TextStyle& s) {
    return font.LineWidth(text, size, s.stretchX, s.tracking);
}

float FitSize(const Font& font, const std::string& text, float size, float width, const TextStyle& style) {
    float w = TextWidth(font, text, size, style);
    return w > width ? size * width / w : size;
}

TextStyle ButtonText() {
    TextStyle s;
    s.top = Hex(0xFFFFFF);
    s.bottom = Hex(0xDDF9FF);
    s.outline = Hex(0x06304C);
    s.outlineWidth = 1.6f;
    s.shadow = Hex(0x021626, 0.55f);
    s.shadowDy = 1.2f;
    s.shadowBlur = 1.0f;
    return s;
}

void DrawText(Canvas& c, const Font& font, const std::string& text, float cx, float cy, float size,
              const TextStyle& s) {
    Mask letters = c.NewMask();
    font.DrawCentred(letters, text, cx, cy, size, s.stretchX, s.tracking);
    const float cap = font.CapHeight(size);
    const float rim = s.outlineWidth + s.outerWidth;
    Mask body = rim > 0 ? letters.Grown(rim) : letters;
    if (s.glow.a > 0 && s.glowRadius > 0) {
        Mask glow = body.Blurred(s.glowRadius);
        glow.Scale(1.6f);
        c.Fill(glow, WithAlpha(s.glow, 1.0f), s.glow.a);
    }
    if (s.shadow.a > 0) {
        Mask shadow = body.Shifted(s.shadowDx, s.shadowDy).Blurred(s.shadowBlur);
        c.Fill(shadow, WithAlpha(s.shadow, 1.0f), s.shadow.a);
    }
    if (s.outerWidth > 0) c.Fill(body, s.outer);
    if (s.outlineWidth > 0) c.Fill(letters.Grown(s.outlineWidth), s.outline);
    c.Fill(letters, Linear(0, cy - cap * 0.5f, s.top, 0, cy + cap * 0.5f, s.bottom));
    if (s.gloss > 0) {
        Mask sheen = letters;
        Mask upper = c.ShapeMask([cy, cap](float, float y) { return y - (cy - cap * 0.05f); });
        sheen.Intersect(upper);
        c.Fill(sheen, Linear(0, cy - cap * 0.5f, Hex(0xFFFFFF, s.gloss), 0, cy, Hex(0xFFFFFF, 0.0f)));
    }
}

void DrawPanel(Canvas& c, float cx, float cy, float halfW, float halfH, float radius, const PanelStyle& s) {
    auto shape = [=](float x, float y) { return SdRoundRect(x, y, cx, cy, halfW, halfH, radius); };
    Mask body = c.ShapeMask(shape);
    if (s.shadow.a > 0) {
        Mask shadow = body.Grown(s.edgeWidth).Shifted(0, s.shadowDy).Blurred(s.shadowBlur);
        c.Fill(shadow, WithAlpha(s.shadow, 1.0f), s.shadow.a);
    }
    if (s.edgeWidth > 0) c.Fill(body.Grown(s.edgeWidth), s.edge);
    c.Fill(body, Linear(0, cy - halfH, s.top, 0, cy + halfH, s.bottom));
    // Light from above: a soft brighter band near the top, and the rim.
    if (s.gloss > 0) {
        float gx = halfW - radius * 0.35f, gy = halfH * 0.42f;
        Mask gloss = c.ShapeMask([=](float x, float y) {
            return SdRoundRect(x, y, cx, cy - halfH * 0.5f, gx, gy, std::min(radius * 0.8f, gy));
        });
        c.Fill(gloss, Linear(0, cy - halfH, Hex(0xFFFFFF, s.gloss), 0, cy, Hex(0xFFFFFF, 0.0f)));
    }
    if (s.rimWidth > 0) {
        float w = s.rimWidth * 0.5f;
        Mask rim = c.ShapeMask([=](float x, float y) { return std::fabs(shape(x, y) + w) - w; });
        c.Fill(rim, s.rim);
    }
}

void DrawCard(Canvas& c, float cx, float cy, float halfW, float halfH, float radius, Colour rim) {
    auto shape = [=](float x, float y) { return SdRoundRect(x, y, cx, cy, halfW, halfH, radius); };
    Mask card = c.ShapeMask(shape);
    c.Fill(card.Grown(2.0f).Blurred(4.0f), Hex(0x00101C), 0.6f);
    c.Fill(card, Linear(0, cy - halfH, Hex(0x123F63), 0, cy + halfH, Hex(0x061D31)), 0.84f);
    Mask line = c.ShapeMask([=](float x, float y) { return std::fabs(shape(x, y) + 2.5f) - 1.1f; });
    c.Fill(line, rim, 0.85f);
}

void DrawBubble(Canvas& c, float cx, float cy, float r, float opacity) {
    Mask fill = c.ShapeMask([=](float x, float y) { return SdCircle(x, y, cx, cy, r); });
    c.Fill(fill, Radial(cx, cy, r, Hex(0xBFF6FF, 0.10f), Hex(0xDFFFFF, 0.35f)), opacity);
    float w = std::max(0.35f, r * 0.14f);
    Mask ring = c.ShapeMask([=](float x, float y) { return std::fabs(SdCircle(x, y, cx, cy, r - w)) - w; });
    c.Fill(ring, Hex(0xEFFFFF, 0.85f), opacity);
    Mask spot = c.ShapeMask([=](float x, float y) {
        return SdEllipse(x, y, cx - r * 0.38f, cy - r * 0.4f, r * 0.28f, r * 0.18f);
    });
    c.Fill(spot, Hex(0xFFFFFF), opacity);
}

void GenerateImages(const std::string& root) {
    const std::string dir = root + "/image";
    for (const char* sub : {"effect", "game", "title", "gameover"}) {
        std::error_code ec;
        std::filesystem::create_directories(dir + "/" + sub, ec);
        if (ec) throw std::runtime_error("assetgen: cannot create " + dir + "/" + sub + ": " + ec.message());
    }
    Fonts fonts; // first, so that a missing font stops the run before any file is written
    MakeEffectImages(dir);
    MakeGroundImage(dir);
    MakeCreatureImages(dir);
    MakeHintImages(dir, fonts);
    MakeTitleImages(dir, fonts);
    MakeResultImages(dir, fonts);
    MakeComfortImages(dir, fonts);
}

} // namespace assetgen
