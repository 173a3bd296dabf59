// The texture behind IDirect3DTexture9: CPU pixels, plus a GL texture on a drawing device. Platform-internal.
#pragma once

#include "d3d9.h"

#include <memory>
#include <vector>

class GlRenderer;
class D3D9Device;

class D3D9Texture final : public IDirect3DTexture9 {
  public:
    // device points at the owning device while it lives (null afterwards). renderer is null on a recording
    // device; then no GL object is ever made.
    D3D9Texture(std::shared_ptr<D3D9Device*> device, std::shared_ptr<GlRenderer> renderer, UINT width,
                UINT height, UINT levels, D3DFORMAT format, D3DPOOL pool, DWORD usage);
    ~D3D9Texture() override;

    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    DWORD GetLevelCount() override { return m_Levels; }
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;
    HRESULT GetDevice(IDirect3DDevice9** device) override;
    UINT Width() const override { return m_Width; }
    UINT Height() const override { return m_Height; }
    const std::vector<uint8_t>& Pixels() const override { return m_Pixels; }

    // ---- Platform-internal ----
    // Writable pixels for loaders; call PixelsChanged afterwards.
    std::vector<uint8_t>& MutablePixels() { return m_Pixels; }
    void PixelsChanged();
    bool BelongsTo(const GlRenderer* renderer) const { return renderer && m_Renderer.get() == renderer; }
    // The GL texture, created or re-uploaded when the pixels changed (context must be current).
    unsigned GlName();
    // True when every texel's alpha is 255 (found once after each change of the pixels).
    bool Opaque();

  private:
    std::shared_ptr<D3D9Device*> m_Device;
    std::shared_ptr<GlRenderer> m_Renderer;
    UINT m_Width, m_Height, m_Levels;
    D3DFORMAT m_Format;
    D3DPOOL m_Pool;
    DWORD m_Usage;
    std::vector<uint8_t> m_Pixels; // B, G, R, A per texel, rows top-down
    bool m_Locked = false;
    bool m_GlStale = true;
    unsigned m_GlName = 0;
    bool m_OpaqueKnown = false, m_Opaque = false;
};
