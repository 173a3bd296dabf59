// D3DX texture loading from image files.
#include "d3dx9core.h"

#include "d3d9texture.h"
#include "image_io.h"

#include <cstring>

#define D3DXERR_INVALIDDATA ((HRESULT)0x88760B59)

namespace {

UINT NextPowerOfTwo(UINT n) {
    UINT p = 1;
    while (p < n)
        p <<= 1;
    return p;
}

// D3DX's reading of a requested size: 0 and D3DX_DEFAULT take the file's size rounded up to a power of two,
// D3DX_DEFAULT_NONPOW2 and D3DX_FROM_FILE the file's size as it is.
UINT ResolveSize(UINT requested, int fileSize) {
    if (requested == 0 || requested == D3DX_DEFAULT) return NextPowerOfTwo(UINT(fileSize));
    if (requested == D3DX_DEFAULT_NONPOW2 || requested == D3DX_FROM_FILE) return UINT(fileSize);
    return requested;
}

D3DXIMAGE_FILEFORMAT D3DXFormatOf(ImageFileFormat f) {
    switch (f) {
    case ImageFileFormat::Bmp:
        return D3DXIFF_BMP;
    case ImageFileFormat::Jpg:
        return D3DXIFF_JPG;
    case ImageFileFormat::Png:
        return D3DXIFF_PNG;
    default:
        return D3DXIFF_TGA;
    }
}

} // namespace

HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* device, LPCSTR srcFile, UINT width, UINT height,
                                     UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                     DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                     D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                     IDirect3DTexture9** texture) {
    (void)mipFilter, (void)palette;
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (!device || !srcFile) return D3DERR_INVALIDCALL;

    std::vector<uint8_t> image;
    int fileWidth = 0, fileHeight = 0;
    ImageFileFormat fileFormat = ImageFileFormat::Other;
    if (!LoadImageBgra(srcFile, image, fileWidth, fileHeight, &fileFormat)) return D3DXERR_INVALIDDATA;

    UINT w = ResolveSize(width, fileWidth), h = ResolveSize(height, fileHeight);
    if (mipLevels == D3DX_FROM_FILE) mipLevels = 1;
    if (mipLevels == D3DX_DEFAULT) mipLevels = 0; // the whole chain
    D3DFORMAT texFormat = format == D3DFMT_X8R8G8B8 ? D3DFMT_X8R8G8B8 : D3DFMT_A8R8G8B8;
    IDirect3DTexture9* tex = nullptr;
    HRESULT hr = device->CreateTexture(w, h, mipLevels, usage, texFormat, pool, &tex, nullptr);
    if (FAILED(hr)) return hr;

    D3D9Texture* t = static_cast<D3D9Texture*>(tex);
    std::vector<uint8_t>& dst = t->MutablePixels();
    std::memset(dst.data(), 0, dst.size());
    if ((filter & 0xFF) == D3DX_FILTER_NONE || (w == UINT(fileWidth) && h == UINT(fileHeight))) {
        // Copied as it is into the top-left corner; what does not fit is cut off.
        UINT copyW = w < UINT(fileWidth) ? w : UINT(fileWidth);
        UINT copyH = h < UINT(fileHeight) ? h : UINT(fileHeight);
        for (UINT y = 0; y < copyH; ++y)
            std::memcpy(&dst[size_t(y) * w * 4], &image[size_t(y) * UINT(fileWidth) * 4], size_t(copyW) * 4);
    } else {
        ResizeImage4(image.data(), fileWidth, fileHeight, dst.data(), int(w), int(h));
    }
    if (colorKey != 0) {
        for (size_t i = 0; i < dst.size(); i += 4) {
            D3DCOLOR c = D3DCOLOR_ARGB(dst[i + 3], dst[i + 2], dst[i + 1], dst[i]);
            if (c == colorKey) std::memset(&dst[i], 0, 4);
        }
    }
    t->PixelsChanged();

    if (srcInfo) {
        srcInfo->Width = UINT(fileWidth);
        srcInfo->Height = UINT(fileHeight);
        srcInfo->Depth = 1;
        srcInfo->MipLevels = 1;
        srcInfo->Format = D3DFMT_A8R8G8B8;
        srcInfo->ResourceType = D3DRTYPE_TEXTURE;
        srcInfo->ImageFileFormat = D3DXFormatOf(fileFormat);
    }
    *texture = tex;
    return D3D_OK;
}

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, LPCSTR srcFile, IDirect3DTexture9** texture) {
    return D3DXCreateTextureFromFileExA(device, srcFile, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                        D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                        nullptr, nullptr, texture);
}
