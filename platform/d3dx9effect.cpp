// ID3DXEffect over OpenGL: one GLSL program per pass, parameters as uniforms (locations found once per
// program), the device's fog and lights fed into built-in uniforms.
#include "platform/d3dx9effect.h"

#include "platform/effect_bridge.h"
#include "platform/effect_file.h"
#include "platform/mesh_pass.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

struct Param {
    enum Kind { Floats, Bool, Texture };
    Kind kind = Floats;
    std::vector<float> floats;
    BOOL b = FALSE;
    IDirect3DTexture9* texture = nullptr;
    unsigned version = 1;
};

struct Uniform {
    int param;
    GLint location;
    GLenum type;
    GLint count;
    int unit;              // texture unit of a sampler
    unsigned uploaded = 0; // parameter version last uploaded
};

// Built-in uniform locations of one program.
struct Builtins {
    GLint fogEnable, fogMode, fogColor, fogParams, ambient, yFlip;
    GLint lightEnable[2], lightType[2], diffuse[2], specular[2], lightAmbient[2], position[2], direction[2],
        attenuation[2];
};

struct Pass {
    EffectPassState state;
    bool ok = false;
    GLuint program = 0;
    std::vector<Uniform> uniforms;
    Builtins builtins{};
    BridgeFixedState lastState{};
    bool stateUploaded = false;
};

struct Technique {
    std::string name;
    std::vector<Pass> passes;
};

GLenum GlBlend(DWORD d3dBlend) {
    switch (d3dBlend) {
    case 1:
        return GL_ZERO;
    case 2:
        return GL_ONE;
    case 3:
        return GL_SRC_COLOR;
    case 4:
        return GL_ONE_MINUS_SRC_COLOR;
    case 5:
        return GL_SRC_ALPHA;
    case 6:
        return GL_ONE_MINUS_SRC_ALPHA;
    case 7:
        return GL_DST_ALPHA;
    case 8:
        return GL_ONE_MINUS_DST_ALPHA;
    case 9:
        return GL_DST_COLOR;
    case 10:
        return GL_ONE_MINUS_DST_COLOR;
    default:
        return GL_ONE;
    }
}

void ColorToFloats(D3DCOLOR c, float* out) {
    out[0] = ((c >> 16) & 0xFF) / 255.0f;
    out[1] = ((c >> 8) & 0xFF) / 255.0f;
    out[2] = (c & 0xFF) / 255.0f;
    out[3] = ((c >> 24) & 0xFF) / 255.0f;
}

std::string ShaderLog(GLuint shader) {
    GLint len = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &len);
    std::string log(len > 0 ? (size_t)len : 0, '\0');
    if (len > 0) glGetShaderInfoLog(shader, len, nullptr, &log[0]);
    while (!log.empty() && log.back() == '\0')
        log.pop_back();
    return log;
}

std::string ProgramLog(GLuint program) {
    GLint len = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &len);
    std::string log(len > 0 ? (size_t)len : 0, '\0');
    if (len > 0) glGetProgramInfoLog(program, len, nullptr, &log[0]);
    while (!log.empty() && log.back() == '\0')
        log.pop_back();
    return log;
}

class Effect final : public ID3DXEffect, private MeshPassHook {
  public:
    Effect(IDirect3DDevice9* device, bool gl) : m_Device(device), m_GL(gl) {}

    ~Effect() override {
        if (GetMeshPass() == this) SetMeshPass(nullptr);
        for (Param& p : m_Params)
            BridgeReleaseTexture(p.texture);
        bool anyProgram = false;
        for (Technique& t : m_Techniques)
            for (Pass& p : t.passes)
                anyProgram = anyProgram || p.program;
        if (m_GL && anyProgram) {
            BridgeBeginExternalDraw(m_Device);
            for (Technique& t : m_Techniques)
                for (Pass& p : t.passes)
                    if (p.program) glDeleteProgram(p.program);
        }
    }

    // Compiles every pass; the compiler's messages are added to *log.
    void Build(const EffectFileSource& src, const std::string& path,
               const std::vector<std::pair<std::string, std::string>>& macros, std::string* log) {
        if (m_GL) BridgeBeginExternalDraw(m_Device);
        for (const EffectTechniqueSource& ts : src.techniques) {
            Technique t;
            t.name = ts.name;
            for (size_t i = 0; i < ts.passes.size(); ++i) {
                Pass p;
                p.state = ts.passes[i].state;
                p.ok = true;
                if (m_GL) {
                    std::string where = path + ": technique " + ts.name + ", pass " + std::to_string(i);
                    p.ok = Compile(src, ts.passes[i], macros, where, log, &p);
                }
                t.passes.push_back(std::move(p));
            }
            m_Techniques.push_back(std::move(t));
        }
        if (m_GL) glUseProgram(0);
    }

    HRESULT SetTechnique(D3DXHANDLE technique) override {
        if (!technique) return D3DERR_INVALIDCALL;
        for (size_t i = 0; i < m_Techniques.size(); ++i)
            if (m_Techniques[i].name == technique) {
                m_Technique = (int)i;
                return D3D_OK;
            }
        return D3DERR_INVALIDCALL;
    }

    HRESULT Begin(UINT* passes, DWORD) override {
        if (m_Begun) return D3DERR_INVALIDCALL;
        m_Begun = true;
        if (passes) *passes = (UINT)m_Techniques[m_Technique].passes.size();
        return D3D_OK;
    }

    HRESULT BeginPass(UINT index) override {
        if (!m_Begun || m_Pass) return D3DERR_INVALIDCALL;
        std::vector<Pass>& passes = m_Techniques[m_Technique].passes;
        if (index >= passes.size()) return D3DERR_INVALIDCALL;
        Pass& p = passes[index];
        m_Pass = &p;
        m_PassReady = false;
        SetMeshPass(this);
        if (!p.ok) return E_FAIL;
        if (m_GL) {
            BridgeBeginExternalDraw(m_Device);
            glUseProgram(p.program);
            ApplyDeviceState(p, true);
            UploadParams(p);
        }
        m_PassReady = true;
        return D3D_OK;
    }

    HRESULT CommitChanges() override {
        if (!m_Pass) return D3DERR_INVALIDCALL;
        if (m_GL && m_PassReady) {
            ApplyDeviceState(*m_Pass, false);
            UploadParams(*m_Pass);
        }
        return D3D_OK;
    }

    HRESULT EndPass() override {
        if (!m_Pass) return D3DERR_INVALIDCALL;
        m_Pass = nullptr;
        m_PassReady = false;
        if (GetMeshPass() == this) SetMeshPass(nullptr);
        return D3D_OK;
    }

    HRESULT End() override {
        if (!m_Begun) return D3DERR_INVALIDCALL;
        if (m_Pass) EndPass();
        m_Begun = false;
        return D3D_OK;
    }

    HRESULT SetMatrix(D3DXHANDLE name, const D3DXMATRIX* matrix) override {
        if (!matrix) return D3DERR_INVALIDCALL;
        return SetFloatArray(name, &matrix->_11, 16);
    }

    HRESULT SetTexture(D3DXHANDLE name, IDirect3DTexture9* texture) override {
        Param* p = Find(name, true);
        if (!p) return D3DERR_INVALIDCALL;
        BridgeAddRefTexture(texture);
        BridgeReleaseTexture(p->texture);
        p->kind = Param::Texture;
        p->texture = texture;
        p->version++;
        return D3D_OK;
    }

    HRESULT SetFloatArray(D3DXHANDLE name, const FLOAT* values, UINT count) override {
        Param* p = Find(name, true);
        if (!p || (!values && count)) return D3DERR_INVALIDCALL;
        p->kind = Param::Floats;
        if (p->floats.size() < count) p->floats.resize(count, 0.0f);
        if (count) std::memcpy(p->floats.data(), values, count * sizeof(float));
        p->version++;
        return D3D_OK;
    }

    HRESULT SetBool(D3DXHANDLE name, BOOL value) override {
        Param* p = Find(name, true);
        if (!p) return D3DERR_INVALIDCALL;
        p->kind = Param::Bool;
        p->b = value ? TRUE : FALSE;
        p->version++;
        return D3D_OK;
    }

    HRESULT GetMatrix(D3DXHANDLE name, D3DXMATRIX* matrix) override {
        return matrix ? GetFloatArray(name, &matrix->_11, 16) : D3DERR_INVALIDCALL;
    }

    HRESULT GetTexture(D3DXHANDLE name, IDirect3DTexture9** texture) override {
        Param* p = Find(name, false);
        if (!p || !texture || p->kind != Param::Texture) return D3DERR_INVALIDCALL;
        *texture = p->texture;
        return D3D_OK;
    }

    HRESULT GetFloatArray(D3DXHANDLE name, FLOAT* values, UINT count) override {
        Param* p = Find(name, false);
        if (!p || !values || p->kind != Param::Floats || p->floats.empty()) return D3DERR_INVALIDCALL;
        for (UINT i = 0; i < count; ++i)
            values[i] = i < p->floats.size() ? p->floats[i] : 0.0f;
        return D3D_OK;
    }

    HRESULT GetBool(D3DXHANDLE name, BOOL* value) override {
        Param* p = Find(name, false);
        if (!p || !value || p->kind != Param::Bool) return D3DERR_INVALIDCALL;
        *value = p->b;
        return D3D_OK;
    }

  private:
    IDirect3DDevice9* m_Device;
    bool m_GL;
    std::vector<Technique> m_Techniques;
    int m_Technique = 0;
    bool m_Begun = false;
    Pass* m_Pass = nullptr;
    bool m_PassReady = false;
    std::vector<Param> m_Params;
    std::unordered_map<std::string, int> m_ParamIndex;

    bool PrepareMeshDraw() override { return m_PassReady && m_GL; }

    int ParamIndex(const std::string& name) {
        auto it = m_ParamIndex.find(name);
        if (it != m_ParamIndex.end()) return it->second;
        m_Params.emplace_back();
        m_Params.back().version = 0; // never set
        int i = (int)m_Params.size() - 1;
        m_ParamIndex.emplace(name, i);
        return i;
    }

    Param* Find(D3DXHANDLE name, bool create) {
        if (!name) return nullptr;
        if (!create) {
            auto it = m_ParamIndex.find(name);
            if (it == m_ParamIndex.end() || m_Params[it->second].version == 0) return nullptr;
            return &m_Params[it->second];
        }
        return &m_Params[ParamIndex(name)];
    }

    GLuint CompileStage(GLenum type, const std::string& source, const std::string& where, std::string* log) {
        GLuint s = glCreateShader(type);
        const char* text = source.c_str();
        glShaderSource(s, 1, &text, nullptr);
        glCompileShader(s);
        std::string msg = ShaderLog(s);
        if (!msg.empty()) {
            *log += where + (type == GL_VERTEX_SHADER ? ", vertex shader:\n" : ", fragment shader:\n") + msg;
            if (log->back() != '\n') *log += '\n';
        }
        GLint ok = GL_FALSE;
        glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
        if (!ok) {
            glDeleteShader(s);
            return 0;
        }
        return s;
    }

    bool Compile(const EffectFileSource& src, const EffectPassSource& ps,
                 const std::vector<std::pair<std::string, std::string>>& macros, const std::string& where,
                 std::string* log, Pass* p) {
        GLuint vs =
            CompileStage(GL_VERTEX_SHADER, BuildStageSource(src, ps.vertex, true, macros), where, log);
        GLuint fs =
            CompileStage(GL_FRAGMENT_SHADER, BuildStageSource(src, ps.fragment, false, macros), where, log);
        if (!vs || !fs) {
            if (vs) glDeleteShader(vs);
            if (fs) glDeleteShader(fs);
            return false;
        }
        GLuint prog = glCreateProgram();
        glAttachShader(prog, vs);
        glAttachShader(prog, fs);
        glLinkProgram(prog);
        glDetachShader(prog, vs);
        glDetachShader(prog, fs);
        glDeleteShader(vs);
        glDeleteShader(fs);
        std::string msg = ProgramLog(prog);
        if (!msg.empty()) {
            *log += where + ", link:\n" + msg;
            if (log->back() != '\n') *log += '\n';
        }
        GLint ok = GL_FALSE;
        glGetProgramiv(prog, GL_LINK_STATUS, &ok);
        if (!ok) {
            glDeleteProgram(prog);
            return false;
        }
        p->program = prog;
        FindUniforms(p);
        return true;
    }

    // Looks every uniform up once: built-ins by name, the rest become parameters.
    void FindUniforms(Pass* p) {
        GLuint prog = p->program;
        glUseProgram(prog);
        Builtins& b = p->builtins;
        auto loc = [prog](const std::string& n) { return glGetUniformLocation(prog, n.c_str()); };
        b.fogEnable = loc("bw_FogEnable");
        b.fogMode = loc("bw_FogMode");
        b.fogColor = loc("bw_FogColor");
        b.fogParams = loc("bw_FogParams");
        b.ambient = loc("bw_Ambient");
        b.yFlip = loc("bw_YFlip");
        for (int i = 0; i < 2; ++i) {
            std::string k = "[" + std::to_string(i) + "]";
            b.lightEnable[i] = loc("bw_LightEnable" + k);
            b.lightType[i] = loc("bw_LightType" + k);
            b.diffuse[i] = loc("bw_LightDiffuse" + k);
            b.specular[i] = loc("bw_LightSpecular" + k);
            b.lightAmbient[i] = loc("bw_LightAmbient" + k);
            b.position[i] = loc("bw_LightPosition" + k);
            b.direction[i] = loc("bw_LightDirection" + k);
            b.attenuation[i] = loc("bw_LightAttenuation" + k);
        }
        GLint count = 0;
        glGetProgramiv(prog, GL_ACTIVE_UNIFORMS, &count);
        int unit = 0;
        for (GLint i = 0; i < count; ++i) {
            char name[256];
            GLsizei len = 0;
            GLint size = 0;
            GLenum type = 0;
            glGetActiveUniform(prog, (GLuint)i, sizeof(name), &len, &size, &type, name);
            std::string n(name, (size_t)len);
            if (n.compare(0, 3, "bw_") == 0 || n.compare(0, 3, "gl_") == 0) continue;
            if (n.size() > 3 && n.compare(n.size() - 3, 3, "[0]") == 0) n.resize(n.size() - 3);
            Uniform u{ParamIndex(n), glGetUniformLocation(prog, name), type, size, -1};
            if (u.location < 0) continue;
            if (type == GL_SAMPLER_2D) {
                u.unit = unit++;
                glUniform1i(u.location, u.unit);
            }
            p->uniforms.push_back(u);
        }
    }

    void UploadParams(Pass& p) {
        for (Uniform& u : p.uniforms) {
            const Param& prm = m_Params[u.param];
            if (u.type == GL_SAMPLER_2D) {
                // Texture units are bound every time: the device binds its own between draws.
                glActiveTexture(GL_TEXTURE0 + (GLenum)u.unit);
                GLuint name = prm.kind == Param::Texture ? BridgeTextureName(prm.texture) : 0;
                glBindTexture(GL_TEXTURE_2D, name);
                continue;
            }
            if (prm.version == 0 || u.uploaded == prm.version) continue;
            u.uploaded = prm.version;
            int comps = 0;
            switch (u.type) {
            case GL_FLOAT:
                comps = 1;
                break;
            case GL_FLOAT_VEC2:
                comps = 2;
                break;
            case GL_FLOAT_VEC3:
                comps = 3;
                break;
            case GL_FLOAT_VEC4:
                comps = 4;
                break;
            case GL_FLOAT_MAT4:
                comps = 16;
                break;
            case GL_BOOL:
            case GL_INT: {
                GLint v = prm.kind == Param::Bool ? prm.b : (prm.floats.empty() ? 0 : (GLint)prm.floats[0]);
                glUniform1i(u.location, v);
                continue;
            }
            default:
                continue;
            }
            // Values the parameter does not hold are zero; one matrix or vector needs no allocation.
            size_t n = (size_t)comps * (size_t)u.count;
            float small[16] = {};
            std::vector<float> large(n > 16 ? n : 0, 0.0f);
            float* v = n > 16 ? large.data() : small;
            if (prm.kind == Param::Bool) v[0] = prm.b ? 1.0f : 0.0f;
            if (prm.kind == Param::Floats && !prm.floats.empty())
                std::memcpy(v, prm.floats.data(), std::min(n, prm.floats.size()) * sizeof(float));
            if (comps == 16)
                glUniformMatrix4fv(u.location, u.count, GL_TRUE, v);
            else if (comps == 1)
                glUniform1fv(u.location, u.count, v);
            else if (comps == 2)
                glUniform2fv(u.location, u.count, v);
            else if (comps == 3)
                glUniform3fv(u.location, u.count, v);
            else
                glUniform4fv(u.location, u.count, v);
        }
        glActiveTexture(GL_TEXTURE0);
    }

    // Render state (from the pass, else the device) and the device's fog and lights, when they changed.
    void ApplyDeviceState(Pass& p, bool always) {
        BridgeFixedState s = BridgeQueryState(m_Device);
        if (!always && p.stateUploaded && std::memcmp(&s, &p.lastState, sizeof(s)) == 0) return;
        const EffectPassState& ps = p.state;
        bool blend = ps.blend == kEffectInherit ? s.AlphaBlendEnable != 0 : ps.blend == 1;
        if (blend) {
            glEnable(GL_BLEND);
            glBlendEquation(GL_FUNC_ADD);
            if (ps.blend == kEffectInherit)
                glBlendFunc(GlBlend(s.SrcBlend), GlBlend(s.DestBlend));
            else
                glBlendFunc(GlBlend((DWORD)ps.srcBlend), GlBlend((DWORD)ps.destBlend));
        } else {
            glDisable(GL_BLEND);
        }
        bool ztest = ps.ztest == kEffectInherit ? s.ZEnable != 0 : ps.ztest == 1;
        if (ztest)
            glEnable(GL_DEPTH_TEST);
        else
            glDisable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        bool zwrite = ps.zwrite == kEffectInherit ? s.ZWriteEnable != 0 : ps.zwrite == 1;
        glDepthMask(zwrite ? GL_TRUE : GL_FALSE);
        DWORD cull = ps.cull == kEffectInherit ? s.CullMode : (DWORD)ps.cull;
        if (cull == D3DCULL_CW || cull == D3DCULL_CCW) {
            // The culled winding as seen on screen, which a device drawing upside down mirrors.
            bool cullGlClockwise = (cull == D3DCULL_CW) != (s.YFlip != 0);
            glEnable(GL_CULL_FACE);
            glCullFace(GL_BACK);
            glFrontFace(cullGlClockwise ? GL_CCW : GL_CW);
        } else {
            glDisable(GL_CULL_FACE);
        }
        if (p.stateUploaded && std::memcmp(&s, &p.lastState, sizeof(s)) == 0) return;
        UploadBuiltins(p.builtins, s);
        p.lastState = s;
        p.stateUploaded = true;
    }

    static void UploadBuiltins(const Builtins& b, const BridgeFixedState& s) {
        float c[4];
        glUniform1i(b.fogEnable, s.FogEnable ? 1 : 0);
        glUniform1i(b.fogMode, (GLint)s.FogTableMode);
        ColorToFloats(s.FogColor, c);
        glUniform4fv(b.fogColor, 1, c);
        glUniform3f(b.fogParams, s.FogStart, s.FogEnd, s.FogDensity);
        ColorToFloats(s.Ambient, c);
        glUniform4fv(b.ambient, 1, c);
        glUniform1f(b.yFlip, s.YFlip ? -1.0f : 1.0f);
        for (int i = 0; i < 2; ++i) {
            const D3DLIGHT9& l = s.Lights[i];
            glUniform1i(b.lightEnable[i], s.LightEnabled[i] ? 1 : 0);
            glUniform1i(b.lightType[i], (GLint)l.Type);
            glUniform4fv(b.diffuse[i], 1, &l.Diffuse.r);
            glUniform4fv(b.specular[i], 1, &l.Specular.r);
            glUniform4fv(b.lightAmbient[i], 1, &l.Ambient.r);
            glUniform3fv(b.position[i], 1, &l.Position.x);
            glUniform3fv(b.direction[i], 1, &l.Direction.x);
            glUniform4f(b.attenuation[i], l.Attenuation0, l.Attenuation1, l.Attenuation2, l.Range);
        }
    }
};

HRESULT FailWith(ID3DXBuffer** errors, const std::string& text) {
    if (errors) *errors = CreateBufferFrom(text.c_str(), (DWORD)text.size() + 1);
    return E_FAIL;
}

} // namespace

HRESULT D3DXCreateEffectFromFileA(IDirect3DDevice9* device, LPCSTR path, const D3DXMACRO* defines,
                                  LPD3DXINCLUDE, DWORD, LPD3DXEFFECTPOOL, ID3DXEffect** effect,
                                  ID3DXBuffer** errors) {
    if (effect) *effect = nullptr;
    if (errors) *errors = nullptr;
    if (!effect || !path)
        return FailWith(errors, "D3DXCreateEffectFromFileA: no file or no effect to create\n");
    std::ifstream in(path, std::ios::binary);
    if (!in) return FailWith(errors, std::string(path) + ": error: cannot open the effect file\n");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    EffectFileSource src;
    std::string error;
    if (!ParseEffectFile(text, path, &src, &error)) return FailWith(errors, error);

    std::vector<std::pair<std::string, std::string>> macros;
    for (const D3DXMACRO* m = defines; m && m->Name; ++m)
        macros.emplace_back(m->Name, m->Definition ? m->Definition : "");

    bool gl = device && BridgeHasGL(device);
    auto* fx = new Effect(device, gl);
    std::string log;
    fx->Build(src, path, macros, &log);
    if (errors && !log.empty()) *errors = CreateBufferFrom(log.c_str(), (DWORD)log.size() + 1);
    *effect = fx;
    return D3D_OK;
}
