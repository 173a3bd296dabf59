// The device's calls beyond Direct3D 9: every device is a D3D9Device underneath.
#include "d3d9debug.h"

#include "d3d9device.h"

namespace d3d9debug {

bool IsDrawing(IDirect3DDevice9* device) {
    return device && AsDevice(device)->IsDrawing();
}

void EnableCallLog(IDirect3DDevice9* device, bool enable) {
    if (device) AsDevice(device)->EnableCallLog(enable);
}

bool CallLogEnabled(IDirect3DDevice9* device) {
    return device && AsDevice(device)->CallLogEnabled();
}

const std::vector<DeviceCall>& CallLog(IDirect3DDevice9* device) {
    static const std::vector<DeviceCall> kNone;
    return device ? AsDevice(device)->CallLog() : kNone;
}

void ClearCallLog(IDirect3DDevice9* device) {
    if (device) AsDevice(device)->ClearCallLog();
}

bool ReadBackBuffer(IDirect3DDevice9* device, std::vector<uint8_t>& rgba) {
    return device && AsDevice(device)->ReadBackBuffer(rgba);
}

bool SaveBackBuffer(IDirect3DDevice9* device, const char* pngPath, ShotKind kind) {
    return device && AsDevice(device)->SaveBackBuffer(pngPath, kind);
}

float BackBufferScale(IDirect3DDevice9* device) {
    return device ? AsDevice(device)->BackBufferScale() : 1.0f;
}

UINT BatchCount(IDirect3DDevice9* device) {
    return device ? AsDevice(device)->BatchCount() : 0;
}

UINT PresentCount(IDirect3DDevice9* device) {
    return device ? AsDevice(device)->PresentCount() : 0;
}

UINT TriangleCount(IDirect3DDevice9* device) {
    return device ? AsDevice(device)->TriangleCount() : 0;
}

} // namespace d3d9debug
