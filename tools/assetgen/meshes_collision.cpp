// The invisible walls of stages 1 to 3. The game scales these meshes by (30, 20, 30) and casts horizontal
// rays against them; every face is a vertical wall from below the seabed to well above the swimmers, and
// faces the play area. The outlines below are in world units (the seabed spans -500..500).
#include "tools/assetgen/meshes.h"

#include <algorithm>

namespace assetgen {

namespace {

const float kScaleXZ = 30.0f;
const float kWallBottom = -0.5f; // mesh units: -10 in the world
const float kWallTop = 2.0f;     // mesh units: 40 in the world

struct P2 {
    float x, z;
};

// Signed area, positive when the loop turns counter-clockwise seen from above (x right, z up).
float Area(const std::vector<P2>& loop) {
    float a = 0;
    for (size_t k = 0; k < loop.size(); ++k) {
        const P2& p = loop[k];
        const P2& q = loop[(k + 1) % loop.size()];
        a += p.x * q.z - q.x * p.z;
    }
    return a * 0.5f;
}

// One wall per edge of a closed outline. The play area is inside an outer outline and outside an island.
void Walls(Builder& b, uint32_t mat, std::vector<P2> loop, bool island) {
    if ((Area(loop) > 0) == island) std::reverse(loop.begin(), loop.end());
    // Now the play area lies to the left of every edge: counter-clockwise outer loops, clockwise islands.
    for (size_t k = 0; k < loop.size(); ++k) {
        P2 p = loop[k], q = loop[(k + 1) % loop.size()];
        Vec3 a(p.x / kScaleXZ, kWallBottom, p.z / kScaleXZ), c(q.x / kScaleXZ, kWallTop, q.z / kScaleXZ);
        Vec3 a2(a.x, kWallTop, a.z), c2(c.x, kWallBottom, c.z);
        Vec3 inward(-(q.z - p.z), 0, q.x - p.x); // left of the edge
        // Pick the corner order whose face normal points into the play area.
        Vec3 n = Cross(a2 - a, c - a);
        if (Dot(n, inward) > 0) {
            b.FlatTri(a, a2, c, mat);
            b.FlatTri(a, c, c2, mat);
        } else {
            b.FlatTri(a, c, a2, mat);
            b.FlatTri(a, c2, c, mat);
        }
    }
}

Mesh Arena(const std::vector<P2>& outer, const std::vector<std::vector<P2>>& islands) {
    Builder b;
    uint32_t mat = b.Mat(0.5f, 0.5f, 0.5f, 1, 1, 0);
    Walls(b, mat, outer, false);
    for (const auto& island : islands)
        Walls(b, mat, island, true);
    return b.Take();
}

} // namespace

// Stage 1, the tutorial meadow: an irregular round arena filling the seabed, with a rocky bulge on the
// west side.
Mesh MakeCollision1() {
    return Arena({{-460, -470},
                  {-150, -485},
                  {150, -480},
                  {420, -470},
                  {480, -300},
                  {470, -60},
                  {485, 200},
                  {450, 470},
                  {200, 480},
                  {-60, 470},
                  {-300, 485},
                  {-470, 450},
                  {-485, 200},
                  {-400, 70},
                  {-430, -20},
                  {-480, -150},
                  {-470, -350}},
                 {});
}

// Stage 2: the main basin in the south and, through a narrow mouth in its north wall (x -22..22 at
// z 255), a canyon opening into the anemone's chamber. The flower stands in the mouth.
Mesh MakeCollision2() {
    return Arena({{-470, -470}, {0, -485},   {470, -470}, {485, -100}, {470, 245}, {300, 262},
                  {60, 250},    {22, 255},   {22, 300},   {110, 325},  {165, 395}, {150, 470},
                  {0, 485},     {-150, 470}, {-165, 395}, {-110, 325}, {-22, 300}, {-22, 255},
                  {-60, 250},   {-300, 262}, {-470, 245}, {-485, 0}},
                 {});
}

// Stage 3: a ring of open water round a rocky island north-west of the middle.
Mesh MakeCollision3() {
    return Arena(
        {{-470, -470},
         {-100, -485},
         {250, -470},
         {470, -450},
         {485, -150},
         {460, 150},
         {480, 470},
         {150, 485},
         {-200, 470},
         {-470, 480},
         {-485, 100},
         {-460, -200}},
        {{{-120, 60}, {-60, 80}, {-20, 130}, {-30, 200}, {-90, 250}, {-170, 240}, {-215, 180}, {-200, 100}}});
}

} // namespace assetgen
