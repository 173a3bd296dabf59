#include "tools/assetgen/font.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <stb_truetype.h>

namespace assetgen {

const char* const kBoldFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

struct Font::Impl {
    std::vector<unsigned char> data;
    stbtt_fontinfo info{};
};

Font::Font(const std::string& path) : m_Impl(new Impl) {
    std::ifstream in(path, std::ios::binary);
    if (in) m_Impl->data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (m_Impl->data.empty() || !stbtt_InitFont(&m_Impl->info, m_Impl->data.data(), 0)) {
        delete m_Impl;
        m_Impl = nullptr;
        throw std::runtime_error("assetgen: cannot read the font " + path +
                                 " (install the Debian package fonts-dejavu-core: scripts/setup)");
    }
}

Font::~Font() {
    delete m_Impl;
}

float Font::CapHeight(float size) const {
    int x0, y0, x1, y1;
    float scale = stbtt_ScaleForPixelHeight(&m_Impl->info, size);
    stbtt_GetCodepointBox(&m_Impl->info, 'H', &x0, &y0, &x1, &y1);
    return y1 * scale;
}

float Font::LineWidth(const std::string& text, float size, float stretchX, float tracking) const {
    float scale = stbtt_ScaleForPixelHeight(&m_Impl->info, size);
    float w = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        int adv, lsb;
        stbtt_GetCodepointHMetrics(&m_Impl->info, static_cast<unsigned char>(text[i]), &adv, &lsb);
        w += adv * scale * stretchX;
        if (i + 1 < text.size()) {
            w += stbtt_GetCodepointKernAdvance(&m_Impl->info, static_cast<unsigned char>(text[i]),
                                               static_cast<unsigned char>(text[i + 1])) *
                 scale * stretchX;
            w += tracking;
        }
    }
    return w;
}

void Font::Draw(Mask& mask, const std::string& text, float x, float baseline, float size, float stretchX,
                float tracking) const {
    const float unit = mask.Unit();
    const float scale = stbtt_ScaleForPixelHeight(&m_Impl->info, size) * unit; // font units -> mask pixels
    const float sx = scale * stretchX;
    float penX = x * unit;
    const float baseY = baseline * unit;
    const int by = static_cast<int>(std::floor(baseY));
    const float shiftY = baseY - by;
    for (size_t i = 0; i < text.size(); ++i) {
        int cp = static_cast<unsigned char>(text[i]);
        int adv, lsb;
        stbtt_GetCodepointHMetrics(&m_Impl->info, cp, &adv, &lsb);
        const int bx = static_cast<int>(std::floor(penX));
        const float shiftX = penX - bx;
        int x0, y0, x1, y1;
        stbtt_GetCodepointBitmapBoxSubpixel(&m_Impl->info, cp, sx, scale, shiftX, shiftY, &x0, &y0, &x1, &y1);
        const int gw = x1 - x0, gh = y1 - y0;
        if (gw > 0 && gh > 0) {
            std::vector<unsigned char> bmp(static_cast<size_t>(gw) * gh);
            stbtt_MakeCodepointBitmapSubpixel(&m_Impl->info, bmp.data(), gw, gh, gw, sx, scale, shiftX,
                                              shiftY, cp);
            for (int gy = 0; gy < gh; ++gy)
                for (int gx = 0; gx < gw; ++gx) {
                    int mx = bx + x0 + gx, my = by + y0 + gy;
                    if (mx < 0 || my < 0 || mx >= mask.Width() || my >= mask.Height()) continue;
                    float& v = mask.At(mx, my);
                    v = std::max(v, bmp[static_cast<size_t>(gy) * gw + gx] / 255.0f);
                }
        }
        penX += adv * sx;
        if (i + 1 < text.size()) {
            penX +=
                stbtt_GetCodepointKernAdvance(&m_Impl->info, cp, static_cast<unsigned char>(text[i + 1])) *
                sx;
            penX += tracking * unit;
        }
    }
}

void Font::DrawCentred(Mask& mask, const std::string& text, float cx, float cy, float size, float stretchX,
                       float tracking) const {
    float w = LineWidth(text, size, stretchX, tracking);
    Draw(mask, text, cx - w * 0.5f, cy + CapHeight(size) * 0.5f, size, stretchX, tracking);
}

} // namespace assetgen
