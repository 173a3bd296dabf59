// The OpenGL 3.3 core backend: context, back buffer, fixed-function program, streaming vertices, state cache.
#include "gl_renderer.h"

#include "d3d9texture.h"
#include "gl_shaders.h"
#include "platform_hooks.h"

#include <epoxy/gl.h>
#include <SDL.h>

#include <cstring>

namespace {

constexpr size_t kInitialVboBytes = size_t(4) << 20;

GLenum BlendFactor(DWORD b) {
    switch (b) {
    case D3DBLEND_ZERO:
        return GL_ZERO;
    case D3DBLEND_SRCCOLOR:
        return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
        return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
        return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
        return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
        return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
        return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
        return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
        return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT:
        return GL_SRC_ALPHA_SATURATE;
    default:
        return GL_ONE;
    }
}

GLenum BlendOp(DWORD op) {
    switch (op) {
    case D3DBLENDOP_SUBTRACT:
        return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT:
        return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN:
        return GL_MIN;
    case D3DBLENDOP_MAX:
        return GL_MAX;
    default:
        return GL_FUNC_ADD;
    }
}

GLenum CompareFunc(DWORD f) {
    switch (f) {
    case D3DCMP_NEVER:
        return GL_NEVER;
    case D3DCMP_LESS:
        return GL_LESS;
    case D3DCMP_EQUAL:
        return GL_EQUAL;
    case D3DCMP_LESSEQUAL:
        return GL_LEQUAL;
    case D3DCMP_GREATER:
        return GL_GREATER;
    case D3DCMP_NOTEQUAL:
        return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL:
        return GL_GEQUAL;
    default:
        return GL_ALWAYS;
    }
}

GLenum AddressMode(DWORD a) {
    switch (a) {
    case D3DTADDRESS_MIRROR:
        return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
        return GL_CLAMP_TO_EDGE;
    case 4:
        return GL_CLAMP_TO_BORDER; // D3DTADDRESS_BORDER (border colour 0)
    default:
        return GL_REPEAT;
    }
}

void ColorOf(D3DCOLOR c, float out[4]) {
    out[0] = float((c >> 16) & 0xFF) / 255.0f;
    out[1] = float((c >> 8) & 0xFF) / 255.0f;
    out[2] = float(c & 0xFF) / 255.0f;
    out[3] = float(c >> 24) / 255.0f;
}

// The part of a batch's key that shapes the program's code, with what does not matter cleared so that
// equal programs share one variant.
FixedFunctionVariant VariantOf(const DrawKey& k) {
    FixedFunctionVariant v{};
    v.hasTexture = k.hasTexture;
    v.colorOp = k.colorOp;
    if (k.colorOp != D3DTOP_DISABLE) {
        v.colorArg1 = k.colorArg1, v.colorArg2 = k.colorArg2;
        v.alphaOp = k.alphaOp;
        if (k.alphaOp != D3DTOP_DISABLE) v.alphaArg1 = k.alphaArg1, v.alphaArg2 = k.alphaArg2;
    }
    v.alphaFunc = k.alphaFunc;
    v.fogMode = k.fogMode;
    v.lighting = k.lighting;
    if (k.lighting) {
        v.lightCount = k.lightCount;
        v.diffuseFromVertex = k.diffuseFromVertex;
        v.ambientFromVertex = k.ambientFromVertex;
        v.emissiveFromVertex = k.emissiveFromVertex;
    }
    return v;
}

// Whether a stage argument's alpha is 1 for every fragment of the batch.
bool ArgAlphaIsOne(DWORD arg, const DrawKey& k, bool textureOpaque, bool verticesOpaque) {
    if (arg & ~DWORD(15 | D3DTA_ALPHAREPLICATE)) return false; // complemented, or more than we know
    switch (arg & 15) {
    case D3DTA_DIFFUSE:
    case D3DTA_CURRENT: // on stage 0 the current colour is the diffuse one
        return verticesOpaque;
    case D3DTA_TEXTURE:
        return !k.hasTexture || textureOpaque; // no texture reads as opaque white
    case D3DTA_TFACTOR:
        return (k.textureFactor >> 24) == 0xFF;
    default:
        return false;
    }
}

// Whether every fragment of the batch leaves texture stage 0 with alpha exactly 1. Then blending by source
// alpha (src x 1 + dst x 0) writes the source unchanged, and can be left off: the same pixels for less work.
bool AlphaIsOne(const DrawKey& k, IDirect3DTexture9* texture, const GpuVertex* v, size_t count) {
    if (k.lighting) return false; // the diffuse alpha then comes from the material or the vertices
    bool verticesOpaque = true;
    for (size_t i = 0; i < count && verticesOpaque; ++i)
        verticesOpaque = (v[i].color >> 24) == 0xFF;
    if (k.colorOp == D3DTOP_DISABLE || k.alphaOp == D3DTOP_DISABLE) return verticesOpaque;
    bool textureOpaque = false;
    if (k.hasTexture && texture && k.addressU != 4 && k.addressV != 4) // a border of colour 0 is not opaque
        textureOpaque = static_cast<D3D9Texture*>(texture)->Opaque();
    const bool a1 = ArgAlphaIsOne(k.alphaArg1, k, textureOpaque, verticesOpaque);
    const bool a2 = ArgAlphaIsOne(k.alphaArg2, k, textureOpaque, verticesOpaque);
    switch (k.alphaOp) {
    case D3DTOP_SELECTARG1:
        return a1;
    case D3DTOP_SELECTARG2:
        return a2;
    case D3DTOP_MODULATE:
    case D3DTOP_MODULATE2X:
    case D3DTOP_MODULATE4X:
        return a1 && a2;
    case D3DTOP_ADD:
        return a1 || a2; // the other term is not negative, and the sum is clamped
    default:
        return false;
    }
}

// Blending that keeps the destination only by (1 - source alpha), in both colour and alpha.
bool BlendsBySourceAlpha(const gldevice::RasterState& r) {
    auto plain = [](DWORD src, DWORD dst, DWORD op) {
        return (op == D3DBLENDOP_ADD || op == 0) &&
               ((src == D3DBLEND_SRCALPHA && dst == D3DBLEND_INVSRCALPHA) ||
                (src == D3DBLEND_ONE && dst == D3DBLEND_ZERO));
    };
    return plain(r.srcBlend, r.dstBlend, r.blendOp) &&
           plain(r.srcBlendAlpha, r.dstBlendAlpha, r.blendOpAlpha);
}

GLuint CompileStage(GLenum type, const char* source, std::string* log) {
    GLuint s = glCreateShader(type);
    glShaderSource(s, 1, &source, nullptr);
    glCompileShader(s);
    GLint ok = 0;
    glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char text[4096] = {0};
        glGetShaderInfoLog(s, sizeof text - 1, nullptr, text);
        if (log) *log += text;
        glDeleteShader(s);
        return 0;
    }
    return s;
}

} // namespace

namespace gldevice {

unsigned CompileProgram(const char* vertexSource, const char* fragmentSource, std::string* log) {
    GLuint vs = CompileStage(GL_VERTEX_SHADER, vertexSource, log);
    GLuint fs = vs ? CompileStage(GL_FRAGMENT_SHADER, fragmentSource, log) : 0;
    if (!vs || !fs) {
        if (vs) glDeleteShader(vs);
        return 0;
    }
    GLuint p = glCreateProgram();
    glAttachShader(p, vs);
    glAttachShader(p, fs);
    glLinkProgram(p);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(p, GL_LINK_STATUS, &ok);
    if (!ok) {
        char text[4096] = {0};
        glGetProgramInfoLog(p, sizeof text - 1, nullptr, text);
        if (log) *log += text;
        glDeleteProgram(p);
        return 0;
    }
    return p;
}

} // namespace gldevice

// ---- Creation ----

std::shared_ptr<GlRenderer> GlRenderer::Create(SDL_Window* window, UINT width, UINT height, UINT depthBits,
                                               std::string* error) {
    std::shared_ptr<GlRenderer> r(new GlRenderer());
    if (!r->Init(window, width, height, depthBits, error)) return nullptr;
    return r;
}

bool GlRenderer::Init(SDL_Window* window, UINT width, UINT height, UINT depthBits, std::string* error) {
    m_Window = window;
    m_Width = width;
    m_Height = height;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    m_Context = SDL_GL_CreateContext(window);
    if (!m_Context) {
        *error = std::string("no OpenGL 3.3 core context: ") + SDL_GetError();
        return false;
    }
    SDL_GL_MakeCurrent(window, m_Context);
    if (epoxy_gl_version() < 33) {
        *error = "OpenGL 3.3 is not available";
        return false;
    }
    ApplySwapInterval();

    // What the run asks of the back buffer, and what this GL can do.
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    m_Software = IsSoftwareRenderer(renderer ? renderer : "");
    const PlatformRunMode& mode = PlatformMode();
    m_Samples = mode.msaa == kMsaaAuto ? (m_Software ? 0 : kDefaultHardwareMsaa) : mode.msaa;
    GLint maxSamples = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    m_Samples = m_Samples > maxSamples ? int(maxSamples) : m_Samples;
    if (m_Samples < 2) m_Samples = 0;
    m_DepthBits = depthBits;
    m_Governor.Configure(mode.renderScale, m_Software);
    const float scale = m_Governor.Target(DrawableScale());
    if (!AllocateBackBuffer(scale)) {
        m_Samples = 0; // a GL that offers samples it cannot attach still draws without them
        if (!AllocateBackBuffer(scale)) {
            *error = "the back buffer framebuffer is incomplete";
            return false;
        }
    }

    // The sprites' variant: every frame uses it, and it proves that the fixed-function GLSL compiles here.
    FixedFunctionVariant sprite{};
    sprite.hasTexture = 1;
    sprite.colorOp = sprite.alphaOp = D3DTOP_MODULATE;
    sprite.colorArg1 = sprite.alphaArg1 = D3DTA_TEXTURE;
    sprite.colorArg2 = sprite.alphaArg2 = D3DTA_DIFFUSE;
    sprite.alphaFunc = D3DCMP_GREATER;
    std::string log;
    if (!ProgramFor(sprite, &log)->name) {
        *error = "fixed-function program: " + log;
        return false;
    }

    glGenVertexArrays(1, &m_Vao);
    glBindVertexArray(m_Vao);
    glGenBuffers(1, &m_Vbo);
    glBindBuffer(GL_ARRAY_BUFFER, m_Vbo);
    m_VboSize = kInitialVboBytes;
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(m_VboSize), nullptr, GL_STREAM_DRAW);
    const GLsizei stride = sizeof(GpuVertex);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(0));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, reinterpret_cast<void*>(12));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(16));

    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glDisable(GL_SCISSOR_TEST);
    InvalidateBindings();
    if (glGetError() != GL_NO_ERROR) {
        *error = "GL error during set-up";
        return false;
    }
    return true;
}

GlRenderer::~GlRenderer() {
    if (!m_Context) return;
    SDL_GL_MakeCurrent(m_Window, m_Context);
    for (auto& s : m_Samplers)
        glDeleteSamplers(1, &s.second);
    if (m_Vbo) glDeleteBuffers(1, &m_Vbo);
    if (m_Vao) glDeleteVertexArrays(1, &m_Vao);
    for (auto& p : m_Programs)
        if (p.second->name) glDeleteProgram(p.second->name);
    DeleteBackBuffer();
    SDL_GL_MakeCurrent(m_Window, nullptr);
    SDL_GL_DeleteContext(m_Context);
}

void GlRenderer::MakeCurrent() {
    if (SDL_GL_GetCurrentContext() != m_Context) SDL_GL_MakeCurrent(m_Window, m_Context);
}

// ---- State cache ----

void GlRenderer::InvalidateBindings() {
    m_Cache.program = m_Cache.vao = m_Cache.arrayBuffer = kUnknown;
    m_Cache.texture0 = m_Cache.sampler0 = kUnknown;
    m_Cache.drawFbo = kUnknown;
    m_Cache.vpW = -1;
    m_Cache.rasterValid = false;
}

void GlRenderer::UseProgram(unsigned program) {
    if (m_Cache.program != program) glUseProgram(m_Cache.program = program);
}

void GlRenderer::BindVertexArray(unsigned vao) {
    if (m_Cache.vao != vao) glBindVertexArray(m_Cache.vao = vao);
}

void GlRenderer::BindArrayBuffer(unsigned vbo) {
    if (m_Cache.arrayBuffer != vbo) glBindBuffer(GL_ARRAY_BUFFER, m_Cache.arrayBuffer = vbo);
}

void GlRenderer::BindBackBuffer(const D3DVIEWPORT9& vp) {
    if (m_Cache.drawFbo != m_Fbo) glBindFramebuffer(GL_FRAMEBUFFER, m_Cache.drawFbo = m_Fbo);
    const bool unknown = m_Cache.vpW < 0;
    // D3D counts viewport rows from the top, GL from the bottom; edges land on whole back-buffer pixels.
    const int left = PixelX(LONG(vp.X)), right = PixelX(LONG(vp.X + vp.Width));
    const int top = PixelY(LONG(vp.Y)), bottom = PixelY(LONG(vp.Y + vp.Height));
    int x = left, y = int(m_PixelHeight) - bottom, w = right - left, h = bottom - top;
    if (m_Cache.vpX != x || m_Cache.vpY != y || m_Cache.vpW != w || m_Cache.vpH != h) {
        glViewport(x, y, w, h);
        m_Cache.vpX = x, m_Cache.vpY = y, m_Cache.vpW = w, m_Cache.vpH = h;
    }
    if (unknown || m_Cache.depthNear != vp.MinZ || m_Cache.depthFar != vp.MaxZ) {
        glDepthRange(vp.MinZ, vp.MaxZ);
        m_Cache.depthNear = vp.MinZ, m_Cache.depthFar = vp.MaxZ;
    }
}

void GlRenderer::ApplyRaster(const gldevice::RasterState& s) {
    gldevice::RasterState& c = m_Cache.raster;
    bool all = !m_Cache.rasterValid;
    if (all || c.blendEnable != s.blendEnable) s.blendEnable ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
    if (s.blendEnable && (all || !c.blendEnable || c.srcBlend != s.srcBlend || c.dstBlend != s.dstBlend ||
                          c.blendOp != s.blendOp || c.srcBlendAlpha != s.srcBlendAlpha ||
                          c.dstBlendAlpha != s.dstBlendAlpha || c.blendOpAlpha != s.blendOpAlpha)) {
        glBlendFuncSeparate(BlendFactor(s.srcBlend), BlendFactor(s.dstBlend), BlendFactor(s.srcBlendAlpha),
                            BlendFactor(s.dstBlendAlpha));
        glBlendEquationSeparate(BlendOp(s.blendOp), BlendOp(s.blendOpAlpha));
    }
    if (all || c.zEnable != s.zEnable) s.zEnable ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
    if (all || c.zFunc != s.zFunc) glDepthFunc(CompareFunc(s.zFunc));
    if (all || c.zWrite != s.zWrite) glDepthMask(s.zWrite ? GL_TRUE : GL_FALSE);
    if (all || c.cullMode != s.cullMode) {
        // D3DCULL_CCW hides triangles that run counter-clockwise on screen, D3DCULL_CW clockwise ones. The
        // back buffer is not mirrored, so screen winding is GL window winding.
        if (s.cullMode == D3DCULL_CW || s.cullMode == D3DCULL_CCW) {
            glEnable(GL_CULL_FACE);
            glCullFace(GL_BACK);
            glFrontFace(s.cullMode == D3DCULL_CCW ? GL_CW : GL_CCW);
        } else {
            glDisable(GL_CULL_FACE);
        }
    }
    if (all || c.colorWrite != s.colorWrite)
        glColorMask(s.colorWrite & 1 ? GL_TRUE : GL_FALSE, s.colorWrite & 2 ? GL_TRUE : GL_FALSE,
                    s.colorWrite & 4 ? GL_TRUE : GL_FALSE, s.colorWrite & 8 ? GL_TRUE : GL_FALSE);
    if (all || c.fillMode != s.fillMode)
        glPolygonMode(GL_FRONT_AND_BACK, s.fillMode == D3DFILL_POINT       ? GL_POINT
                                         : s.fillMode == D3DFILL_WIREFRAME ? GL_LINE
                                                                           : GL_FILL);
    c = s;
    m_Cache.rasterValid = true;
}

unsigned GlRenderer::BindTexture0(IDirect3DTexture9* texture, DWORD magFilter, DWORD minFilter,
                                  DWORD mipFilter, DWORD addressU, DWORD addressV) {
    D3D9Texture* t = static_cast<D3D9Texture*>(texture);
    unsigned name = t && t->BelongsTo(this) ? t->GlName() : 0;
    if (m_Cache.texture0 != name) {
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, m_Cache.texture0 = name);
    }
    if (!name) return 0;
    auto key = std::make_tuple(magFilter, minFilter, mipFilter, addressU, addressV);
    auto it = m_Samplers.find(key);
    if (it == m_Samplers.end()) {
        GLuint s = 0;
        glGenSamplers(1, &s);
        bool magLinear = magFilter >= D3DTEXF_LINEAR, minLinear = minFilter >= D3DTEXF_LINEAR;
        GLenum minMode = minLinear ? GL_LINEAR : GL_NEAREST;
        if (mipFilter == D3DTEXF_POINT)
            minMode = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
        if (mipFilter >= D3DTEXF_LINEAR)
            minMode = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
        glSamplerParameteri(s, GL_TEXTURE_MAG_FILTER, magLinear ? GL_LINEAR : GL_NEAREST);
        glSamplerParameteri(s, GL_TEXTURE_MIN_FILTER, GLint(minMode));
        glSamplerParameteri(s, GL_TEXTURE_WRAP_S, GLint(AddressMode(addressU)));
        glSamplerParameteri(s, GL_TEXTURE_WRAP_T, GLint(AddressMode(addressV)));
        it = m_Samplers.emplace(key, s).first;
    }
    if (m_Cache.sampler0 != it->second) glBindSampler(0, m_Cache.sampler0 = it->second);
    return name;
}

// ---- Textures ----

unsigned GlRenderer::CreateTextureObject() {
    GLuint name = 0;
    glGenTextures(1, &name);
    return name;
}

void GlRenderer::UploadTexture(unsigned name, UINT width, UINT height, const uint8_t* bgra) {
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, m_Cache.texture0 = name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, GLsizei(width), GLsizei(height), 0, GL_BGRA, GL_UNSIGNED_BYTE,
                 bgra);
    glGenerateMipmap(GL_TEXTURE_2D);
}

void GlRenderer::DeleteTextureObject(unsigned name) {
    glDeleteTextures(1, &name);
    if (m_Cache.texture0 == name) m_Cache.texture0 = 0;
}

// ---- Drawing ----

GlRenderer::Program* GlRenderer::ProgramFor(const FixedFunctionVariant& v, std::string* log) {
    if (m_LastProgram && std::memcmp(&v, &m_LastVariant, sizeof v) == 0) return m_LastProgram;
    auto it = m_Programs.find(v);
    if (it == m_Programs.end()) {
        auto p = std::make_unique<Program>();
        p->name = gldevice::CompileProgram(FixedFunctionShaderSource(v, true).c_str(),
                                           FixedFunctionShaderSource(v, false).c_str(), log);
        if (p->name) {
            auto loc = [&p](const char* name) { return glGetUniformLocation(p->name, name); };
            Program::Uniforms& u = p->u;
            u.view = loc("uView");
            u.proj = loc("uProj");
            u.matDiffuse = loc("uMatDiffuse");
            u.matAmbient = loc("uMatAmbient");
            u.matEmissive = loc("uMatEmissive");
            u.globalAmbient = loc("uGlobalAmbient");
            u.lightAmbient = loc("uLightAmbient");
            u.lightPos = loc("uLightPos");
            u.lightDir = loc("uLightDir");
            u.lightAtt = loc("uLightAtt");
            u.lightCone = loc("uLightCone");
            u.textureFactor = loc("uTextureFactor");
            u.alphaRef = loc("uAlphaRef");
            u.fogColor = loc("uFogColor");
            u.fogParams = loc("uFogParams");
            UseProgram(p->name);
            glUniform1i(loc("uTex"), 0);
        }
        it = m_Programs.emplace(v, std::move(p)).first;
    }
    m_LastVariant = v;
    m_LastProgram = it->second.get();
    return m_LastProgram;
}

void GlRenderer::UploadUniforms(Program& p, const DrawKey& k) {
    const Program::Uniforms& loc = p.u;
    DrawKey& u = p.uploaded;
    bool all = !p.uploadedValid;
    if (all || std::memcmp(&u.view, &k.view, sizeof k.view) != 0)
        glUniformMatrix4fv(loc.view, 1, GL_FALSE, &k.view._11);
    if (all || std::memcmp(&u.projection, &k.projection, sizeof k.projection) != 0)
        glUniformMatrix4fv(loc.proj, 1, GL_FALSE, &k.projection._11);
    if (all || u.textureFactor != k.textureFactor) {
        float c[4];
        ColorOf(k.textureFactor, c);
        glUniform4fv(loc.textureFactor, 1, c);
    }
    if (all || u.alphaRef != k.alphaRef) glUniform1f(loc.alphaRef, float(k.alphaRef));
    if (all || u.fogColor != k.fogColor || u.fogStart != k.fogStart || u.fogEnd != k.fogEnd ||
        u.fogDensity != k.fogDensity) {
        float c[4];
        ColorOf(k.fogColor, c);
        glUniform3fv(loc.fogColor, 1, c);
        glUniform3f(loc.fogParams, k.fogStart, k.fogEnd, k.fogDensity);
    }
    if (k.lighting && (all || !u.lighting || u.globalAmbient != k.globalAmbient ||
                       std::memcmp(&u.material, &k.material, sizeof k.material) != 0 ||
                       std::memcmp(u.lights, k.lights, sizeof k.lights) != 0)) {
        float ga[4];
        ColorOf(k.globalAmbient, ga);
        glUniform3fv(loc.globalAmbient, 1, ga);
        glUniform4fv(loc.matDiffuse, 1, &k.material.Diffuse.r);
        glUniform4fv(loc.matAmbient, 1, &k.material.Ambient.r);
        glUniform4fv(loc.matEmissive, 1, &k.material.Emissive.r);
        float amb[8][4], pos[8][4], dir[8][4], att[8][4], cone[8][4];
        for (unsigned i = 0; i < 8; ++i) {
            const GpuLight& l = k.lights[i];
            float a[4] = {l.ambient[0], l.ambient[1], l.ambient[2], l.type};
            float q[4] = {l.position[0], l.position[1], l.position[2], l.range};
            float d[4] = {l.direction[0], l.direction[1], l.direction[2], l.falloff};
            float t[4] = {l.attenuation[0], l.attenuation[1], l.attenuation[2], 0.0f};
            float c[4] = {l.cosHalfTheta, l.cosHalfPhi, 0.0f, 0.0f};
            std::memcpy(amb[i], a, sizeof a), std::memcpy(pos[i], q, sizeof q),
                std::memcpy(dir[i], d, sizeof d);
            std::memcpy(att[i], t, sizeof t), std::memcpy(cone[i], c, sizeof c);
        }
        glUniform4fv(loc.lightAmbient, 8, &amb[0][0]);
        glUniform4fv(loc.lightPos, 8, &pos[0][0]);
        glUniform4fv(loc.lightDir, 8, &dir[0][0]);
        glUniform4fv(loc.lightAtt, 8, &att[0][0]);
        glUniform4fv(loc.lightCone, 8, &cone[0][0]);
    }
    u = k;
    p.uploadedValid = true;
}

void GlRenderer::Draw(const DrawKey& key, IDirect3DTexture9* texture, const GpuVertex* vertices,
                      size_t count) {
    if (count == 0) return;
    Program* program = ProgramFor(VariantOf(key), nullptr);
    if (!program->name) return; // cannot happen once the sprites' variant compiled
    BindBackBuffer(key.viewport);
    if (key.raster.blendEnable && BlendsBySourceAlpha(key.raster) &&
        AlphaIsOne(key, texture, vertices, count)) {
        gldevice::RasterState opaque = key.raster;
        opaque.blendEnable = 0;
        opaque.srcBlend = opaque.dstBlend = opaque.blendOp = 0;
        opaque.srcBlendAlpha = opaque.dstBlendAlpha = opaque.blendOpAlpha = 0;
        ApplyRaster(opaque);
    } else {
        ApplyRaster(key.raster);
    }
    UseProgram(program->name);
    BindVertexArray(m_Vao);
    BindArrayBuffer(m_Vbo);
    UploadUniforms(*program, key);
    if (key.hasTexture)
        BindTexture0(texture, key.magFilter, key.minFilter, key.mipFilter, key.addressU, key.addressV);

    size_t bytes = count * sizeof(GpuVertex);
    if (bytes > m_VboSize) {
        while (m_VboSize < bytes)
            m_VboSize *= 2;
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(m_VboSize), nullptr, GL_STREAM_DRAW);
        m_VboOffset = 0;
    } else if (m_VboOffset + bytes > m_VboSize) {
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(m_VboSize), nullptr, GL_STREAM_DRAW); // orphan
        m_VboOffset = 0;
    }
    glBufferSubData(GL_ARRAY_BUFFER, GLintptr(m_VboOffset), GLsizeiptr(bytes), vertices);
    GLint first = GLint(m_VboOffset / sizeof(GpuVertex));
    m_VboOffset += bytes;
    GLenum mode = key.topology == kTopologyPoints  ? GL_POINTS
                  : key.topology == kTopologyLines ? GL_LINES
                                                   : GL_TRIANGLES;
    glDrawArrays(mode, first, GLsizei(count));
}

void GlRenderer::Clear(DWORD flags, D3DCOLOR color, float z, const RECT* rects, DWORD rectCount,
                       const D3DVIEWPORT9& vp) {
    BindBackBuffer(vp);
    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET) {
        float c[4];
        ColorOf(color, c);
        glClearColor(c[0], c[1], c[2], c[3]);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        m_Cache.raster.colorWrite = 0xF;
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        glClearDepth(z);
        glDepthMask(GL_TRUE);
        m_Cache.raster.zWrite = 1;
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_STENCIL) {
        glClearStencil(0);
        mask |= GL_STENCIL_BUFFER_BIT;
    }
    // Clears cover the viewport, or the given rectangles inside it.
    auto clearRect = [&](LONG left, LONG top, LONG right, LONG bottom) {
        LONG l = left > LONG(vp.X) ? left : LONG(vp.X);
        LONG t = top > LONG(vp.Y) ? top : LONG(vp.Y);
        LONG r = right < LONG(vp.X + vp.Width) ? right : LONG(vp.X + vp.Width);
        LONG b = bottom < LONG(vp.Y + vp.Height) ? bottom : LONG(vp.Y + vp.Height);
        if (r <= l || b <= t) return;
        glScissor(PixelX(l), GLint(m_PixelHeight) - PixelY(b), PixelX(r) - PixelX(l), PixelY(b) - PixelY(t));
        glClear(mask);
    };
    glEnable(GL_SCISSOR_TEST);
    if (rectCount == 0) clearRect(LONG(vp.X), LONG(vp.Y), LONG(vp.X + vp.Width), LONG(vp.Y + vp.Height));
    for (DWORD i = 0; i < rectCount; ++i)
        clearRect(rects[i].left, rects[i].top, rects[i].right, rects[i].bottom);
    glDisable(GL_SCISSOR_TEST);
}
