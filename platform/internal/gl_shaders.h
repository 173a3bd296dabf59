// GLSL of the fixed-function emulation. Platform-internal.
#pragma once

#include <cstdint>
#include <string>

// The state that selects the code of a fixed-function program; everything else (matrices, colours, fog
// range, lights' values, alpha reference) stays a uniform. Only 4-byte fields: compares bytewise.
struct FixedFunctionVariant {
    uint32_t hasTexture;
    uint32_t colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2; // texture stage 0
    uint32_t alphaFunc;                                                    // D3DCMP_ALWAYS: no alpha test
    uint32_t fogMode;                                                      // 0: no fog
    uint32_t lighting, lightCount, diffuseFromVertex, ambientFromVertex, emissiveFromVertex;
};

// The complete source of one stage of the variant's program.
// Vertex stage: world-space position through view and projection (D3D clip z mapped to GL), per-vertex
// lighting as Direct3D 9 computes it for vertices without normals.
// Pixel stage: texture stage 0 (colour and alpha operations), alpha test, fog.
std::string FixedFunctionShaderSource(const FixedFunctionVariant& variant, bool vertexStage);
