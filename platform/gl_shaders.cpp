// GLSL of the fixed-function emulation, specialised per variant.
#include "gl_shaders.h"

#include <cstdio>

// Matrices arrive as D3D row-vector matrices uploaded without transposing, so `M * v` applies them.
// Lighting: the game's fixed-function vertices carry no normal, and Direct3D 9 then lights them with a zero
// normal: every diffuse and specular term is 0, leaving
//     colour = emissive + ambient x (global ambient + sum of the lights' attenuated ambient),
//     alpha = the diffuse source's alpha,
// where each of diffuse, ambient and emissive comes from the material or the vertex colour by its
// D3DRS_*MATERIALSOURCE state.
namespace {

// The state a variant fixes (uLighting, uColorSource, uLightCount) arrives as constants before this text.
const char* const kVertexBody = R"(
layout(location = 0) in vec3 aPos;
layout(location = 1) in vec4 aColor;
layout(location = 2) in vec2 aTex;
uniform mat4 uView;
uniform mat4 uProj;
uniform vec4 uMatDiffuse;
uniform vec4 uMatAmbient;
uniform vec4 uMatEmissive;
uniform vec3 uGlobalAmbient;
uniform vec4 uLightAmbient[8]; // rgb, type
uniform vec4 uLightPos[8];     // xyz, range
uniform vec4 uLightDir[8];     // xyz, falloff
uniform vec4 uLightAtt[8];     // attenuation 0, 1, 2
uniform vec4 uLightCone[8];    // cos(theta / 2), cos(phi / 2)
out vec4 vColor;
out vec2 vTex;
out float vEyeZ;

void main() {
    vec4 eye = uView * vec4(aPos, 1.0);
    vec4 clip = uProj * eye;
    clip.z = 2.0 * clip.z - clip.w;
    gl_Position = clip;
    vEyeZ = eye.z;
    vTex = aTex;
    if (uLighting == 0) {
        vColor = aColor;
        return;
    }
    vec4 diffuse = uColorSource.x != 0 ? aColor : uMatDiffuse;
    vec4 ambient = uColorSource.y != 0 ? aColor : uMatAmbient;
    vec4 emissive = uColorSource.z != 0 ? aColor : uMatEmissive;
    vec3 lightAmbient = vec3(0.0);
    for (int i = 0; i < uLightCount; ++i) {
        float type = uLightAmbient[i].w;
        float factor = 1.0;
        if (type < 2.5) { // point or spot
            vec3 toLight = uLightPos[i].xyz - aPos;
            float dist = length(toLight);
            if (dist > uLightPos[i].w) {
                factor = 0.0;
            } else {
                float att = uLightAtt[i].x + uLightAtt[i].y * dist + uLightAtt[i].z * dist * dist;
                factor = att > 0.0 ? 1.0 / att : 1.0;
                if (type > 1.5) {
                    float rho = dist > 0.0 ? dot(-toLight / dist, uLightDir[i].xyz) : 1.0;
                    float cosTheta = uLightCone[i].x;
                    float cosPhi = uLightCone[i].y;
                    if (rho <= cosPhi)
                        factor = 0.0;
                    else if (rho < cosTheta)
                        factor *= pow((rho - cosPhi) / max(cosTheta - cosPhi, 1e-6), uLightDir[i].w);
                }
            }
        }
        lightAmbient += factor * uLightAmbient[i].rgb;
    }
    vec3 color = emissive.rgb + ambient.rgb * (uGlobalAmbient + lightAmbient);
    vColor = vec4(clamp(color, 0.0, 1.0), clamp(diffuse.a, 0.0, 1.0));
}
)";

// The state a variant fixes arrives as constants before this text: uHasTex, uColorStage (D3DTSS_COLOROP,
// COLORARG1, COLORARG2), uAlphaStage (ALPHAOP, ALPHAARG1, ALPHAARG2), uAlphaFunc (D3DCMPFUNC, 8 = always
// when the alpha test is off), uFogMode (D3DFOGMODE, 0 when fog is off). The compiler folds the branches
// on them away, so each variant runs only its own arithmetic.
const char* const kFragmentBody = R"(
in vec4 vColor;
in vec2 vTex;
in float vEyeZ;
uniform sampler2D uTex;
uniform vec4 uTextureFactor;
uniform float uAlphaRef;   // 0..255
uniform vec3 uFogColor;
uniform vec3 uFogParams;   // start, end, density
out vec4 fragColor;

vec4 Arg(int a, vec4 tex, vec4 diffuse) {
    int sel = a & 15;
    vec4 v = diffuse; // D3DTA_DIFFUSE, and D3DTA_CURRENT on the first stage
    if (sel == 2)
        v = tex;
    else if (sel == 3)
        v = uTextureFactor;
    else if (sel == 4)
        v = vec4(0.0); // specular: these vertices have none
    if ((a & 16) != 0) v = vec4(1.0) - v;
    if ((a & 32) != 0) v = vec4(v.a);
    return v;
}

vec4 Op(int op, vec4 a, vec4 b) {
    if (op == 2) return a;
    if (op == 3) return b;
    if (op == 5) return a * b * 2.0;
    if (op == 6) return a * b * 4.0;
    if (op == 7) return a + b;
    if (op == 8) return a + b - 0.5;
    if (op == 10) return a - b;
    return a * b;
}

bool AlphaPasses(float a) {
    if (uAlphaFunc == 1) return false;
    if (uAlphaFunc == 2) return a < uAlphaRef;
    if (uAlphaFunc == 3) return a == uAlphaRef;
    if (uAlphaFunc == 4) return a <= uAlphaRef;
    if (uAlphaFunc == 5) return a > uAlphaRef;
    if (uAlphaFunc == 6) return a != uAlphaRef;
    if (uAlphaFunc == 7) return a >= uAlphaRef;
    return true;
}

void main() {
    // Without a texture, D3DTA_TEXTURE reads as opaque white, so MODULATE leaves the diffuse colour.
    vec4 tex = uHasTex != 0 ? texture(uTex, vTex) : vec4(1.0);
    vec4 c = vColor;
    if (uColorStage.x != 1) {
        c.rgb = Op(uColorStage.x, Arg(uColorStage.y, tex, vColor), Arg(uColorStage.z, tex, vColor)).rgb;
        if (uAlphaStage.x != 1)
            c.a = Op(uAlphaStage.x, Arg(uAlphaStage.y, tex, vColor), Arg(uAlphaStage.z, tex, vColor)).a;
    }
    c = clamp(c, 0.0, 1.0);
    if (uAlphaFunc != 8 && !AlphaPasses(floor(c.a * 255.0 + 0.5))) discard;
    if (uFogMode != 0) {
        float start = uFogParams.x;
        float end = uFogParams.y;
        float f;
        if (uFogMode == 3)
            f = end > start ? (end - vEyeZ) / (end - start) : (vEyeZ < end ? 1.0 : 0.0);
        else if (uFogMode == 1)
            f = exp(-uFogParams.z * vEyeZ);
        else
            f = exp(-(uFogParams.z * vEyeZ) * (uFogParams.z * vEyeZ));
        c.rgb = mix(uFogColor, c.rgb, clamp(f, 0.0, 1.0));
    }
    fragColor = c;
}
)";

} // namespace

std::string FixedFunctionShaderSource(const FixedFunctionVariant& v, bool vertexStage) {
    char head[512];
    if (vertexStage) {
        std::snprintf(head, sizeof head,
                      "#version 330 core\n"
                      "const int uLighting = %u;\n"
                      "const ivec3 uColorSource = ivec3(%u, %u, %u);\n"
                      "const int uLightCount = %u;\n",
                      v.lighting, v.diffuseFromVertex, v.ambientFromVertex, v.emissiveFromVertex,
                      v.lightCount);
        return std::string(head) + kVertexBody;
    }
    std::snprintf(head, sizeof head,
                  "#version 330 core\n"
                  "const int uHasTex = %u;\n"
                  "const ivec4 uColorStage = ivec4(%u, %u, %u, 0);\n"
                  "const ivec4 uAlphaStage = ivec4(%u, %u, %u, 0);\n"
                  "const int uAlphaFunc = %u;\n"
                  "const int uFogMode = %u;\n",
                  v.hasTexture, v.colorOp, v.colorArg1, v.colorArg2, v.alphaOp, v.alphaArg1, v.alphaArg2,
                  v.alphaFunc, v.fogMode);
    return std::string(head) + kFragmentBody;
}
