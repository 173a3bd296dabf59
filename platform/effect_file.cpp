#include "effect_file.h"

#include "d3d9types.h"

#include <cstdio>
#include <sstream>

namespace {

// The built-ins a specialised program may have as constants instead (see effect_program.h).
const char* const kSpecialisableBuiltins = R"GLSL(
uniform bool bw_FogEnable;
uniform int bw_FogMode;
uniform bool bw_LightEnable[2];
uniform int bw_LightType[2];
)GLSL";

const char* const kPrelude = R"GLSL(
uniform vec4 bw_FogColor;
uniform vec3 bw_FogParams;
uniform vec4 bw_Ambient;
uniform vec4 bw_LightDiffuse[2];
uniform vec4 bw_LightSpecular[2];
uniform vec4 bw_LightAmbient[2];
uniform vec3 bw_LightPosition[2];
uniform vec3 bw_LightDirection[2];
uniform vec4 bw_LightAttenuation[2];
uniform float bw_YFlip;
vec4 bw_ToClip(vec4 d3dClip) {
    return vec4(d3dClip.x, d3dClip.y * bw_YFlip, 2.0 * d3dClip.z - d3dClip.w, d3dClip.w);
}
float bw_FogFactor(float eyeDepth) {
    if (!bw_FogEnable) return 1.0;
    float d = max(eyeDepth, 0.0);
    if (bw_FogMode == 3) {
        float range = bw_FogParams.y - bw_FogParams.x;
        if (range <= 0.0) return d < bw_FogParams.y ? 1.0 : 0.0;
        return clamp((bw_FogParams.y - d) / range, 0.0, 1.0);
    }
    if (bw_FogMode == 1) return clamp(exp(-bw_FogParams.z * d), 0.0, 1.0);
    if (bw_FogMode == 2) return clamp(exp(-(bw_FogParams.z * d) * (bw_FogParams.z * d)), 0.0, 1.0);
    return 1.0;
}
)GLSL";

const char* const kVertexInputs = R"GLSL(
layout(location = 0) in vec3 inPosition;
layout(location = 1) in vec3 inNormal;
layout(location = 2) in vec2 inTexCoord;
layout(location = 3) in vec4 inColor;
)GLSL";

std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return std::string();
    size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

std::vector<std::string> Words(const std::string& s) {
    std::istringstream in(s);
    std::vector<std::string> w;
    std::string t;
    while (in >> t)
        w.push_back(t);
    return w;
}

int BlendFactor(const std::string& name) {
    static const char* const names[] = {"zero",      "one",         "srccolor",  "invsrccolor",
                                        "srcalpha",  "invsrcalpha", "destalpha", "invdestalpha",
                                        "destcolor", "invdestcolor"};
    for (int i = 0; i < 10; ++i)
        if (name == names[i]) return D3DBLEND_ZERO + i;
    return 0;
}

// on / off / inherit
bool Switch(const std::string& v, int* out) {
    if (v == "on")
        *out = 1;
    else if (v == "off")
        *out = 0;
    else if (v == "inherit")
        *out = kEffectInherit;
    else
        return false;
    return true;
}

bool ParseState(const std::vector<std::string>& words, EffectPassState* st, std::string* why) {
    for (size_t i = 1; i < words.size(); ++i) {
        size_t eq = words[i].find('=');
        if (eq == std::string::npos) {
            *why = "state entries are key=value, not '" + words[i] + "'";
            return false;
        }
        std::string key = words[i].substr(0, eq), value = words[i].substr(eq + 1);
        bool ok = true;
        if (key == "blend") {
            size_t comma = value.find(',');
            if (comma != std::string::npos) {
                st->srcBlend = BlendFactor(value.substr(0, comma));
                st->destBlend = BlendFactor(value.substr(comma + 1));
                st->blend = 1;
                ok = st->srcBlend != 0 && st->destBlend != 0;
            } else {
                ok = (value == "off" || value == "inherit") && Switch(value, &st->blend);
            }
        } else if (key == "zwrite") {
            ok = Switch(value, &st->zwrite);
        } else if (key == "ztest") {
            ok = Switch(value, &st->ztest);
        } else if (key == "cull") {
            if (value == "none")
                st->cull = D3DCULL_NONE;
            else if (value == "cw")
                st->cull = D3DCULL_CW;
            else if (value == "ccw")
                st->cull = D3DCULL_CCW;
            else if (value == "inherit")
                st->cull = kEffectInherit;
            else
                ok = false;
        } else {
            *why = "unknown state '" + key + "'";
            return false;
        }
        if (!ok) {
            why->assign("bad value '").append(value).append("' for state '").append(key).append("'");
            return false;
        }
    }
    return true;
}

// The lines of a text, without their line ends.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string l;
    while (std::getline(in, l)) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        lines.push_back(l);
    }
    return lines;
}

// One effect file read line by line into out: the technique and the pass that the lines go to. Each step
// returns the reason a line is refused, or nothing.
class EffectParser {
  public:
    EffectParser(const std::vector<std::string>& lines, EffectFileSource* out) : m_Lines(lines), m_Out(out) {}

    // Line i (a code block moves i to its closing line).
    std::string Line(size_t& i) {
        std::string t = Trim(m_Lines[i]);
        if (t.empty() || t[0] == '#' || t.compare(0, 2, "//") == 0) return std::string();
        std::vector<std::string> w = Words(t);
        const std::string& key = w[0];
        if (w.back() == "{{") return CodeBlock(w, i);
        if (key == "technique") return Technique(w);
        if (key == "pass") return Pass(w, int(i) + 1);
        if (key == "bounds") return Bounds(w);
        if (key == "state") return State(w);
        return "unknown line '" + t + "'";
    }

    // After the last line.
    std::string Finish() const {
        if (PassIncomplete()) return "the last pass lacks vertex or fragment code";
        if (m_Out->techniques.empty()) return "the file declares no technique";
        for (const EffectTechniqueSource& tq : m_Out->techniques)
            if (tq.passes.empty()) return "technique '" + tq.name + "' has no pass";
        return std::string();
    }

  private:
    bool PassIncomplete() const { return m_Pass && (!m_Pass->hasVertex || !m_Pass->hasFragment); }

    std::string CodeBlock(const std::vector<std::string>& w, size_t& i) {
        const std::string& key = w[0];
        if (w.size() != 2 || (key != "common" && key != "vertex" && key != "fragment"))
            return "a code block opens with 'common {{', 'vertex {{' or 'fragment {{'";
        EffectCode code;
        code.line = int(i) + 2;
        size_t j = i + 1;
        for (; j < m_Lines.size() && Trim(m_Lines[j]) != "}}"; ++j)
            code.text += m_Lines[j] + "\n";
        if (j >= m_Lines.size()) return "the code block is not closed by a line '}}'";
        i = j;
        if (key == "common") {
            m_Out->common.push_back(code);
            return std::string();
        }
        if (!m_Pass) return "'" + key + "' code belongs inside a pass";
        bool& has = key == "vertex" ? m_Pass->hasVertex : m_Pass->hasFragment;
        if (has) return "the pass already has " + key + " code";
        has = true;
        (key == "vertex" ? m_Pass->vertex : m_Pass->fragment) = code;
        return std::string();
    }

    std::string Technique(const std::vector<std::string>& w) {
        if (w.size() != 2) return "'technique' takes one name";
        if (PassIncomplete()) return "the previous pass lacks vertex or fragment code";
        for (const EffectTechniqueSource& other : m_Out->techniques)
            if (other.name == w[1]) return "technique '" + w[1] + "' is declared twice";
        m_Out->techniques.emplace_back();
        m_Out->techniques.back().name = w[1];
        m_Tech = &m_Out->techniques.back();
        m_Pass = nullptr;
        return std::string();
    }

    std::string Pass(const std::vector<std::string>& w, int lineNo) {
        if (!m_Tech) return "a pass belongs inside a technique";
        if (PassIncomplete()) return "the previous pass lacks vertex or fragment code";
        std::string expected = std::to_string(m_Tech->passes.size());
        if (w.size() != 2 || w[1] != expected)
            return "passes are numbered in order; expected 'pass " + expected + "'";
        m_Tech->passes.emplace_back();
        m_Pass = &m_Tech->passes.back();
        m_Pass->line = lineNo;
        return std::string();
    }

    std::string Bounds(const std::vector<std::string>& w) {
        if (!m_Tech) return "'bounds' belongs inside a technique";
        if (w.size() != 3) return "'bounds' takes the world and the view-projection parameter";
        if (!m_Tech->boundsWorld.empty()) return "the technique already has its bounds";
        m_Tech->boundsWorld = w[1];
        m_Tech->boundsViewProj = w[2];
        return std::string();
    }

    std::string State(const std::vector<std::string>& w) {
        if (!m_Pass) return "'state' belongs inside a pass";
        std::string why;
        if (!ParseState(w, &m_Pass->state, &why)) return why;
        return std::string();
    }

    const std::vector<std::string>& m_Lines;
    EffectFileSource* m_Out;
    EffectTechniqueSource* m_Tech = nullptr;
    EffectPassSource* m_Pass = nullptr;
};

} // namespace

bool ParseEffectFile(const std::string& text, const std::string& path, EffectFileSource* out,
                     std::string* error) {
    *out = EffectFileSource();
    const std::vector<std::string> lines = SplitLines(text);
    auto fail = [&](size_t lineNo, const std::string& why) {
        *error = path + "(" + std::to_string(lineNo) + "): error: " + why + "\n";
        return false;
    };
    EffectParser parser(lines, out);
    for (size_t i = 0; i < lines.size(); ++i) {
        const size_t lineNo = i + 1; // a code block's errors name its opening line
        const std::string why = parser.Line(i);
        if (!why.empty()) return fail(lineNo, why);
    }
    const std::string why = parser.Finish();
    if (!why.empty()) return fail(lines.size(), why);
    return true;
}

namespace {

// The code with each line "uniform bool NAME;" of a given name made "const bool NAME = value;".
std::string WithBoolConstants(const std::string& code,
                              const std::vector<std::pair<std::string, bool>>* bools) {
    if (!bools || bools->empty()) return code;
    std::istringstream in(code);
    std::string out;
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> w = Words(Trim(line));
        if (w.size() == 3 && w[0] == "uniform" && w[1] == "bool" && w[2].size() > 1 && w[2].back() == ';') {
            const std::string name = w[2].substr(0, w[2].size() - 1);
            for (const auto& b : *bools)
                if (b.first == name) line = "const bool " + name + (b.second ? " = true;" : " = false;");
        }
        out += line + "\n";
    }
    return out;
}

} // namespace

std::string BuildStageSource(const EffectFileSource& file, const EffectCode& code, bool vertexStage,
                             const std::vector<std::pair<std::string, std::string>>& macros,
                             const char* builtinConstants,
                             const std::vector<std::pair<std::string, bool>>* boolConstants) {
    std::string s = "#version 330 core\n";
    s += vertexStage ? "#define BW_VERTEX 1\n" : "#define BW_FRAGMENT 1\n";
    for (const auto& m : macros)
        s += "#define " + m.first + " " + m.second + "\n";
    if (vertexStage) s += kVertexInputs;
    s += builtinConstants ? builtinConstants : kSpecialisableBuiltins;
    s += kPrelude;
    for (const EffectCode& c : file.common)
        s += "#line " + std::to_string(c.line) + " 0\n" + WithBoolConstants(c.text, boolConstants);
    s += "#line " + std::to_string(code.line) + " 0\n" + WithBoolConstants(code.text, boolConstants);
    return s;
}
