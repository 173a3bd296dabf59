// Textures: CPU pixels in A8R8G8B8 layout, mirrored to a GL texture on a drawing device.
#include "d3d9texture.h"

#include "d3d9device.h"
#include "gl_renderer.h"

D3D9Texture::D3D9Texture(std::shared_ptr<D3D9Device*> device, std::shared_ptr<GlRenderer> renderer,
                         UINT width, UINT height, UINT levels, D3DFORMAT format, D3DPOOL pool, DWORD usage)
    : m_Device(std::move(device)), m_Renderer(std::move(renderer)), m_Width(width), m_Height(height),
      m_Levels(levels), m_Format(format), m_Pool(pool), m_Usage(usage),
      m_Pixels(size_t(width) * height * 4, 0) {
    if (m_Format == D3DFMT_X8R8G8B8)
        for (size_t i = 3; i < m_Pixels.size(); i += 4)
            m_Pixels[i] = 0xFF;
}

D3D9Texture::~D3D9Texture() {
    if (m_GlName && m_Renderer) {
        m_Renderer->MakeCurrent();
        m_Renderer->DeleteTextureObject(m_GlName);
    }
}

HRESULT D3D9Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    if (!desc || level >= m_Levels) return D3DERR_INVALIDCALL;
    desc->Format = m_Format;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Usage = m_Usage;
    desc->Pool = m_Pool;
    desc->MultiSampleType = D3DMULTISAMPLE_NONE;
    desc->MultiSampleQuality = 0;
    desc->Width = m_Width >> level ? m_Width >> level : 1;
    desc->Height = m_Height >> level ? m_Height >> level : 1;
    return D3D_OK;
}

HRESULT D3D9Texture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    (void)rect, (void)flags;
    if (!locked || level != 0 || m_Locked) return D3DERR_INVALIDCALL;
    if (*m_Device) (*m_Device)->OnTextureChanging(this);
    m_Locked = true;
    locked->Pitch = INT(m_Width * 4);
    locked->pBits = m_Pixels.data();
    return D3D_OK;
}

HRESULT D3D9Texture::UnlockRect(UINT level) {
    if (level != 0 || !m_Locked) return D3DERR_INVALIDCALL;
    m_Locked = false;
    PixelsChanged();
    return D3D_OK;
}

HRESULT D3D9Texture::GetDevice(IDirect3DDevice9** device) {
    if (!device) return D3DERR_INVALIDCALL;
    *device = *m_Device;
    if (*device) (*device)->AddRef();
    return D3D_OK;
}

void D3D9Texture::PixelsChanged() {
    if (m_Format == D3DFMT_X8R8G8B8)
        for (size_t i = 3; i < m_Pixels.size(); i += 4)
            m_Pixels[i] = 0xFF;
    m_GlStale = true;
    m_OpaqueKnown = false;
}

bool D3D9Texture::Opaque() {
    if (!m_OpaqueKnown) {
        m_Opaque = true;
        for (size_t i = 3; i < m_Pixels.size() && m_Opaque; i += 4)
            m_Opaque = m_Pixels[i] == 0xFF;
        m_OpaqueKnown = true;
    }
    return m_Opaque;
}

unsigned D3D9Texture::GlName() {
    if (!m_Renderer) return 0;
    if (!m_GlName) m_GlName = m_Renderer->CreateTextureObject();
    if (m_GlStale) {
        m_Renderer->UploadTexture(m_GlName, m_Width, m_Height, m_Pixels.data());
        m_GlStale = false;
    }
    return m_GlName;
}
