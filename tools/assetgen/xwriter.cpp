#include "tools/assetgen/xwriter.h"

#include <cstdio>
#include <fstream>

namespace assetgen {

namespace {

void Num(std::string& out, float value) {
    char buf[48];
    std::snprintf(buf, sizeof(buf), "%.6f", (double)value);
    std::string s = buf;
    if (s == "-0.000000") s = "0.000000";
    out += s;
}

void Vec3Line(std::string& out, const Vec3& v, bool last) {
    out += "  ";
    Num(out, v.x);
    out += ';';
    Num(out, v.y);
    out += ';';
    Num(out, v.z);
    out += last ? ";;\n" : ";,\n";
}

void FaceList(std::string& out, const Mesh& mesh, const char* indent) {
    size_t faces = mesh.FaceCount();
    out += indent + std::to_string(faces) + ";\n";
    for (size_t f = 0; f < faces; ++f) {
        out += indent;
        out += "3;" + std::to_string(mesh.idx[f * 3]) + ',' + std::to_string(mesh.idx[f * 3 + 1]) + ',' +
               std::to_string(mesh.idx[f * 3 + 2]);
        out += f + 1 == faces ? ";;\n" : ";,\n";
    }
}

void MaterialBlock(std::string& out, const Material& m) {
    out += "  Material {\n   ";
    Num(out, m.r), out += ';', Num(out, m.g), out += ';', Num(out, m.b), out += ';', Num(out, m.a);
    out += ";;\n   ";
    Num(out, m.power);
    out += ";\n   ";
    Num(out, m.sr), out += ';', Num(out, m.sg), out += ';', Num(out, m.sb);
    out += ";;\n   ";
    Num(out, m.er), out += ';', Num(out, m.eg), out += ';', Num(out, m.eb);
    out += ";;\n";
    if (!m.texture.empty()) out += "   TextureFilename {\n    \"" + m.texture + "\";\n   }\n";
    out += "  }\n";
}

} // namespace

void CompactMesh(Mesh& mesh) {
    std::vector<int64_t> vmap(mesh.pos.size(), -1);
    Mesh out;
    for (uint32_t i : mesh.idx) {
        if (vmap[i] >= 0) continue;
        vmap[i] = (int64_t)out.pos.size();
        out.pos.push_back(mesh.pos[i]);
        out.nrm.push_back(mesh.nrm[i]);
        out.uv.push_back(mesh.uv[i]);
    }
    for (uint32_t i : mesh.idx)
        out.idx.push_back((uint32_t)vmap[i]);
    // Materials that some face uses, in their original order.
    std::vector<int64_t> mmap(mesh.mats.size(), -1);
    std::vector<bool> used(mesh.mats.size(), false);
    for (uint32_t m : mesh.faceMat)
        used[m] = true;
    for (size_t m = 0; m < mesh.mats.size(); ++m) {
        if (!used[m]) continue;
        mmap[m] = (int64_t)out.mats.size();
        out.mats.push_back(mesh.mats[m]);
    }
    for (uint32_t m : mesh.faceMat)
        out.faceMat.push_back((uint32_t)mmap[m]);
    mesh = std::move(out);
}

std::string FormatXFile(const Mesh& mesh, const std::string& name) {
    std::string out;
    out.reserve(mesh.pos.size() * 120 + mesh.FaceCount() * 40 + 1024);
    out += "xof 0303txt 0032\n\n";
    out += "Mesh " + name + " {\n";
    out += ' ' + std::to_string(mesh.pos.size()) + ";\n";
    for (size_t i = 0; i < mesh.pos.size(); ++i)
        Vec3Line(out, mesh.pos[i], i + 1 == mesh.pos.size());
    FaceList(out, mesh, " ");

    out += " MeshNormals {\n";
    out += "  " + std::to_string(mesh.nrm.size()) + ";\n";
    for (size_t i = 0; i < mesh.nrm.size(); ++i)
        Vec3Line(out, mesh.nrm[i], i + 1 == mesh.nrm.size());
    FaceList(out, mesh, "  ");
    out += " }\n";

    out += " MeshTextureCoords {\n";
    out += "  " + std::to_string(mesh.uv.size()) + ";\n";
    for (size_t i = 0; i < mesh.uv.size(); ++i) {
        out += "  ";
        Num(out, mesh.uv[i].u);
        out += ';';
        Num(out, mesh.uv[i].v);
        out += i + 1 == mesh.uv.size() ? ";;\n" : ";,\n";
    }
    out += " }\n";

    // Materials are written inline: some importers mis-assign materials that are referenced by name.
    out += " MeshMaterialList {\n";
    out += "  " + std::to_string(mesh.mats.size()) + ";\n";
    out += "  " + std::to_string(mesh.faceMat.size()) + ";\n";
    for (size_t f = 0; f < mesh.faceMat.size(); ++f) {
        out += "  " + std::to_string(mesh.faceMat[f]);
        out += f + 1 == mesh.faceMat.size() ? ";;\n" : ",\n";
    }
    for (const Material& m : mesh.mats)
        MaterialBlock(out, m);
    out += " }\n";
    out += "}\n";
    return out;
}

bool WriteXFile(const std::string& path, const Mesh& mesh, const std::string& name) {
    std::string text = FormatXFile(mesh, name);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        std::fprintf(stderr, "assetgen: cannot create %s\n", path.c_str());
        return false;
    }
    file.write(text.data(), (std::streamsize)text.size());
    file.close();
    if (!file) {
        std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace assetgen
