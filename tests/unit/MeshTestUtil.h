// Helpers of the mesh and effect tests: fixture files, and scratch folders to write them in.
#pragma once

#include "tests/support/ScratchDir.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

inline void WriteTextFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

inline std::string ReadTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A quad (vertices 0-3, material 1) and a triangle (vertices 4, 1, 0, material 0) in a frame moved by
// (10, 20, 30). Material 0 "Red" is textured, material 1 "Blue" is not.
inline const char* TwoMaterialX() {
    return R"(xof 0303txt 0032
// two materials, a quad and a triangle
Frame Root {
 FrameTransformMatrix {
  1.0,0.0,0.0,0.0,
  0.0,1.0,0.0,0.0,
  0.0,0.0,1.0,0.0,
  10.0,20.0,30.0,1.0;;
 }
 Mesh Quad {
  5;
  0.0;0.0;1.0;,
  1.0;0.0;2.0;,
  1.0;1.0;3.0;,
  0.0;1.0;4.0;,
  5.0;5.0;5.0;;
  2;
  4;0,1,2,3;,
  3;4,1,0;;
  MeshNormals {
   2;
   0.0;0.0;-1.0;,
   0.0;1.0;0.0;;
   2;
   4;0,0,0,0;,
   3;1,1,1;;
  }
  MeshTextureCoords {
   5;
   0.0;0.25;,
   1.0;0.0;,
   1.0;1.0;,
   0.0;1.0;,
   0.5;0.75;;
  }
  MeshMaterialList {
   2;
   2;
   1,
   0;;
   Material Red {
    1.0;0.0;0.0;0.5;;
    10.0;
    0.5;0.25;0.125;;
    0.1;0.2;0.3;;
    TextureFilename { "image/red.png"; }
   }
   Material Blue {
    0.0;0.0;1.0;1.0;;
    0.0;
    0.0;0.0;0.0;;
    0.0;0.0;0.0;;
   }
  }
 }
}
)";
}

// One triangle without normals, texture coordinates or materials.
inline const char* BareTriangleX() {
    return R"(xof 0303txt 0032
Mesh {
 3;
 0.0;0.0;0.0;,
 0.0;1.0;0.0;,
 1.0;0.0;0.0;;
 1;
 3;0,1,2;;
}
)";
}
