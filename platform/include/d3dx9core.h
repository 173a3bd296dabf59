// D3DX: texture loading from image files and the 2D sprite object.
#pragma once

#include "d3d9.h"
#include "d3dx9math.h"

#define D3DX_DEFAULT ((UINT)-1)
#define D3DX_DEFAULT_NONPOW2 ((UINT)-2)
#define D3DX_FROM_FILE ((UINT)-3)

#define D3DX_FILTER_NONE 0x00000001
#define D3DX_FILTER_POINT 0x00000002
#define D3DX_FILTER_LINEAR 0x00000003
#define D3DX_FILTER_TRIANGLE 0x00000004
#define D3DX_FILTER_BOX 0x00000005

#define D3DXSPRITE_DONOTSAVESTATE (1 << 0)
#define D3DXSPRITE_DONOTMODIFY_RENDERSTATE (1 << 1)
#define D3DXSPRITE_OBJECTSPACE (1 << 2)
#define D3DXSPRITE_BILLBOARD (1 << 3)
#define D3DXSPRITE_ALPHABLEND (1 << 4)
#define D3DXSPRITE_SORT_TEXTURE (1 << 5)

enum D3DXIMAGE_FILEFORMAT { D3DXIFF_BMP = 0, D3DXIFF_JPG = 1, D3DXIFF_TGA = 2, D3DXIFF_PNG = 3 };

struct D3DXIMAGE_INFO {
    UINT Width;
    UINT Height;
    UINT Depth;
    UINT MipLevels;
    D3DFORMAT Format;
    D3DRESOURCETYPE ResourceType;
    D3DXIMAGE_FILEFORMAT ImageFileFormat;
};

struct PALETTEENTRY {
    BYTE peRed, peGreen, peBlue, peFlags;
};

// Reads a PNG, BMP, TGA or JPEG file into a new A8R8G8B8 texture.
// width/height: D3DX_DEFAULT, D3DX_DEFAULT_NONPOW2, D3DX_FROM_FILE or 0 take the file's size; D3DX_DEFAULT
// rounds it up to powers of two. With filter D3DX_FILTER_NONE the image is copied unscaled into the top-left
// corner (cropped when larger, the rest transparent black); any other filter scales it to the size.
// colorKey: when non-zero, texels of exactly that ARGB colour (alpha included) become transparent black.
// A missing or unreadable file gives a failure result and a null texture.
HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* device, LPCSTR srcFile, UINT width, UINT height,
                                     UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                     DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                     D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                     IDirect3DTexture9** texture);
// The file's size rounded up to powers of two, the image scaled to fill it.
HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, LPCSTR srcFile, IDirect3DTexture9** texture);

// Draws screen-space rectangles in 640 x 480 back-buffer pixels (x right, y down).
struct ID3DXSprite : public IUnknown {
    virtual HRESULT GetDevice(IDirect3DDevice9** device) = 0;
    virtual HRESULT GetTransform(D3DXMATRIX* transform) = 0;
    virtual HRESULT SetTransform(const D3DXMATRIX* transform) = 0;
    // Saves the device state it changes and, with D3DXSPRITE_ALPHABLEND, blends with source alpha; depth
    // test, depth write, culling, fog and lighting are off while the sprite draws.
    virtual HRESULT Begin(DWORD flags) = 0;
    // A quad the size of src (the whole texture when null), its point center (texture pixels, origin when
    // null) moved to the origin, then transformed by the sprite transform, then moved by position (when not
    // null). The texture is modulated by colour; a null texture draws the colour alone.
    virtual HRESULT Draw(IDirect3DTexture9* texture, const RECT* src, const D3DXVECTOR3* center,
                         const D3DXVECTOR3* position, D3DCOLOR color) = 0;
    virtual HRESULT Flush() = 0;
    // Restores the device state saved by Begin.
    virtual HRESULT End() = 0;
    virtual HRESULT OnLostDevice() = 0;
    virtual HRESULT OnResetDevice() = 0;
};

HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** sprite);
