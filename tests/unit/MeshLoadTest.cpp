// Loading .x files: materials and subsets, exact vertex data and winding, frames, bad files.
#include <d3dx9mesh.h>
#include "tests/unit/MeshTestUtil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Loaded {
    HRESULT hr = E_FAIL;
    ID3DXMesh* mesh = nullptr;
    ID3DXBuffer* materials = nullptr;
    ID3DXBuffer* adjacency = nullptr;
    DWORD numMaterials = 0;
    ~Loaded() {
        if (mesh) mesh->Release();
        if (materials) materials->Release();
        if (adjacency) adjacency->Release();
    }
};

class MeshLoad : public ::testing::Test {
  protected:
    ScratchDir m_Dir{"mesh"};

    std::string Fixture(const std::string& name, const std::string& text) {
        std::string path = m_Dir.File(name);
        WriteTextFile(path, text);
        return path;
    }

    void Load(const std::string& path, Loaded* out, bool withAdjacency = false) {
        out->hr = D3DXLoadMeshFromXA(path.c_str(), D3DXMESH_MANAGED, nullptr,
                                     withAdjacency ? &out->adjacency : nullptr, &out->materials, nullptr,
                                     &out->numMaterials, &out->mesh);
    }
};

struct Corner {
    float x, y, z, nx, ny, nz, u, v;
};

// The three corners of every face, in index order, with the subset of the face.
std::vector<std::vector<Corner>> Faces(ID3DXMesh* mesh, std::vector<DWORD>* subsets) {
    std::vector<std::vector<Corner>> faces;
    void* vb = nullptr;
    void* ib = nullptr;
    DWORD* attr = nullptr;
    mesh->LockVertexBuffer(D3DLOCK_READONLY, &vb);
    mesh->LockIndexBuffer(D3DLOCK_READONLY, &ib);
    mesh->LockAttributeBuffer(D3DLOCK_READONLY, &attr);
    DWORD stride = mesh->GetNumBytesPerVertex();
    for (DWORD f = 0; f < mesh->GetNumFaces(); ++f) {
        std::vector<Corner> face;
        for (int k = 0; k < 3; ++k) {
            WORD i = ((const WORD*)ib)[f * 3 + k];
            Corner c{};
            std::memcpy(&c, (const char*)vb + i * stride, std::min<size_t>(stride, sizeof(Corner)));
            face.push_back(c);
        }
        faces.push_back(face);
        subsets->push_back(attr[f]);
    }
    mesh->UnlockAttributeBuffer();
    mesh->UnlockIndexBuffer();
    mesh->UnlockVertexBuffer();
    return faces;
}

void ExpectCorner(const Corner& c, float x, float y, float z, float u, float v) {
    EXPECT_FLOAT_EQ(c.x, x);
    EXPECT_FLOAT_EQ(c.y, y);
    EXPECT_FLOAT_EQ(c.z, z);
    EXPECT_FLOAT_EQ(c.u, u);
    EXPECT_FLOAT_EQ(c.v, v);
}

} // namespace

TEST_F(MeshLoad, TwoMaterialsGiveTwoSubsetsInFileOrder) {
    Loaded l;
    Load(Fixture("two.x", TwoMaterialX()), &l);
    ASSERT_EQ(l.hr, D3D_OK);
    ASSERT_EQ(l.numMaterials, 2u);
    auto* mats = (D3DXMATERIAL*)l.materials->GetBufferPointer();
    EXPECT_FLOAT_EQ(mats[0].MatD3D.Diffuse.r, 1.0f);
    EXPECT_FLOAT_EQ(mats[0].MatD3D.Diffuse.b, 0.0f);
    EXPECT_FLOAT_EQ(mats[0].MatD3D.Diffuse.a, 0.5f);
    EXPECT_FLOAT_EQ(mats[0].MatD3D.Power, 10.0f);
    EXPECT_FLOAT_EQ(mats[0].MatD3D.Specular.g, 0.25f);
    EXPECT_FLOAT_EQ(mats[0].MatD3D.Emissive.b, 0.3f);
    ASSERT_NE(mats[0].pTextureFilename, nullptr);
    EXPECT_STREQ(mats[0].pTextureFilename, "image/red.png");
    EXPECT_FLOAT_EQ(mats[1].MatD3D.Diffuse.b, 1.0f);
    EXPECT_EQ(mats[1].pTextureFilename, nullptr); // the material names no texture

    // Subset 0 is the triangle (material 0 in the file), subset 1 the quad split in two.
    D3DXATTRIBUTERANGE table[4];
    DWORD count = 0;
    ASSERT_EQ(l.mesh->GetAttributeTable(table, &count), D3D_OK);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(table[0].AttribId, 0u);
    EXPECT_EQ(table[0].FaceCount, 1u);
    EXPECT_EQ(table[1].AttribId, 1u);
    EXPECT_EQ(table[1].FaceCount, 2u);
}

TEST_F(MeshLoad, VerticesAndWindingComeOutAsWrittenWithTheFrameApplied) {
    Loaded l;
    Load(Fixture("two.x", TwoMaterialX()), &l);
    ASSERT_EQ(l.hr, D3D_OK);
    EXPECT_EQ(l.mesh->GetFVF(), (DWORD)(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1));
    EXPECT_EQ(l.mesh->GetNumFaces(), 3u);
    std::vector<DWORD> subsets;
    auto faces = Faces(l.mesh, &subsets);
    ASSERT_EQ(faces.size(), 3u);
    // The triangle 4, 1, 0 with its normal (0, 1, 0); uvs are not flipped, z is not negated.
    EXPECT_EQ(subsets[0], 0u);
    ExpectCorner(faces[0][0], 15, 25, 35, 0.5f, 0.75f);
    ExpectCorner(faces[0][1], 11, 20, 32, 1.0f, 0.0f);
    ExpectCorner(faces[0][2], 10, 20, 31, 0.0f, 0.25f);
    EXPECT_FLOAT_EQ(faces[0][0].ny, 1.0f);
    // The quad 0, 1, 2, 3 as the fan (0, 1, 2), (0, 2, 3) with its normal (0, 0, -1).
    EXPECT_EQ(subsets[1], 1u);
    EXPECT_EQ(subsets[2], 1u);
    ExpectCorner(faces[1][0], 10, 20, 31, 0.0f, 0.25f);
    ExpectCorner(faces[1][1], 11, 20, 32, 1.0f, 0.0f);
    ExpectCorner(faces[1][2], 11, 21, 33, 1.0f, 1.0f);
    ExpectCorner(faces[2][0], 10, 20, 31, 0.0f, 0.25f);
    ExpectCorner(faces[2][1], 11, 21, 33, 1.0f, 1.0f);
    ExpectCorner(faces[2][2], 10, 21, 34, 0.0f, 1.0f);
    EXPECT_FLOAT_EQ(faces[1][0].nz, -1.0f);
    EXPECT_FLOAT_EQ(faces[2][2].nz, -1.0f);
}

TEST_F(MeshLoad, NestedFramesApplyChildThenParent) {
    // Inner scales by 2, Outer moves by (100, 0, 0): (1, 2, 3) lands on (102, 4, 6).
    const char* text = R"(xof 0303txt 0032
Frame Outer {
 FrameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 100.0,0.0,0.0,1.0;; }
 Frame Inner {
  FrameTransformMatrix { 2.0,0.0,0.0,0.0, 0.0,2.0,0.0,0.0, 0.0,0.0,2.0,0.0, 0.0,0.0,0.0,1.0;; }
  Mesh {
   3;
   1.0;2.0;3.0;,
   1.0;3.0;3.0;,
   2.0;2.0;3.0;;
   1;
   3;0,1,2;;
  }
 }
}
)";
    Loaded l;
    Load(Fixture("frames.x", text), &l);
    ASSERT_EQ(l.hr, D3D_OK);
    std::vector<DWORD> subsets;
    auto faces = Faces(l.mesh, &subsets);
    ASSERT_EQ(faces.size(), 1u);
    EXPECT_FLOAT_EQ(faces[0][0].x, 102.0f);
    EXPECT_FLOAT_EQ(faces[0][0].y, 4.0f);
    EXPECT_FLOAT_EQ(faces[0][0].z, 6.0f);
    EXPECT_FLOAT_EQ(faces[0][1].y, 6.0f);
    EXPECT_FLOAT_EQ(faces[0][2].x, 104.0f);
}

TEST_F(MeshLoad, MissingNormalsAreMadeFacingTheViewerOfTheFrontSide) {
    // 0,1,2 = (0,0,0), (0,1,0), (1,0,0) is clockwise seen from -z: its front faces -z.
    Loaded l;
    Load(Fixture("bare.x", BareTriangleX()), &l);
    ASSERT_EQ(l.hr, D3D_OK);
    EXPECT_EQ(l.numMaterials, 1u); // a file without materials gets one default material
    EXPECT_EQ(l.mesh->GetFVF(), (DWORD)(D3DFVF_XYZ | D3DFVF_NORMAL));
    std::vector<DWORD> subsets;
    auto faces = Faces(l.mesh, &subsets);
    ASSERT_EQ(faces.size(), 1u);
    EXPECT_NEAR(faces[0][0].nz, -1.0f, 1e-5f);
    EXPECT_FLOAT_EQ(faces[0][1].y, 1.0f);
}

TEST_F(MeshLoad, MaterialsKeepTheirOrderEvenWhenUnusedAndAdjacencyLinksSharedEdges) {
    // Three materials, faces use only the last one; the two triangles share the edge 0-2.
    const char* text = R"(xof 0303txt 0032
Mesh {
 4;
 0;0;0;, 0;1;0;, 1;1;0;, 1;0;0;;
 2;
 3;0,1,2;, 3;0,2,3;;
 MeshMaterialList {
  3; 1; 2;;
  Material A { 0.1;0.1;0.1;1.0;; 0.0; 0;0;0;; 0;0;0;; }
  Material B { 0.2;0.2;0.2;1.0;; 0.0; 0;0;0;; 0;0;0;; TextureFilename { "b.png"; } }
  Material C { 0.3;0.3;0.3;1.0;; 0.0; 0;0;0;; 0;0;0;; }
 }
}
)";
    Loaded l;
    Load(Fixture("three.x", text), &l, true);
    ASSERT_EQ(l.hr, D3D_OK);
    ASSERT_EQ(l.numMaterials, 3u);
    auto* mats = (D3DXMATERIAL*)l.materials->GetBufferPointer();
    EXPECT_FLOAT_EQ(mats[0].MatD3D.Diffuse.r, 0.1f);
    EXPECT_STREQ(mats[1].pTextureFilename, "b.png");
    EXPECT_FLOAT_EQ(mats[2].MatD3D.Diffuse.r, 0.3f);
    DWORD* attr = nullptr;
    l.mesh->LockAttributeBuffer(D3DLOCK_READONLY, &attr);
    EXPECT_EQ(attr[0], 2u);
    EXPECT_EQ(attr[1], 2u);
    l.mesh->UnlockAttributeBuffer();
    ASSERT_NE(l.adjacency, nullptr);
    ASSERT_EQ(l.adjacency->GetBufferSize(), 6 * sizeof(DWORD));
    auto* adj = (const DWORD*)l.adjacency->GetBufferPointer();
    EXPECT_EQ(adj[2], 1u); // edge 2-0 of face 0 borders face 1
    EXPECT_EQ(adj[3], 0u); // edge 0-2 of face 1 borders face 0
    EXPECT_EQ(adj[0], 0xFFFFFFFFu);
}

TEST_F(MeshLoad, BadFilesFailCleanlyWithOneLineNamingTheFile) {
    std::string text = TwoMaterialX();
    struct Case {
        std::string name, content;
        bool write;
    } cases[] = {
        {"missing.x", "", false},
        {"empty.x", "", true},
        {"truncated.x", text.substr(0, text.size() / 2), true},
        {"garbage.x", "this is not a mesh file at all, just words\n", true},
        {"badindex.x",
         [&] {
             std::string t = text;
             t.replace(t.find("3;4,1,0;;"), 9, "3;5,1,0;;"); // vertex 5 of 5
             return t;
         }(),
         true},
        {"badnormal.x",
         [&] {
             std::string t = text;
             t.replace(t.find("3;1,1,1;;"), 9, "3;1,1,9000000;;");
             return t;
         }(),
         true},
        {"hugecount.x", "xof 0303txt 0032\nMesh { 4000000000; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n",
         true},
        {"badskin.x",
         "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
         " SkinWeights { \"b\"; 1; 90000; 1.0; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; } }\n",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = m_Dir.File(c.name);
        if (c.write) WriteTextFile(path, c.content);
        Loaded l;
        l.numMaterials = 77;
        testing::internal::CaptureStderr();
        Load(path, &l);
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(FAILED(l.hr));
        EXPECT_EQ(l.mesh, nullptr);
        EXPECT_EQ(l.materials, nullptr);
        EXPECT_EQ(l.numMaterials, 0u);
        EXPECT_NE(err.find(path), std::string::npos) << err;
        ASSERT_FALSE(err.empty());
        EXPECT_EQ(err.find('\n'), err.size() - 1) << err; // exactly one line
    }
}

TEST_F(MeshLoad, MoreVerticesThanSixteenBitIndicesReachFail) {
    std::string text = "xof 0303txt 0032\nMesh {\n65538;\n";
    for (int i = 0; i < 65538; ++i)
        text += std::to_string(i) + ";0;0;,\n";
    text.replace(text.size() - 2, 1, ";");
    text += "21846;\n";
    for (int f = 0; f < 21846; ++f) {
        int a = f * 3;
        text += "3;" + std::to_string(a) + "," + std::to_string(a + 1) + "," + std::to_string(a + 2) +
                (f + 1 < 21846 ? ";,\n" : ";;\n");
    }
    text += "}\n";
    Loaded l;
    testing::internal::CaptureStderr();
    Load(Fixture("big.x", text), &l);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(FAILED(l.hr));
    EXPECT_EQ(l.mesh, nullptr);
    EXPECT_NE(err.find("65535"), std::string::npos) << err;
}

TEST(MeshBuffers, CloneChangesTheLayoutAndKeepsTheData) {
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(D3DXCreateMeshFVF(1, 3, D3DXMESH_MANAGED, D3DFVF_XYZ | D3DFVF_TEX1, nullptr, &mesh), D3D_OK);
    EXPECT_EQ(mesh->GetNumBytesPerVertex(), 20u);
    float* v = nullptr;
    mesh->LockVertexBuffer(0, (void**)&v);
    for (int i = 0; i < 15; ++i)
        v[i] = (float)i;
    mesh->UnlockVertexBuffer();
    WORD* ib = nullptr;
    mesh->LockIndexBuffer(0, (void**)&ib);
    ib[0] = 2, ib[1] = 1, ib[2] = 0;
    mesh->UnlockIndexBuffer();
    DWORD* attr = nullptr;
    mesh->LockAttributeBuffer(0, &attr);
    attr[0] = 7;
    mesh->UnlockAttributeBuffer();

    ID3DXMesh* clone = nullptr;
    ASSERT_EQ(mesh->CloneMeshFVF(D3DXMESH_MANAGED | D3DXMESH_NPATCHES, 0x112, nullptr, &clone), D3D_OK);
    mesh->Release();
    EXPECT_EQ(clone->GetFVF(), 0x112u);
    EXPECT_EQ(clone->GetNumBytesPerVertex(), 32u);
    float* c = nullptr;
    clone->LockVertexBuffer(D3DLOCK_READONLY, (void**)&c);
    // vertex 1: position 5,6,7, normal zero, uv 8,9
    EXPECT_FLOAT_EQ(c[8 + 0], 5.0f);
    EXPECT_FLOAT_EQ(c[8 + 2], 7.0f);
    EXPECT_FLOAT_EQ(c[8 + 3], 0.0f);
    EXPECT_FLOAT_EQ(c[8 + 6], 8.0f);
    EXPECT_FLOAT_EQ(c[8 + 7], 9.0f);
    clone->UnlockVertexBuffer();
    clone->LockIndexBuffer(D3DLOCK_READONLY, (void**)&ib);
    EXPECT_EQ(ib[0], 2);
    clone->UnlockIndexBuffer();
    clone->LockAttributeBuffer(D3DLOCK_READONLY, &attr);
    EXPECT_EQ(attr[0], 7u);
    clone->UnlockAttributeBuffer();

    ID3DXMesh* colored = nullptr;
    ASSERT_EQ(clone->CloneMeshFVF(0, D3DFVF_XYZ | D3DFVF_DIFFUSE, nullptr, &colored), D3D_OK);
    DWORD* cv = nullptr;
    colored->LockVertexBuffer(D3DLOCK_READONLY, (void**)&cv);
    EXPECT_EQ(cv[3], 0xFFFFFFFFu); // a new colour is opaque white
    colored->UnlockVertexBuffer();
    colored->Release();
    clone->Release();
}

TEST(MeshBuffers, UnsupportedRequestsAreRefused) {
    ID3DXMesh* mesh = reinterpret_cast<ID3DXMesh*>(1);
    EXPECT_TRUE(FAILED(D3DXCreateMeshFVF(1, 3, D3DXMESH_32BIT, 0x112, nullptr, &mesh)));
    EXPECT_EQ(mesh, nullptr);
    EXPECT_TRUE(FAILED(D3DXCreateMeshFVF(1, 65536, 0, 0x112, nullptr, &mesh)));
    EXPECT_TRUE(FAILED(D3DXCreateMeshFVF(1, 3, 0, 0x004 /* pre-transformed */, nullptr, &mesh)));
    EXPECT_EQ(D3DXGetFVFVertexSize(0x112), 32u);
    EXPECT_EQ(D3DXGetFVFVertexSize(0x142), 24u);
}
