// The Direct3D object, device creation and the device's CPU-side state and call log.
#include "d3d9device.h"

#include "d3d9texture.h"
#include "gl_renderer.h"
#include "picture_size.h"
#include "sdl_window.h"
#include "windows.h"

#include <SDL.h>

#include <cmath>
#include <cstring>

namespace {

Direct3DTestHooks g_Hooks;

DWORD FloatBits(float f) {
    DWORD d;
    std::memcpy(&d, &f, sizeof d);
    return d;
}

float BitsFloat(DWORD d) {
    float f;
    std::memcpy(&f, &d, sizeof f);
    return f;
}

D3DMATRIX Identity() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

D3DFORMAT FormatOfBits(int bits) {
    if (bits == 16) return D3DFMT_R5G6B5;
    if (bits == 15) return D3DFMT_X1R5G5B5;
    return D3DFMT_X8R8G8B8;
}

void DesktopMode(D3DDISPLAYMODE* mode) {
    mode->Width = kPictureWidth; // without video: a desktop of the picture's size
    mode->Height = kPictureHeight;
    mode->RefreshRate = 60;
    mode->Format = D3DFMT_X8R8G8B8;
    SDL_DisplayMode dm;
    if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetDesktopDisplayMode(0, &dm) == 0) {
        mode->Width = UINT(dm.w);
        mode->Height = UINT(dm.h);
        mode->RefreshRate = UINT(dm.refresh_rate);
        mode->Format = FormatOfBits(int(SDL_BITSPERPIXEL(dm.format)));
    }
}

class VertexDeclaration final : public IDirect3DVertexDeclaration9 {
  public:
    explicit VertexDeclaration(const D3DVERTEXELEMENT9* elements) {
        for (; elements->Stream != 0xFF; ++elements)
            m_Elements.push_back(*elements);
    }
    HRESULT GetDeclaration(D3DVERTEXELEMENT9* elements, UINT* count) override {
        if (!count) return D3DERR_INVALIDCALL;
        *count = UINT(m_Elements.size() + 1);
        if (elements) {
            for (size_t i = 0; i < m_Elements.size(); ++i)
                elements[i] = m_Elements[i];
            elements[m_Elements.size()] = D3DVERTEXELEMENT9 D3DDECL_END();
        }
        return D3D_OK;
    }
    const std::vector<D3DVERTEXELEMENT9>& Elements() const { return m_Elements; }

  private:
    std::vector<D3DVERTEXELEMENT9> m_Elements;
};

class Direct3D9 final : public IDirect3D9 {
  public:
    UINT GetAdapterCount() override { return 1; }
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override {
        if (adapter != 0 || !mode) return D3DERR_INVALIDCALL;
        DesktopMode(mode);
        return D3D_OK;
    }
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                         D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device) override {
        g_Hooks.attempts.emplace_back(type, behaviorFlags);
        if (!device) return D3DERR_INVALIDCALL;
        *device = nullptr;
        if (adapter != 0 || !params || (type != D3DDEVTYPE_HAL && type != D3DDEVTYPE_REF))
            return D3DERR_INVALIDCALL;
        if (g_Hooks.failDeviceAttempts > 0) {
            --g_Hooks.failDeviceAttempts;
            return D3DERR_NOTAVAILABLE;
        }
        std::shared_ptr<GlRenderer> renderer;
        if (SDL_Window* window = PlatformSdlWindow(focusWindow)) {
            std::string error;
            UINT w = params->BackBufferWidth ? params->BackBufferWidth : kPictureWidth;
            UINT h = params->BackBufferHeight ? params->BackBufferHeight : kPictureHeight;
            // The depth buffer has the precision the game asked for: with 16 bits, shadows that overlap at
            // the same height store the same depth and blend evenly; a finer buffer keeps the rounding
            // differences of their planes and stripes them.
            UINT depthBits = !params->EnableAutoDepthStencil                ? 0
                             : params->AutoDepthStencilFormat == D3DFMT_D16 ? 16
                                                                            : 24;
            renderer = GlRenderer::Create(window, w, h, depthBits, &error);
            if (!renderer) {
                // The game's error box names what is missing; SDL's debug log has the details.
                SDL_LogDebug(SDL_LOG_CATEGORY_RENDER, "CreateDevice: %s", error.c_str());
                return D3DERR_NOTAVAILABLE;
            }
        }
        // A full-screen device takes the whole display, as Direct3D does with its focus window.
        if (renderer && !params->Windowed) PlatformSetFullScreen(focusWindow, TRUE);
        D3D9Device* created = new D3D9Device(this, *params, std::move(renderer));
        if (g_Hooks.logNewDevices) created->EnableCallLog(true);
        *device = created;
        return D3D_OK;
    }
};

} // namespace

Direct3DTestHooks& Direct3DTestHooksForTest() {
    return g_Hooks;
}

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
    if (g_Hooks.failCreate || sdkVersion != D3D_SDK_VERSION) return nullptr;
    return new Direct3D9();
}

// ---- Construction and default state ----

D3D9Device::D3D9Device(IDirect3D9* parent, const D3DPRESENT_PARAMETERS& params,
                       std::shared_ptr<GlRenderer> renderer)
    : m_Parent(parent), m_Self(std::make_shared<D3D9Device*>(this)), m_Params(params),
      m_Renderer(std::move(renderer)) {
    m_Parent->AddRef();
    if (!m_Params.BackBufferWidth) m_Params.BackBufferWidth = kPictureWidth;
    if (!m_Params.BackBufferHeight) m_Params.BackBufferHeight = kPictureHeight;
    SetDefaultStates(m_Params);
    m_Batch.reserve(4096);
    if (m_Renderer) {
        m_Renderer->BindBackBuffer(m_Viewport);
        m_Renderer->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, nullptr, 0, m_Viewport);
    }
}

D3D9Device::~D3D9Device() {
    Flush();
    for (IDirect3DTexture9*& t : m_Textures)
        if (t) t->Release(), t = nullptr;
    if (m_Decl) m_Decl->Release();
    *m_Self = nullptr;
    m_Renderer.reset();
    m_Parent->Release();
}

void D3D9Device::SetDefaultStates(const D3DPRESENT_PARAMETERS& params) {
    auto& rs = m_RenderState;
    rs.fill(0);
    rs[D3DRS_ZENABLE] = params.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
    rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    rs[D3DRS_ZWRITEENABLE] = TRUE;
    rs[D3DRS_LASTPIXEL] = TRUE;
    rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_FOGEND] = FloatBits(1.0f);
    rs[D3DRS_FOGDENSITY] = FloatBits(1.0f);
    rs[D3DRS_STENCILFAIL] = rs[D3DRS_STENCILZFAIL] = rs[D3DRS_STENCILPASS] = 1; // D3DSTENCILOP_KEEP
    rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_STENCILMASK] = rs[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFF;
    rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
    rs[D3DRS_CLIPPING] = TRUE;
    rs[D3DRS_LIGHTING] = TRUE;
    rs[D3DRS_COLORVERTEX] = TRUE;
    rs[D3DRS_LOCALVIEWER] = TRUE;
    rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    rs[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
    rs[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
    rs[D3DRS_POINTSIZE] = FloatBits(1.0f);
    rs[D3DRS_POINTSIZE_MIN] = FloatBits(1.0f);
    rs[D3DRS_POINTSIZE_MAX] = FloatBits(64.0f);
    rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
    rs[D3DRS_MULTISAMPLEMASK] = 0xFFFFFFFF;
    rs[D3DRS_COLORWRITEENABLE] = 0xF;
    rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    rs[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
    rs[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;

    for (DWORD s = 0; s < m_Stage.size(); ++s) {
        auto& st = m_Stage[s];
        st.fill(0);
        st[D3DTSS_COLOROP] = s == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        st[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        st[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        st[D3DTSS_ALPHAOP] = s == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        st[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        st[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        st[D3DTSS_TEXCOORDINDEX] = s;
        st[D3DTSS_COLORARG0] = st[D3DTSS_ALPHAARG0] = st[D3DTSS_RESULTARG] = D3DTA_CURRENT;
    }
    for (auto& sa : m_Sampler) {
        sa.fill(0);
        sa[D3DSAMP_ADDRESSU] = sa[D3DSAMP_ADDRESSV] = sa[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        sa[D3DSAMP_MAGFILTER] = sa[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        sa[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        sa[D3DSAMP_MAXANISOTROPY] = 1;
    }
    m_LowTransform.fill(Identity());
    m_WorldTransform.fill(Identity());
    m_Viewport = {0, 0, params.BackBufferWidth, params.BackBufferHeight, 0.0f, 1.0f};
    MarkDirty();
}

// ---- Call log ----

void D3D9Device::EnableCallLog(bool enable) {
    m_LogEnabled = enable;
    m_Log.clear();
}

DeviceCall& D3D9Device::Log(const char* method) {
    m_Log.emplace_back();
    m_Log.back().method = method;
    return m_Log.back();
}

// ---- Render, stage and sampler states ----

HRESULT D3D9Device::GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) {
    if (swapChain != 0 || !mode) return D3DERR_INVALIDCALL;
    DesktopMode(mode);
    mode->Width = m_Params.BackBufferWidth;
    mode->Height = m_Params.BackBufferHeight;
    return D3D_OK;
}

HRESULT D3D9Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (Logging()) {
        DeviceCall& c = Log("SetRenderState");
        c.a = state, c.b = value;
    }
    if (unsigned(state) >= m_RenderState.size()) return D3DERR_INVALIDCALL;
    if (m_RenderState[state] != value) {
        m_RenderState[state] = value;
        MarkDirty();
    }
    return D3D_OK;
}

HRESULT D3D9Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
    if (unsigned(state) >= m_RenderState.size() || !value) return D3DERR_INVALIDCALL;
    *value = m_RenderState[state];
    return D3D_OK;
}

HRESULT D3D9Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    if (Logging()) {
        DeviceCall& c = Log("SetTextureStageState");
        c.a = stage, c.b = type, c.c = value;
    }
    if (stage >= m_Stage.size() || unsigned(type) >= m_Stage[0].size()) return D3DERR_INVALIDCALL;
    if (m_Stage[stage][type] != value) {
        m_Stage[stage][type] = value;
        if (stage == 0) MarkDirty();
    }
    return D3D_OK;
}

HRESULT D3D9Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
    if (stage >= m_Stage.size() || unsigned(type) >= m_Stage[0].size() || !value) return D3DERR_INVALIDCALL;
    *value = m_Stage[stage][type];
    return D3D_OK;
}

HRESULT D3D9Device::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    if (Logging()) {
        DeviceCall& c = Log("SetSamplerState");
        c.a = sampler, c.b = type, c.c = value;
    }
    if (sampler >= m_Sampler.size() || unsigned(type) >= m_Sampler[0].size()) return D3DERR_INVALIDCALL;
    if (m_Sampler[sampler][type] != value) {
        m_Sampler[sampler][type] = value;
        if (sampler == 0) MarkDirty();
    }
    return D3D_OK;
}

HRESULT D3D9Device::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) {
    if (sampler >= m_Sampler.size() || unsigned(type) >= m_Sampler[0].size() || !value)
        return D3DERR_INVALIDCALL;
    *value = m_Sampler[sampler][type];
    return D3D_OK;
}

// ---- Transforms ----

const D3DMATRIX& D3D9Device::Transform(D3DTRANSFORMSTATETYPE which) const {
    unsigned t = unsigned(which);
    if (t >= 256 && t < 512) return m_WorldTransform[t - 256];
    if (t < m_LowTransform.size()) return m_LowTransform[t];
    static const D3DMATRIX identity = Identity();
    return identity;
}

HRESULT D3D9Device::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    if (Logging()) {
        DeviceCall& c = Log("SetTransform");
        c.a = state;
        if (matrix) c.matrix = *matrix;
    }
    unsigned t = unsigned(state);
    if (!matrix || !((t >= 256 && t < 512) || t < m_LowTransform.size())) return D3DERR_INVALIDCALL;
    D3DMATRIX& slot = const_cast<D3DMATRIX&>(Transform(state));
    // The world matrix is applied to vertices on the CPU, so only the others can change a batch.
    if ((state == D3DTS_VIEW || state == D3DTS_PROJECTION) && std::memcmp(&slot, matrix, sizeof slot) != 0)
        MarkDirty();
    slot = *matrix;
    return D3D_OK;
}

HRESULT D3D9Device::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    unsigned t = unsigned(state);
    if (!matrix || !((t >= 256 && t < 512) || t < m_LowTransform.size())) return D3DERR_INVALIDCALL;
    *matrix = Transform(state);
    return D3D_OK;
}

// ---- Lights and material ----

HRESULT D3D9Device::SetLight(DWORD index, const D3DLIGHT9* light) {
    if (Logging()) {
        DeviceCall& c = Log("SetLight");
        c.a = index;
        if (light) c.light = *light;
    }
    if (!light || light->Type < D3DLIGHT_POINT || light->Type > D3DLIGHT_DIRECTIONAL)
        return D3DERR_INVALIDCALL;
    if (index >= 4096) return D3DERR_INVALIDCALL;
    if (index >= m_Lights.size()) m_Lights.resize(index + 1);
    m_Lights[index].set = true;
    m_Lights[index].light = *light;
    if (m_Lights[index].enabled) MarkDirty();
    return D3D_OK;
}

HRESULT D3D9Device::GetLight(DWORD index, D3DLIGHT9* light) {
    if (!light || index >= m_Lights.size() || !m_Lights[index].set) return D3DERR_INVALIDCALL;
    *light = m_Lights[index].light;
    return D3D_OK;
}

HRESULT D3D9Device::LightEnable(DWORD index, BOOL enable) {
    if (Logging()) {
        DeviceCall& c = Log("LightEnable");
        c.a = index, c.b = DWORD(enable);
    }
    if (index >= 4096) return D3DERR_INVALIDCALL;
    if (index >= m_Lights.size()) m_Lights.resize(index + 1);
    LightSlot& slot = m_Lights[index];
    if (!slot.set) {
        // Enabling a light that was never set gives it the default: white, directional, along +z.
        slot.set = true;
        slot.light = D3DLIGHT9{};
        slot.light.Type = D3DLIGHT_DIRECTIONAL;
        slot.light.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
        slot.light.Direction = {0.0f, 0.0f, 1.0f};
    }
    if (slot.enabled != (enable != FALSE)) {
        slot.enabled = enable != FALSE;
        MarkDirty();
    }
    return D3D_OK;
}

HRESULT D3D9Device::GetLightEnable(DWORD index, BOOL* enable) {
    if (!enable || index >= m_Lights.size() || !m_Lights[index].set) return D3DERR_INVALIDCALL;
    *enable = m_Lights[index].enabled ? TRUE : FALSE;
    return D3D_OK;
}

HRESULT D3D9Device::SetMaterial(const D3DMATERIAL9* material) {
    if (Logging()) {
        DeviceCall& c = Log("SetMaterial");
        if (material) c.material = *material;
    }
    if (!material) return D3DERR_INVALIDCALL;
    if (std::memcmp(&m_Material, material, sizeof m_Material) != 0) {
        m_Material = *material;
        MarkDirty();
    }
    return D3D_OK;
}

HRESULT D3D9Device::GetMaterial(D3DMATERIAL9* material) {
    if (!material) return D3DERR_INVALIDCALL;
    *material = m_Material;
    return D3D_OK;
}

// ---- Vertex formats ----

HRESULT D3D9Device::SetFVF(DWORD fvf) {
    if (Logging()) Log("SetFVF").a = fvf;
    if (m_Fvf == fvf && !m_Decl) return D3D_OK;
    MarkDirty();
    m_Fvf = fvf;
    if (m_Decl) m_Decl->Release(), m_Decl = nullptr;
    m_Layout = ComputeLayout();
    return D3D_OK;
}

HRESULT D3D9Device::GetFVF(DWORD* fvf) {
    if (!fvf) return D3DERR_INVALIDCALL;
    *fvf = m_Fvf;
    return D3D_OK;
}

HRESULT D3D9Device::CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                            IDirect3DVertexDeclaration9** decl) {
    if (!elements || !decl) return D3DERR_INVALIDCALL;
    *decl = new VertexDeclaration(elements);
    return D3D_OK;
}

HRESULT D3D9Device::SetVertexDeclaration(IDirect3DVertexDeclaration9* decl) {
    if (Logging()) Log("SetVertexDeclaration").ptr = decl;
    if (decl) decl->AddRef();
    if (m_Decl) m_Decl->Release();
    m_Decl = decl;
    m_Fvf = 0; // a declaration replaces the FVF, as in Direct3D
    m_Layout = ComputeLayout();
    MarkDirty();
    return D3D_OK;
}

HRESULT D3D9Device::GetVertexDeclaration(IDirect3DVertexDeclaration9** decl) {
    if (!decl) return D3DERR_INVALIDCALL;
    *decl = m_Decl;
    if (m_Decl) m_Decl->AddRef();
    return D3D_OK;
}

D3D9Device::VertexLayout D3D9Device::ComputeLayout() const {
    VertexLayout layout;
    if (m_Decl) {
        for (const D3DVERTEXELEMENT9& e : static_cast<VertexDeclaration*>(m_Decl)->Elements()) {
            if (e.Stream != 0) continue;
            if (e.Usage == D3DDECLUSAGE_POSITION && e.UsageIndex == 0 && e.Type == D3DDECLTYPE_FLOAT3)
                layout.position = e.Offset;
            else if (e.Usage == D3DDECLUSAGE_COLOR && e.UsageIndex == 0 && e.Type == D3DDECLTYPE_D3DCOLOR)
                layout.diffuse = e.Offset;
            else if (e.Usage == D3DDECLUSAGE_TEXCOORD && e.UsageIndex == 0 && e.Type == D3DDECLTYPE_FLOAT2)
                layout.texCoord = e.Offset;
        }
        return layout;
    }
    int offset = 0;
    if ((m_Fvf & 0x00E) == D3DFVF_XYZ) layout.position = 0, offset = 12;
    if (m_Fvf & D3DFVF_NORMAL) offset += 12;
    if (m_Fvf & 0x020) offset += 4; // point size
    if (m_Fvf & D3DFVF_DIFFUSE) layout.diffuse = offset, offset += 4;
    if (m_Fvf & 0x080) offset += 4; // specular
    if ((m_Fvf & 0xF00) >= D3DFVF_TEX1) layout.texCoord = offset;
    return layout;
}

// ---- Textures ----

HRESULT D3D9Device::SetTexture(DWORD stage, IDirect3DTexture9* texture) {
    if (Logging()) {
        DeviceCall& c = Log("SetTexture");
        c.a = stage, c.ptr = texture;
    }
    if (stage >= m_Textures.size()) return D3DERR_INVALIDCALL;
    if (m_Textures[stage] == texture) return D3D_OK;
    // The key holds only whether there is a texture; the batch compares the texture itself.
    if (stage == 0 && (m_Textures[0] != nullptr) != (texture != nullptr))
        MarkDirty();
    else if (stage == 0)
        m_BatchMatchesKey = false;
    if (texture) texture->AddRef();
    if (m_Textures[stage]) m_Textures[stage]->Release();
    m_Textures[stage] = texture;
    return D3D_OK;
}

HRESULT D3D9Device::GetTexture(DWORD stage, IDirect3DTexture9** texture) {
    if (stage >= m_Textures.size() || !texture) return D3DERR_INVALIDCALL;
    *texture = m_Textures[stage];
    if (*texture) (*texture)->AddRef();
    return D3D_OK;
}

HRESULT D3D9Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                  D3DPOOL pool, IDirect3DTexture9** texture, void* sharedHandle) {
    (void)sharedHandle;
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (width == 0 || height == 0 || width > 8192 || height > 8192) return D3DERR_INVALIDCALL;
    if (format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8) return D3DERR_INVALIDCALL;
    if (levels == 0) {
        UINT size = width > height ? width : height;
        for (levels = 1; size > 1; size >>= 1)
            ++levels;
    }
    *texture = new D3D9Texture(m_Self, m_Renderer, width, height, levels, format, pool, usage);
    return D3D_OK;
}

// ---- Viewport ----

HRESULT D3D9Device::GetViewport(D3DVIEWPORT9* viewport) {
    if (!viewport) return D3DERR_INVALIDCALL;
    *viewport = m_Viewport;
    return D3D_OK;
}

HRESULT D3D9Device::SetViewport(const D3DVIEWPORT9* viewport) {
    if (Logging() && viewport) {
        DeviceCall& c = Log("SetViewport");
        c.a = viewport->X, c.b = viewport->Y, c.c = viewport->Width;
    }
    if (!viewport || viewport->X + viewport->Width > m_Params.BackBufferWidth ||
        viewport->Y + viewport->Height > m_Params.BackBufferHeight)
        return D3DERR_INVALIDCALL;
    m_Viewport = *viewport;
    MarkDirty();
    return D3D_OK;
}

// ---- Readers for the mesh and effect layer ----

gldevice::RasterState D3D9Device::CurrentRasterState() const {
    const auto& rs = m_RenderState;
    gldevice::RasterState r;
    r.blendEnable = rs[D3DRS_ALPHABLENDENABLE] ? 1 : 0;
    r.srcBlend = rs[D3DRS_SRCBLEND];
    r.dstBlend = rs[D3DRS_DESTBLEND];
    r.blendOp = rs[D3DRS_BLENDOP];
    r.separateAlpha = rs[D3DRS_SEPARATEALPHABLENDENABLE] ? 1 : 0;
    r.srcBlendAlpha = r.separateAlpha ? rs[D3DRS_SRCBLENDALPHA] : r.srcBlend;
    r.dstBlendAlpha = r.separateAlpha ? rs[D3DRS_DESTBLENDALPHA] : r.dstBlend;
    r.blendOpAlpha = r.separateAlpha ? rs[D3DRS_BLENDOPALPHA] : r.blendOp;
    if (!r.blendEnable)
        r.srcBlend = r.dstBlend = r.blendOp = r.srcBlendAlpha = r.dstBlendAlpha = r.blendOpAlpha = 0;
    r.zEnable = rs[D3DRS_ZENABLE] ? 1 : 0;
    r.zWrite = rs[D3DRS_ZWRITEENABLE] ? 1 : 0;
    r.zFunc = rs[D3DRS_ZFUNC];
    r.cullMode = rs[D3DRS_CULLMODE];
    r.colorWrite = rs[D3DRS_COLORWRITEENABLE] & 0xF;
    r.fillMode = rs[D3DRS_FILLMODE];
    return r;
}

gldevice::FogParams D3D9Device::CurrentFog() const {
    const auto& rs = m_RenderState;
    gldevice::FogParams f{};
    DWORD mode = rs[D3DRS_FOGTABLEMODE] != D3DFOG_NONE ? rs[D3DRS_FOGTABLEMODE] : rs[D3DRS_FOGVERTEXMODE];
    f.enabled = rs[D3DRS_FOGENABLE] && mode != D3DFOG_NONE && mode <= D3DFOG_LINEAR;
    f.mode = f.enabled ? D3DFOGMODE(mode) : D3DFOG_NONE;
    D3DCOLOR c = rs[D3DRS_FOGCOLOR];
    f.color[0] = float((c >> 16) & 0xFF) / 255.0f;
    f.color[1] = float((c >> 8) & 0xFF) / 255.0f;
    f.color[2] = float(c & 0xFF) / 255.0f;
    f.color[3] = float(c >> 24) / 255.0f;
    f.start = BitsFloat(rs[D3DRS_FOGSTART]);
    f.end = BitsFloat(rs[D3DRS_FOGEND]);
    f.density = BitsFloat(rs[D3DRS_FOGDENSITY]);
    return f;
}

gldevice::LightParams D3D9Device::CurrentLight(DWORD index) const {
    gldevice::LightParams p{};
    if (index >= m_Lights.size() || !m_Lights[index].set) return p;
    p.enabled = m_Lights[index].enabled;
    p.light = m_Lights[index].light;
    D3DVECTOR& d = p.light.Direction;
    float len = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    if (p.light.Type != D3DLIGHT_POINT && len > 0.0f) d.x /= len, d.y /= len, d.z /= len;
    return p;
}
