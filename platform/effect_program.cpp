// Compiling an effect pass, finding its uniforms, and feeding them and its render state to GL.
#include "effect_program.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

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
    out[0] = static_cast<float>((c >> 16) & 0xFF) / 255.0f;
    out[1] = static_cast<float>((c >> 8) & 0xFF) / 255.0f;
    out[2] = static_cast<float>(c & 0xFF) / 255.0f;
    out[3] = static_cast<float>((c >> 24) & 0xFF) / 255.0f;
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

GLuint CompileStage(GLenum type, const std::string& source, const std::string& where, std::string* log) {
    GLuint s = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(s, 1, &text, nullptr);
    glCompileShader(s);
    std::string msg = ShaderLog(s);
    if (!msg.empty() && log) {
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

// Constant declarations of the variant's built-ins, in place of their uniforms.
std::string BuiltinConstants(const EffectBuiltinVariant& v) {
    char text[512];
    std::snprintf(text, sizeof text,
                  "\nconst bool bw_FogEnable = %s;\n"
                  "const int bw_FogMode = %d;\n"
                  "const bool bw_LightEnable[2] = bool[2](%s, %s);\n"
                  "const int bw_LightType[2] = int[2](%d, %d);\n",
                  v.fogEnable ? "true" : "false", (int)v.fogMode, v.lightEnable[0] ? "true" : "false",
                  v.lightEnable[1] ? "true" : "false", (int)v.lightType[0], (int)v.lightType[1]);
    return text;
}

} // namespace

EffectBuiltinVariant BuiltinVariantOf(const BridgeFixedState& s) {
    EffectBuiltinVariant v{};
    v.fogEnable = s.FogEnable ? 1 : 0;
    v.fogMode = (int32_t)s.FogTableMode;
    for (int i = 0; i < 2; ++i) {
        v.lightEnable[i] = s.LightEnabled[i] ? 1 : 0;
        v.lightType[i] = (int32_t)s.Lights[i].Type;
    }
    return v;
}

std::unique_ptr<EffectProgram>
EffectProgram::Compile(const EffectFileSource& file, const EffectPassSource& pass,
                       const std::vector<std::pair<std::string, std::string>>& macros,
                       const EffectVariant* variant, const std::vector<std::string>& boolNames,
                       const std::string& where, std::string* log,
                       const std::function<int(const std::string&)>& paramIndex) {
    std::string constants = variant ? BuiltinConstants(variant->builtins) : std::string();
    const char* builtins = variant ? constants.c_str() : nullptr;
    std::vector<std::pair<std::string, bool>> bools;
    if (variant)
        for (size_t i = 0; i < boolNames.size() && i < variant->bools.size(); ++i)
            bools.emplace_back(boolNames[i], variant->bools[i] != 0);
    GLuint vs = CompileStage(GL_VERTEX_SHADER,
                             BuildStageSource(file, pass.vertex, true, macros, builtins, &bools), where, log);
    GLuint fs =
        CompileStage(GL_FRAGMENT_SHADER,
                     BuildStageSource(file, pass.fragment, false, macros, builtins, &bools), where, log);
    if (!vs || !fs) {
        if (vs) glDeleteShader(vs);
        if (fs) glDeleteShader(fs);
        return nullptr;
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
    if (!msg.empty() && log) {
        *log += where + ", link:\n" + msg;
        if (log->back() != '\n') *log += '\n';
    }
    GLint ok = GL_FALSE;
    glGetProgramiv(prog, GL_LINK_STATUS, &ok);
    if (!ok) {
        glDeleteProgram(prog);
        return nullptr;
    }
    std::unique_ptr<EffectProgram> p(new EffectProgram());
    p->m_Program = prog;
    p->FindUniforms(paramIndex);
    return p;
}

EffectProgram::~EffectProgram() {
    if (m_Program) glDeleteProgram(m_Program);
}

// Looks every uniform up once: built-ins by name, the rest become parameters.
void EffectProgram::FindUniforms(const std::function<int(const std::string&)>& paramIndex) {
    GLuint prog = m_Program;
    glUseProgram(prog);
    Builtins& b = m_Builtins;
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
        Uniform u{paramIndex(n), glGetUniformLocation(prog, name), type, size, -1};
        if (u.location < 0) continue;
        if (type == GL_SAMPLER_2D) {
            u.unit = unit++;
            glUniform1i(u.location, u.unit);
        }
        if (type == GL_BOOL && size == 1) m_BoolParams.emplace_back(u.param, n);
        m_Uniforms.push_back(u);
    }
}

void EffectProgram::UploadParams(const std::vector<EffectParam>& params) {
    for (Uniform& u : m_Uniforms) {
        const EffectParamValue& prm = params[u.param].committed;
        if (u.type == GL_SAMPLER_2D) {
            // Texture units are bound every time: the device binds its own between draws.
            glActiveTexture(GL_TEXTURE0 + (GLenum)u.unit);
            GLuint name = prm.kind == EffectParamValue::Texture ? BridgeTextureName(prm.texture) : 0;
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
            GLint v =
                prm.kind == EffectParamValue::Bool ? prm.b : (prm.floats.empty() ? 0 : (GLint)prm.floats[0]);
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
        if (prm.kind == EffectParamValue::Bool) v[0] = prm.b ? 1.0f : 0.0f;
        if (prm.kind == EffectParamValue::Floats && !prm.floats.empty())
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

void EffectProgram::ApplyState(const EffectPassState& ps, const BridgeFixedState& s, bool always) {
    if (!always && m_StateUploaded && std::memcmp(&s, &m_LastState, sizeof(s)) == 0) return;
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
    if (m_StateUploaded && std::memcmp(&s, &m_LastState, sizeof(s)) == 0) return;
    UploadBuiltins(s);
    m_LastState = s;
    m_StateUploaded = true;
}

void EffectProgram::UploadBuiltins(const BridgeFixedState& s) {
    const Builtins& b = m_Builtins;
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
