// One compiled GLSL program of an effect pass: its parameter uniforms, its built-in (bw_) uniforms, and the
// GL render state of the pass. Platform-internal, used by d3dx9effect.cpp.
//
// A pass has a general program, whose bw_ built-ins are all uniforms (compiled when the effect is created,
// for its messages), and programs specialised to the device's fog mode and the on/off and type of its two
// lights, made at the first draw that needs them: those built-ins become constants, so the branches on them
// fold away. A pixel shader on a software rasteriser runs both sides of every branch it keeps.
#pragma once

#include "effect_bridge.h"
#include "effect_file.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// A parameter's value as last set, and as last committed (BeginPass, CommitChanges): draws use the latter.
struct EffectParamValue {
    enum Kind { Floats, Bool, Texture };
    Kind kind = Floats;
    std::vector<float> floats;
    BOOL b = FALSE;
    IDirect3DTexture9* texture = nullptr; // holds a reference
    unsigned version = 1;                 // 0: never set
};

struct EffectParam {
    EffectParamValue set;
    EffectParamValue committed;
};

// The built-ins a specialised program has as constants: the device's values of bw_FogEnable, bw_FogMode,
// bw_LightEnable[2] and bw_LightType[2].
struct EffectBuiltinVariant {
    int32_t fogEnable, fogMode;
    int32_t lightEnable[2], lightType[2];
    bool operator==(const EffectBuiltinVariant& o) const {
        return fogEnable == o.fogEnable && fogMode == o.fogMode && lightEnable[0] == o.lightEnable[0] &&
               lightEnable[1] == o.lightEnable[1] && lightType[0] == o.lightType[0] &&
               lightType[1] == o.lightType[1];
    }
};
EffectBuiltinVariant BuiltinVariantOf(const BridgeFixedState& s);

// What a specialised program has as constants: the built-ins, and the values of the pass's bool
// parameters (in the order of EffectProgram::BoolParams of its general program).
struct EffectVariant {
    EffectBuiltinVariant builtins{};
    std::vector<uint8_t> bools;
    bool operator==(const EffectVariant& o) const { return builtins == o.builtins && bools == o.bools; }
};

class EffectProgram {
  public:
    // Compiles and links the pass (GL context current): the general program when variant is null, else
    // one specialised to it (boolNames: the names of the general program's BoolParams). Compiler messages
    // go to *log under the heading "where"; null when it does not compile or link. paramIndex names the
    // parameter of a uniform.
    static std::unique_ptr<EffectProgram>
    Compile(const EffectFileSource& file, const EffectPassSource& pass,
            const std::vector<std::pair<std::string, std::string>>& macros, const EffectVariant* variant,
            const std::vector<std::string>& boolNames, const std::string& where, std::string* log,
            const std::function<int(const std::string&)>& paramIndex);
    ~EffectProgram();
    EffectProgram(const EffectProgram&) = delete;
    EffectProgram& operator=(const EffectProgram&) = delete;

    unsigned Name() const { return m_Program; }
    // The parameters behind the program's single bool uniforms: (parameter, name).
    const std::vector<std::pair<int, std::string>>& BoolParams() const { return m_BoolParams; }

    // The pass's blend, depth and cull state (its own, else the device's) and the device's fog and lights
    // into the built-ins: everything when always, else only when the device's state changed.
    void ApplyState(const EffectPassState& pass, const BridgeFixedState& device, bool always);
    // The committed values of parameters whose version changed since they were uploaded; samplers every time.
    void UploadParams(const std::vector<EffectParam>& params);

  private:
    EffectProgram() = default;
    void FindUniforms(const std::function<int(const std::string&)>& paramIndex);
    void UploadBuiltins(const BridgeFixedState& s);

    struct Uniform {
        int param;
        int location;
        unsigned type;
        int count;
        int unit;              // texture unit of a sampler
        unsigned uploaded = 0; // parameter version last uploaded
    };
    struct Builtins {
        int fogEnable, fogMode, fogColor, fogParams, ambient, yFlip;
        int lightEnable[2], lightType[2], diffuse[2], specular[2], lightAmbient[2], position[2], direction[2],
            attenuation[2];
    };

    unsigned m_Program = 0;
    std::vector<Uniform> m_Uniforms;
    std::vector<std::pair<int, std::string>> m_BoolParams;
    Builtins m_Builtins{};
    BridgeFixedState m_LastState{};
    bool m_StateUploaded = false;
};
