// Shared pieces of the picture generator (internal to tools/assetgen).
#pragma once

#include <string>

#include "tools/assetgen/font.h"
#include "tools/assetgen/raster.h"

namespace assetgen {

// Canvas pixels per design unit: pictures are drawn four times finer than their texels and filtered down.
constexpr int kSupersample = 4;

// A canvas for a texture of texW x texH texels whose design is widthFactor times wider than the texture
// (the board is seen stretched horizontally by that factor in the game, or squeezed when it is below 1).
// Design units run from 0 to texW * widthFactor across and 0 to texH down.
Canvas DesignCanvas(int texW, int texH, float widthFactor = 1.0f);
float DesignWidth(const Canvas& c);
float DesignHeight(const Canvas& c);
// Filters a design canvas down to the texture size and writes it as an RGBA PNG.
void SavePng(const Canvas& design, int texW, int texH, const std::string& path);

// The font of the pictures, loaded once.
struct Fonts {
    Fonts() : bold(kBoldFontPath) {}
    Font bold;
};

struct TextStyle {
    Colour top = Hex(0xFFFFFF), bottom = Hex(0xBFF3FF); // fill, top of the capitals to the baseline
    Colour outline = Hex(0x0B3A5A);
    float outlineWidth = 0.0f;
    Colour outer = Hex(0x04162A); // a second, wider outline behind the first
    float outerWidth = 0.0f;
    Colour glow = Hex(0x6FF3FF, 0.0f); // alpha is the strength
    float glowRadius = 0.0f;
    Colour shadow = Hex(0x000000, 0.0f);
    float shadowDx = 0.0f, shadowDy = 0.0f, shadowBlur = 0.0f;
    float gloss = 0.0f; // white sheen on the upper half of the letters
    float stretchX = 1.0f;
    float tracking = 0.0f;
};
// Draws a line of text centred on (cx, cy) with the layers of the style.
void DrawText(Canvas& c, const Font& font, const std::string& text, float cx, float cy, float size,
              const TextStyle& style);
// Width of the text as DrawText lays it out.
float TextWidth(const Font& font, const std::string& text, float size, const TextStyle& style);
// Largest text size up to `size` whose line fits in `width`.
float FitSize(const Font& font, const std::string& text, float size, float width, const TextStyle& style);
// White letters with a dark outline and a soft shadow below, for the labels of buttons.
TextStyle ButtonText();

struct PanelStyle {
    Colour top = Hex(0x3FD6E0), bottom = Hex(0x126A8C);
    Colour rim = Hex(0xE6FFFF);
    float rimWidth = 1.5f;
    Colour edge = Hex(0x062A44); // thin dark line outside the rim
    float edgeWidth = 1.0f;
    Colour shadow = Hex(0x00121F, 0.5f);
    float shadowBlur = 3.0f, shadowDy = 2.0f;
    float gloss = 0.35f;
};
// A rounded panel (button or card) centred on (cx, cy).
void DrawPanel(Canvas& c, float cx, float cy, float halfW, float halfH, float radius,
               const PanelStyle& style);

// A deep-water card behind the text of a board, dark and nearly opaque so that the board reads on bright
// sand and in the red fog alike, with a soft dark border round it and a bright rim line just inside its edge.
void DrawCard(Canvas& c, float cx, float cy, float halfW, float halfH, float radius, Colour rim);

// A few little bubbles (ring and highlight) as decoration.
void DrawBubble(Canvas& c, float cx, float cy, float r, float opacity);

// The picture sets, each writing its files into <root>/image/<set>/.
void MakeEffectImages(const std::string& imageDir);
void MakeGroundImage(const std::string& imageDir);
void MakeCreatureImages(const std::string& imageDir);
void MakeHintImages(const std::string& imageDir, const Fonts& fonts);
void MakeTitleImages(const std::string& imageDir, const Fonts& fonts);
void MakeResultImages(const std::string& imageDir, const Fonts& fonts);
void MakeComfortImages(const std::string& imageDir, const Fonts& fonts);

} // namespace assetgen
