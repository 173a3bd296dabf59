// The in-memory mesh of the asset generator and its DirectX text (.x) writer.
//
// Coordinates are Direct3D's: left-handed, y up, z forward. A face is front-facing when its corners run
// clockwise as seen from outside, which for three corners a, b, c means (b - a) x (c - a) points outwards.
#pragma once

#include "tools/assetgen/maths.h"

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

// One .x material: face colour, specular power and colour, emissive colour, optional texture path
// (relative to the repository root, as the game opens it).
struct Material {
    float r = 1, g = 1, b = 1, a = 1;
    float power = 8;
    float sr = 0.2f, sg = 0.2f, sb = 0.2f;
    float er = 0, eg = 0, eb = 0;
    std::string texture;
};

struct Mesh {
    std::vector<Vec3> pos;
    std::vector<Vec3> nrm;
    std::vector<Vec2> uv;
    std::vector<uint32_t> idx;     // three per face
    std::vector<uint32_t> faceMat; // one per face
    std::vector<Material> mats;

    size_t FaceCount() const { return faceMat.size(); }
};

// Drops vertices that no face uses and materials that no face uses (renumbering both).
void CompactMesh(Mesh& mesh);

// The whole file text for one mesh. Numbers are written with six decimals and no negative zero, so the
// same mesh always gives the same bytes.
std::string FormatXFile(const Mesh& mesh, const std::string& name);

// Writes the file; false (with a message on stderr) when it cannot be written completely.
bool WriteXFile(const std::string& path, const Mesh& mesh, const std::string& name);

} // namespace assetgen
