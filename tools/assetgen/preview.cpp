// assetpreview: a development viewer for the generated meshes and the stage files (not used by the tests).
//
//   assetpreview mesh <file.x> <out.png>          four views of one mesh; back faces show magenta
//   assetpreview winding <file.x>                 lists faces wound against their normals
//   assetpreview football <xfile-dir> <jaw> <out.png>   body, jaw opened by <jaw> degrees, and glow
//   assetpreview scene <repo-root> <stage> <out.png> [x z]   the stage as the game camera sees it
//   assetpreview map <repo-root> <stage> <out.png>   top-down map: walls (collision mesh) and objects
//   assetpreview zoom <in.png> <cx> <cy> <scale> <out.png>   a close view of a 640 x 480 screenshot: the
//                                                  part round (cx, cy), each pixel a square of scale
//
// Meshes are read through Assimp with the flags of the game's loader, drawn by a small software
// rasteriser with Direct3D's conventions (left-handed, row vectors, counter-clockwise faces are back faces).
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include "world/StageFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct V3 {
    float x = 0, y = 0, z = 0;
};
V3 operator+(V3 a, V3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
V3 operator-(V3 a, V3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
V3 operator*(V3 a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}
float Dot(V3 a, V3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
V3 Cross(V3 a, V3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
V3 Norm(V3 a) {
    float l = std::sqrt(Dot(a, a));
    return l > 1e-12f ? a * (1 / l) : V3{0, 1, 0};
}

// Row-vector 4x4 matrix as D3DX builds them.
struct M4 {
    float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};
M4 Mul(const M4& a, const M4& b) {
    M4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = 0;
            for (int k = 0; k < 4; ++k)
                r.m[i][j] += a.m[i][k] * b.m[k][j];
        }
    return r;
}
M4 Scale(float x, float y, float z) {
    M4 r;
    r.m[0][0] = x, r.m[1][1] = y, r.m[2][2] = z;
    return r;
}
M4 Trans(float x, float y, float z) {
    M4 r;
    r.m[3][0] = x, r.m[3][1] = y, r.m[3][2] = z;
    return r;
}
M4 RotY(float deg) {
    float a = deg * 0.017453292f, c = std::cos(a), s = std::sin(a);
    M4 r;
    r.m[0][0] = c, r.m[0][2] = -s, r.m[2][0] = s, r.m[2][2] = c;
    return r;
}
M4 RotX(float deg) {
    float a = deg * 0.017453292f, c = std::cos(a), s = std::sin(a);
    M4 r;
    r.m[1][1] = c, r.m[1][2] = s, r.m[2][1] = -s, r.m[2][2] = c;
    return r;
}
V3 Point(const M4& m, V3 p) {
    return {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0],
            p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1],
            p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2]};
}
V3 Dir(const M4& m, V3 p) {
    return {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0],
            p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1],
            p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2]};
}

struct Tri {
    V3 p[3], n[3];
    float r, g, b;
};

struct LoadedMesh {
    std::vector<Tri> tris;
    V3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
    bool ok = false;
};

LoadedMesh Load(const std::string& path) {
    LoadedMesh out;
    Assimp::Importer imp;
    const aiScene* s = imp.ReadFile(path, aiProcess_ConvertToLeftHanded | aiProcess_PreTransformVertices |
                                              aiProcess_Triangulate | aiProcess_JoinIdenticalVertices);
    if (!s) {
        std::fprintf(stderr, "cannot load %s: %s\n", path.c_str(), imp.GetErrorString());
        return out;
    }
    size_t verts = 0;
    double volume = 0;
    for (unsigned k = 0; k < s->mNumMeshes; ++k) {
        const aiMesh* m = s->mMeshes[k];
        aiColor4D d(1, 1, 1, 1);
        s->mMaterials[m->mMaterialIndex]->Get(AI_MATKEY_COLOR_DIFFUSE, d);
        verts += m->mNumVertices;
        for (unsigned f = 0; f < m->mNumFaces; ++f) {
            if (m->mFaces[f].mNumIndices != 3) continue;
            Tri t;
            for (int c = 0; c < 3; ++c) {
                unsigned i = m->mFaces[f].mIndices[c];
                t.p[c] = {m->mVertices[i].x, m->mVertices[i].y, m->mVertices[i].z};
                t.n[c] = m->mNormals ? V3{m->mNormals[i].x, m->mNormals[i].y, m->mNormals[i].z} : V3{0, 1, 0};
                out.lo = {std::min(out.lo.x, t.p[c].x), std::min(out.lo.y, t.p[c].y),
                          std::min(out.lo.z, t.p[c].z)};
                out.hi = {std::max(out.hi.x, t.p[c].x), std::max(out.hi.y, t.p[c].y),
                          std::max(out.hi.z, t.p[c].z)};
            }
            volume += Dot(t.p[0], Cross(t.p[1], t.p[2])) / 6.0;
            t.r = d.r, t.g = d.g, t.b = d.b;
            out.tris.push_back(t);
        }
    }
    std::printf("%s: %u subsets, %zu vertices, %zu triangles, bounds (%.2f %.2f %.2f)..(%.2f %.2f %.2f), "
                "volume %.3f\n",
                path.c_str(), s->mNumMeshes, verts, out.tris.size(), out.lo.x, out.lo.y, out.lo.z, out.hi.x,
                out.hi.y, out.hi.z, volume);
    out.ok = true;
    return out;
}

struct Image {
    int w, h;
    std::vector<float> rgb, depth;
    Image(int w_, int h_, V3 bg) : w(w_), h(h_), rgb(w_ * h_ * 3), depth(w_ * h_, 1e30f) {
        for (int i = 0; i < w * h; ++i)
            rgb[i * 3] = bg.x, rgb[i * 3 + 1] = bg.y, rgb[i * 3 + 2] = bg.z;
    }
    void Put(int x, int y, V3 c) {
        if (x < 0 || y < 0 || x >= w || y >= h) return;
        rgb[(y * w + x) * 3] = c.x, rgb[(y * w + x) * 3 + 1] = c.y, rgb[(y * w + x) * 3 + 2] = c.z;
    }
    bool Save(const std::string& path) const {
        std::vector<unsigned char> px(w * h * 3);
        for (size_t i = 0; i < px.size(); ++i)
            px[i] = (unsigned char)std::clamp(rgb[i] * 255.0f, 0.0f, 255.0f);
        return stbi_write_png(path.c_str(), w, h, 3, px.data(), w * 3) != 0;
    }
};

struct Camera {
    V3 eye, x, y, z;
    float tanHalf, aspect;
    int ox, oy, w, h; // viewport
};

Camera LookAt(V3 eye, V3 at, float fovDeg, int ox, int oy, int w, int h) {
    Camera c;
    c.eye = eye;
    c.z = Norm(at - eye);
    c.x = Norm(Cross(V3{0, 1, 0}, c.z));
    if (Dot(c.x, c.x) < 0.5f) c.x = V3{1, 0, 0};
    c.y = Cross(c.z, c.x);
    c.tanHalf = std::tan(fovDeg * 0.5f * 0.017453292f);
    c.aspect = (float)w / (float)h;
    c.ox = ox, c.oy = oy, c.w = w, c.h = h;
    return c;
}

const V3 kToLight = Norm(V3{-1, 1, -1});

// showBack 0 draws the front faces only (back faces culled as Direct3D does); 1 draws only the back faces,
// in magenta, where nothing nearer was drawn: after a pass of 0 they mark holes in a surface.
void DrawTri(Image& img, const Camera& cam, const Tri& t, const M4& world, int showBack, float blend = 0) {
    V3 s[3], n[3];
    float zs[3];
    for (int c = 0; c < 3; ++c) {
        V3 p = Point(world, t.p[c]) - cam.eye;
        V3 v{Dot(p, cam.x), Dot(p, cam.y), Dot(p, cam.z)};
        if (v.z < 0.5f) return;
        float nx = v.x / (v.z * cam.tanHalf * cam.aspect), ny = v.y / (v.z * cam.tanHalf);
        s[c] = {cam.ox + (nx + 1) * 0.5f * cam.w, cam.oy + (1 - ny) * 0.5f * cam.h, 0};
        zs[c] = v.z;
        n[c] = Norm(Dir(world, t.n[c]));
    }
    float area = (s[1].x - s[0].x) * (s[2].y - s[0].y) - (s[2].x - s[0].x) * (s[1].y - s[0].y);
    bool back = area < 0; // counter-clockwise on screen: Direct3D culls it
    if (back != (showBack == 1)) return;
    if (std::fabs(area) < 1e-9f) return;
    int x0 = std::max(cam.ox, (int)std::floor(std::min({s[0].x, s[1].x, s[2].x})));
    int x1 = std::min(cam.ox + cam.w - 1, (int)std::ceil(std::max({s[0].x, s[1].x, s[2].x})));
    int y0 = std::max(cam.oy, (int)std::floor(std::min({s[0].y, s[1].y, s[2].y})));
    int y1 = std::min(cam.oy + cam.h - 1, (int)std::ceil(std::max({s[0].y, s[1].y, s[2].y})));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            float px = x + 0.5f, py = y + 0.5f;
            float w0 = ((s[1].x - px) * (s[2].y - py) - (s[2].x - px) * (s[1].y - py)) / area;
            float w1 = ((s[2].x - px) * (s[0].y - py) - (s[0].x - px) * (s[2].y - py)) / area;
            float w2 = 1 - w0 - w1;
            if (w0 < 0 || w1 < 0 || w2 < 0) continue;
            float z = w0 * zs[0] + w1 * zs[1] + w2 * zs[2];
            float& d = img.depth[y * img.w + x];
            if (z >= (back ? d * 0.999f : d)) continue;
            if (blend > 0) {
                // Translucent: mix over what is there, leave the depth alone.
                float* px = &img.rgb[(y * img.w + x) * 3];
                px[0] += (t.r - px[0]) * blend, px[1] += (t.g - px[1]) * blend,
                    px[2] += (t.b - px[2]) * blend;
                continue;
            }
            d = z;
            if (back) {
                img.Put(x, y, V3{1, 0, 1}); // a hole: the inside of a surface shows
                continue;
            }
            V3 nn = Norm(n[0] * w0 + n[1] * w1 + n[2] * w2);
            float light = 0.5f + std::max(0.0f, Dot(nn, kToLight));
            img.Put(x, y, V3{t.r * light, t.g * light, t.b * light});
        }
}

// Lists the faces whose winding disagrees with their vertex normals (they would be culled from the side
// their normals face).
int CheckWinding(const std::string& path) {
    LoadedMesh m = Load(path);
    int bad = 0;
    for (const Tri& t : m.tris) {
        V3 n = Cross(t.p[1] - t.p[0], t.p[2] - t.p[0]);
        V3 avg = t.n[0] + t.n[1] + t.n[2];
        if (Dot(n, avg) > 0) continue;
        ++bad;
        V3 c = (t.p[0] + t.p[1] + t.p[2]) * (1.0f / 3);
        std::printf("  face at (%.3f %.3f %.3f) area %.6f normal (%.2f %.2f %.2f)\n", c.x, c.y, c.z,
                    std::sqrt(Dot(n, n)) / 2, avg.x, avg.y, avg.z);
    }
    return bad ? 1 : 0;
}

// Four views of some meshes, each with its own placement.
int Views(const std::vector<std::pair<LoadedMesh, M4>>& parts, const std::string& outPath) {
    V3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
    for (const auto& part : parts)
        for (const Tri& t : part.first.tris)
            for (const V3& q : t.p) {
                V3 p = Point(part.second, q);
                lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
                hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
            }
    V3 c = (lo + hi) * 0.5f;
    float r = std::sqrt(Dot(hi - lo, hi - lo)) * 0.5f;
    const int S = 320;
    Image img(S * 2, S * 2, V3{0.12f, 0.27f, 0.36f});
    float dist = r / std::sin(15 * 0.017453292f) * 1.05f;
    // Game view (above and behind), front (from +z), side (from +x), three-quarter from front-left-above.
    V3 dirs[4] = {Norm(V3{0, 40, -10}), Norm(V3{0, 0.15f, 1}), Norm(V3{1, 0.15f, 0}), Norm(V3{-1, 0.8f, 1})};
    for (int v = 0; v < 4; ++v) {
        Camera cam = LookAt(c + dirs[v] * dist, c, 30, (v % 2) * S, (v / 2) * S, S, S);
        for (int pass = 0; pass < 2; ++pass)
            for (const auto& part : parts)
                for (const Tri& t : part.first.tris)
                    DrawTri(img, cam, t, part.second, pass);
    }
    return img.Save(outPath) ? 0 : 1;
}

int MeshViews(const std::string& path, const std::string& outPath) {
    LoadedMesh m = Load(path);
    if (!m.ok) return 1;
    return Views({{m, M4()}}, outPath);
}

// The football as its Draw puts it together: body, jaw opened by jawDeg (scaled 1.2 in z), and the glow.
int FootballViews(const std::string& dir, float jawDeg, const std::string& outPath) {
    LoadedMesh body = Load(dir + "/football.x"), jaw = Load(dir + "/lowerjaw.x"),
               glow = Load(dir + "/effect.x");
    if (!body.ok || !jaw.ok || !glow.ok) return 1;
    return Views({{body, M4()}, {jaw, Mul(Scale(1, 1, 1.2f), RotX(jawDeg))}, {glow, Trans(0, 5, 5)}},
                 outPath);
}

// ---- Stage files -------------------------------------------------------------------------------------

using Record = StageRecord;

std::vector<Record> ReadStage(const std::string& path) {
    return ReadStageFile(path).records;
}

struct Placed {
    std::string mesh;
    M4 world;
};

const V3 kBlossom[2] = {{-320, 0, 125}, {265, 0, -38}};

std::vector<Placed> Objects(const std::vector<Record>& recs) {
    std::vector<Placed> out;
    auto add = [&](const char* mesh, const M4& w) { out.push_back({mesh, w}); };
    for (const Record& r : recs) {
        M4 t = Trans(r.x, r.y, r.z);
        switch (r.code) {
        case 0:
            add("player", Trans(r.x, 4, r.z));
            break;
        case 1:
            for (int a = 0; a < 360; a += 120) {
                float s = std::sin(a * 0.017453292f) * 10, c = std::cos(a * 0.017453292f) * 10;
                add("player", Trans(r.x + s, 4, r.z + c));
            }
            break;
        case 2: {
            M4 w = Mul(Mul(Scale(2.5f, 2.5f, 2.5f), RotY(180)), t);
            add("football", w);
            add("lowerjaw", Mul(Mul(Scale(1, 1, 1.2f), RotX(10)), w));
            add("effect", Mul(Trans(0, 5, 5), w));
            break;
        }
        case 3:
            add("anemone", Mul(Scale(10, 5, 10), t));
            for (int a = 0; a < 360; a += 45)
                add("percula", Mul(Scale(3, 3, 3), Trans(r.x + 40 * std::sin(a * 0.017453292f), 0,
                                                         r.z + 40 * std::cos(a * 0.017453292f))));
            break;
        case 4:
            add("squid", Mul(Mul(Scale(5, 5, 5), RotY(180)), t));
            break;
        case 5:
            add("percula", Mul(Scale(3, 3, 3), t));
            break;
        case 10:
            add("pearl", Mul(Scale(4, 4, 4), t));
            break;
        case 11:
            add("starfishA", Mul(Scale(2, 2, 2), t));
            break;
        case 12:
            add("starfishB", Mul(Scale(2, 2, 2), t));
            break;
        case 13:
            add("wakame", t);
            break;
        case 14:
            add("coral_red", Mul(Mul(Scale(4, 4, 4), RotY((float)((int)(r.x * 7 + r.z * 3) % 360))), t));
            break;
        case 30:
        case 31:
        case 32: {
            float y = r.code == 30 ? -4.0f : (r.code == 31 ? -2.0f : 0.0f);
            add("rock", Mul(Scale(8, 4, 8), Trans(r.x, y, r.z)));
            break;
        }
        case 33: {
            add("flower_outside", Mul(Scale(7.5f, 6.5f, 7.5f), t));
            add("flower_inside", Mul(Scale(7.5f, 6.5f, 7.5f), t));
            add("flower_center", Mul(Scale(7.5f, 4.5f, 7.5f), t));
            for (const V3& b : kBlossom) {
                add("rootsoul", Mul(Scale(6, 6, 6), Trans(b.x, 4.5f, b.z)));
                for (int a = 0; a < 360; a += 72)
                    add("petal", Mul(Mul(Scale(10, 7, 10), RotY((float)a)), Trans(b.x, b.y, b.z)));
                V3 d{r.x - b.x, r.y - b.y, r.z - b.z};
                int segs = (int)std::sqrt(Dot(d, d)) / 50;
                float ang = std::atan2(r.z - b.z, b.x - r.x) * 57.295776f;
                for (int k = 0; k < segs; ++k) {
                    V3 p = b + d * ((k + 0.5f) / segs);
                    add("ivy", Mul(Mul(Scale(4.5f, 1.5f, 4.5f), RotY(ang + (k % 2 ? 8.0f : -8.0f))),
                                   Trans(p.x, 0, p.z)));
                    add("miniflower", Mul(Scale(1, 1.5f, 1), Trans(p.x + (k % 3 - 1) * 10.0f, 2, p.z)));
                }
            }
            break;
        }
        default:
            break;
        }
    }
    return out;
}

int Scene(const std::string& root, int stage, const std::string& outPath, float px, float pz, bool havePos) {
    std::vector<Record> recs = ReadStage(root + "/data/stage" + std::to_string(stage) + ".csv");
    const V3 starts[4] = {{60, 6, -170}, {0, 6, 80}, {100, 6, -120}, {0, 6, 0}};
    V3 p = starts[std::clamp(stage, 1, 4) - 1];
    if (havePos) p.x = px, p.z = pz;
    std::vector<Placed> objs = Objects(recs);
    objs.push_back({"player", Trans(p.x, p.y + 3, p.z)});
    std::map<std::string, std::unique_ptr<LoadedMesh>> cache;
    Image img(640, 480, V3{0.05f, 0.2f, 0.3f});
    Camera cam = LookAt(V3{p.x, 40, p.z - 10}, V3{p.x, 3, p.z}, 90, 0, 0, 640, 480);
    // The seabed, in tiles.
    for (int gz = -500; gz < 500; gz += 20)
        for (int gx = -500; gx < 500; gx += 20) {
            if (std::fabs(gx - p.x) > 120 || std::fabs(gz - p.z) > 120) continue;
            bool dark = ((gx + gz) / 20) % 2 == 0;
            float s = dark ? 0.62f : 0.66f;
            Tri a{{{(float)gx, 0, (float)gz},
                   {(float)gx, 0, (float)gz + 20},
                   {(float)gx + 20, 0, (float)gz + 20}},
                  {{0, 1, 0}, {0, 1, 0}, {0, 1, 0}},
                  s,
                  s * 0.92f,
                  s * 0.7f};
            Tri b{{{(float)gx, 0, (float)gz},
                   {(float)gx + 20, 0, (float)gz + 20},
                   {(float)gx + 20, 0, (float)gz}},
                  {{0, 1, 0}, {0, 1, 0}, {0, 1, 0}},
                  s,
                  s * 0.92f,
                  s * 0.7f};
            DrawTri(img, cam, a, M4(), 0);
            DrawTri(img, cam, b, M4(), 0);
        }
    for (const Placed& o : objs) {
        if (std::fabs(o.world.m[3][0] - p.x) > 150 || std::fabs(o.world.m[3][2] - p.z) > 150) continue;
        if (o.mesh == "wakame") continue; // drawn last, translucent
        auto& m = cache[o.mesh];
        if (!m) m = std::make_unique<LoadedMesh>(Load(root + "/xfile/" + o.mesh + ".x"));
        for (const Tri& t : m->tris)
            DrawTri(img, cam, t, o.world, 0);
    }
    // Seaweed strips: 20 wide, from height 20 down to 4, slanting towards -z; translucent.
    for (const Placed& o : objs) {
        if (o.mesh != "wakame") continue;
        float x = o.world.m[3][0], z = o.world.m[3][2];
        V3 n{0, 0.7f, -0.7f};
        Tri a{{{x - 10, 20, z + 20}, {x + 10, 20, z + 20}, {x + 10, 4, z + 4}}, {n, n, n}, 0.3f, 0.6f, 0.3f};
        Tri b{{{x - 10, 20, z + 20}, {x + 10, 4, z + 4}, {x - 10, 4, z + 4}}, {n, n, n}, 0.3f, 0.6f, 0.3f};
        DrawTri(img, cam, a, M4(), 0, 0.35f);
        DrawTri(img, cam, b, M4(), 0, 0.35f);
    }
    return img.Save(outPath) ? 0 : 1;
}

// Top-down map: the collision mesh's wall segments at mid height, and every object as a dot.
int Map(const std::string& root, int stage, const std::string& outPath) {
    const int S = 800;
    Image img(S, S, V3{0.8f, 0.75f, 0.6f});
    auto toPx = [&](float x, float z, int& px, int& py) {
        px = (int)((x + 500) / 1000 * S);
        py = (int)((500 - z) / 1000 * S);
    };
    auto line = [&](float x0, float z0, float x1, float z1, V3 c) {
        int n = (int)(std::hypot(x1 - x0, z1 - z0) / 1000 * S * 2) + 2;
        for (int k = 0; k <= n; ++k) {
            int px, py;
            toPx(x0 + (x1 - x0) * k / n, z0 + (z1 - z0) * k / n, px, py);
            img.Put(px, py, c);
        }
    };
    auto disc = [&](float x, float z, float r, V3 c) {
        int px, py;
        toPx(x, z, px, py);
        int rp = std::max(1, (int)(r / 1000 * S));
        for (int dy = -rp; dy <= rp; ++dy)
            for (int dx = -rp; dx <= rp; ++dx)
                if (dx * dx + dy * dy <= rp * rp) img.Put(px + dx, py + dy, c);
    };
    int col = std::clamp(stage, 1, 3);
    LoadedMesh walls = Load(root + "/xfile/collision" + std::to_string(col) + ".x");
    for (const Tri& t : walls.tris) {
        // Where the triangle crosses mesh height 0.5, draw the crossing, and a tick along its normal.
        std::vector<V3> cut;
        for (int e = 0; e < 3; ++e) {
            V3 a = t.p[e], b = t.p[(e + 1) % 3];
            if ((a.y - 0.5f) * (b.y - 0.5f) < 0) cut.push_back(a + (b - a) * ((0.5f - a.y) / (b.y - a.y)));
        }
        if (cut.size() != 2) continue;
        line(cut[0].x * 30, cut[0].z * 30, cut[1].x * 30, cut[1].z * 30, V3{0.2f, 0.1f, 0.1f});
        V3 n = Norm(Cross(t.p[1] - t.p[0], t.p[2] - t.p[0]));
        V3 m = (cut[0] + cut[1]) * 0.5f;
        line(m.x * 30, m.z * 30, m.x * 30 + n.x * 8, m.z * 30 + n.z * 8, V3{0.9f, 0.2f, 0.2f});
    }
    for (int g = -500; g <= 500; g += 100) {
        line((float)g, -500, (float)g, 500, V3{0.7f, 0.65f, 0.5f});
        line(-500, (float)g, 500, (float)g, V3{0.7f, 0.65f, 0.5f});
    }
    for (const Record& r : ReadStage(root + "/data/stage" + std::to_string(stage) + ".csv")) {
        switch (r.code) {
        case 0:
            disc(r.x, r.z, 4, V3{0.2f, 0.5f, 1});
            break;
        case 1:
            for (int a = 0; a < 360; a += 120)
                disc(r.x + 10 * std::sin(a * 0.017453292f), r.z + 10 * std::cos(a * 0.017453292f), 4,
                     V3{0.2f, 0.5f, 1});
            break;
        case 2:
            disc(r.x, r.z, 13, V3{0.6f, 0.3f, 0.1f});
            break;
        case 3:
            disc(r.x, r.z, 17.5f, V3{0.8f, 0.3f, 0.8f});
            break;
        case 4:
            disc(r.x, r.z, 13, V3{1, 0.5f, 0.5f});
            break;
        case 5:
            disc(r.x, r.z, 4, V3{1, 0.5f, 0});
            break;
        case 10:
            disc(r.x, r.z, 4, V3{1, 1, 1});
            break;
        case 11:
        case 12:
            disc(r.x, r.z, 3, V3{1, 0.4f, 0.2f});
            break;
        case 13:
            disc(r.x, r.z, 4, V3{0.1f, 0.6f, 0.2f});
            break;
        case 14:
            disc(r.x, r.z, 10, V3{0.9f, 0.1f, 0.1f});
            break;
        case 30:
            disc(r.x, r.z, 7, V3{0.4f, 0.4f, 0.4f});
            break;
        case 31:
            disc(r.x, r.z, 8, V3{0.35f, 0.35f, 0.35f});
            break;
        case 32:
            disc(r.x, r.z, 9.3f, V3{0.3f, 0.3f, 0.3f});
            break;
        case 33:
            disc(r.x, r.z, 28, V3{0.5f, 0.9f, 0.5f});
            for (const V3& b : kBlossom) {
                line(r.x, r.z, b.x, b.z, V3{0.2f, 0.6f, 0.2f});
                disc(b.x, b.z, 10, V3{1, 0.5f, 0.8f});
            }
            break;
        default:
            break;
        }
    }
    const V3 starts[3] = {{60, 6, -170}, {0, 6, 80}, {100, 6, -120}};
    if (stage >= 1 && stage <= 3) disc(starts[stage - 1].x, starts[stage - 1].z, 6, V3{0, 0, 1});
    return img.Save(outPath) ? 0 : 1;
}

} // namespace

// The part of a screenshot round (cx, cy) that fills the same size once every pixel has become a square of
// `scale` pixels: nothing is smoothed, so the close view shows what the game drew.
int Zoom(const char* in, int cx, int cy, int scale, const char* out) {
    int w = 0, h = 0, n = 0;
    unsigned char* px = stbi_load(in, &w, &h, &n, 3);
    if (!px || scale < 1) {
        std::fprintf(stderr, "assetpreview: cannot read %s\n", in);
        if (px) stbi_image_free(px);
        return 1;
    }
    const int pw = w / scale, ph = h / scale;
    const int x0 = std::clamp(cx - pw / 2, 0, w - pw), y0 = std::clamp(cy - ph / 2, 0, h - ph);
    std::vector<unsigned char> big((size_t)w * h * 3);
    for (int y = 0; y < ph * scale; ++y)
        for (int x = 0; x < pw * scale; ++x)
            for (int c = 0; c < 3; ++c)
                big[((size_t)y * w + x) * 3 + c] =
                    px[((size_t)(y0 + y / scale) * w + x0 + x / scale) * 3 + c];
    stbi_image_free(px);
    return stbi_write_png(out, w, h, 3, big.data(), w * 3) != 0 ? 0 : 1;
}

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "mesh" && argc == 4) return MeshViews(argv[2], argv[3]);
    if (mode == "winding" && argc == 3) return CheckWinding(argv[2]);
    if (mode == "football" && argc == 5)
        return FootballViews(argv[2], std::strtof(argv[3], nullptr), argv[4]);
    if (mode == "scene" && (argc == 5 || argc == 7))
        return Scene(argv[2], std::atoi(argv[3]), argv[4], argc == 7 ? std::strtof(argv[5], nullptr) : 0,
                     argc == 7 ? std::strtof(argv[6], nullptr) : 0, argc == 7);
    if (mode == "map" && argc == 5) return Map(argv[2], std::atoi(argv[3]), argv[4]);
    if (mode == "zoom" && argc == 7)
        return Zoom(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]), argv[6]);
    std::fprintf(stderr, "usage: assetpreview mesh <file.x> <out.png> | winding <file.x> | football "
                         "<xfile-dir> <jaw> <out.png> | "
                         "scene <root> <stage> <out.png> [x z] | map <root> <stage> <out.png> | "
                         "zoom <in.png> <cx> <cy> <scale> <out.png>\n");
    return 2;
}
