// D3DXLoadMeshFromXA over Assimp.
//
// Assimp reads .x files into its right-handed convention (z negated, v flipped, winding reversed) and
// splits each mesh by material; aiProcess_ConvertToLeftHanded undoes the conversion, so the file's own
// values come back, and aiProcess_PreTransformVertices applies the frames' transforms.
#include "d3dx9mesh.h"

#include "xfile_check.h"

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

const DWORD kLoadedFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
const size_t kMaxVertices = 65535;

struct LoadedVertex {
    float pos[3];
    float normal[3];
    float uv[2];
};
static_assert(sizeof(LoadedVertex) == 32, "position, normal and uv make 32 bytes");

struct LoadedMaterial {
    D3DMATERIAL9 mat;
    std::string texture;
    bool hasTexture = false;
};

HRESULT Fail(LPCSTR path, const std::string& why) {
    std::string line = why;
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    std::fprintf(stderr, "D3DXLoadMeshFromXA: %s: %s\n", path ? path : "(null)", line.c_str());
    return E_FAIL;
}

D3DCOLORVALUE ColorOf(const aiMaterial* m, const char* key, unsigned type, unsigned index, float r, float g,
                      float b, float a) {
    aiColor4D c(r, g, b, a);
    m->Get(key, type, index, c);
    return D3DCOLORVALUE{c.r, c.g, c.b, c.a};
}

LoadedMaterial ConvertMaterial(const aiMaterial* m) {
    LoadedMaterial out;
    std::memset(&out.mat, 0, sizeof(out.mat));
    out.mat.Diffuse = ColorOf(m, AI_MATKEY_COLOR_DIFFUSE, 1, 1, 1, 1);
    out.mat.Specular = ColorOf(m, AI_MATKEY_COLOR_SPECULAR, 0, 0, 0, 1);
    out.mat.Emissive = ColorOf(m, AI_MATKEY_COLOR_EMISSIVE, 0, 0, 0, 1);
    float power = 0;
    m->Get(AI_MATKEY_SHININESS, power);
    out.mat.Power = power;
    // The file's texture is the diffuse one; Assimp files other names under other kinds by their wording.
    aiString name;
    if (m->GetTexture(aiTextureType_DIFFUSE, 0, &name) == AI_SUCCESS) {
        out.texture = name.C_Str();
        out.hasTexture = true;
    } else {
        for (int t = aiTextureType_NONE + 1; t <= aiTextureType_UNKNOWN; ++t) {
            if (m->GetTexture((aiTextureType)t, 0, &name) == AI_SUCCESS) {
                out.texture = name.C_Str();
                out.hasTexture = true;
                break;
            }
        }
    }
    if (out.hasTexture && out.texture.empty()) out.hasTexture = false;
    return out;
}

// Smooth normals for a mesh the file gives none: face normals (B - A) x (C - A), which face the viewer of
// a front (clockwise) face, summed over the corners that share a position. (Assimp's own generator runs
// between its handedness steps and would point them inwards.)
void MakeNormals(std::vector<LoadedVertex>* vertices, size_t firstVertex, const std::vector<WORD>& indices,
                 size_t firstIndex) {
    std::map<std::vector<float>, aiVector3D> sums;
    auto key = [](const LoadedVertex& v) { return std::vector<float>(v.pos, v.pos + 3); };
    auto at = [&](WORD i) {
        const float* p = (*vertices)[i].pos;
        return aiVector3D(p[0], p[1], p[2]);
    };
    for (size_t i = firstIndex; i + 2 < indices.size(); i += 3) {
        aiVector3D a = at(indices[i]), b = at(indices[i + 1]), c = at(indices[i + 2]);
        aiVector3D n = (b - a) ^ (c - a);
        for (int k = 0; k < 3; ++k)
            sums[key((*vertices)[indices[i + k]])] += n;
    }
    for (size_t v = firstVertex; v < vertices->size(); ++v) {
        LoadedVertex& lv = (*vertices)[v];
        aiVector3D n = sums[key(lv)];
        if (n.SquareLength() > 0) n.Normalize();
        lv.normal[0] = n.x, lv.normal[1] = n.y, lv.normal[2] = n.z;
    }
}

ID3DXBuffer* MakeMaterialBuffer(const std::vector<LoadedMaterial>& mats) {
    size_t size = mats.size() * sizeof(D3DXMATERIAL);
    for (const LoadedMaterial& m : mats)
        if (m.hasTexture) size += m.texture.size() + 1;
    ID3DXBuffer* buf = nullptr;
    D3DXCreateBuffer((DWORD)size, &buf);
    char* base = (char*)buf->GetBufferPointer();
    auto* records = (D3DXMATERIAL*)base;
    char* strings = base + mats.size() * sizeof(D3DXMATERIAL);
    for (size_t i = 0; i < mats.size(); ++i) {
        records[i].MatD3D = mats[i].mat;
        records[i].pTextureFilename = nullptr;
        if (mats[i].hasTexture) {
            std::memcpy(strings, mats[i].texture.c_str(), mats[i].texture.size() + 1);
            records[i].pTextureFilename = strings;
            strings += mats[i].texture.size() + 1;
        }
    }
    return buf;
}

// Three neighbours per face (0xFFFFFFFF where an edge has none), faces sharing an edge's two vertices.
ID3DXBuffer* MakeAdjacency(const std::vector<WORD>& indices) {
    size_t faces = indices.size() / 3;
    std::vector<DWORD> adj(faces * 3, 0xFFFFFFFF);
    std::map<std::pair<WORD, WORD>, DWORD> edges;
    for (size_t f = 0; f < faces; ++f)
        for (int e = 0; e < 3; ++e) {
            WORD a = indices[f * 3 + e], b = indices[f * 3 + (e + 1) % 3];
            edges.emplace(std::make_pair(a, b), (DWORD)f);
        }
    for (size_t f = 0; f < faces; ++f)
        for (int e = 0; e < 3; ++e) {
            WORD a = indices[f * 3 + e], b = indices[f * 3 + (e + 1) % 3];
            auto it = edges.find(std::make_pair(b, a));
            if (it != edges.end() && it->second != f) adj[f * 3 + e] = it->second;
        }
    return CreateBufferFrom(adj.data(), (DWORD)(adj.size() * sizeof(DWORD)));
}

ID3DXBuffer* MakeEffectInstances(size_t count) {
    std::vector<D3DXEFFECTINSTANCE> inst(count, D3DXEFFECTINSTANCE{nullptr, 0, nullptr});
    return CreateBufferFrom(inst.data(), (DWORD)(inst.size() * sizeof(D3DXEFFECTINSTANCE)));
}

// The vertices, triangles and their materials of a whole file, subset by subset.
struct LoadedGeometry {
    std::vector<LoadedVertex> vertices;
    std::vector<WORD> indices;
    std::vector<DWORD> attributes; // the material of each triangle
    bool hasUv = false;
};

// The whole file, once its text passes the checks of CheckXFileText. Empty with why set otherwise.
std::vector<char> ReadXFile(LPCSTR path, std::string& why) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        why = "cannot open the file";
        return {};
    }
    std::vector<char> data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (data.empty())
        why = "the file is empty";
    else if (!CheckXFileText(data.data(), data.size(), &why))
        data.clear();
    return data;
}

// Appends one of Assimp's meshes as triangles of material m. False with why set when it does not fit.
bool AppendMesh(const aiMesh* mesh, unsigned m, LoadedGeometry& g, std::string& why) {
    size_t base = g.vertices.size();
    if (base + mesh->mNumVertices > kMaxVertices) {
        why = "more than 65535 vertices do not fit 16-bit indices";
        return false;
    }
    const aiVector3D* uv = mesh->mTextureCoords[0];
    g.hasUv = g.hasUv || uv;
    for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
        LoadedVertex lv{};
        lv.pos[0] = mesh->mVertices[v].x, lv.pos[1] = mesh->mVertices[v].y, lv.pos[2] = mesh->mVertices[v].z;
        if (mesh->mNormals) {
            lv.normal[0] = mesh->mNormals[v].x;
            lv.normal[1] = mesh->mNormals[v].y;
            lv.normal[2] = mesh->mNormals[v].z;
        }
        if (uv) lv.uv[0] = uv[v].x, lv.uv[1] = uv[v].y;
        g.vertices.push_back(lv);
    }
    size_t firstIndex = g.indices.size();
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
        const aiFace& face = mesh->mFaces[f];
        // Polygons become fans from their first corner, as D3DX splits them.
        for (unsigned c = 2; c < face.mNumIndices; ++c) {
            g.indices.push_back((WORD)(base + face.mIndices[0]));
            g.indices.push_back((WORD)(base + face.mIndices[c - 1]));
            g.indices.push_back((WORD)(base + face.mIndices[c]));
            g.attributes.push_back(m);
        }
    }
    if (!mesh->mNormals) MakeNormals(&g.vertices, base, g.indices, firstIndex);
    return true;
}

// One subset per material in the file's order; a subset gathers the meshes of its material.
bool GatherSubsets(const aiScene* scene, LoadedGeometry& g, std::string& why) {
    for (unsigned m = 0; m < scene->mNumMaterials; ++m)
        for (unsigned k = 0; k < scene->mNumMeshes; ++k)
            if (scene->mMeshes[k]->mMaterialIndex == m && !AppendMesh(scene->mMeshes[k], m, g, why))
                return false;
    return true;
}

// The D3DX mesh holding g's vertices, indices and attributes.
ID3DXMesh* BuildMesh(const LoadedGeometry& g, DWORD options, IDirect3DDevice9* device) {
    DWORD fvf = g.hasUv ? kLoadedFvf : (D3DFVF_XYZ | D3DFVF_NORMAL);
    ID3DXMesh* mesh = nullptr;
    HRESULT hr =
        D3DXCreateMeshFVF((DWORD)g.attributes.size(), (DWORD)g.vertices.size(), options, fvf, device, &mesh);
    if (FAILED(hr)) return nullptr;
    void* p = nullptr;
    mesh->LockVertexBuffer(0, &p);
    DWORD stride = mesh->GetNumBytesPerVertex();
    for (size_t v = 0; v < g.vertices.size(); ++v)
        std::memcpy((char*)p + v * stride, &g.vertices[v], stride);
    mesh->UnlockVertexBuffer();
    mesh->LockIndexBuffer(0, &p);
    std::memcpy(p, g.indices.data(), g.indices.size() * sizeof(WORD));
    mesh->UnlockIndexBuffer();
    DWORD* attr = nullptr;
    mesh->LockAttributeBuffer(0, &attr);
    std::memcpy(attr, g.attributes.data(), g.attributes.size() * sizeof(DWORD));
    mesh->UnlockAttributeBuffer();
    return mesh;
}

} // namespace

HRESULT D3DXLoadMeshFromXA(LPCSTR path, DWORD options, IDirect3DDevice9* device, ID3DXBuffer** adjacency,
                           ID3DXBuffer** materials, ID3DXBuffer** effectInstances, DWORD* numMaterials,
                           ID3DXMesh** out) {
    if (adjacency) *adjacency = nullptr;
    if (materials) *materials = nullptr;
    if (effectInstances) *effectInstances = nullptr;
    if (numMaterials) *numMaterials = 0;
    if (out) *out = nullptr;
    if (!path || !out) return Fail(path, "no file or no mesh to load into");

    std::string why;
    const std::vector<char> data = ReadXFile(path, why);
    if (data.empty()) return Fail(path, why);
    Assimp::Importer importer;
    const unsigned flags = aiProcess_ConvertToLeftHanded | aiProcess_PreTransformVertices |
                           aiProcess_JoinIdenticalVertices | aiProcess_ValidateDataStructure;
    const aiScene* scene = importer.ReadFileFromMemory(data.data(), data.size(), flags, "x");
    if (!scene) return Fail(path, importer.GetErrorString());
    if (scene->mNumMeshes == 0) return Fail(path, "the file holds no mesh");

    std::vector<LoadedMaterial> mats;
    for (unsigned m = 0; m < scene->mNumMaterials; ++m)
        mats.push_back(ConvertMaterial(scene->mMaterials[m]));
    LoadedGeometry geometry;
    if (!GatherSubsets(scene, geometry, why)) return Fail(path, why);
    if (geometry.attributes.empty()) return Fail(path, "the file holds no faces");
    ID3DXMesh* mesh = BuildMesh(geometry, options, device);
    if (!mesh) return Fail(path, "the mesh could not be created");

    if (materials) *materials = MakeMaterialBuffer(mats);
    if (numMaterials) *numMaterials = (DWORD)mats.size();
    if (adjacency) *adjacency = MakeAdjacency(geometry.indices);
    if (effectInstances) *effectInstances = MakeEffectInstances(mats.size());
    *out = mesh;
    return D3D_OK;
}
