// Our effect file format (see docs/effect-format.md): techniques of numbered passes, each with its GLSL
// vertex and fragment code and its render state. This unit reads the text; d3dx9effect.cpp compiles it.
#pragma once

#include <string>
#include <utility>
#include <vector>

// A render state a pass does not set is inherited from the device.
const int kEffectInherit = -1;

struct EffectPassState {
    int blend = kEffectInherit;      // 0 off, 1 on (with the factors), or inherit
    int srcBlend = 0, destBlend = 0; // D3DBLEND values when blend is on
    int zwrite = kEffectInherit;     // 0, 1 or inherit
    int ztest = kEffectInherit;      // 0, 1 or inherit
    int cull = kEffectInherit;       // D3DCULL value or inherit
};

struct EffectCode {
    std::string text;
    int line = 0; // line of the file where the code starts
};

struct EffectPassSource {
    int line = 0;
    EffectPassState state;
    EffectCode vertex, fragment;
    bool hasVertex = false, hasFragment = false;
};

struct EffectTechniqueSource {
    std::string name;
    std::vector<EffectPassSource> passes;
    // "bounds WORLD VIEWPROJ": every pass places a vertex at p x WORLD x VIEWPROJ (D3D clip space), so a
    // mesh whose bounding sphere lies wholly outside that view volume need not be drawn. Empty: never skip.
    std::string boundsWorld, boundsViewProj;
};

struct EffectFileSource {
    std::vector<EffectCode> common;
    std::vector<EffectTechniqueSource> techniques;
};

// Reads an effect file's text. On a format error returns false with "path(line): error: what" in *error.
bool ParseEffectFile(const std::string& text, const std::string& path, EffectFileSource* out,
                     std::string* error);

// The complete GLSL source of one stage: the built-in prelude, the macros, every common block and the
// stage's code, with #line directives so that compiler messages name lines of the effect file.
// builtinConstants, when given, replaces the uniforms bw_FogEnable, bw_FogMode, bw_LightEnable[2] and
// bw_LightType[2] (declarations of constants of those names). boolConstants, when given, turns each line
// that declares one of those bool uniforms alone ("uniform bool NAME;") into a constant of that value.
std::string BuildStageSource(const EffectFileSource& file, const EffectCode& code, bool vertexStage,
                             const std::vector<std::pair<std::string, std::string>>& macros,
                             const char* builtinConstants = nullptr,
                             const std::vector<std::pair<std::string, bool>>* boolConstants = nullptr);
