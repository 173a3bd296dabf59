// The device behind IDirect3DDevice9: CPU-side state, the call log and the draw batcher. Platform-internal.
//
// Every DrawPrimitiveUP is turned into world-space triangles (lines, points) on the CPU and appended to one
// pending batch. The batch carries a DrawKey: everything besides the world matrix that decides how its
// vertices look. A draw whose key differs from the batch's flushes the batch first; Clear, EndScene,
// Present, back-buffer reads and external GL draws flush too.
#pragma once

#include "d3d9.h"
#include "d3d9debug.h"
#include "gl_device_internal.h"

#include <array>
#include <memory>
#include <vector>

class GlRenderer;
class D3D9Texture;

// One vertex as the GL backend receives it: position (world space, or back-buffer pixels for sprites),
// D3DCOLOR, texture coordinate.
struct GpuVertex {
    float x, y, z;
    uint32_t color;
    float u, v;
};
static_assert(sizeof(GpuVertex) == 24, "GpuVertex must stay 24 bytes");

enum GpuTopology : uint32_t { kTopologyTriangles = 0, kTopologyLines = 1, kTopologyPoints = 2 };

// One light as the shader reads it (only its ambient part counts: the game's vertices carry no normals).
struct GpuLight {
    float type;
    float ambient[3];
    float position[3];
    float range;
    float direction[3];
    float falloff;
    float attenuation[3];
    float cosHalfTheta, cosHalfPhi;
};

// Everything but the texture object and the world matrix that decides how a batch is drawn. Only 4-byte
// fields, so it has no padding and compares bytewise. Fields that do not matter (fog while fog is off,
// lighting while lighting is off) are left zero so that they never split a batch.
struct DrawKey {
    uint32_t topology;
    uint32_t hasTexture;
    gldevice::RasterState raster;
    uint32_t alphaFunc, alphaRef; // alphaFunc D3DCMP_ALWAYS when the alpha test is off
    uint32_t colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2, textureFactor;
    uint32_t magFilter, minFilter, mipFilter, addressU, addressV;
    uint32_t fogMode, fogColor;
    float fogStart, fogEnd, fogDensity;
    uint32_t lighting, globalAmbient, lightCount;
    uint32_t diffuseFromVertex, ambientFromVertex, emissiveFromVertex;
    D3DMATERIAL9 material;
    GpuLight lights[8];
    D3DMATRIX view, projection;
    D3DVIEWPORT9 viewport;
};

class D3D9Device final : public IDirect3DDevice9 {
  public:
    D3D9Device(IDirect3D9* parent, const D3DPRESENT_PARAMETERS& params, std::shared_ptr<GlRenderer> renderer);
    ~D3D9Device() override;

    HRESULT TestCooperativeLevel() override { return D3D_OK; }
    HRESULT GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
    HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT SetLight(DWORD index, const D3DLIGHT9* light) override;
    HRESULT GetLight(DWORD index, D3DLIGHT9* light) override;
    HRESULT LightEnable(DWORD index, BOOL enable) override;
    HRESULT GetLightEnable(DWORD index, BOOL* enable) override;
    HRESULT SetMaterial(const D3DMATERIAL9* material) override;
    HRESULT GetMaterial(D3DMATERIAL9* material) override;
    HRESULT SetFVF(DWORD fvf) override;
    HRESULT GetFVF(DWORD* fvf) override;
    HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                    IDirect3DVertexDeclaration9** decl) override;
    HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9* decl) override;
    HRESULT GetVertexDeclaration(IDirect3DVertexDeclaration9** decl) override;
    HRESULT SetTexture(DWORD stage, IDirect3DTexture9* texture) override;
    HRESULT GetTexture(DWORD stage, IDirect3DTexture9** texture) override;
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture9** texture, void* sharedHandle) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                            UINT stride) override;
    HRESULT Clear(DWORD count, const void* rects, DWORD flags, D3DCOLOR color, float z,
                  DWORD stencil) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Present(const RECT* src, const RECT* dst, HWND overrideWindow, const void* dirty) override;
    HRESULT GetViewport(D3DVIEWPORT9* viewport) override;
    HRESULT SetViewport(const D3DVIEWPORT9* viewport) override;

    // ---- Beyond Direct3D 9 (d3d9debug.h) ----
    bool IsDrawing() const { return m_Renderer != nullptr; }
    void EnableCallLog(bool enable);
    bool CallLogEnabled() const { return m_LogEnabled; }
    const std::vector<DeviceCall>& CallLog() const { return m_Log; }
    void ClearCallLog() { m_Log.clear(); }
    bool ReadBackBuffer(std::vector<uint8_t>& rgba);
    bool SaveBackBuffer(const char* pngPath, d3d9debug::ShotKind kind);
    float BackBufferScale() const;
    UINT BatchCount() const { return m_BatchCount; }
    UINT PresentCount() const { return m_PresentCount; }
    UINT TriangleCount() const { return m_TriangleCount; }

    // ---- Platform-internal ----
    GlRenderer* Renderer() const { return m_Renderer.get(); }
    // Draws the pending batch, if any.
    void Flush();
    // Queues one screen-space sprite quad (corners in the order top-left, top-right, bottom-right,
    // bottom-left) with the sprite's fixed state; the device's own render state is neither read nor changed.
    void DrawSpriteQuad(IDirect3DTexture9* texture, const GpuVertex corners[4], bool alphaBlend,
                        D3DCOLOR color);
    // Called by a texture before its pixels change, so that queued draws still see the old pixels.
    void OnTextureChanging(const IDirect3DTexture9* texture);
    void CountExternalDraw() { ++m_BatchCount; }
    void CountExternalTriangles(UINT triangles) { m_TriangleCount += triangles; }
    gldevice::RasterState CurrentRasterState() const;
    gldevice::FogParams CurrentFog() const;
    gldevice::LightParams CurrentLight(DWORD index) const;
    const D3DMATRIX& Transform(D3DTRANSFORMSTATETYPE which) const;
    DWORD Sampler0(D3DSAMPLERSTATETYPE type) const { return m_Sampler[0][type]; }
    const D3DVIEWPORT9& Viewport() const { return m_Viewport; }

  private:
    struct LightSlot {
        bool set = false;
        bool enabled = false;
        D3DLIGHT9 light{};
    };
    struct VertexLayout {
        int position = -1, diffuse = -1, texCoord = -1; // byte offsets, -1 when absent
    };

    bool Logging() const { return m_LogEnabled; }
    DeviceCall& Log(const char* method);
    void MarkDirty() {
        m_KeyDirty = true;
        m_BatchMatchesKey = false;
    }
    void BuildKey(DrawKey& key) const;
    // m_Key from the current state; m_KeyVersion moves on only when that changed m_Key.
    void RebuildKey();
    VertexLayout CurrentLayout() const { return m_Layout; }
    VertexLayout ComputeLayout() const;
    void BeginBatch(const DrawKey& key, IDirect3DTexture9* texture);
    // The parts of DrawPrimitiveUP: its call log entry; the pending batch made ready for a draw of this
    // topology under the current state; the vertices in world space in m_Scratch; and m_Scratch appended
    // to the batch as a plain list of triangles, lines or points.
    void LogDraw(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride, UINT count);
    void PrepareBatch(GpuTopology topology);
    void TransformToScratch(const void* vertices, UINT count, UINT stride, const VertexLayout& layout);
    void AppendScratchAsList(D3DPRIMITIVETYPE type, UINT primitiveCount, UINT count);
    // Vertices in the pending batch (on a recording device they are counted, not kept).
    size_t PendingVertices() const { return m_Renderer ? m_Batch.size() : m_RecordedVertices; }
    void SetDefaultStates(const D3DPRESENT_PARAMETERS& params);

    IDirect3D9* m_Parent;
    std::shared_ptr<D3D9Device*> m_Self; // shared with the device's textures; null once the device is gone
    D3DPRESENT_PARAMETERS m_Params;
    std::shared_ptr<GlRenderer> m_Renderer;

    std::array<DWORD, D3DRS_MAX_STATE> m_RenderState{};
    std::array<std::array<DWORD, 33>, 8> m_Stage{};
    std::array<std::array<DWORD, 14>, 16> m_Sampler{};
    std::array<D3DMATRIX, 32> m_LowTransform{};    // view, projection, texture 0..7
    std::array<D3DMATRIX, 256> m_WorldTransform{}; // world 0..255
    std::vector<LightSlot> m_Lights;
    D3DMATERIAL9 m_Material{};
    DWORD m_Fvf = 0;
    IDirect3DVertexDeclaration9* m_Decl = nullptr;
    VertexLayout m_Layout; // of m_Fvf or m_Decl
    std::array<IDirect3DTexture9*, 8> m_Textures{};
    D3DVIEWPORT9 m_Viewport{};
    bool m_InScene = false;

    bool m_LogEnabled = false;
    std::vector<DeviceCall> m_Log;

    // Batching.
    DrawKey m_Key{}; // built from the current state when m_KeyDirty (its topology left 0)
    bool m_KeyDirty = true;
    uint32_t m_KeyVersion = 1;      // changes whenever m_Key does
    bool m_BatchMatchesKey = false; // the pending batch was started with m_Key and nothing changed since
    DrawKey m_BatchKey{};
    uint32_t m_BatchKeyVersion = 0; // m_KeyVersion the pending batch was started with; 0 for sprites
    size_t m_RecordedVertices = 0;
    IDirect3DTexture9* m_BatchTexture = nullptr; // holds a reference while the batch is pending
    std::vector<GpuVertex> m_Batch;
    std::vector<GpuVertex> m_Scratch;
    UINT m_BatchCount = 0;
    UINT m_PresentCount = 0;
    UINT m_TriangleCount = 0;
};

// The device's class behind an interface pointer (null for null).
inline D3D9Device* AsDevice(IDirect3DDevice9* device) {
    return static_cast<D3D9Device*>(device);
}
