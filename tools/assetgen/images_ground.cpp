// The seabed: 1024 x 1024 sand that tiles seamlessly (every pattern repeats exactly across the texture),
// with wind-like ripples lit from one side, patches of finer and coarser sand, scattered grains and pebbles,
// and a faint net of caustic light. Underwater tones: pale sand shifted towards blue-green.
#include <cmath>
#include <vector>

#include "tools/assetgen/images.h"

namespace assetgen {
namespace {

constexpr int kSize = 1024;
constexpr float kTwoPi = 6.2831853f;

// Distance to the nearest cell border of a jittered grid of `cells` x `cells` points over the tile (F2 - F1
// of cellular noise), periodic over the tile.
class Cells {
  public:
    Cells(int cells, uint32_t seed) : m_N(cells), m_Size(float(kSize) / cells) {
        ImageRng rng(seed);
        for (int i = 0; i < cells * cells; ++i) {
            m_P.push_back(rng.Range(0.15f, 0.85f));
            m_P.push_back(rng.Range(0.15f, 0.85f));
        }
    }
    float Border(float x, float y) const {
        int cx = static_cast<int>(std::floor(x / m_Size)), cy = static_cast<int>(std::floor(y / m_Size));
        float f1 = 1e9f, f2 = 1e9f;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                int gx = cx + dx, gy = cy + dy;
                int wx = ((gx % m_N) + m_N) % m_N, wy = ((gy % m_N) + m_N) % m_N;
                float px = (gx + m_P[2 * (wy * m_N + wx)]) * m_Size;
                float py = (gy + m_P[2 * (wy * m_N + wx) + 1]) * m_Size;
                float d = std::sqrt((px - x) * (px - x) + (py - y) * (py - y));
                if (d < f1) {
                    f2 = f1;
                    f1 = d;
                } else if (d < f2) {
                    f2 = d;
                }
            }
        return (f2 - f1) / m_Size;
    }

  private:
    int m_N;
    float m_Size;
    std::vector<float> m_P;
};

} // namespace

void MakeGroundImage(const std::string& dir) {
    const int n = kSize;
    std::vector<float> height(static_cast<size_t>(n) * n), patch(height.size()), caustic(height.size());
    Cells cellsA(7, 901), cellsB(11, 902);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const float u = float(x) / n, v = float(y) / n; // 0..1 over the tile
            // One ripple train (a whole number of waves across the tile) bent by large and middle-sized
            // noise, so that the crests curve, pinch out and fork; calmer and stronger stretches alternate.
            float phase = kTwoPi * (19 * u + 7 * v) + 9.0f * Fbm(u * 2, v * 2, 2, 3, 0.5f, 11) +
                          2.4f * Fbm(u * 5, v * 5, 5, 2, 0.5f, 12);
            float s = 0.5f + 0.5f * std::sin(phase);
            float strength = 0.25f + 0.75f * Smoothstep(-0.5f, 0.5f, Fbm(u * 3, v * 3, 3, 2, 0.5f, 14));
            float h = s * s * (1.4f - 0.4f * s) * strength;     // steep lee side, gentle stoss side
            h += 0.18f * Fbm(u * 32, v * 32, 32, 3, 0.55f, 15); // lumps
            height[static_cast<size_t>(y) * n + x] = h;
            patch[static_cast<size_t>(y) * n + x] = Fbm(u * 3, v * 3, 3, 4, 0.55f, 16);
            // Caustics: borders of two strongly warped cell nets, thin and uneven, brighter in some places.
            float wx = x + 55 * Fbm(u * 4, v * 4, 4, 3, 0.5f, 17),
                  wy = y + 55 * Fbm(u * 4 + 3, v * 4, 4, 3, 0.5f, 18);
            float width = 0.075f + 0.04f * Fbm(u * 8, v * 8, 8, 2, 0.5f, 19);
            float a = 1.0f - Smoothstep(0.0f, width, cellsA.Border(wx, wy));
            float b = 1.0f - Smoothstep(0.0f, width * 1.3f, cellsB.Border(wy + 300, wx + 90));
            float patchLight = Smoothstep(-0.45f, 0.4f, Fbm(u * 3 + 5, v * 3, 3, 2, 0.5f, 20));
            caustic[static_cast<size_t>(y) * n + x] =
                (a * a * 0.9f + b * b * 0.55f) * (0.35f + 0.65f * patchLight);
        }
    Image8 img;
    img.w = img.h = n;
    img.rgba.resize(static_cast<size_t>(n) * n * 4);
    ImageRng grain(77);
    const Colour sandLight = Hex(0xE4D5A8), sandDark = Hex(0x76745A), sandCool = Hex(0x93B5B3);
    const Colour causticTint = Hex(0xF4FFF2);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            auto at = [&](int px, int py) {
                return height[static_cast<size_t>((py + n) % n) * n + (px + n) % n];
            };
            // Light from the upper left, grazing: the slope towards it brightens.
            float gx = at(x + 1, y) - at(x - 1, y), gy = at(x, y + 1) - at(x, y - 1);
            float shade = Clamp01(0.6f - 3.4f * (gx * 0.8f + gy * 0.6f) + 0.22f * at(x, y));
            float p = patch[static_cast<size_t>(y) * n + x];
            Colour c = Mix(sandDark, sandLight, shade);
            c = Mix(c, sandCool, Clamp01(0.2f + 0.4f * p));
            float g = (grain.Uniform() - 0.5f) * 0.07f; // fine grain
            float cst = caustic[static_cast<size_t>(y) * n + x] * (0.55f + 0.45f * shade);
            c = Mix(c, causticTint, Clamp01(cst * 0.5f));
            uint8_t* q = &img.rgba[(static_cast<size_t>(y) * n + x) * 4];
            q[0] = static_cast<uint8_t>(std::lround(Clamp01(c.r + g) * 255));
            q[1] = static_cast<uint8_t>(std::lround(Clamp01(c.g + g) * 255));
            q[2] = static_cast<uint8_t>(std::lround(Clamp01(c.b + g * 0.8f) * 255));
            q[3] = 255;
        }
    // Pebbles and shell bits, in loose drifts: small rounded specks lit from the upper left, wrapped across
    // the edges.
    ImageRng rng(2024);
    for (int i = 0; i < 1400 && true; ++i) {
        float px = rng.Range(0, n), py = rng.Range(0, n), r = rng.Range(0.7f, 2.2f);
        bool pale = rng.Uniform() < 0.4f;
        float keep = rng.Uniform();
        if (keep > Smoothstep(-0.2f, 0.5f, Fbm(px / n * 5, py / n * 5, 5, 2, 0.5f, 21))) continue;
        if (rng.Uniform() < 0.06f) r *= 2.0f; // now and then a larger pebble
        Colour tint = pale ? Hex(0xF4EEDA) : Hex(0x56554A);
        float strength = rng.Range(0.45f, 0.85f);
        int reach = static_cast<int>(r) + 2;
        for (int dy = -reach; dy <= reach; ++dy)
            for (int dx = -reach; dx <= reach; ++dx) {
                int ix = static_cast<int>(std::floor(px)) + dx, iy = static_cast<int>(std::floor(py)) + dy;
                float ox = ix + 0.5f - px, oy = iy + 0.5f - py;
                float d = std::sqrt(ox * ox + oy * oy);
                float cover = Clamp01(r + 0.5f - d) * strength;
                if (cover <= 0) continue;
                float lit = r > 1.2f ? Clamp01(0.5f - 0.5f * (ox + oy) / (r * 1.4f)) : 0.5f;
                Colour t = Mix(Mix(tint, Hex(0x000000), 0.35f), Mix(tint, Hex(0xFFFFFF), 0.35f), lit);
                uint8_t* q = &img.rgba[(static_cast<size_t>((iy + n) % n) * n + (ix + n) % n) * 4];
                const float tc[3] = {t.r, t.g, t.b};
                for (int k = 0; k < 3; ++k)
                    q[k] = static_cast<uint8_t>(
                        std::lround((q[k] / 255.0f * (1 - cover) + tc[k] * cover) * 255));
            }
    }
    WriteBmp24(dir + "/game/ground.bmp", img);
}

} // namespace assetgen
