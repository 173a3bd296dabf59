// Procedural mesh building for the asset generator: a builder of smooth parametric surfaces (lathes, tubes,
// deformed spheres, fans), and the list of the game's meshes.
#pragma once

#include "tools/assetgen/xwriter.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace assetgen {

// Deterministic pseudo-random values from integer coordinates and a smooth 3D value noise in [-1, 1].
float Hash(int x, int y, int z, int seed);
float Noise3(Vec3 p, int seed);

// The meshes' small deterministic generator (no dependence on the C library's rand()).
class MeshRng {
  public:
    explicit MeshRng(uint32_t seed) : m_State(seed * 2654435761u + 12345u) {}
    uint32_t Next() {
        m_State = m_State * 1664525u + 1013904223u;
        return m_State >> 8;
    }
    float Uniform(float lo, float hi) { return lo + (hi - lo) * (float)(Next() & 0xFFFF) / 65535.0f; }

  private:
    uint32_t m_State;
};

// Per-face material choice from the face's centre in surface parameters (u, v) and in local space.
using MatFn = std::function<uint32_t(float u, float v, Vec3 local)>;
// Texture coordinates from the final position and normal and the surface parameters.
using UvFn = std::function<Vec2(Vec3 pos, Vec3 nrm, float u, float v)>;

struct SurfOpts {
    bool flip = false;     // reverse the front side
    bool twoSided = false; // also emit the back side (a thin sheet)
    MatFn matFn;           // material per face (default: the call's material)
    UvFn uvFn;             // texture coordinates (default: u, v of the grid)
};

// Builds one mesh from surface pieces. Every piece gets its own vertices (so creases stay sharp
// between pieces) and smooth normals averaged over its own faces.
class Builder {
  public:
    uint32_t Mat(float r, float g, float b, float a = 1, float power = 12, float spec = 0.25f,
                 float emissive = 0);
    uint32_t Mat(const Material& m);

    void SetXf(const Xf& xf) { m_Xf = xf; }
    void ResetXf() { m_Xf = Xf(); }
    const Xf& GetXf() const { return m_Xf; }

    // A grid of points rows[j][i]. The front side is the side of (row j+1 - row j) x (column i+1 -
    // column i). With wrapU the last column joins the first. Rows whose points all coincide become one
    // vertex (a pole); zero-area triangles are dropped.
    void Grid(const std::vector<std::vector<Vec3>>& rows, bool wrapU, uint32_t mat, const SurfOpts& o = {});

    // Samples f(u, v) on an (nu + 1) x (nv + 1) grid (nu x (nv + 1) with wrapU, u in [0, 1)).
    void Surface(int nu, int nv, bool wrapU, const std::function<Vec3(float u, float v)>& f, uint32_t mat,
                 const SurfOpts& o = {});

    // Revolves the (radius, height) profile about the y axis, outward side to the right of the path
    // when radius is horizontal and height vertical: a profile from bottom to top makes an outer wall.
    void Lathe(const std::vector<Vec2>& profile, int segments, uint32_t mat, const SurfOpts& o = {});

    // A tube along a path with a radius per path point; the ends close to a point when their radius is 0.
    void Tube(const std::vector<Vec3>& path, const std::vector<float>& radius, int sides, uint32_t mat,
              const SurfOpts& o = {});

    // A closed ellipsoid around c with radii r, each point's distance scaled by 1 + bump(direction).
    void Blob(Vec3 c, Vec3 r, int nu, int nv, uint32_t mat, const std::function<float(Vec3)>& bump = nullptr,
              const SurfOpts& o = {});

    // One flat triangle with its face normal (front side as given).
    void FlatTri(Vec3 a, Vec3 b, Vec3 c, uint32_t mat);

    // Finishes: compacts and returns the mesh.
    Mesh Take();

  private:
    Mesh m_Mesh;
    Xf m_Xf;
};

// Points on a cubic Bezier curve, n + 1 of them.
std::vector<Vec3> Bezier(Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, int n);

// A material textured with the light blob (image/effect/light.png): the effect makes it glow.
Material GlowMat(float r, float g, float b, float a = 1);
// Texture coordinates that look straight down on a glow texture: centre bright on top, rim at the edge.
Vec2 TopGlowUv(Vec3 pos, Vec3 nrm, float u, float v);

// The meshes of the game, by file name (without the directory).
struct MeshEntry {
    const char* file;
    Mesh (*make)();
};
const std::vector<MeshEntry>& AllMeshes();

// Writes every mesh into root/xfile/. False when a file could not be written.
bool GenerateMeshes(const std::string& root);

// Creatures and the player's side.
Mesh MakePlayer();
Mesh MakeEnemy();
Mesh MakeFootball();
Mesh MakeLowerJaw();
Mesh MakeSquid();
Mesh MakePercula();
Mesh MakeAnemone();
// Shots, effects and small things.
Mesh MakeLamp();
Mesh MakeBullet();
Mesh MakeEnemyBullet();
Mesh MakeEffect();
Mesh MakeDull();
Mesh MakeStar();
Mesh MakeBubble();
Mesh MakeHealEffect();
// Seabed props.
Mesh MakeRock();
Mesh MakePearl();
Mesh MakeStarfishA();
Mesh MakeStarfishB();
Mesh MakeCoralRed();
// The flower.
Mesh MakeFlowerOutside();
Mesh MakeFlowerInside();
Mesh MakeFlowerCenter();
Mesh MakeRootSoul();
Mesh MakePetal();
Mesh MakeMiniFlower();
Mesh MakeIvy();
// Stage walls.
Mesh MakeCollision1();
Mesh MakeCollision2();
Mesh MakeCollision3();

} // namespace assetgen
