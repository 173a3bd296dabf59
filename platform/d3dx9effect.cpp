// ID3DXEffect over OpenGL: GLSL programs per pass (see effect_program.h), parameters as uniforms, the
// device's fog and lights fed into built-ins, and meshes out of view skipped before any GL work.
#include "d3dx9effect.h"

#include "effect_bridge.h"
#include "effect_file.h"
#include "effect_program.h"
#include "mesh_pass.h"

#include <epoxy/gl.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

struct Pass {
    EffectPassState state;
    const EffectPassSource* source = nullptr;
    std::string where; // "path: technique T, pass N", the heading of compiler messages
    bool ok = false;
    // [0] the general program; then the specialised ones made so far (null where one failed to compile).
    std::vector<std::unique_ptr<EffectProgram>> programs;
    std::vector<EffectVariant> variants; // of programs[1...]
    std::vector<std::string> boolNames;  // the general program's bool parameters
};

struct Technique {
    std::string name;
    std::vector<Pass> passes;
    int boundsWorld = -1, boundsViewProj = -1; // parameters that place vertices; -1: no culling
};

// name == text, for the short names of parameters (inline: the library's strcmp costs more to call).
bool SameName(const std::string& name, const char* text) {
    const size_t n = name.size();
    const char* a = name.data();
    for (size_t i = 0; i < n; ++i)
        if (a[i] != text[i]) return false;
    return text[n] == '\0';
}

// False when a sphere (object space) lies wholly outside the D3D view volume of p x m: -w <= x, y <= w,
// 0 <= z <= w. A plane that degenerates (a zero matrix) removes nothing.
bool SphereMayBeVisible(const float m[16], const MeshBounds& b) {
    float planes[6][4];
    for (int i = 0; i < 4; ++i) {
        const float x = m[i * 4 + 0], y = m[i * 4 + 1], z = m[i * 4 + 2], w = m[i * 4 + 3];
        planes[0][i] = w + x;
        planes[1][i] = w - x;
        planes[2][i] = w + y;
        planes[3][i] = w - y;
        planes[4][i] = z;
        planes[5][i] = w - z;
    }
    for (const float* p : planes) {
        float n = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
        if (!(n > 0.0f)) continue;
        float d = p[0] * b.center[0] + p[1] * b.center[1] + p[2] * b.center[2] + p[3];
        if (d < -b.radius * n) return false;
    }
    return true;
}

class Effect final : public ID3DXEffect, private MeshPassHook {
  public:
    Effect(IDirect3DDevice9* device, bool gl) : m_Device(device), m_GL(gl) {}

    ~Effect() override {
        if (GetMeshPass() == this) SetMeshPass(nullptr);
        for (EffectParam& p : m_Params) {
            BridgeReleaseTexture(p.set.texture);
            BridgeReleaseTexture(p.committed.texture);
        }
        if (m_GL) BridgeBeginExternalDraw(m_Device); // the programs are freed on the device's context
        m_Techniques.clear();
    }

    // Compiles every pass's general program; the compiler's messages are added to *log.
    void Build(EffectFileSource src, const std::string& path,
               std::vector<std::pair<std::string, std::string>> macros, std::string* log) {
        m_Source = std::move(src);
        m_Macros = std::move(macros);
        if (m_GL) BridgeBeginExternalDraw(m_Device);
        for (const EffectTechniqueSource& ts : m_Source.techniques) {
            Technique t;
            t.name = ts.name;
            if (!ts.boundsWorld.empty()) {
                t.boundsWorld = ParamIndex(ts.boundsWorld);
                t.boundsViewProj = ParamIndex(ts.boundsViewProj);
            }
            for (size_t i = 0; i < ts.passes.size(); ++i) {
                Pass p;
                p.state = ts.passes[i].state;
                p.source = &ts.passes[i];
                p.where = path + ": technique " + ts.name + ", pass " + std::to_string(i);
                p.ok = true;
                if (m_GL) {
                    p.programs.push_back(EffectProgram::Compile(m_Source, ts.passes[i], m_Macros, nullptr, {},
                                                                p.where, log, ParamIndexFn()));
                    p.ok = p.programs[0] != nullptr;
                    if (p.ok)
                        for (const auto& b : p.programs[0]->BoolParams())
                            p.boolNames.push_back(b.second);
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
            if (SameName(m_Techniques[i].name, technique)) {
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
        m_Program = nullptr;
        SetMeshPass(this);
        if (!p.ok) return E_FAIL;
        // GL is touched at the pass's first mesh draw that is not skipped, not here: a pass whose meshes
        // all lie out of view costs no GL work at all.
        if (m_GL) Commit();
        m_PassReady = true;
        return D3D_OK;
    }

    HRESULT CommitChanges() override {
        if (!m_Pass) return D3DERR_INVALIDCALL;
        if (m_PassReady && m_GL) { // without GL nothing is drawn, so nothing needs committed values
            Commit();
            m_CommitPending = true;
        }
        return D3D_OK;
    }

    HRESULT EndPass() override {
        if (!m_Pass) return D3DERR_INVALIDCALL;
        m_Pass = nullptr;
        m_PassReady = false;
        m_Program = nullptr;
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
        EffectParamValue* p = Find(name, true);
        if (!p) return D3DERR_INVALIDCALL;
        BridgeAddRefTexture(texture);
        BridgeReleaseTexture(p->texture);
        p->kind = EffectParamValue::Texture;
        p->texture = texture;
        p->version++;
        return D3D_OK;
    }

    HRESULT SetFloatArray(D3DXHANDLE name, const FLOAT* values, UINT count) override {
        EffectParamValue* p = Find(name, true);
        if (!p || (!values && count)) return D3DERR_INVALIDCALL;
        p->kind = EffectParamValue::Floats;
        if (p->floats.size() < count) p->floats.resize(count, 0.0f);
        if (count) std::memcpy(p->floats.data(), values, count * sizeof(float));
        p->version++;
        return D3D_OK;
    }

    HRESULT SetBool(D3DXHANDLE name, BOOL value) override {
        EffectParamValue* p = Find(name, true);
        if (!p) return D3DERR_INVALIDCALL;
        p->kind = EffectParamValue::Bool;
        p->b = value ? TRUE : FALSE;
        p->version++;
        return D3D_OK;
    }

    HRESULT GetMatrix(D3DXHANDLE name, D3DXMATRIX* matrix) override {
        return matrix ? GetFloatArray(name, &matrix->_11, 16) : D3DERR_INVALIDCALL;
    }

    HRESULT GetTexture(D3DXHANDLE name, IDirect3DTexture9** texture) override {
        EffectParamValue* p = Find(name, false);
        if (!p || !texture || p->kind != EffectParamValue::Texture) return D3DERR_INVALIDCALL;
        *texture = p->texture;
        return D3D_OK;
    }

    HRESULT GetFloatArray(D3DXHANDLE name, FLOAT* values, UINT count) override {
        EffectParamValue* p = Find(name, false);
        if (!p || !values || p->kind != EffectParamValue::Floats || p->floats.empty())
            return D3DERR_INVALIDCALL;
        for (UINT i = 0; i < count; ++i)
            values[i] = i < p->floats.size() ? p->floats[i] : 0.0f;
        return D3D_OK;
    }

    HRESULT GetBool(D3DXHANDLE name, BOOL* value) override {
        EffectParamValue* p = Find(name, false);
        if (!p || !value || p->kind != EffectParamValue::Bool) return D3DERR_INVALIDCALL;
        *value = p->b;
        return D3D_OK;
    }

  private:
    IDirect3DDevice9* m_Device;
    bool m_GL;
    EffectFileSource m_Source; // kept for the specialised programs
    std::vector<std::pair<std::string, std::string>> m_Macros;
    std::vector<Technique> m_Techniques;
    int m_Technique = 0;
    bool m_Begun = false;
    Pass* m_Pass = nullptr;
    bool m_PassReady = false;           // begun and compiled
    EffectProgram* m_Program = nullptr; // in GL with its state and parameters since the pass began
    bool m_CommitPending = false;       // parameters were committed since they last went to GL
    std::vector<EffectParam> m_Params;
    std::unordered_map<std::string, int> m_ParamIndex;
    std::vector<std::string> m_ParamNames;
    // Handles seen lately and their parameters, one slot per handle address: the game names parameters
    // with the same few string literals every draw, so a pointer and a string compare stand in for hashing
    // a new std::string.
    struct RecentHandle {
        const char* handle = nullptr;
        int index = -1;
    };
    static constexpr unsigned kRecentSlots = 64;
    RecentHandle m_Recent[kRecentSlots];

    std::function<int(const std::string&)> ParamIndexFn() {
        return [this](const std::string& n) { return ParamIndex(n); };
    }

    bool PrepareMeshDraw(const MeshBounds* bounds) override {
        if (!m_PassReady || !m_GL) return false;
        if (bounds && !InView(*bounds)) return false;
        if (!m_Program)
            BridgeBeginExternalDraw(m_Device);
        else if (!m_CommitPending)
            return true;
        const BridgeFixedState state = BridgeQueryState(m_Device);
        EffectProgram* program = ProgramFor(*m_Pass, VariantOf(*m_Pass, state));
        const bool fresh = program != m_Program;
        if (fresh) glUseProgram(program->Name());
        program->ApplyState(m_Pass->state, state, fresh);
        program->UploadParams(m_Params);
        m_Program = program;
        m_CommitPending = false;
        return true;
    }

    // The device's built-ins and the committed values of the pass's bool parameters (never set: false).
    EffectVariant VariantOf(const Pass& pass, const BridgeFixedState& state) const {
        EffectVariant v;
        v.builtins = BuiltinVariantOf(state);
        for (const auto& b : pass.programs[0]->BoolParams()) {
            const EffectParamValue& p = m_Params[b.first].committed;
            bool on = false;
            if (p.version != 0 && p.kind == EffectParamValue::Bool) on = p.b != FALSE;
            if (p.version != 0 && p.kind == EffectParamValue::Floats)
                on = !p.floats.empty() && p.floats[0] != 0;
            v.bools.push_back(on ? 1 : 0);
        }
        return v;
    }

    // The pass's program specialised to a variant, made on first use; the general program when that
    // cannot compile.
    EffectProgram* ProgramFor(Pass& pass, const EffectVariant& variant) {
        for (size_t i = 0; i < pass.variants.size(); ++i)
            if (pass.variants[i] == variant)
                return pass.programs[i + 1] ? pass.programs[i + 1].get() : pass.programs[0].get();
        pass.programs.push_back(EffectProgram::Compile(m_Source, *pass.source, m_Macros, &variant,
                                                       pass.boolNames, pass.where, nullptr, ParamIndexFn()));
        pass.variants.push_back(variant);
        return pass.programs.back() ? pass.programs.back().get() : pass.programs[0].get();
    }

    // Whether a mesh of these bounds may show under the committed matrices of the technique's bounds.
    bool InView(const MeshBounds& bounds) const {
        const Technique& t = m_Techniques[m_Technique];
        if (t.boundsWorld < 0) return true;
        const EffectParamValue& world = m_Params[t.boundsWorld].committed;
        const EffectParamValue& viewProj = m_Params[t.boundsViewProj].committed;
        if (world.version == 0 || viewProj.version == 0 || world.kind != EffectParamValue::Floats ||
            viewProj.kind != EffectParamValue::Floats || world.floats.size() < 16 ||
            viewProj.floats.size() < 16)
            return true;
        D3DXMATRIX w, vp, m;
        std::memcpy(&w._11, world.floats.data(), 16 * sizeof(float));
        std::memcpy(&vp._11, viewProj.floats.data(), 16 * sizeof(float));
        D3DXMatrixMultiply(&m, &w, &vp);
        return SphereMayBeVisible(&m._11, bounds);
    }

    // The values set since the last commit become the ones draws use.
    void Commit() {
        for (EffectParam& p : m_Params) {
            if (p.committed.version == p.set.version) continue;
            if (p.committed.texture != p.set.texture) {
                BridgeAddRefTexture(p.set.texture);
                BridgeReleaseTexture(p.committed.texture);
            }
            p.committed = p.set;
        }
    }

    int ParamIndex(const std::string& name) {
        auto it = m_ParamIndex.find(name);
        if (it != m_ParamIndex.end()) return it->second;
        m_Params.emplace_back();
        m_Params.back().set.version = 0; // never set
        m_Params.back().committed.version = 0;
        int i = (int)m_Params.size() - 1;
        m_ParamIndex.emplace(name, i);
        m_ParamNames.push_back(name);
        return i;
    }

    // The parameter of a handle, -1 when there is none and create is false.
    int IndexOfHandle(D3DXHANDLE name, bool create) {
        RecentHandle& slot = m_Recent[(reinterpret_cast<uintptr_t>(name) >> 2) % kRecentSlots];
        if (slot.handle == name && SameName(m_ParamNames[slot.index], name)) return slot.index;
        int index = -1;
        if (create) {
            index = ParamIndex(name);
        } else {
            auto it = m_ParamIndex.find(name);
            if (it == m_ParamIndex.end()) return -1;
            index = it->second;
        }
        slot = {name, index};
        return index;
    }

    EffectParamValue* Find(D3DXHANDLE name, bool create) {
        if (!name) return nullptr;
        const int i = IndexOfHandle(name, create);
        if (i < 0 || (!create && m_Params[i].set.version == 0)) return nullptr;
        return &m_Params[i].set;
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
    fx->Build(std::move(src), path, std::move(macros), &log);
    if (errors && !log.empty()) *errors = CreateBufferFrom(log.c_str(), (DWORD)log.size() + 1);
    *effect = fx;
    return D3D_OK;
}
