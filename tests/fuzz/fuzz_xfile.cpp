// libFuzzer target for the .x loading: arbitrary bytes go through D3DXLoadMeshFromXA as a file, on a
// recording device. A load that succeeds must hand back a mesh whose indices, attributes, materials and
// adjacency agree with each other; the mesh is then intersected, cloned, and loaded again the way the game
// loads its meshes (LoadMesh, with the materials' textures). A load that fails must leave every output null.
// Run with --write-seeds=DIR to write a few small files (and the smallest generated meshes) into DIR first.
#include "app/Direct3D.h"
#include "app/WinMain.h"
#include "assets/Meshes.h"
#include <d3dx9.h>

#include "../unit/MeshTestUtil.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

fs::path g_Dir, g_CallerDir; // the scratch folder inputs are run in, and the caller's
std::string g_Path;

void WriteSeeds(const fs::path& dir) {
    fs::create_directories(dir);
    WriteTextFile((dir / "two-materials.x").string(), TwoMaterialX());
    WriteTextFile((dir / "triangle.x").string(), "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; "
                                                 "1; 3;0,1,2;; }\n");
    WriteTextFile((dir / "textured.x").string(),
                  "xof 0303txt 0032\nMesh Box {\n 4;\n -1;0;-1;, 1;0;-1;, 1;0;1;, -1;0;1;;\n 2;\n"
                  " 3;0,1,2;, 3;0,2,3;;\n MeshMaterialList {\n  1;\n  2;\n  0,0;;\n  Material {\n"
                  "   1.0;1.0;1.0;1.0;;\n   8.0;\n   0.0;0.0;0.0;;\n   0.0;0.0;0.0;;\n"
                  "   TextureFilename { \"image/none.png\"; }\n  }\n }\n MeshTextureCoords {\n  4;\n"
                  "  0;0;, 1;0;, 1;1;, 0;1;;\n }\n}\n");
    // The smallest of the generated meshes, when the runtime tree has them.
    const fs::path xfiles = fs::path(BW_SOURCE_DIR) / "xfile";
    std::error_code ec;
    if (!fs::is_directory(xfiles, ec)) return;
    for (const auto& e : fs::directory_iterator(xfiles, ec))
        if (e.is_regular_file() && e.file_size() <= 16384)
            fs::copy_file(e.path(), dir / e.path().filename(), fs::copy_options::overwrite_existing, ec);
}

// A promise of the loader that does not hold: says which on standard output (standard error belongs to
// libFuzzer), then crashes so that the input is kept.
[[noreturn]] void Broken(const char* promise) {
    std::printf("fuzz_xfile: broken: %s\n", promise);
    std::fflush(stdout);
    __builtin_trap();
}

void CheckLoadedMesh(ID3DXMesh* mesh, ID3DXBuffer* adjacency, ID3DXBuffer* materials, DWORD numMaterials) {
    const DWORD faces = mesh->GetNumFaces(), vertices = mesh->GetNumVertices();
    if (faces == 0 || vertices == 0 || vertices > 65535)
        Broken("a loaded mesh has faces and at most 65535 vertices");
    // The records, then the texture names they point at, all inside the one buffer.
    if (!materials || materials->GetBufferSize() < numMaterials * sizeof(D3DXMATERIAL))
        Broken("the material buffer holds the material count");
    if (!adjacency || adjacency->GetBufferSize() != faces * 3 * sizeof(DWORD))
        Broken("the adjacency has three entries a face");
    const char* base = static_cast<const char*>(materials->GetBufferPointer());
    const char* names = base + numMaterials * sizeof(D3DXMATERIAL);
    const char* end = base + materials->GetBufferSize();
    const D3DXMATERIAL* mats = reinterpret_cast<const D3DXMATERIAL*>(base);
    for (DWORD i = 0; i < numMaterials; ++i) {
        const char* name = mats[i].pTextureFilename;
        if (name && (name < names || name >= end || !std::memchr(name, 0, (size_t)(end - name))))
            Broken("every texture name lies in the material buffer");
    }
    WORD* indices = nullptr;
    if (mesh->LockIndexBuffer(D3DLOCK_READONLY, reinterpret_cast<void**>(&indices)) != D3D_OK)
        Broken("the index buffer locks");
    for (DWORD i = 0; i < faces * 3; ++i)
        if (indices[i] >= vertices) Broken("every corner names a vertex of the mesh");
    mesh->UnlockIndexBuffer();
    DWORD* attributes = nullptr;
    if (mesh->LockAttributeBuffer(D3DLOCK_READONLY, &attributes) != D3D_OK)
        Broken("the attribute buffer locks");
    for (DWORD f = 0; f < faces; ++f)
        if (attributes[f] >= numMaterials) Broken("every face has a material of the file");
    mesh->UnlockAttributeBuffer();
    const DWORD* adj = static_cast<const DWORD*>(adjacency->GetBufferPointer());
    for (DWORD i = 0; i < faces * 3; ++i)
        if (adj[i] != 0xFFFFFFFF && adj[i] >= faces) Broken("every adjacency entry names a face");

    DWORD ranges = 0;
    mesh->GetAttributeTable(nullptr, &ranges);
    BOOL hit = FALSE;
    DWORD face = 0, hits = 0;
    float u = 0, v = 0, dist = 0;
    ID3DXBuffer* all = nullptr;
    const D3DXVECTOR3 from(0.0f, 100.0f, 0.0f), down(0.0f, -1.0f, 0.0f);
    D3DXIntersect(mesh, &from, &down, &hit, &face, &u, &v, &dist, &all, &hits);
    if (hit && face >= faces) Broken("the ray hits a face of the mesh");
    if (all) all->Release();
    ID3DXMesh* clone = nullptr;
    if (SUCCEEDED(mesh->CloneMeshFVF(D3DXMESH_MANAGED,
                                     D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1, g_pDevice,
                                     &clone)) &&
        clone)
        clone->Release();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    const char* seeds = "--write-seeds=";
    for (int i = 1; i < *argc; ++i)
        if (std::strncmp((*argv)[i], seeds, std::strlen(seeds)) == 0)
            WriteSeeds((*argv)[i] + std::strlen(seeds));
    // Each input goes through a file of an empty scratch directory (memory-backed when possible); texture
    // names of the materials are looked up there and find nothing.
    const char* tmp = std::getenv("TMPDIR");
    std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (tmp && *tmp ? tmp : "/tmp");
    g_Dir = fs::path(base) / ("fuzz_xfile-" + std::to_string(getpid()));
    fs::create_directories(g_Dir);
    g_CallerDir = fs::current_path(); // libFuzzer reads the caller's paths after this returns
    g_Path = "input.x";
    std::atexit([] {
        std::error_code ec;
        fs::remove_all(g_Dir, ec);
    });
    g_hWnd = nullptr; // no window: the device records
    if (!InitDirect3D(0)) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    struct InScratch {
        InScratch() { fs::current_path(g_Dir); }
        ~InScratch() { fs::current_path(g_CallerDir); }
    } inScratch;
    {
        std::ofstream out(g_Path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), (std::streamsize)size);
        if (!out) return 0;
    }
    ID3DXBuffer *adjacency = nullptr, *materials = nullptr, *effects = nullptr;
    DWORD numMaterials = 0;
    ID3DXMesh* mesh = nullptr;
    const HRESULT hr = D3DXLoadMeshFromXA(g_Path.c_str(), D3DXMESH_MANAGED, g_pDevice, &adjacency, &materials,
                                          &effects, &numMaterials, &mesh);
    if (FAILED(hr)) {
        if (mesh || adjacency || materials || effects || numMaterials)
            Broken("a failed load leaves every output null");
        return 0;
    }
    if (!mesh) Broken("a load that succeeds gives a mesh");
    CheckLoadedMesh(mesh, adjacency, materials, numMaterials);
    mesh->Release();
    if (adjacency) adjacency->Release();
    if (materials) materials->Release();
    if (effects) effects->Release();

    // The game's own loading of the same file.
    MeshData record;
    LoadMesh(record, g_Path.c_str());
    if (!record.pMesh || record.NumMaterials != numMaterials)
        Broken("LoadMesh loads what loads, with its materials");
    ReleaseMesh(record);
    if (record.pMesh || record.pMaterials || record.ppTextures) Broken("ReleaseMesh leaves nothing behind");
    return 0;
}
