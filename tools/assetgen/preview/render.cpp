// Reading meshes and drawing their triangles.
#include "tools/assetgen/preview/preview.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace assetgen {

namespace {

const Vec3 kToLight = Normalize(Vec3(-1, 1, -1));
const Colour kHole{1, 0, 1, 1}; // the inside of a surface shows

} // namespace

LoadedMesh LoadMesh(const std::string& path) {
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
    Bounds box;
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
                t.p[c] = Vec3(m->mVertices[i].x, m->mVertices[i].y, m->mVertices[i].z);
                t.n[c] =
                    m->mNormals ? Vec3(m->mNormals[i].x, m->mNormals[i].y, m->mNormals[i].z) : Vec3(0, 1, 0);
                box.Add(t.p[c]);
            }
            volume += Dot(t.p[0], Cross(t.p[1], t.p[2])) / 6.0;
            t.colour = Colour{d.r, d.g, d.b, 1};
            out.tris.push_back(t);
        }
    }
    std::printf("%s: %u subsets, %zu vertices, %zu triangles, bounds (%.2f %.2f %.2f)..(%.2f %.2f %.2f), "
                "volume %.3f\n",
                path.c_str(), s->mNumMeshes, verts, out.tris.size(), box.lo.x, box.lo.y, box.lo.z, box.hi.x,
                box.hi.y, box.hi.z, volume);
    out.ok = true;
    return out;
}

Frame::Frame(int w, int h, Colour background)
    : m_Colour(w, h, 1.0f), m_Depth(static_cast<size_t>(w) * h, 1e30f) {
    m_Colour.Generate(Solid(WithAlpha(background, 1)));
}

void Frame::Put(int x, int y, Colour c) {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return;
    float* p = m_Colour.Pixel(x, y);
    p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = 1;
}

void Frame::Blend(int x, int y, Colour c, float t) {
    float* p = m_Colour.Pixel(x, y);
    p[0] += (c.r - p[0]) * t, p[1] += (c.g - p[1]) * t, p[2] += (c.b - p[2]) * t;
}

void Frame::Save(const std::string& path) const {
    WritePng(path, Finish(m_Colour));
}

Camera LookAt(Vec3 eye, Vec3 at, float fovDeg, int ox, int oy, int w, int h) {
    Camera c;
    c.eye = eye;
    c.z = Normalize(at - eye);
    c.x = Normalize(Cross(Vec3(0, 1, 0), c.z));
    if (Dot(c.x, c.x) < 0.5f) c.x = Vec3(1, 0, 0);
    c.y = Cross(c.z, c.x);
    c.tanHalf = std::tan(Deg(fovDeg * 0.5f));
    c.aspect = (float)w / (float)h;
    c.ox = ox, c.oy = oy, c.w = w, c.h = h;
    return c;
}

void DrawTri(Frame& frame, const Camera& cam, const Tri& t, const Xf& world, Faces faces, float blend) {
    Vec3 s[3], n[3];
    float zs[3];
    for (int c = 0; c < 3; ++c) {
        Vec3 p = world.Point(t.p[c]) - cam.eye;
        Vec3 v(Dot(p, cam.x), Dot(p, cam.y), Dot(p, cam.z));
        if (v.z < 0.5f) return;
        float nx = v.x / (v.z * cam.tanHalf * cam.aspect), ny = v.y / (v.z * cam.tanHalf);
        s[c] = Vec3(cam.ox + (nx + 1) * 0.5f * cam.w, cam.oy + (1 - ny) * 0.5f * cam.h, 0);
        zs[c] = v.z;
        n[c] = Normalize(world.Dir(t.n[c]));
    }
    float area = (s[1].x - s[0].x) * (s[2].y - s[0].y) - (s[2].x - s[0].x) * (s[1].y - s[0].y);
    bool back = area < 0; // counter-clockwise on screen: Direct3D culls it
    if (back != (faces == Faces::kHoles)) return;
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
            float& d = frame.Depth(x, y);
            if (z >= (back ? d * 0.999f : d)) continue;
            if (blend > 0) {
                frame.Blend(x, y, t.colour, blend);
                continue;
            }
            d = z;
            if (back) {
                frame.Put(x, y, kHole);
                continue;
            }
            Vec3 nn = Normalize(n[0] * w0 + n[1] * w1 + n[2] * w2);
            float light = 0.5f + std::max(0.0f, Dot(nn, kToLight));
            frame.Put(x, y, Colour{t.colour.r * light, t.colour.g * light, t.colour.b * light, 1});
        }
}

} // namespace assetgen
