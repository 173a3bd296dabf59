// GLSL of the fixed-function emulation. Platform-internal.
#pragma once

// Vertex stage: world-space position through view and projection (D3D clip z mapped to GL), per-vertex
// lighting as Direct3D 9 computes it for vertices without normals.
extern const char* const kFixedFunctionVertexShader;
// Pixel stage: texture stage 0 (colour and alpha operations), alpha test, fog.
extern const char* const kFixedFunctionFragmentShader;
