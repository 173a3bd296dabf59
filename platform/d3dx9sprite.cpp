// ID3DXSprite: screen-space textured rectangles, queued on the device with the sprite's own fixed state.
#include "d3dx9core.h"

#include "d3d9device.h"

namespace {

class Sprite final : public ID3DXSprite {
  public:
    explicit Sprite(IDirect3DDevice9* device) : m_Device(device) {
        m_Device->AddRef();
        D3DXMatrixIdentity(&m_Transform);
    }
    ~Sprite() override { m_Device->Release(); }

    HRESULT GetDevice(IDirect3DDevice9** device) override {
        if (!device) return D3DERR_INVALIDCALL;
        *device = m_Device;
        m_Device->AddRef();
        return D3D_OK;
    }
    HRESULT GetTransform(D3DXMATRIX* transform) override {
        if (!transform) return D3DERR_INVALIDCALL;
        *transform = m_Transform;
        return D3D_OK;
    }
    HRESULT SetTransform(const D3DXMATRIX* transform) override {
        if (!transform) return D3DERR_INVALIDCALL;
        m_Transform = *transform;
        return D3D_OK;
    }
    // The sprite never touches the device's render state: its quads carry their own state, so there is
    // nothing to save here and nothing to restore in End.
    HRESULT Begin(DWORD flags) override {
        if (m_InBegin) return D3DERR_INVALIDCALL;
        m_InBegin = true;
        m_Flags = flags;
        return D3D_OK;
    }
    HRESULT Draw(IDirect3DTexture9* texture, const RECT* src, const D3DXVECTOR3* center,
                 const D3DXVECTOR3* position, D3DCOLOR color) override;
    HRESULT Flush() override { return m_InBegin ? D3D_OK : D3DERR_INVALIDCALL; }
    HRESULT End() override {
        if (!m_InBegin) return D3DERR_INVALIDCALL;
        m_InBegin = false;
        return D3D_OK;
    }
    HRESULT OnLostDevice() override { return D3D_OK; }
    HRESULT OnResetDevice() override { return D3D_OK; }

  private:
    IDirect3DDevice9* m_Device;
    D3DXMATRIX m_Transform;
    bool m_InBegin = false;
    DWORD m_Flags = 0;
};

HRESULT Sprite::Draw(IDirect3DTexture9* texture, const RECT* src, const D3DXVECTOR3* center,
                     const D3DXVECTOR3* position, D3DCOLOR color) {
    if (!m_InBegin) return D3DERR_INVALIDCALL;
    float texW = texture ? float(texture->Width()) : 0.0f;
    float texH = texture ? float(texture->Height()) : 0.0f;
    RECT r = src ? *src : RECT{0, 0, LONG(texW), LONG(texH)};
    float w = float(r.right - r.left), h = float(r.bottom - r.top);
    D3DXVECTOR3 c = center ? *center : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    D3DXVECTOR3 pos = position ? *position : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    const float corner[4][2] = {{0.0f, 0.0f}, {w, 0.0f}, {w, h}, {0.0f, h}};
    GpuVertex v[4];
    const D3DXMATRIX& m = m_Transform;
    for (int i = 0; i < 4; ++i) {
        float x = corner[i][0] - c.x, y = corner[i][1] - c.y, z = -c.z;
        float tx = x * m._11 + y * m._21 + z * m._31 + m._41;
        float ty = x * m._12 + y * m._22 + z * m._32 + m._42;
        float tz = x * m._13 + y * m._23 + z * m._33 + m._43;
        float tw = x * m._14 + y * m._24 + z * m._34 + m._44;
        if (tw != 0.0f && tw != 1.0f) tx /= tw, ty /= tw, tz /= tw;
        v[i].x = tx + pos.x;
        v[i].y = ty + pos.y;
        v[i].z = tz + pos.z;
        v[i].color = color;
        v[i].u = texW > 0.0f ? (float(r.left) + corner[i][0]) / texW : 0.0f;
        v[i].v = texH > 0.0f ? (float(r.top) + corner[i][1]) / texH : 0.0f;
    }
    AsDevice(m_Device)->DrawSpriteQuad(texture, v, (m_Flags & D3DXSPRITE_ALPHABLEND) != 0, color);
    return D3D_OK;
}

} // namespace

HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** sprite) {
    if (!sprite) return D3DERR_INVALIDCALL;
    *sprite = nullptr;
    if (!device) return D3DERR_INVALIDCALL;
    *sprite = new Sprite(device);
    return D3D_OK;
}
