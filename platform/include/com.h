// The small part of COM the game's interfaces rely on: reference counting and interface queries.
#pragma once

#include "wintypes.h"

typedef uint32_t ULONG;

// Base of every interface object (textures, meshes, effects, sound buffers...).
// Objects start with one reference; Release deletes the object when the count reaches zero.
struct IUnknown {
    virtual ~IUnknown() = default;
    virtual HRESULT QueryInterface(REFIID riid, void** ppv) {
        (void)riid;
        if (ppv) *ppv = nullptr;
        return E_NOINTERFACE;
    }
    virtual ULONG AddRef() { return ++m_RefCount; }
    virtual ULONG Release() {
        ULONG n = --m_RefCount;
        if (n == 0) delete this;
        return n;
    }

  protected:
    ULONG m_RefCount = 1;
};

// A block of bytes handed out by D3DX (material lists, compiler messages).
struct ID3DXBuffer : public IUnknown {
    virtual LPVOID GetBufferPointer() = 0;
    virtual DWORD GetBufferSize() = 0;
};

// Creates a buffer holding a copy of size bytes from data (zero-filled when data is null).
HRESULT D3DXCreateBuffer(DWORD size, ID3DXBuffer** out);
ID3DXBuffer* CreateBufferFrom(const void* data, DWORD size);
