#include "tools/assetgen/raster.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include <stb_image_write.h>

namespace assetgen {

// ---------------------------------------------------------------------------------------------- colours

Colour Hex(uint32_t rgb, float a) {
    return Colour{((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f, a};
}

Colour Mix(const Colour& x, const Colour& y, float t) {
    return Colour{x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t, x.a + (y.a - x.a) * t};
}

Colour WithAlpha(Colour c, float a) {
    c.a = a;
    return c;
}

namespace {
inline float Len(float x, float y) {
    return std::sqrt(x * x + y * y);
}
} // namespace

// ---------------------------------------------------------------------------------------------- shapes

float SdCircle(float x, float y, float cx, float cy, float r) {
    return Len(x - cx, y - cy) - r;
}

float SdRoundRect(float x, float y, float cx, float cy, float halfW, float halfH, float radius) {
    float qx = std::fabs(x - cx) - halfW + radius;
    float qy = std::fabs(y - cy) - halfH + radius;
    float outside = Len(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

float SdSegment(float x, float y, float ax, float ay, float bx, float by) {
    float px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
    float len2 = dx * dx + dy * dy;
    float t = len2 > 0 ? Clamp01((px * dx + py * dy) / len2) : 0.0f;
    return Len(px - dx * t, py - dy * t);
}

float SdPolygon(float x, float y, const std::vector<float>& xy) {
    size_t n = xy.size() / 2;
    float best = std::numeric_limits<float>::max();
    bool inside = false;
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        float xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
        best = std::min(best, SdSegment(x, y, xj, yj, xi, yi));
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
    }
    return inside ? -best : best;
}

float SdEllipse(float x, float y, float cx, float cy, float rx, float ry) {
    float px = (x - cx) / rx, py = (y - cy) / ry;
    float k0 = Len(px, py);
    float k1 = Len(px / rx, py / ry);
    if (k1 <= 0) return -std::min(rx, ry);
    return k0 * (k0 - 1.0f) / k1;
}

Paint Solid(Colour c) {
    return [c](float, float) { return c; };
}

Paint Linear(float x0, float y0, Colour c0, float x1, float y1, Colour c1) {
    float dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
    return [=](float x, float y) { return Mix(c0, c1, Clamp01(((x - x0) * dx + (y - y0) * dy) / len2)); };
}

Paint Radial(float cx, float cy, float r, Colour inner, Colour outer) {
    return [=](float x, float y) { return Mix(inner, outer, Clamp01(Len(x - cx, y - cy) / r)); };
}

// ---------------------------------------------------------------------------------------------- masks

Mask::Mask(int w, int h, float unit) : m_W(w), m_H(h), m_Unit(unit), m_V(static_cast<size_t>(w) * h, 0.0f) {}

Mask Mask::FromSdf(int w, int h, float unit, const Sdf& sdf) {
    Mask m(w, h, unit);
    m.AddSdf(sdf);
    return m;
}

float Mask::Get(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_W || y >= m_H) return 0.0f;
    return m_V[static_cast<size_t>(y) * m_W + x];
}

void Mask::AddSdf(const Sdf& sdf) {
    for (int y = 0; y < m_H; ++y)
        for (int x = 0; x < m_W; ++x) {
            float c = Clamp01(0.5f - sdf((x + 0.5f) / m_Unit, (y + 0.5f) / m_Unit) * m_Unit);
            float& v = At(x, y);
            v = std::max(v, c);
        }
}

void Mask::Union(const Mask& o) {
    for (size_t i = 0; i < m_V.size(); ++i)
        m_V[i] = std::max(m_V[i], o.m_V[i]);
}

void Mask::Intersect(const Mask& o) {
    for (size_t i = 0; i < m_V.size(); ++i)
        m_V[i] *= o.m_V[i];
}

void Mask::Scale(float f) {
    for (float& v : m_V)
        v = Clamp01(v * f);
}

namespace {

// One dimension of the exact squared Euclidean distance transform (lower envelope of parabolas).
void Edt1d(const std::vector<double>& f, std::vector<double>& d) {
    const int n = static_cast<int>(f.size());
    std::vector<int> v(n);
    std::vector<double> z(n + 1);
    int k = 0;
    v[0] = 0;
    z[0] = -std::numeric_limits<double>::infinity();
    z[1] = std::numeric_limits<double>::infinity();
    for (int q = 1; q < n; ++q) {
        double s = ((f[q] + double(q) * q) - (f[v[k]] + double(v[k]) * v[k])) / (2.0 * (q - v[k]));
        while (s <= z[k]) {
            --k;
            s = ((f[q] + double(q) * q) - (f[v[k]] + double(v[k]) * v[k])) / (2.0 * (q - v[k]));
        }
        ++k;
        v[k] = q;
        z[k] = s;
        z[k + 1] = std::numeric_limits<double>::infinity();
    }
    k = 0;
    for (int q = 0; q < n; ++q) {
        while (z[k + 1] < q)
            ++k;
        double dq = double(q - v[k]);
        d[q] = dq * dq + f[v[k]];
    }
}

} // namespace

Mask Mask::Grown(float radius) const {
    const double big = 1e20;
    std::vector<double> dist(m_V.size());
    for (size_t i = 0; i < m_V.size(); ++i)
        dist[i] = m_V[i] >= 0.5f ? 0.0 : big;
    std::vector<double> f, d;
    f.resize(m_W);
    d.resize(m_W);
    for (int y = 0; y < m_H; ++y) {
        for (int x = 0; x < m_W; ++x)
            f[x] = dist[static_cast<size_t>(y) * m_W + x];
        Edt1d(f, d);
        for (int x = 0; x < m_W; ++x)
            dist[static_cast<size_t>(y) * m_W + x] = d[x];
    }
    f.resize(m_H);
    d.resize(m_H);
    for (int x = 0; x < m_W; ++x) {
        for (int y = 0; y < m_H; ++y)
            f[y] = dist[static_cast<size_t>(y) * m_W + x];
        Edt1d(f, d);
        for (int y = 0; y < m_H; ++y)
            dist[static_cast<size_t>(y) * m_W + x] = d[y];
    }
    Mask out(m_W, m_H, m_Unit);
    const float r = radius * m_Unit;
    for (size_t i = 0; i < m_V.size(); ++i) {
        float c = Clamp01(r + 1.0f - static_cast<float>(std::sqrt(dist[i])));
        out.m_V[i] = std::max(m_V[i], c);
    }
    return out;
}

namespace {

// One box filter of odd width 2r+1 along a line, treating everything outside as 0.
void BoxLine(const float* in, float* out, int n, int stride, int r) {
    const float inv = 1.0f / (2 * r + 1);
    double acc = 0;
    for (int i = 0; i <= r && i < n; ++i)
        acc += in[static_cast<size_t>(i) * stride];
    for (int i = 0; i < n; ++i) {
        out[static_cast<size_t>(i) * stride] = static_cast<float>(acc * inv);
        int add = i + r + 1, drop = i - r;
        if (add < n) acc += in[static_cast<size_t>(add) * stride];
        if (drop >= 0) acc -= in[static_cast<size_t>(drop) * stride];
    }
}

} // namespace

Mask Mask::Blurred(float sigma) const {
    // Three box filters in a row approach a gaussian of the same variance.
    const float s = sigma * m_Unit;
    if (s < 0.5f) return *this;
    const int r = std::max(1, static_cast<int>(std::lround((std::sqrt(4.0f * s * s + 1.0f) - 1.0f) * 0.5f)));
    Mask a = *this, b(m_W, m_H, m_Unit);
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < m_H; ++y)
            BoxLine(&a.m_V[static_cast<size_t>(y) * m_W], &b.m_V[static_cast<size_t>(y) * m_W], m_W, 1, r);
        std::swap(a.m_V, b.m_V);
    }
    for (int pass = 0; pass < 3; ++pass) {
        for (int x = 0; x < m_W; ++x)
            BoxLine(&a.m_V[x], &b.m_V[x], m_H, m_W, r);
        std::swap(a.m_V, b.m_V);
    }
    return a;
}

Mask Mask::Shifted(float dx, float dy) const {
    const int ox = static_cast<int>(std::lround(dx * m_Unit)),
              oy = static_cast<int>(std::lround(dy * m_Unit));
    Mask out(m_W, m_H, m_Unit);
    for (int y = 0; y < m_H; ++y)
        for (int x = 0; x < m_W; ++x)
            out.At(x, y) = Get(x - ox, y - oy);
    return out;
}

// ---------------------------------------------------------------------------------------------- canvas

Canvas::Canvas(int w, int h, float unit)
    : m_W(w), m_H(h), m_Unit(unit), m_Px(static_cast<size_t>(w) * h * 4, 0.0f) {}

void Canvas::Fill(const Mask& mask, const Paint& paint, float opacity) {
    for (int y = 0; y < m_H; ++y)
        for (int x = 0; x < m_W; ++x) {
            float m = mask.Get(x, y) * opacity;
            if (m <= 0.0f) continue;
            Colour c = paint((x + 0.5f) / m_Unit, (y + 0.5f) / m_Unit);
            float a = Clamp01(c.a * m);
            float* p = Pixel(x, y);
            p[0] = c.r * a + p[0] * (1 - a);
            p[1] = c.g * a + p[1] * (1 - a);
            p[2] = c.b * a + p[2] * (1 - a);
            p[3] = a + p[3] * (1 - a);
        }
}

void Canvas::Generate(const Paint& paint) {
    for (int y = 0; y < m_H; ++y)
        for (int x = 0; x < m_W; ++x) {
            Colour c = paint((x + 0.5f) / m_Unit, (y + 0.5f) / m_Unit);
            float a = Clamp01(c.a);
            float* p = Pixel(x, y);
            p[0] = c.r * a;
            p[1] = c.g * a;
            p[2] = c.b * a;
            p[3] = a;
        }
}

namespace {

struct Tap {
    int index;
    float weight;
};

// For each target cell, the source cells it overlaps and by how much (a box filter of the cell's width).
std::vector<std::vector<Tap>> AreaTaps(int from, int to) {
    std::vector<std::vector<Tap>> taps(to);
    const double ratio = double(from) / to;
    for (int i = 0; i < to; ++i) {
        double lo = i * ratio, hi = (i + 1) * ratio;
        if (ratio < 1.0) { // enlarging: a tent over the two nearest source cells
            double c = (i + 0.5) * ratio - 0.5;
            int a = static_cast<int>(std::floor(c));
            float t = static_cast<float>(c - a);
            taps[i].push_back({std::clamp(a, 0, from - 1), 1 - t});
            taps[i].push_back({std::clamp(a + 1, 0, from - 1), t});
            continue;
        }
        double total = 0;
        for (int s = static_cast<int>(std::floor(lo)); s < static_cast<int>(std::ceil(hi)); ++s) {
            double w = std::min<double>(hi, s + 1) - std::max<double>(lo, s);
            if (w <= 1e-9) continue;
            taps[i].push_back({s, static_cast<float>(w)});
            total += w;
        }
        for (Tap& t : taps[i])
            t.weight = static_cast<float>(t.weight / total);
    }
    return taps;
}

} // namespace

Canvas Canvas::Resampled(int w, int h) const {
    const float unit = m_Unit * float(h) / float(m_H);
    Canvas mid(w, m_H, unit), out(w, h, unit);
    auto tx = AreaTaps(m_W, w), ty = AreaTaps(m_H, h);
    for (int y = 0; y < m_H; ++y)
        for (int x = 0; x < w; ++x) {
            float* d = mid.Pixel(x, y);
            for (const Tap& t : tx[x]) {
                const float* s = Pixel(t.index, y);
                for (int c = 0; c < 4; ++c)
                    d[c] += s[c] * t.weight;
            }
        }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float* d = out.Pixel(x, y);
            for (const Tap& t : ty[y]) {
                const float* s = mid.Pixel(x, t.index);
                for (int c = 0; c < 4; ++c)
                    d[c] += s[c] * t.weight;
            }
        }
    return out;
}

// ---------------------------------------------------------------------------------------------- output

Image8 Finish(const Canvas& canvas) {
    Image8 img;
    img.w = canvas.Width();
    img.h = canvas.Height();
    img.rgba.resize(static_cast<size_t>(img.w) * img.h * 4);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            const float* p = canvas.Pixel(x, y);
            uint8_t* q = &img.rgba[(static_cast<size_t>(y) * img.w + x) * 4];
            float a = Clamp01(p[3]);
            int a8 = static_cast<int>(std::lround(a * 255.0f));
            for (int c = 0; c < 3; ++c) {
                float v = a > 0 ? Clamp01(p[c] / a) : 0.0f;
                q[c] = static_cast<uint8_t>(std::lround(v * 255.0f));
            }
            q[3] = static_cast<uint8_t>(a8);
        }
    BleedColour(img);
    return img;
}

void BleedColour(Image8& img) {
    const int w = img.w, h = img.h;
    std::vector<uint8_t> known(static_cast<size_t>(w) * h);
    std::vector<int> frontier;
    for (int i = 0; i < w * h; ++i)
        known[i] = img.rgba[static_cast<size_t>(i) * 4 + 3] > 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (!known[y * w + x]) frontier.push_back(y * w + x);
    if (frontier.size() == static_cast<size_t>(w) * h) return; // nothing visible to take colour from
    while (!frontier.empty()) {
        std::vector<int> filled, rest;
        std::vector<uint8_t> rgb;
        for (int i : frontier) {
            int x = i % w, y = i / w, n = 0, sum[3] = {0, 0, 0};
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    int nx = x + dx, ny = y + dy;
                    if ((dx == 0 && dy == 0) || nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
                    if (!known[ny * w + nx]) continue;
                    const uint8_t* q = &img.rgba[static_cast<size_t>(ny * w + nx) * 4];
                    for (int c = 0; c < 3; ++c)
                        sum[c] += q[c];
                    ++n;
                }
            if (n == 0) {
                rest.push_back(i);
                continue;
            }
            filled.push_back(i);
            for (int c = 0; c < 3; ++c)
                rgb.push_back(static_cast<uint8_t>((sum[c] + n / 2) / n));
        }
        for (size_t k = 0; k < filled.size(); ++k) {
            uint8_t* q = &img.rgba[static_cast<size_t>(filled[k]) * 4];
            for (int c = 0; c < 3; ++c)
                q[c] = rgb[k * 3 + c];
            known[filled[k]] = 1;
        }
        frontier.swap(rest);
    }
}

void WritePng(const std::string& path, const Image8& img) {
    if (!stbi_write_png(path.c_str(), img.w, img.h, 4, img.rgba.data(), img.w * 4))
        throw std::runtime_error("assetgen: cannot write " + path);
}

void WriteBmp24(const std::string& path, const Image8& img) {
    std::vector<uint8_t> rgb(static_cast<size_t>(img.w) * img.h * 3);
    for (size_t i = 0; i < static_cast<size_t>(img.w) * img.h; ++i)
        for (int c = 0; c < 3; ++c)
            rgb[i * 3 + c] = img.rgba[i * 4 + c];
    if (!stbi_write_bmp(path.c_str(), img.w, img.h, 3, rgb.data()))
        throw std::runtime_error("assetgen: cannot write " + path);
}

// ---------------------------------------------------------------------------------------------- random

uint32_t ImageRng::Next() {
    uint64_t z = (m_State += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<uint32_t>((z ^ (z >> 31)) >> 32);
}

float ImageRng::Uniform() {
    return (Next() >> 8) * (1.0f / 16777216.0f);
}

float ImageRng::Range(float lo, float hi) {
    return lo + (hi - lo) * Uniform();
}

namespace {

uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

// 256 unit gradient directions, evenly spread.
struct GradTable {
    float x[256], y[256];
    GradTable() {
        for (int i = 0; i < 256; ++i) {
            x[i] = static_cast<float>(std::cos(i * 6.283185307179586 / 256));
            y[i] = static_cast<float>(std::sin(i * 6.283185307179586 / 256));
        }
    }
};
const GradTable kGrad;

float Grad(int ix, int iy, int period, uint32_t seed, float dx, float dy) {
    int px = ((ix % period) + period) % period, py = ((iy % period) + period) % period;
    uint32_t i = Hash(static_cast<uint32_t>(px), static_cast<uint32_t>(py), seed) >> 24;
    return kGrad.x[i] * dx + kGrad.y[i] * dy;
}

} // namespace

float Noise(float x, float y, int period, uint32_t seed) {
    int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
    float fx = x - ix, fy = y - iy;
    float ux = fx * fx * fx * (fx * (fx * 6 - 15) + 10), uy = fy * fy * fy * (fy * (fy * 6 - 15) + 10);
    float a = Grad(ix, iy, period, seed, fx, fy), b = Grad(ix + 1, iy, period, seed, fx - 1, fy);
    float c = Grad(ix, iy + 1, period, seed, fx, fy - 1),
          d = Grad(ix + 1, iy + 1, period, seed, fx - 1, fy - 1);
    float ab = a + (b - a) * ux, cd = c + (d - c) * ux;
    return (ab + (cd - ab) * uy) * 1.41421356f;
}

float Fbm(float x, float y, int period, int octaves, float gain, uint32_t seed) {
    float sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * Noise(x, y, period, seed + 101u * o);
        norm += amp;
        amp *= gain;
        x *= 2;
        y *= 2;
        period *= 2;
    }
    return sum / norm;
}

} // namespace assetgen
