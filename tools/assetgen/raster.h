// Small software rasteriser for the generated pictures.
//
// Everything is drawn in float, premultiplied RGBA, at a supersampled resolution, with shapes given as signed
// distance functions in "design units". A finished canvas is area-filtered down to the texture size (which
// may have another aspect than the design: boards that the camera sees foreshortened are drawn undistorted in
// the design space and squeezed into the texture), un-premultiplied, and its transparent texels take the
// colour of their nearest visible neighbours so that bilinear filtering shows no dark fringes.
#pragma once

#include "tools/assetgen/maths.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace assetgen {

// Straight-alpha colour, each channel 0..1.
struct Colour {
    float r = 0, g = 0, b = 0, a = 0;
};
Colour Hex(uint32_t rgb, float a = 1.0f);
Colour Mix(const Colour& x, const Colour& y, float t);
Colour WithAlpha(Colour c, float a);

// Distance from (x, y) to a shape, negative inside, in design units.
using Sdf = std::function<float(float x, float y)>;
// Colour at a design point.
using Paint = std::function<Colour(float x, float y)>;

float SdCircle(float x, float y, float cx, float cy, float r);
float SdRoundRect(float x, float y, float cx, float cy, float halfW, float halfH, float radius);
float SdSegment(float x, float y, float ax, float ay, float bx, float by);
float SdPolygon(float x, float y, const std::vector<float>& xy);           // closed polygon, x0 y0 x1 y1 ...
float SdEllipse(float x, float y, float cx, float cy, float rx, float ry); // approximate, good near the edge

Paint Solid(Colour c);
Paint Linear(float x0, float y0, Colour c0, float x1, float y1, Colour c1);
Paint Radial(float cx, float cy, float r, Colour inner, Colour outer);

// Single-channel coverage 0..1 over a w x h pixel grid; `unit` pixels per design unit.
class Mask {
  public:
    Mask(int w, int h, float unit);
    static Mask FromSdf(int w, int h, float unit, const Sdf& sdf);

    int Width() const { return m_W; }
    int Height() const { return m_H; }
    float Unit() const { return m_Unit; }
    float Get(int x, int y) const;
    float& At(int x, int y) { return m_V[static_cast<size_t>(y) * m_W + x]; }

    void AddSdf(const Sdf& sdf);            // union of coverage with a shape
    void Union(const Mask& other);          // max
    void Intersect(const Mask& other);      // product
    void Scale(float f);                    // multiply every value
    Mask Grown(float radius) const;         // the shape dilated by radius design units (antialiased)
    Mask Blurred(float sigma) const;        // gaussian blur, sigma in design units
    Mask Shifted(float dx, float dy) const; // moved by whole pixels nearest to (dx, dy) design units

  private:
    int m_W, m_H;
    float m_Unit;
    std::vector<float> m_V;
};

// Premultiplied float RGBA image.
class Canvas {
  public:
    Canvas(int w, int h, float unit);

    int Width() const { return m_W; }
    int Height() const { return m_H; }
    float Unit() const { return m_Unit; }
    Mask NewMask() const { return Mask(m_W, m_H, m_Unit); }
    Mask ShapeMask(const Sdf& sdf) const { return Mask::FromSdf(m_W, m_H, m_Unit, sdf); }

    // Composites paint over the canvas through the mask, scaled by opacity.
    void Fill(const Mask& mask, const Paint& paint, float opacity = 1.0f);
    void Fill(const Mask& mask, Colour c, float opacity = 1.0f) { Fill(mask, Solid(c), opacity); }
    void FillSdf(const Sdf& sdf, const Paint& paint, float opacity = 1.0f) {
        Fill(ShapeMask(sdf), paint, opacity);
    }
    // Sets every pixel from a function of the design point (premultiplies).
    void Generate(const Paint& paint);

    // Area-filtered copy at another size (any ratio per axis).
    Canvas Resampled(int w, int h) const;

    const float* Pixel(int x, int y) const { return &m_Px[(static_cast<size_t>(y) * m_W + x) * 4]; }
    float* Pixel(int x, int y) { return &m_Px[(static_cast<size_t>(y) * m_W + x) * 4]; }

  private:
    int m_W, m_H;
    float m_Unit;
    std::vector<float> m_Px;
};

// 8-bit RGBA image, rows top to bottom.
struct Image8 {
    int w = 0, h = 0;
    std::vector<uint8_t> rgba;
};

// Un-premultiplies and quantises; transparent texels get the colour of their nearest visible neighbours.
Image8 Finish(const Canvas& canvas);
// Fills the RGB of texels whose alpha is 0 from their visible neighbours (repeated until all are filled).
void BleedColour(Image8& image);

// Writers; throw std::runtime_error naming the path when the file cannot be written.
void WritePng(const std::string& path, const Image8& image);
void WriteBmp24(const std::string& path, const Image8& image); // alpha is dropped

// The pictures' deterministic generator.
class ImageRng {
  public:
    explicit ImageRng(uint64_t seed) : m_State(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}
    uint32_t Next();
    float Uniform();                 // [0, 1)
    float Range(float lo, float hi); // [lo, hi)

  private:
    uint64_t m_State;
};
// Gradient noise in about [-1, 1], repeating every `period` lattice cells in x and in y.
float Noise(float x, float y, int period, uint32_t seed);
// Sum of `octaves` noise layers, each twice the frequency and `gain` times the amplitude of the one before;
// repeats every `period` units when period is a whole number of cells.
float Fbm(float x, float y, int period, int octaves, float gain, uint32_t seed);

} // namespace assetgen
