// The development preview's pieces (internal to tools/assetgen/preview): meshes read as the game reads them,
// and a small depth-buffered triangle renderer with Direct3D's conventions (left-handed; counter-clockwise
// faces on screen are back faces). Placements are the generator's transforms; colours and pictures are the
// generator's canvas.
#pragma once

#include "tools/assetgen/maths.h"
#include "tools/assetgen/raster.h"

#include <algorithm>
#include <string>
#include <vector>

namespace assetgen {

struct Tri {
    Vec3 p[3], n[3];
    Colour colour;
};

// The box round some points.
struct Bounds {
    Vec3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
    void Add(Vec3 p) {
        lo = Vec3(std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z));
        hi = Vec3(std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z));
    }
};

struct LoadedMesh {
    std::vector<Tri> tris;
    bool ok = false;
};

// Reads a .x file through Assimp with the flags of the game's loader and prints its subsets, vertices,
// triangles, bounds and volume. ok is false (with a message) when it cannot be read.
LoadedMesh LoadMesh(const std::string& path);

// An opaque picture with a depth a pixel.
class Frame {
  public:
    Frame(int w, int h, Colour background);
    int Width() const { return m_Colour.Width(); }
    int Height() const { return m_Colour.Height(); }
    Canvas& Colours() { return m_Colour; }
    float& Depth(int x, int y) { return m_Depth[static_cast<size_t>(y) * Width() + x]; }
    void Put(int x, int y, Colour c);            // points outside are left out
    void Blend(int x, int y, Colour c, float t); // mixes c over the pixel by t
    // Writes an RGBA PNG; throws std::runtime_error naming the path when it cannot.
    void Save(const std::string& path) const;

  private:
    Canvas m_Colour;
    std::vector<float> m_Depth;
};

// A perspective camera looking into a viewport of the frame.
struct Camera {
    Vec3 eye, x, y, z;
    float tanHalf, aspect;
    int ox, oy, w, h;
};
Camera LookAt(Vec3 eye, Vec3 at, float fovDeg, int ox, int oy, int w, int h);

// Which faces a pass draws: the front faces lit (back faces culled as Direct3D does), or only the back faces
// in magenta where nothing nearer was drawn, which after a front pass marks the holes in a surface.
enum class Faces { kFront, kHoles };

// Draws one triangle placed by `world`. A blend above 0 mixes its flat colour over what is there by that
// much and leaves the depth alone (translucent).
void DrawTri(Frame& frame, const Camera& cam, const Tri& t, const Xf& world, Faces faces, float blend = 0);

// The stage modes: the stage as the game camera sees it from (x, z) (or the stage's start), and a top-down
// map of its walls and objects.
void StageScene(const std::string& root, int stage, const std::string& outPath, const Vec3* at);
void StageMap(const std::string& root, int stage, const std::string& outPath);

} // namespace assetgen
