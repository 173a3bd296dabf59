// The device's drawing half: vertex conversion, batching, scenes, clears, presenting and back-buffer reads,
// and the interface the mesh and effect layer draws through.
#include "d3d9device.h"

#include "d3d9texture.h"
#include "gl_renderer.h"
#include "image_io.h"

#include <cmath>
#include <cstring>

namespace {

// A batch this long is drawn at once rather than grown further.
constexpr size_t kMaxBatchVertices = size_t(1) << 18;

UINT VertexCount(D3DPRIMITIVETYPE type, UINT primitives) {
    switch (type) {
    case D3DPT_POINTLIST:
        return primitives;
    case D3DPT_LINELIST:
        return primitives * 2;
    case D3DPT_LINESTRIP:
        return primitives + 1;
    case D3DPT_TRIANGLELIST:
        return primitives * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN:
        return primitives + 2;
    }
    return 0;
}

GpuTopology TopologyOf(D3DPRIMITIVETYPE type) {
    if (type == D3DPT_POINTLIST) return kTopologyPoints;
    if (type == D3DPT_LINELIST || type == D3DPT_LINESTRIP) return kTopologyLines;
    return kTopologyTriangles;
}

} // namespace

// ---- Batch state ----

void D3D9Device::BuildKey(DrawKey& key) const {
    std::memset(&key, 0, sizeof key);
    const auto& rs = m_RenderState;
    const auto& st = m_Stage[0];
    const auto& sa = m_Sampler[0];
    key.hasTexture = m_Textures[0] ? 1 : 0;
    key.raster = CurrentRasterState();
    key.alphaFunc = rs[D3DRS_ALPHATESTENABLE] ? rs[D3DRS_ALPHAFUNC] : DWORD(D3DCMP_ALWAYS);
    key.alphaRef = rs[D3DRS_ALPHATESTENABLE] ? (rs[D3DRS_ALPHAREF] & 0xFF) : 0;
    key.colorOp = st[D3DTSS_COLOROP];
    key.colorArg1 = st[D3DTSS_COLORARG1];
    key.colorArg2 = st[D3DTSS_COLORARG2];
    key.alphaOp = st[D3DTSS_ALPHAOP];
    key.alphaArg1 = st[D3DTSS_ALPHAARG1];
    key.alphaArg2 = st[D3DTSS_ALPHAARG2];
    key.textureFactor = rs[D3DRS_TEXTUREFACTOR];
    if (key.hasTexture) {
        key.magFilter = sa[D3DSAMP_MAGFILTER];
        key.minFilter = sa[D3DSAMP_MINFILTER];
        key.mipFilter = sa[D3DSAMP_MIPFILTER];
        key.addressU = sa[D3DSAMP_ADDRESSU];
        key.addressV = sa[D3DSAMP_ADDRESSV];
    }
    gldevice::FogParams fog = CurrentFog();
    if (fog.enabled) {
        key.fogMode = fog.mode;
        key.fogColor = rs[D3DRS_FOGCOLOR];
        key.fogStart = fog.start;
        key.fogEnd = fog.end;
        key.fogDensity = fog.density;
    }
    if (rs[D3DRS_LIGHTING]) {
        key.lighting = 1;
        key.globalAmbient = rs[D3DRS_AMBIENT];
        bool vertexColor = CurrentLayout().diffuse >= 0 && rs[D3DRS_COLORVERTEX];
        key.diffuseFromVertex = vertexColor && rs[D3DRS_DIFFUSEMATERIALSOURCE] == D3DMCS_COLOR1;
        key.ambientFromVertex = vertexColor && rs[D3DRS_AMBIENTMATERIALSOURCE] == D3DMCS_COLOR1;
        key.emissiveFromVertex = vertexColor && rs[D3DRS_EMISSIVEMATERIALSOURCE] == D3DMCS_COLOR1;
        key.material = m_Material;
        for (DWORD i = 0; i < m_Lights.size() && key.lightCount < 8; ++i) {
            if (!m_Lights[i].enabled) continue;
            gldevice::LightParams p = CurrentLight(i);
            const D3DLIGHT9& l = p.light;
            GpuLight& g = key.lights[key.lightCount++];
            g.type = float(l.Type);
            g.ambient[0] = l.Ambient.r, g.ambient[1] = l.Ambient.g, g.ambient[2] = l.Ambient.b;
            g.position[0] = l.Position.x, g.position[1] = l.Position.y, g.position[2] = l.Position.z;
            g.range = l.Range;
            g.direction[0] = l.Direction.x, g.direction[1] = l.Direction.y, g.direction[2] = l.Direction.z;
            g.falloff = l.Falloff;
            g.attenuation[0] = l.Attenuation0, g.attenuation[1] = l.Attenuation1,
            g.attenuation[2] = l.Attenuation2;
            g.cosHalfTheta = std::cos(l.Theta * 0.5f);
            g.cosHalfPhi = std::cos(l.Phi * 0.5f);
        }
    }
    key.view = m_LowTransform[D3DTS_VIEW];
    key.projection = m_LowTransform[D3DTS_PROJECTION];
    key.viewport = m_Viewport;
}

void D3D9Device::RebuildKey() {
    DrawKey key;
    BuildKey(key);
    key.topology = 0;
    if (std::memcmp(&key, &m_Key, sizeof key) != 0) {
        m_Key = key;
        ++m_KeyVersion;
    }
    m_KeyDirty = false;
}

void D3D9Device::BeginBatch(const DrawKey& key, IDirect3DTexture9* texture) {
    m_BatchKey = key;
    if (texture) texture->AddRef();
    if (m_BatchTexture) m_BatchTexture->Release();
    m_BatchTexture = texture;
}

void D3D9Device::Flush() {
    if (PendingVertices() > 0) {
        if (m_Renderer) {
            m_Renderer->MakeCurrent();
            m_Renderer->Draw(m_BatchKey, m_BatchTexture, m_Batch.data(), m_Batch.size());
            if (m_BatchKey.topology == kTopologyTriangles) m_TriangleCount += UINT(m_Batch.size() / 3);
        }
        ++m_BatchCount;
        m_Batch.clear();
        m_RecordedVertices = 0;
    }
    if (m_BatchTexture) m_BatchTexture->Release(), m_BatchTexture = nullptr;
    m_BatchMatchesKey = false;
}

void D3D9Device::OnTextureChanging(const IDirect3DTexture9* texture) {
    if (texture && texture == m_BatchTexture) Flush();
}

// ---- Drawing ----

void D3D9Device::LogDraw(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride,
                         UINT count) {
    DeviceCall& c = Log("DrawPrimitiveUP");
    c.a = type, c.b = primitiveCount, c.c = stride;
    c.ptr = m_Textures[0];
    c.matrix = m_WorldTransform[0];
    if (vertices) {
        const uint8_t* p = static_cast<const uint8_t*>(vertices);
        c.data.assign(p, p + size_t(count) * stride);
    }
}

void D3D9Device::PrepareBatch(GpuTopology topology) {
    // Start a new batch unless the pending one was made under exactly this state.
    if (m_BatchMatchesKey && m_BatchKey.topology == topology) return;
    if (m_KeyDirty) RebuildKey();
    if (PendingVertices() == 0 || m_BatchTexture != m_Textures[0] || m_BatchKeyVersion != m_KeyVersion ||
        m_BatchKey.topology != topology) {
        Flush();
        BeginBatch(m_Key, m_Textures[0]);
        m_BatchKey.topology = topology;
        m_BatchKeyVersion = m_KeyVersion;
    }
    m_BatchMatchesKey = true;
}

void D3D9Device::TransformToScratch(const void* vertices, UINT count, UINT stride,
                                    const VertexLayout& layout) {
    const D3DMATRIX& w = m_WorldTransform[0];
    bool affine = w._14 == 0.0f && w._24 == 0.0f && w._34 == 0.0f && w._44 == 1.0f;
    m_Scratch.resize(count);
    const uint8_t* src = static_cast<const uint8_t*>(vertices);
    for (UINT i = 0; i < count; ++i, src += stride) {
        float p[3];
        std::memcpy(p, src + layout.position, sizeof p);
        GpuVertex& v = m_Scratch[i];
        v.x = p[0] * w._11 + p[1] * w._21 + p[2] * w._31 + w._41;
        v.y = p[0] * w._12 + p[1] * w._22 + p[2] * w._32 + w._42;
        v.z = p[0] * w._13 + p[1] * w._23 + p[2] * w._33 + w._43;
        if (!affine) {
            float h = p[0] * w._14 + p[1] * w._24 + p[2] * w._34 + w._44;
            if (h != 0.0f) v.x /= h, v.y /= h, v.z /= h;
        }
        if (layout.diffuse >= 0)
            std::memcpy(&v.color, src + layout.diffuse, 4);
        else
            v.color = 0xFFFFFFFF;
        if (layout.texCoord >= 0) {
            float uv[2];
            std::memcpy(uv, src + layout.texCoord, sizeof uv);
            v.u = uv[0], v.v = uv[1];
        } else {
            v.u = v.v = 0.0f;
        }
    }
}

void D3D9Device::AppendScratchAsList(D3DPRIMITIVETYPE type, UINT primitiveCount, UINT count) {
    const GpuVertex* in = m_Scratch.data();
    switch (type) {
    case D3DPT_TRIANGLEFAN:
        for (UINT i = 0; i < primitiveCount; ++i) {
            m_Batch.push_back(in[0]);
            m_Batch.push_back(in[i + 1]);
            m_Batch.push_back(in[i + 2]);
        }
        break;
    case D3DPT_TRIANGLESTRIP:
        for (UINT i = 0; i < primitiveCount; ++i) {
            // Odd triangles swap their first two vertices so that every triangle keeps the strip's winding.
            m_Batch.push_back(in[i + (i & 1)]);
            m_Batch.push_back(in[i + 1 - (i & 1)]);
            m_Batch.push_back(in[i + 2]);
        }
        break;
    case D3DPT_LINESTRIP:
        for (UINT i = 0; i < primitiveCount; ++i) {
            m_Batch.push_back(in[i]);
            m_Batch.push_back(in[i + 1]);
        }
        break;
    default:
        m_Batch.insert(m_Batch.end(), in, in + count);
        break;
    }
}

HRESULT D3D9Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                                    UINT stride) {
    UINT count = VertexCount(type, primitiveCount);
    if (Logging()) LogDraw(type, primitiveCount, vertices, stride, count);
    if (!vertices || primitiveCount == 0 || count == 0 || stride == 0) return D3DERR_INVALIDCALL;
    VertexLayout layout = CurrentLayout();
    if (layout.position < 0) return D3DERR_INVALIDCALL;
    PrepareBatch(TopologyOf(type));

    // A recording device draws nothing: it only counts what a batch would hold.
    if (!m_Renderer) {
        UINT appended = type == D3DPT_TRIANGLEFAN || type == D3DPT_TRIANGLESTRIP ? primitiveCount * 3
                        : type == D3DPT_LINESTRIP                                ? primitiveCount * 2
                                                                                 : count;
        m_RecordedVertices += appended;
        if (m_RecordedVertices >= kMaxBatchVertices) Flush();
        return D3D_OK;
    }
    // Vertices to world space, then appended as a list.
    TransformToScratch(vertices, count, stride, layout);
    AppendScratchAsList(type, primitiveCount, count);
    if (m_Batch.size() >= kMaxBatchVertices) Flush();
    return D3D_OK;
}

void D3D9Device::DrawSpriteQuad(IDirect3DTexture9* texture, const GpuVertex corners[4], bool alphaBlend,
                                D3DCOLOR color) {
    if (Logging()) {
        DeviceCall& c = Log("SpriteDraw");
        c.ptr = texture, c.b = color;
        const uint8_t* p = reinterpret_cast<const uint8_t*>(corners);
        c.data.assign(p, p + 4 * sizeof(GpuVertex));
    }
    DrawKey key;
    std::memset(&key, 0, sizeof key);
    key.topology = kTopologyTriangles;
    key.hasTexture = texture ? 1 : 0;
    if (alphaBlend) {
        key.raster.blendEnable = 1;
        key.raster.srcBlend = key.raster.srcBlendAlpha = D3DBLEND_SRCALPHA;
        key.raster.dstBlend = key.raster.dstBlendAlpha = D3DBLEND_INVSRCALPHA;
        key.raster.blendOp = key.raster.blendOpAlpha = D3DBLENDOP_ADD;
        key.alphaFunc = D3DCMP_GREATER; // as D3DX: fully transparent texels write nothing
    } else {
        key.alphaFunc = D3DCMP_ALWAYS;
    }
    key.raster.zFunc = D3DCMP_ALWAYS;
    key.raster.cullMode = D3DCULL_NONE;
    key.raster.colorWrite = 0xF;
    key.raster.fillMode = D3DFILL_SOLID;
    key.colorOp = key.alphaOp = D3DTOP_MODULATE;
    key.colorArg1 = key.alphaArg1 = D3DTA_TEXTURE;
    key.colorArg2 = key.alphaArg2 = D3DTA_DIFFUSE;
    key.textureFactor = 0xFFFFFFFF;
    if (texture) {
        key.magFilter = key.minFilter = key.mipFilter = D3DTEXF_LINEAR;
        key.addressU = key.addressV = D3DTADDRESS_CLAMP;
    }
    // Pixels of the viewport to clip space: x right, y down.
    const D3DVIEWPORT9& vp = m_Viewport;
    key.view._11 = key.view._22 = key.view._33 = key.view._44 = 1.0f;
    key.projection._11 = 2.0f / float(vp.Width);
    key.projection._22 = -2.0f / float(vp.Height);
    key.projection._33 = 1.0f;
    key.projection._41 = -1.0f - 2.0f * float(vp.X) / float(vp.Width);
    key.projection._42 = 1.0f + 2.0f * float(vp.Y) / float(vp.Height);
    key.projection._44 = 1.0f;
    key.viewport = vp;

    // A blended sprite of colour alpha 0 has alpha 0 in every pixel, which the alpha test drops, and it
    // writes no depth: it changes nothing (the fade overlay is drawn so every frame while no fade runs).
    if (alphaBlend && (color >> 24) == 0) return;

    if (PendingVertices() == 0 || m_BatchTexture != texture || m_BatchKeyVersion != 0 ||
        std::memcmp(&key, &m_BatchKey, sizeof key) != 0) {
        Flush();
        BeginBatch(key, texture);
        m_BatchKeyVersion = 0;
    }
    m_BatchMatchesKey = false;
    if (!m_Renderer) {
        m_RecordedVertices += 6;
        return;
    }
    static const int order[6] = {0, 1, 2, 0, 2, 3};
    for (int i : order)
        m_Batch.push_back(corners[i]);
}

// ---- Scenes, clears and presenting ----

HRESULT D3D9Device::Clear(DWORD count, const void* rects, DWORD flags, D3DCOLOR color, float z,
                          DWORD stencil) {
    (void)stencil;
    if (Logging()) {
        DeviceCall& c = Log("Clear");
        c.a = flags, c.b = color, c.z = z;
    }
    if ((count && !rects) || !(flags & (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)))
        return D3DERR_INVALIDCALL;
    Flush();
    if (m_Renderer) {
        m_Renderer->MakeCurrent();
        m_Renderer->Clear(flags, color, z, static_cast<const RECT*>(rects), count, m_Viewport);
    }
    return D3D_OK;
}

HRESULT D3D9Device::BeginScene() {
    if (Logging()) Log("BeginScene");
    if (m_InScene) return D3DERR_INVALIDCALL;
    m_InScene = true;
    // The back buffer changes its scale only here, between one frame's present and the next one's drawing.
    if (m_Renderer) {
        Flush();
        m_Renderer->BeginFrame();
    }
    return D3D_OK;
}

HRESULT D3D9Device::EndScene() {
    if (Logging()) Log("EndScene");
    if (!m_InScene) return D3DERR_INVALIDCALL;
    Flush();
    m_InScene = false;
    return D3D_OK;
}

HRESULT D3D9Device::Present(const RECT* src, const RECT* dst, HWND overrideWindow, const void* dirty) {
    (void)src, (void)dst, (void)overrideWindow, (void)dirty;
    if (Logging()) Log("Present");
    Flush();
    if (m_Renderer) {
        m_Renderer->MakeCurrent();
        m_Renderer->Present();
    }
    ++m_PresentCount;
    return D3D_OK;
}

bool D3D9Device::ReadBackBuffer(std::vector<uint8_t>& rgba) {
    if (!m_Renderer) return false;
    Flush();
    m_Renderer->MakeCurrent();
    m_Renderer->ReadBackBuffer(rgba);
    return true;
}

bool D3D9Device::SaveBackBuffer(const char* pngPath, d3d9debug::ShotKind kind) {
    if (!pngPath || !m_Renderer) return false;
    Flush();
    m_Renderer->MakeCurrent();
    std::vector<uint8_t> rgba;
    int w = int(m_Renderer->Width()), h = int(m_Renderer->Height());
    if (kind == d3d9debug::ShotKind::Native)
        m_Renderer->ReadNativeBackBuffer(rgba, w, h);
    else if (kind == d3d9debug::ShotKind::Window)
        m_Renderer->ReadWindow(rgba, w, h);
    else
        m_Renderer->ReadBackBuffer(rgba);
    return WritePngRgba(pngPath, w, h, rgba.data());
}

float D3D9Device::BackBufferScale() const {
    return m_Renderer ? m_Renderer->Scale() : 1.0f;
}

// ---- The interface of the mesh and effect layer ----

namespace gldevice {

void Flush(IDirect3DDevice9* device) {
    if (device) AsDevice(device)->Flush();
}

void MakeCurrent(IDirect3DDevice9* device) {
    if (device && AsDevice(device)->Renderer()) AsDevice(device)->Renderer()->MakeCurrent();
}

bool BeginExternalDraw(IDirect3DDevice9* device) {
    if (!device) return false;
    D3D9Device* d = AsDevice(device);
    d->Flush();
    GlRenderer* r = d->Renderer();
    if (!r) return false;
    r->MakeCurrent();
    r->BindBackBuffer(d->Viewport());
    return true;
}

void EndExternalDraw(IDirect3DDevice9* device) {
    if (device && AsDevice(device)->Renderer()) AsDevice(device)->Renderer()->InvalidateBindings();
}

RasterState CurrentRasterState(IDirect3DDevice9* device) {
    return AsDevice(device)->CurrentRasterState();
}

void ApplyRasterState(IDirect3DDevice9* device, const RasterState& state) {
    if (GlRenderer* r = AsDevice(device)->Renderer()) r->ApplyRaster(state);
}

unsigned BindTexture0(IDirect3DDevice9* device, IDirect3DTexture9* texture) {
    D3D9Device* d = AsDevice(device);
    GlRenderer* r = d->Renderer();
    if (!r) return 0;
    return r->BindTexture0(texture, d->Sampler0(D3DSAMP_MAGFILTER), d->Sampler0(D3DSAMP_MINFILTER),
                           d->Sampler0(D3DSAMP_MIPFILTER), d->Sampler0(D3DSAMP_ADDRESSU),
                           d->Sampler0(D3DSAMP_ADDRESSV));
}

FogParams CurrentFog(IDirect3DDevice9* device) {
    return AsDevice(device)->CurrentFog();
}

LightParams CurrentLight(IDirect3DDevice9* device, DWORD index) {
    return AsDevice(device)->CurrentLight(index);
}

D3DMATRIX CurrentTransform(IDirect3DDevice9* device, D3DTRANSFORMSTATETYPE which) {
    return AsDevice(device)->Transform(which);
}

void CountExternalDraw(IDirect3DDevice9* device) {
    if (device) AsDevice(device)->CountExternalDraw();
}

void CountExternalTriangles(IDirect3DDevice9* device, UINT triangles) {
    if (device) AsDevice(device)->CountExternalTriangles(triangles);
}

} // namespace gldevice
