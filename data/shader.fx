# Brinewisp mesh effect: technique "RenderScene", passes 0 to 8, GLSL 330 core.
#
# Format (full description in docs/effect-format.md):
#   - Outside code blocks, lines starting with '#' or '//' are comments and blank lines are ignored.
#   - "common {{" ... "}}"     GLSL put before the code of every stage of every pass, in file order.
#   - "technique NAME"          starts a technique; its passes follow.
#   - "pass N"                  starts pass N; passes are numbered 0, 1, 2... in order.
#   - "state key=value ..."     the pass's render state; keys left out are inherited from the device:
#                                 blend=off | srcfactor,dstfactor   (zero one srccolor invsrccolor srcalpha
#                                        invsrcalpha destalpha invdestalpha destcolor invdestcolor)
#                                 zwrite=on|off   ztest=on|off   cull=none|cw|ccw   (any of them =inherit)
#   - "vertex {{" / "fragment {{" ... "}}"   the pass's stage code; a block ends at a line holding only "}}".
#   The loader puts before every stage "#version 330 core", BW_VERTEX or BW_FRAGMENT, the vertex inputs
#   (inPosition, inNormal, inTexCoord, inColor at locations 0 to 3), the device's fog and lights 0 and 1
#   (bw_* uniforms) and the helpers bw_ToClip(d3dClip) and bw_FogFactor(eyeDepth).
#   Matrices arrive as D3DX writes them: a point is a row vector, vec4(p, 1) * g_mWorld.

common {{
// Parameters set by the program.
uniform mat4 g_mView;
uniform mat4 g_mProj;
uniform mat4 g_mWorldViewProjection; // view x projection: the world matrix is applied here
uniform mat4 g_mWorld;
uniform sampler2D g_Texture;
uniform vec4 g_Diffuse;
uniform bool texture_flg;
uniform vec4 g_FreeColor;

vec3 SafeNormalize(vec3 v) {
    float len = length(v);
    return len > 1e-6 ? v / len : vec3(0.0);
}

// Ambient and diffuse light at world position pos with normal n from the device's lights 0 and 1
// (directional, or point with range and attenuation). wrap > 0 lets light reach round the shadow side for
// a softer look.
vec3 LightAt(vec3 pos, vec3 n, float wrap) {
    vec3 sum = bw_Ambient.rgb;
    for (int i = 0; i < 2; ++i) {
        if (!bw_LightEnable[i]) continue;
        vec3 l;
        float att = 1.0;
        if (bw_LightType[i] == 3) {
            l = -SafeNormalize(bw_LightDirection[i]);
        } else {
            vec3 d = bw_LightPosition[i] - pos;
            float dist = length(d);
            if (dist > bw_LightAttenuation[i].w) continue;
            l = d / max(dist, 1e-4);
            vec3 a = bw_LightAttenuation[i].xyz;
            float den = a.x + a.y * dist + a.z * dist * dist;
            att = den > 0.0 ? min(1.0 / den, 1.0) : 1.0;
        }
        float ndl = dot(n, l);
        ndl = wrap > 0.0 ? clamp((ndl + wrap) / (1.0 + wrap), 0.0, 1.0) : max(ndl, 0.0);
        sum += (bw_LightAmbient[i].rgb + bw_LightDiffuse[i].rgb * ndl) * att;
    }
    return sum;
}

// Light, rim and fog are worked out per vertex and blended across each face: the meshes are smooth and
// finely divided, and a pixel shader costs a software rasteriser far more than a vertex shader.
#ifdef BW_VERTEX
out vec2 vTexCoord;
out vec3 vLight; // LitVertex's light
out float vRim;  // 0 where the surface faces the camera, towards 1 at its silhouette
out float vFog;  // 1 no fog ... 0 all fog

vec3 gWorldPos;
vec3 gWorldNormal;

void StandardVertex() {
    vec4 world = vec4(inPosition, 1.0) * g_mWorld;
    gWorldPos = world.xyz;
    gWorldNormal = (vec4(inNormal, 0.0) * g_mWorld).xyz;
    vec3 eyePos = (world * g_mView).xyz;
    vec3 eyeNormal = (vec4(gWorldNormal, 0.0) * g_mView).xyz;
    vTexCoord = inTexCoord;
    vRim = pow(1.0 - abs(dot(SafeNormalize(eyeNormal), SafeNormalize(-eyePos))), 2.0);
    vFog = bw_FogFactor(eyePos.z);
    vLight = vec3(0.0);
    gl_Position = bw_ToClip(world * g_mWorldViewProjection);
}

// StandardVertex, lit with the given wrap.
void LitVertex(float wrap) {
    StandardVertex();
    vLight = LightAt(gWorldPos, SafeNormalize(gWorldNormal), wrap);
}
#endif

#ifdef BW_FRAGMENT
in vec2 vTexCoord;
in vec3 vLight;
in float vRim;
in float vFog;
out vec4 FragColor;

// The material's colour: its diffuse colour, times its texture when it has one.
vec4 BaseColor() {
    vec4 c = g_Diffuse;
    if (texture_flg) c *= texture(g_Texture, vTexCoord);
    return c;
}

vec3 Light() { return vLight; }
float Rim() { return vRim; }
float FogFactor() { return vFog; }
vec3 Fog(vec3 rgb) { return mix(bw_FogColor.rgb, rgb, vFog); }
#endif
}}

technique RenderScene
# Every pass places a vertex at p x g_mWorld x g_mWorldViewProjection, so meshes out of view are skipped.
bounds g_mWorld g_mWorldViewProjection

# 0: solid meshes (rocks, pearls, starfish, bubbles, squid, percula, football, stars...): texture x diffuse,
#    lit by light 0 and light 1, fogged.
pass 0
state blend=srcalpha,invsrcalpha zwrite=on ztest=on
vertex {{
void main() { LitVertex(0.0); }
}}
fragment {{
void main() {
    vec4 base = BaseColor();
    vec3 lit = base.rgb * Light();
    FragColor = vec4(Fog(lit), base.a);
}
}}

# 1: the jellyfish body, luminous so that the player finds itself at a glance on sand, rock or in the red
#    fog: its own light (a core from the light blob the bell carries as its texture, a bright rim) over a
#    softly shaded body, tinted by g_FreeColor (white, magenta astray, red when hit); g_FreeColor's alpha
#    fades it. Depth is written so that the shadow drawn after it stays beneath it.
pass 1
state blend=srcalpha,invsrcalpha zwrite=on ztest=on
vertex {{
void main() { LitVertex(0.6); }
}}
fragment {{
void main() {
    vec3 tint = g_FreeColor.rgb;
    float core = texture_flg ? texture(g_Texture, vTexCoord).a : 0.0;
    float rim = Rim();
    vec3 body = g_Diffuse.rgb * tint * (0.55 + 0.3 * Light());
    vec3 glow = mix(tint, vec3(1.0), 0.3);
    vec3 lit = body + glow * (0.5 * core * core + 0.75 * rim);
    float alpha = clamp(g_Diffuse.a * g_FreeColor.a + 0.2 * rim + 0.15 * core, 0.0, 1.0);
    // Its own light carries further through the water than reflected light.
    FragColor = vec4(mix(bw_FogColor.rgb, lit, sqrt(FogFactor())), alpha);
}
}}

# 2: coral: lit, a little emissive.
pass 2
state blend=srcalpha,invsrcalpha zwrite=on ztest=on
vertex {{
void main() { LitVertex(0.2); }
}}
fragment {{
void main() {
    vec4 base = BaseColor();
    vec3 lit = base.rgb * (Light() + 0.25);
    FragColor = vec4(Fog(lit), base.a);
}
}}

# 3: shots, sprays and the heal column: a glowing droplet that reads on bright sand as well as on dark rock.
#    Blended as premultiplied colour: a near-white core that covers what is behind it and a rim in the
#    shot's colour (g_FreeColor) that covers half of it, each adding its light. g_FreeColor's alpha (at most
#    about 0.35 for a fresh shot) sets the strength: a shot keeps most of it until late in its life.
pass 3
state blend=one,invsrcalpha zwrite=off ztest=on
vertex {{
void main() { StandardVertex(); }
}}
fragment {{
void main() {
    vec3 tint = g_Diffuse.rgb * g_FreeColor.rgb;
    float core = texture_flg ? texture(g_Texture, vTexCoord).a : 1.0 - Rim();
    float strength = (1.0 - exp(-8.0 * g_FreeColor.a)) * FogFactor();
    vec3 glow = mix(tint * 0.55, mix(tint, vec3(1.0), 0.55), core) * (0.8 + 0.6 * core);
    float cover = 0.55 + 0.35 * core;
    FragColor = vec4(glow * strength, cover * strength);
}
}}

# 4: the football's lure: a pulsing glow, warm white at its heart, tinted and faded by g_FreeColor (alpha
#    0.5 to 1), premultiplied as pass 3 so that its heart covers the water behind it.
pass 4
state blend=one,invsrcalpha zwrite=off ztest=on
vertex {{
void main() { StandardVertex(); }
}}
fragment {{
void main() {
    vec3 tint = g_Diffuse.rgb * g_FreeColor.rgb;
    float core = texture_flg ? texture(g_Texture, vTexCoord).a : 1.0 - Rim();
    float strength = g_FreeColor.a * FogFactor();
    vec3 glow = mix(tint * vec3(1.0, 0.8, 0.45), vec3(1.0, 1.0, 0.9), core) * (0.7 + 0.8 * core);
    FragColor = vec4(glow * strength, (0.25 + 0.6 * core) * strength);
}
}}

# 5: ivy: lit with soft wrap, tinted by g_FreeColor (it darkens as it wilts).
pass 5
state blend=srcalpha,invsrcalpha zwrite=on ztest=on
vertex {{
void main() { LitVertex(0.3); }
}}
fragment {{
void main() {
    vec4 base = BaseColor() * g_FreeColor;
    vec3 lit = base.rgb * Light();
    FragColor = vec4(Fog(lit), base.a);
}
}}

# 6: the anemone in a stage: soft wrapped light, a faint glow at the edges.
pass 6
state blend=srcalpha,invsrcalpha zwrite=on ztest=on
vertex {{
void main() { LitVertex(0.6); }
}}
fragment {{
void main() {
    vec4 base = BaseColor();
    vec3 lit = base.rgb * (Light() + 0.1) + base.rgb * Rim() * 0.2;
    FragColor = vec4(Fog(lit), base.a);
}
}}

# 7: the flower's shells: translucent, tinted by g_FreeColor, whose alpha adds to the shell's opacity.
pass 7
state blend=srcalpha,invsrcalpha zwrite=off ztest=on
vertex {{
void main() { LitVertex(0.5); }
}}
fragment {{
void main() {
    vec4 base = BaseColor();
    float rim = Rim();
    vec3 tint = g_FreeColor.rgb;
    vec3 lit = base.rgb * tint * Light() + tint * rim * 0.4;
    float alpha = clamp(base.a * (0.3 + 0.5 * rim) + g_FreeColor.a, 0.0, 1.0);
    FragColor = vec4(Fog(lit), alpha);
}
}}

# 8: petals and small flowers: tinted by g_FreeColor, softly lit, a touch of glow.
pass 8
state blend=srcalpha,invsrcalpha zwrite=on ztest=on
vertex {{
void main() { LitVertex(0.4); }
}}
fragment {{
void main() {
    vec4 base = BaseColor() * g_FreeColor;
    vec3 lit = base.rgb * (Light() + 0.15);
    FragColor = vec4(Fog(lit), base.a);
}
}}
