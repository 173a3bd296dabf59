// The guard over .x files before the import: files the importer would crash or hang on are refused with a
// reason, well-formed ones pass, and loading a refused file fails cleanly.
#include <d3dx9mesh.h>
#include "xfile_check.h"

#include "MeshTestUtil.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* const kHeader = "xof 0303txt 0032\n";
const char* const kTriangle = "Mesh Tri {\n 3;\n 0;0;0;, 1;0;0;, 0;1;0;;\n 1;\n 3;0,1,2;;\n";
const char* const kWhite = "Material White { 1;1;1;1;; 8; 0;0;0;; 0;0;0;; }\n";

std::string Triangle(const std::string& materialList) {
    return std::string(kHeader) + kTriangle + materialList + "}\n";
}

// The reason of a refusal, or "" when the data passes.
std::string Refusal(const std::string& text) {
    std::string why;
    return CheckXFileText(text.data(), text.size(), &why) ? std::string() : why;
}

} // namespace

TEST(XFileGuard, MaterialListsTheImporterWouldReadPastAreRefused) {
    // Faces name material 0, but the list holds no material.
    EXPECT_NE(Refusal(Triangle(" MeshMaterialList {\n 1;\n 1;\n 0;;\n }\n")), "");
    // The only material comes after a stray comma, which the importer takes for an unknown object that
    // swallows the material's block.
    EXPECT_NE(Refusal(Triangle(std::string(" MeshMaterialList {\n 1;\n 1;\n 0;;\n , ") + kWhite + " }\n")),
              "");
    // A word the importer does not know between the materials does the same.
    EXPECT_NE(Refusal(Triangle(std::string(" MeshMaterialList {\n 1;\n 1;\n 0;;\n 8.0; ") + kWhite + " }\n")),
              "");
    // One index for all faces of a mesh without faces.
    const std::string noFaces = std::string(kHeader) + "Mesh Empty {\n 3;\n 0;0;0;, 1;0;0;, 0;1;0;;\n 0;\n" +
                                " MeshMaterialList {\n 1;\n 1;\n 0;;\n " + kWhite + " }\n}\n";
    EXPECT_NE(Refusal(noFaces), "");
    // Two lists: the second one's entries would come after the faces.
    const std::string list = std::string(" MeshMaterialList {\n 1;\n 1;\n 0;;\n ") + kWhite + " }\n";
    EXPECT_EQ(Refusal(Triangle(list + list)), "a mesh has two material lists");
}

TEST(XFileGuard, WellFormedMaterialListsPass) {
    // The comma read with the last index is a separator, not an object.
    EXPECT_EQ(Refusal(Triangle(std::string(" MeshMaterialList {\n 1;\n 1;\n 0,\n ") + kWhite + " }\n")), "");
    EXPECT_EQ(Refusal(Triangle(std::string(" MeshMaterialList {\n 2;\n 1;\n 1;;\n ") + kWhite + "; " +
                               kWhite + " }\n")),
              "");
    // A reference to a material defined at the top of the file.
    EXPECT_EQ(Refusal(std::string(kHeader) + "Material Red { 1;0;0;1;; 8; 0;0;0;; 0;0;0;; }\n" + kTriangle +
                      " MeshMaterialList {\n 1;\n 1;\n 0;;\n { Red }\n }\n}\n"),
              "");
    // No list at all, and a list of no indices for a mesh without faces.
    EXPECT_EQ(Refusal(Triangle("")), "");
    EXPECT_EQ(Refusal(std::string(kHeader) + "Mesh Empty {\n 3;\n 0;0;0;, 1;0;0;, 0;1;0;;\n 0;\n" +
                      " MeshMaterialList {\n 0;\n 0;\n }\n}\n"),
              "");
}

TEST(XFileGuard, ANulByteEndsNoScan) {
    // A NUL byte in the middle of a word once kept the scan on the spot for ever.
    std::string text = Triangle("");
    text.insert(text.find("1;0;0"), std::string("3.0\0x7", 6));
    std::string why;
    EXPECT_FALSE(CheckXFileText(text.data(), text.size(), &why));
    std::string nulWord =
        std::string(kHeader) + "Frame A {\n Other" + std::string(1, '\0') + "Thing { 1; }\n}\n";
    EXPECT_TRUE(CheckXFileText(nulWord.data(), nulWord.size(), &why)) << why; // an unknown object, skipped
}

TEST(XFileGuard, WhatCannotBeFollowedOrCheckedIsRefused) {
    // A negative count and a mesh cut off in its vertices.
    EXPECT_NE(Refusal(std::string(kHeader) + "Mesh M {\n -3;\n 0;0;0;;\n 1;\n 3;0,1,2;;\n}\n"), "");
    EXPECT_NE(Refusal(std::string(kHeader) + "Mesh M {\n 3;\n 0;0;0;, 1;0"), "");
    // Binary and compressed files go to the importer unchecked, so they are not read at all.
    const std::string binary = std::string("xof 0303bin 0032") + std::string(40, '\x01');
    EXPECT_EQ(Refusal(binary), "only text .x files are read (not binary or compressed ones)");
    EXPECT_NE(Refusal(std::string("xof 0303bzip0032") + std::string(40, '\x02')), "");
    // Not a .x file at all: the importer refuses it itself.
    EXPECT_EQ(Refusal("this is not a mesh file at all"), "");
}

TEST(XFileGuard, RefusedFilesFailToLoadAndLeaveNothing) {
    const ScratchDir dir("xfile");
    ASSERT_FALSE(dir.Path().empty());
    const std::string bad = dir.File("nomaterial.x"), good = dir.File("white.x");
    WriteTextFile(bad, Triangle(" MeshMaterialList {\n 1;\n 1;\n 0;;\n }\n"));
    WriteTextFile(good, Triangle(std::string(" MeshMaterialList {\n 1;\n 1;\n 0;;\n ") + kWhite + " }\n"));
    ID3DXBuffer* materials = reinterpret_cast<ID3DXBuffer*>(1);
    ID3DXMesh* mesh = reinterpret_cast<ID3DXMesh*>(1);
    DWORD count = 7;
    EXPECT_TRUE(FAILED(D3DXLoadMeshFromXA(bad.c_str(), D3DXMESH_MANAGED, nullptr, nullptr, &materials,
                                          nullptr, &count, &mesh)));
    EXPECT_EQ(mesh, nullptr);
    EXPECT_EQ(materials, nullptr);
    EXPECT_EQ(count, 0u);
    ASSERT_EQ(D3DXLoadMeshFromXA(good.c_str(), D3DXMESH_MANAGED, nullptr, nullptr, &materials, nullptr,
                                 &count, &mesh),
              D3D_OK);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(mesh->GetNumFaces(), 1u);
    mesh->Release();
    materials->Release();
}
