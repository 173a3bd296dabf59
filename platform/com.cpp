#include "com.h"

#include <cstring>
#include <vector>

namespace {
struct MemoryBuffer : public ID3DXBuffer {
    std::vector<unsigned char> bytes;
    LPVOID GetBufferPointer() override { return bytes.empty() ? nullptr : bytes.data(); }
    DWORD GetBufferSize() override { return (DWORD)bytes.size(); }
};
} // namespace

HRESULT D3DXCreateBuffer(DWORD size, ID3DXBuffer** out) {
    if (!out) return E_INVALIDARG;
    *out = CreateBufferFrom(nullptr, size);
    return S_OK;
}

ID3DXBuffer* CreateBufferFrom(const void* data, DWORD size) {
    auto* b = new MemoryBuffer;
    b->bytes.assign(size, 0);
    if (data && size) std::memcpy(b->bytes.data(), data, size);
    return b;
}
