// assetpreview: a development viewer for the generated meshes and the stage files (not used by the tests).
//
//   assetpreview mesh <file.x> <out.png>          four views of one mesh; back faces show magenta
//   assetpreview winding <file.x>                 lists faces wound against their normals
//   assetpreview football <xfile-dir> <jaw> <out.png>   body, jaw opened by <jaw> degrees, and glow
//   assetpreview scene <repo-root> <stage> <out.png> [x z]   the stage as the game camera sees it
//   assetpreview map <repo-root> <stage> <out.png>   top-down map: walls (collision mesh) and objects
//   assetpreview zoom <in.png> <cx> <cy> <scale> <out.png>   a close view of a 640 x 480 screenshot: the
//                                                  part round (cx, cy), each pixel a square of scale
#include "tools/assetgen/preview/preview.h"

#include <stb_image.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <utility>
#include <vector>

namespace assetgen {

namespace {

// Lists the faces whose winding disagrees with their vertex normals (they would be culled from the side
// their normals face).
int CheckWinding(const std::string& path) {
    LoadedMesh m = LoadMesh(path);
    int bad = 0;
    for (const Tri& t : m.tris) {
        Vec3 n = Cross(t.p[1] - t.p[0], t.p[2] - t.p[0]);
        Vec3 avg = t.n[0] + t.n[1] + t.n[2];
        if (Dot(n, avg) > 0) continue;
        ++bad;
        Vec3 c = (t.p[0] + t.p[1] + t.p[2]) * (1.0f / 3);
        std::printf("  face at (%.3f %.3f %.3f) area %.6f normal (%.2f %.2f %.2f)\n", c.x, c.y, c.z,
                    Length(n) / 2, avg.x, avg.y, avg.z);
    }
    return bad ? 1 : 0;
}

// Four views of some meshes, each with its own placement: the game's view (above and behind), the front
// (from +z), the side (from +x) and a three-quarter view from the front left above.
void Views(const std::vector<std::pair<LoadedMesh, Xf>>& parts, const std::string& outPath) {
    Bounds box;
    for (const auto& part : parts)
        for (const Tri& t : part.first.tris)
            for (const Vec3& q : t.p)
                box.Add(part.second.Point(q));
    const Vec3 c = (box.lo + box.hi) * 0.5f;
    const float dist = Length(box.hi - box.lo) * 0.5f / std::sin(Deg(15)) * 1.05f;
    const int s = 320;
    Frame frame(s * 2, s * 2, Colour{0.12f, 0.27f, 0.36f, 1});
    const Vec3 dirs[4] = {Normalize(Vec3(0, 40, -10)), Normalize(Vec3(0, 0.15f, 1)),
                          Normalize(Vec3(1, 0.15f, 0)), Normalize(Vec3(-1, 0.8f, 1))};
    for (int v = 0; v < 4; ++v) {
        Camera cam = LookAt(c + dirs[v] * dist, c, 30, (v % 2) * s, (v / 2) * s, s, s);
        for (Faces faces : {Faces::kFront, Faces::kHoles})
            for (const auto& part : parts)
                for (const Tri& t : part.first.tris)
                    DrawTri(frame, cam, t, part.second, faces);
    }
    frame.Save(outPath);
}

int MeshViews(const std::string& path, const std::string& outPath) {
    LoadedMesh m = LoadMesh(path);
    if (!m.ok) return 1;
    Views({{m, Xf()}}, outPath);
    return 0;
}

// The football as its Draw puts it together: body, jaw opened by jawDeg (scaled 1.2 in z), and the glow.
int FootballViews(const std::string& dir, float jawDeg, const std::string& outPath) {
    LoadedMesh body = LoadMesh(dir + "/football.x"), jaw = LoadMesh(dir + "/lowerjaw.x"),
               glow = LoadMesh(dir + "/effect.x");
    if (!body.ok || !jaw.ok || !glow.ok) return 1;
    Views({{body, Xf()}, {jaw, Xf::Scale(1, 1, 1.2f).Then(Xf::RotX(Deg(jawDeg)))}, {glow, Xf::Move(0, 5, 5)}},
          outPath);
    return 0;
}

// The part of a screenshot round (cx, cy) that fills the same size once every pixel has become a square of
// `scale` pixels: nothing is smoothed, so the close view shows what the game drew.
int Zoom(const char* in, int cx, int cy, int scale, const std::string& out) {
    int w = 0, h = 0, n = 0;
    unsigned char* px = stbi_load(in, &w, &h, &n, 4);
    if (!px || scale < 1) {
        std::fprintf(stderr, "assetpreview: cannot read %s\n", in);
        if (px) stbi_image_free(px);
        return 1;
    }
    const int pw = w / scale, ph = h / scale;
    const int x0 = std::clamp(cx - pw / 2, 0, w - pw), y0 = std::clamp(cy - ph / 2, 0, h - ph);
    Image8 big;
    big.w = w, big.h = h;
    big.rgba.assign((size_t)w * h * 4, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* q = &big.rgba[((size_t)y * w + x) * 4];
            q[3] = 255; // what the enlarged part leaves over at the right and the bottom stays black
            if (x >= pw * scale || y >= ph * scale) continue;
            std::copy_n(&px[((size_t)(y0 + y / scale) * w + x0 + x / scale) * 4], 4, q);
        }
    stbi_image_free(px);
    WritePng(out, big);
    return 0;
}

int Run(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "mesh" && argc == 4) return MeshViews(argv[2], argv[3]);
    if (mode == "winding" && argc == 3) return CheckWinding(argv[2]);
    if (mode == "football" && argc == 5)
        return FootballViews(argv[2], std::strtof(argv[3], nullptr), argv[4]);
    if (mode == "scene" && (argc == 5 || argc == 7)) {
        const Vec3 at(argc == 7 ? std::strtof(argv[5], nullptr) : 0, 0,
                      argc == 7 ? std::strtof(argv[6], nullptr) : 0);
        StageScene(argv[2], std::atoi(argv[3]), argv[4], argc == 7 ? &at : nullptr);
        return 0;
    }
    if (mode == "map" && argc == 5) {
        StageMap(argv[2], std::atoi(argv[3]), argv[4]);
        return 0;
    }
    if (mode == "zoom" && argc == 7)
        return Zoom(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]), argv[6]);
    std::fprintf(stderr, "usage: assetpreview mesh <file.x> <out.png> | winding <file.x> | football "
                         "<xfile-dir> <jaw> <out.png> | "
                         "scene <root> <stage> <out.png> [x z] | map <root> <stage> <out.png> | "
                         "zoom <in.png> <cx> <cy> <scale> <out.png>\n");
    return 2;
}

} // namespace

} // namespace assetgen

int main(int argc, char** argv) {
    // The picture writer throws, with a message naming the file, when a picture cannot be written.
    try {
        return assetgen::Run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "assetpreview: %s\n", e.what());
        return 1;
    }
}
